#pragma once

#include <QObject>
#include <QString>

#include <vector>

// The content of a rich text view: characters, each with its colour, a caret with
// a selection, and the colour for text inserted next. A line break is the two
// characters CR LF, and every position and length counts them as two.
// Colours are 0x00BBGGRR.
//
// It never interprets what it holds: received text is kept as plain characters.
class RichTextModel : public QObject
{
    Q_OBJECT

public:
    explicit RichTextModel(QObject *parent = nullptr);

    const QString &text() const { return m_text; }
    int length() const { return int(m_text.size()); }
    // Replaces everything; the new text is black and the selection collapses at 0.
    void setText(const QString &text);

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
    void setSelText(const QString &text);

    // Black outside the text.
    quint32 colorAt(int pos) const
    {
        return pos >= 0 && size_t(pos) < m_colors.size() ? m_colors[size_t(pos)] : 0u;
    }

signals:
    // The characters or their colours changed.
    void changed();
    // The caret or the selection moved without the text changing.
    void selectionChanged();

private:
    QString m_text;
    std::vector<quint32> m_colors;
    int m_selStart = 0;
    int m_selLength = 0;
    quint32 m_selColor = 0;
};
