#pragma once

#include <QString>
#include <QStringView>

// The open line: everything received since the last CR, LF excluded.
//
// RxLen is a 16-bit count, so a line is at most 32767 characters long. A longer
// line without a CR keeps only its newest 32767 characters: the older ones have
// long scrolled out of the view, and keeping them would let a stream without CR
// grow memory without bound. Such a line has lost its start, so rules that look
// at the start of a line no longer apply to it; rules that look at its end still do.
class RxLine
{
public:
    static constexpr qsizetype MaxLen = 32767;

    void append(QStringView text);
    void append(QChar c)
    {
        m_text.append(c);
        if (m_text.size() > 2 * MaxLen)
            trim();
    }
    void clear();

    // The line as the page and gyro rules see it. Reference, because the text
    // routine removes backspaces from what it is given.
    QString &RxZeile();
    // The same line, read without changing anything.
    QStringView text() const { return QStringView(m_text).right(MaxLen); }
    qint16 RxLen() const { return qint16(qMin(m_text.size(), MaxLen)); }

    // True when the line still has its first character.
    bool hasStart() const { return !m_headLost && m_text.size() <= MaxLen; }
    bool startsWith(QStringView s) const { return hasStart() && m_text.startsWith(s); }
    bool endsWith(QStringView s) const { return m_text.endsWith(s); }
    QChar first() const { return m_text.isEmpty() ? QChar() : m_text.front(); }

private:
    void trim();

    // May hold up to twice MaxLen characters between trims, so that trimming
    // costs a constant amount per character however long the line grows.
    QString m_text;
    bool m_headLost = false;
};
