#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringView>

// The content of a rich text view: characters, each with its colour, a caret with
// a selection, and the colour for text inserted next. A line break is the two
// characters CR LF, and every position and length counts them as two.
// Colours are 0x00BBGGRR.
//
// It never interprets what it holds: received text is kept as plain characters.
//
// At line rate text arrives one character at a time; a writer that makes many
// changes in a row holds a Batch, and the views hear of them once, when it ends.
//
// A LineSink hears of every line as it ends in the text (at a line feed), with the
// characters and colours it shows then, and of the start of the open line when it
// leaves the text at the top before the line has ended.
class RichTextModel : public QObject
{
    Q_OBJECT

public:
    class LineSink
    {
    public:
        virtual ~LineSink() = default;
        // The text's [from, to) is a line that has just ended; its line break
        // (LF, or CR LF) is not part of it.
        virtual void lineEnded(const RichTextModel &text, int from, int to) = 0;
        // The text's [from, to), the start of the open line, is about to leave it.
        virtual void lineHeadLeaving(const RichTextModel &text, int from, int to) = 0;
        // The open line has been taken away at the end of the text, to be written anew.
        virtual void openLineTaken() = 0;
        // The whole text is about to be replaced; the open line shows [from, to) of it.
        virtual void textReplaced(const RichTextModel &text, int from, int to) = 0;
        // A form feed has emptied the text (told by whoever carries it out).
        virtual void pageCleared() = 0;
    };

    explicit RichTextModel(QObject *parent = nullptr);

    // The sink must outlive the model or be taken away first.
    void setLineSink(LineSink *sink);
    LineSink *lineSink() const { return m_sink; }

    const QString &text() const { return m_text; }
    int length() const { return int(m_text.size()); }
    // Replaces everything; the new text is black and the selection collapses at 0.
    void setText(const QString &text);
    // Keeps only the characters [from, from + count), each in the colour it had; the
    // selection collapses at 0.
    void keep(int from, int count);

    int selStart() const { return m_selStart; }
    // Moves the caret (clamped to the text) and collapses the selection.
    void setSelStart(int pos);
    int selLength() const { return m_selLength; }
    void setSelLength(int len);
    quint32 selColor() const { return m_selColor; }
    // Colours the selection, if any, and the text inserted next.
    void setSelColor(quint32 color);
    QString selText() const { return m_text.mid(m_selStart, m_selLength); }
    // Replaces the selection with the text in selColor(); the caret ends behind it.
    void setSelText(QStringView text);

    // Editing as in a text box, which the terminal is while typing goes into the
    // text itself (the port closed, or echo on); a line break is one step.
    // Types a character code over the selection: Backspace erases, CR and LF break
    // the line, Tab and every character of the code page are inserted in
    // selColor(). Other control codes are no text: false, and nothing changes.
    bool type(int keyAscii);
    // Erases the selection, or else the character before or after pos.
    void erase(int pos, bool before);
    // The position a step before or after pos.
    int stepBack(int pos) const;
    int stepOn(int pos) const;

    // The colours of [from, from + count) one after another, or null when some of
    // them are the black of text written whole.
    const quint32 *colorData(int from, int count) const
    {
        const qsizetype at = qsizetype(from) - m_blackBelow;
        return at >= 0 && at + count <= m_colors.size() ? m_colors.constData() + at : nullptr;
    }
    // Black outside the text.
    quint32 colorAt(int pos) const
    {
        const qsizetype at = qsizetype(pos) - m_blackBelow;
        return at >= 0 && at < m_colors.size() ? m_colors[at] : 0u;
    }

    // Holds the notifications back until the outermost batch ends.
    class Batch
    {
    public:
        explicit Batch(RichTextModel &model) : m_model(model) { ++m_model.m_batch; }
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        RichTextModel &m_model;
    };

signals:
    // The characters or their colours changed.
    void changed();
    // The caret or the selection moved without the text changing.
    void selectionChanged();
    // Only the characters [from, from + count) of the text are left (keep(), or
    // writing the text empty); the rest of the text is gone.
    void kept(int from, int count);

private:
    void notifyChanged();
    void notifyMoved();
    // Tells the sink of the lines that line feeds in the text's [from, to) end.
    void endLines(qsizetype from, qsizetype to);

    // Every character is black but for those from m_blackBelow on, whose colours
    // m_colors holds in order: text written whole needs no colour of its own.
    void colourAll();

    QString m_text;
    qsizetype m_blackBelow = 0;
    // Like the text, cut at the front by moving where it starts, not by copying.
    QList<quint32> m_colors;
    int m_selStart = 0;
    int m_selLength = 0;
    quint32 m_selColor = 0;
    int m_batch = 0;
    LineSink *m_sink = nullptr;
    int m_lineStart = 0;   // where the open line starts, kept while there is a sink
    bool m_changed = false;
    bool m_moved = false;
};
