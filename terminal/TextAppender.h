#pragma once

#include <QString>

class RichTextModel;

// The one road by which received text reaches a view: keeps the view short,
// carries out backspace and form feed, and inserts in the view's current colour.
class TextAppender
{
public:
    static constexpr qint16 DefaultMaxTextLen = 585;
    static constexpr int CutLength = 14;

    explicit TextAppender(RichTextModel &view) : m_view(view) {}

    // Removes the backspaces from `text` itself (the caller sees the result).
    void AppendText(QString &text);
    // AppendText with one character that is neither backspace nor form feed, the
    // common case, without building a text for it.
    void appendChar(QChar c);
    // appendChar for each character of a run, in one go: the view is cut exactly
    // where appending them one by one would cut it.
    void appendPlain(QStringView run);

    RichTextModel &view() { return m_view; }

    int TextLen() const { return m_textLen; }
    void setTextLen(int len) { m_textLen = len; }
    qint16 MaxTextLen() const { return m_maxTextLen; }
    void setMaxTextLen(qint16 len) { m_maxTextLen = len; }

private:
    void measureAndCut();

    RichTextModel &m_view;
    int m_textLen = 0;
    // The cap holds from the start: a start-up that ends early must not leave a
    // view that keeps only a handful of characters.
    qint16 m_maxTextLen = DefaultMaxTextLen;
};
