#include "terminal/views/RowPainter.h"

#include "platform/Colors.h"

#include <QPainter>

#include <algorithm>

void RowPainter::setFont(const QFont &font)
{
    m_glyphs.setFont(font);
    m_shown.clear();
}

QRegion RowPainter::show(std::vector<Row> rows, int width)
{
    QRegion dirty;
    const int lineH = lineHeight();
    for (size_t i = 0; i < rows.size(); ++i)
        if (i >= m_shown.size() || !(rows[i] == m_shown[i]))
            dirty += QRect(0, int(i) * lineH, width, lineH);
    if (rows.size() < m_shown.size())
        dirty += QRect(0, int(rows.size()) * lineH, width, int(m_shown.size() - rows.size()) * lineH);
    m_shown = std::move(rows);
    return dirty;
}

qint64 RowPainter::movedBy(const std::vector<Row> &rows) const
{
    return !rows.empty() && rows.size() == m_shown.size() && m_shown[0].line >= 0 ? rows[0].line - m_shown[0].line : 0;
}

void RowPainter::moved(qint64 rows)
{
    std::vector<Row> moved(m_shown.size());
    for (qint64 i = 0; i < qint64(moved.size()); ++i)
        if (i + rows >= 0 && i + rows < qint64(m_shown.size()))
            moved[size_t(i)] = std::move(m_shown[size_t(i + rows)]);
    m_shown = std::move(moved);
}

void RowPainter::paint(QPainter &p, const QRect &area, quint32 back, const QColor &selection, int width)
{
    p.fillRect(area, QColor(Colors::toArgb(back)));
    const int charW = charWidth(), lineH = lineHeight();
    const int firstRow = std::max(0, area.top() / lineH);
    const int lastRow = std::min(int(m_shown.size()) - 1, area.bottom() / lineH);
    for (int i = firstRow; i <= lastRow; ++i) {
        const Row &row = m_shown[size_t(i)];
        const int y = i * lineH;
        for (const Mark &mark : row.marks)
            p.fillRect(mark.column * charW, y, mark.length * charW, lineH, QColor(Colors::toArgb(mark.colour)));
        if (row.selTo > row.selFrom)
            p.fillRect(row.selFrom * charW, y, (row.selTo - row.selFrom) * charW, lineH, selection);
        m_glyphs.drawRow(p, 0, y, row.chars, row.colours.data(), back);
        if (row.caret >= 0)
            p.fillRect(std::min(row.caret * charW, width - 2), y, 2, lineH, Qt::black);
    }
}
