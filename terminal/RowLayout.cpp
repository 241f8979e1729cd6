#include "terminal/RowLayout.h"

#include "terminal/RichTextModel.h"

#include <algorithm>

namespace {
bool isBreakStart(const QString &t, int i)
{
    return t[i] == u'\n' || (t[i] == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n');
}
} // namespace

RowLayout::RowLayout(const RichTextModel &text, std::function<QSize()> grid)
    : m_text(text), m_grid(std::move(grid))
{
}

void RowLayout::changed()
{
    m_stale = true;
    m_followCaret = !m_pinned;
}

void RowLayout::ensure() const
{
    const int cols = std::max(1, m_grid().width());
    if (!m_stale && cols == m_cols)
        return;
    m_stale = false;
    m_cols = cols;
    m_rows.clear();
    const QString &t = m_text.text();
    const int n = int(t.size());
    int i = 0;
    for (;;) {
        const int start = i;
        while (i < n && i - start < m_cols && !isBreakStart(t, i))
            ++i;
        m_rows.push_back({start, i - start});
        if (i < n && isBreakStart(t, i)) {
            i += t[i] == u'\r' ? 2 : 1;
            continue;                  // a break at the very end still opens a row
        }
        if (i >= n) {
            // A full row at the end: the caret behind it stands on a fresh row.
            if (i - start == m_cols && n > 0)
                m_rows.push_back({n, 0});
            break;
        }
    }
}

int RowLayout::rowCount() const
{
    ensure();
    return int(m_rows.size());
}

const RowLayout::Row &RowLayout::row(int r) const
{
    ensure();
    return m_rows[size_t(std::clamp(r, 0, int(m_rows.size()) - 1))];
}

int RowLayout::rowOf(int pos) const
{
    ensure();
    const auto it = std::upper_bound(m_rows.begin(), m_rows.end(), pos,
                                     [](int p, const Row &r) { return p < r.start; });
    return std::max(0, int(it - m_rows.begin()) - 1);
}

QPoint RowLayout::cellOf(int pos) const
{
    const int r = rowOf(pos);
    const Row &at = m_rows[size_t(r)];
    // Positions inside a CR LF stand at the end of the row they close.
    return {std::clamp(pos - at.start, 0, at.length), r};
}

int RowLayout::posAt(int viewRow, int column) const
{
    const Row &r = row(m_top + viewRow);
    return r.start + std::clamp(column, 0, r.length);
}

int RowLayout::visibleRows() const
{
    return std::max(1, m_grid().height());
}

int RowLayout::lastTop() const
{
    return std::max(0, rowCount() - visibleRows());
}

void RowLayout::scrollToCaret()
{
    const int r = rowOf(m_text.selStart());
    const int full = visibleRows();
    if (r < m_top)
        m_top = r;
    else if (r >= m_top + full)
        m_top = r - full + 1;
}

void RowLayout::settle()
{
    ensure();
    if (m_followCaret)
        scrollToCaret();
    else if (m_pinned)
        m_top = rowOf(m_topAt);
    m_followCaret = false;
    m_top = std::clamp(m_top, 0, lastTop());
    m_topAt = m_rows[size_t(m_top)].start;
}

void RowLayout::scrollTo(int top)
{
    ensure();
    m_top = std::clamp(top, 0, lastTop());
    m_topAt = m_rows[size_t(m_top)].start;
    m_followCaret = false;
}

void RowLayout::scrollBy(int rows)
{
    scrollTo(rowOf(m_topAt) + rows);
}

bool RowLayout::place(Place how)
{
    m_pinned = how == Place::Stay || (how == Place::StayIfScrolledUp && m_top < lastTop());
    m_topAt = row(m_top).start;
    if (!m_pinned)
        caretMoved();
    return !m_pinned;
}

void RowLayout::kept(int from, int count)
{
    m_topAt = std::clamp(m_topAt - from, 0, count);
}
