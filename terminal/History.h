#pragma once

#include "terminal/RichTextModel.h"

#include <QList>
#include <QObject>
#include <QString>

#include <deque>
#include <memory>
#include <vector>

// What the terminal has shown, line by line, long after its view has let it go:
// the last MaxLines lines, each in the colours the view showed when the line ended
// (titles blue, cursors red, backspaces carried out). A form feed, which empties
// the view, leaves a grey separator line here.
//
// It hears of the lines as the terminal's text model's LineSink, so it keeps what
// the view showed. Lines are kept compactly, one byte a character (the program's
// code page) and one entry per run of a colour, in blocks that are reused once
// their lines have fallen out: once full, memory stays flat. A line longer than
// MaxLineLength goes on in the next line.
class History : public QObject, public RichTextModel::LineSink
{
    Q_OBJECT

public:
    static constexpr qint64 MaxLines = 100000;
    static constexpr int MaxLineLength = 256;
    // Lines of many colours take more room: this many bytes of them at most.
    static constexpr qsizetype MaxBytes = qsizetype(32) << 20;
    static const QString PageSeparator;

    // A colour, from a character of the line on up to the next run.
    struct Run
    {
        int from;
        quint32 colour;
        bool operator==(const Run &) const = default;
    };

    explicit History(QObject *parent = nullptr);
    ~History() override;

    // Lines are numbered from the program's start: first() is the oldest one kept,
    // end() the number the next one will get.
    qint64 first() const { return m_first; }
    qint64 end() const { return m_end; }
    QString text(qint64 line) const;
    QList<Run> runs(qint64 line) const;
    bool isSeparator(qint64 line) const;

    // The lines kept as one text, each followed by a line feed: where a line
    // starts in it, and which line a character of it belongs to.
    qint64 offsetOf(qint64 line) const;
    qint64 lineAt(qint64 offset) const;
    qint64 characterCount() const { return offsetOf(m_end); }

    void lineEnded(const RichTextModel &text, int from, int to) override;
    void lineHeadLeaving(const RichTextModel &text, int from, int to) override;
    void openLineTaken() override;
    void textReplaced(const RichTextModel &text, int from, int to) override;
    void pageCleared() override;

signals:
    // Lines were added; old ones may have fallen out.
    void added();

private:
    struct Block
    {
        std::unique_ptr<char[]> bytes;
        qsizetype used = 0;
        qint64 lines = 0;
    };
    struct Entry
    {
        const char *record;
        qint64 offset;   // characters of all lines before it since the start
    };

    // Takes the text's [from, to) into the open line.
    void take(const RichTextModel &text, int from, int to);
    // Stores the open line as lines of MaxLineLength, and, when it has ended, what
    // is left of it too. True when it stored any.
    bool storeOpen(bool ended);
    void store(const char *chars, int length, const Run *runs, int runCount, bool separator = false);
    char *room(qsizetype bytes);
    void dropOldest();
    const char *record(qint64 line) const;

    std::vector<Entry> m_index;   // a ring: line n in slot n % MaxLines
    qint64 m_first = 0;
    qint64 m_end = 0;
    qint64 m_endOffset = 0;
    std::deque<Block> m_blocks;
    std::unique_ptr<char[]> m_spare;   // an emptied block, kept for the next
    // The open line as far as it has left the view already, or has ended: its
    // characters as they are stored, and its runs from its start.
    QByteArray m_open;
    std::vector<Run> m_openRuns;
    std::vector<Run> m_pieceRuns;   // kept to spare allocations
};
