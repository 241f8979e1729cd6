#pragma once

#include <QList>
#include <QString>

#include <deque>
#include <optional>

class History;

// A text looked for in the history: where it stands, one match after another, and
// how often it stands there. The count follows the lines that come and go at a
// cost for those lines alone, so it can stay up to date while text streams in.
class HistorySearch
{
public:
    struct Match
    {
        qint64 line;
        int column;
        bool operator==(const Match &) const = default;
    };

    explicit HistorySearch(const History &history) : m_history(history) {}

    void setNeedle(const QString &needle, Qt::CaseSensitivity cs);
    const QString &needle() const { return m_needle; }
    int length() const { return int(m_needle.size()); }

    // Matches in the history as it stands now.
    qint64 count();
    // Where the matches in a line start, one after another without overlapping.
    QList<int> columnsIn(qint64 line) const;
    // The first match after the place (line, column), or the last one before it;
    // past the end it goes round. None when there is none at all.
    std::optional<Match> next(Match from, bool backwards) const;

private:
    int countIn(qint64 line) const;

    const History &m_history;
    QString m_needle;
    Qt::CaseSensitivity m_cs = Qt::CaseInsensitive;
    std::deque<int> m_counts;   // matches of each line from m_countedFirst on
    qint64 m_countedFirst = 0;
    qint64 m_total = 0;
};
