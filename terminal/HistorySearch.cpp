#include "terminal/HistorySearch.h"

#include "terminal/History.h"

#include <algorithm>

void HistorySearch::setNeedle(const QString &needle, Qt::CaseSensitivity cs)
{
    m_needle = needle;
    m_cs = cs;
    m_counts.clear();
    m_countedFirst = m_history.first();
    m_total = 0;
}

QList<int> HistorySearch::columnsIn(qint64 line) const
{
    QList<int> out;
    if (m_needle.isEmpty())
        return out;
    const QString text = m_history.text(line);
    for (qsizetype at = text.indexOf(m_needle, 0, m_cs); at >= 0; at = text.indexOf(m_needle, at + m_needle.size(), m_cs))
        out.append(int(at));
    return out;
}

int HistorySearch::countIn(qint64 line) const
{
    return int(columnsIn(line).size());
}

qint64 HistorySearch::count()
{
    // Lines that fell out take their matches with them.
    while (m_countedFirst < m_history.first() && !m_counts.empty()) {
        m_total -= m_counts.front();
        m_counts.pop_front();
        ++m_countedFirst;
    }
    if (m_counts.empty())
        m_countedFirst = m_history.first();
    for (qint64 line = m_countedFirst + qint64(m_counts.size()); line < m_history.end(); ++line) {
        m_counts.push_back(countIn(line));
        m_total += m_counts.back();
    }
    return m_total;
}

std::optional<HistorySearch::Match> HistorySearch::next(Match from, bool backwards) const
{
    const qint64 first = m_history.first(), end = m_history.end();
    if (m_needle.isEmpty() || first == end)
        return std::nullopt;
    from.line = std::clamp(from.line, first, end - 1);
    // Every line once, the line it starts in twice: the rest of it first, the part
    // before the place last.
    for (qint64 step = 0; step <= end - first; ++step) {
        const qint64 line = first + ((from.line - first + (backwards ? -step : step)) % (end - first) + (end - first)) % (end - first);
        const QList<int> columns = columnsIn(line);
        if (backwards) {
            for (qsizetype i = columns.size() - 1; i >= 0; --i)
                if (step > 0 || columns[i] < from.column)
                    return Match{line, columns[i]};
        } else {
            for (int column : columns)
                if (step > 0 || column > from.column)
                    return Match{line, column};
        }
    }
    return std::nullopt;
}
