#include "terminal/views/HistoryAccessible.h"

#include "terminal/History.h"
#include "terminal/views/HistoryView.h"

HistoryAccessible::HistoryAccessible(HistoryView *view)
    : TextAccessible(view, QStringLiteral("Verlauf"), false), m_view(view)
{
}

void HistoryAccessible::selection(int, int *start, int *end) const
{
    const auto [from, to] = m_view->selection();
    *start = int(m_view->offsetOf(from));
    *end = int(m_view->offsetOf(to));
}

int HistoryAccessible::selectionCount() const
{
    const auto [from, to] = m_view->selection();
    return from == to ? 0 : 1;
}

void HistoryAccessible::addSelection(int start, int end)
{
    setSelection(0, start, end);
}

void HistoryAccessible::removeSelection(int)
{
    m_view->m_anchor = m_view->m_selEnd = m_view->m_caret;
    m_view->m_frames.request();
}

void HistoryAccessible::setSelection(int, int start, int end)
{
    m_view->m_anchor = m_view->placeOf(start);
    m_view->m_selEnd = m_view->placeOf(end);
    m_view->m_frames.request();
}

int HistoryAccessible::cursorPosition() const
{
    return int(m_view->offsetOf(m_view->m_caret));
}

void HistoryAccessible::setCursorPosition(int position)
{
    m_view->m_caret = m_view->placeOf(position);
    m_view->m_frames.request();
}

QString HistoryAccessible::text(int start, int end) const
{
    return m_view->textBetween(m_view->placeOf(start), m_view->placeOf(end));
}

// The lines with a line feed between each two.
int HistoryAccessible::characterCount() const
{
    return int(std::max<qint64>(0, m_view->m_history.characterCount() - 1));
}

QRect HistoryAccessible::characterRect(int offset) const
{
    const HistoryView::Place p = m_view->placeOf(offset);
    const int charW = m_view->m_rows.charWidth(), lineH = m_view->m_rows.lineHeight();
    const QPoint at(int(p.column - m_view->m_left) * charW, int(p.line - m_view->m_top) * lineH);
    return QRect(m_view->viewport()->mapToGlobal(at), QSize(charW, lineH));
}

int HistoryAccessible::offsetAtPoint(const QPoint &point) const
{
    return int(m_view->offsetOf(m_view->placeAt(m_view->viewport()->mapFromGlobal(point))));
}

void HistoryAccessible::scrollToSubstring(int start, int)
{
    m_view->scrollToLine(m_view->placeOf(start).line);
}

// A line of the history is a line here too; everything else as Qt finds it.
QString HistoryAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType type, int *start, int *end) const
{
    if (type != QAccessible::LineBoundary)
        return QAccessibleTextInterface::textAtOffset(offset, type, start, end);
    const qint64 line = m_view->m_history.lineAt(offset);
    *start = int(m_view->m_history.offsetOf(line));
    *end = int(m_view->m_history.offsetOf(line + 1)) - 1;
    return m_view->m_history.text(line);
}

// Runs of one colour.
QString HistoryAccessible::attributes(int offset, int *start, int *end) const
{
    const History &h = m_view->m_history;
    if (offset < 0 || offset >= characterCount()) {
        *start = *end = offset;
        return {};
    }
    const qint64 line = h.lineAt(offset);
    const int column = int(offset - h.offsetOf(line));
    const QList<History::Run> runs = h.runs(line);
    quint32 colour = 0;
    int from = 0, to = int(h.text(line).size()) + 1;   // the line feed goes with the last run
    for (qsizetype r = 0; r < runs.size() && runs[r].from <= column; ++r) {
        colour = runs[r].colour;
        from = runs[r].from;
        to = r + 1 < runs.size() ? runs[r + 1].from : int(h.text(line).size()) + 1;
    }
    *start = int(h.offsetOf(line)) + from;
    *end = int(h.offsetOf(line)) + to;
    return colourAttributes(m_view->m_back, colour);
}
