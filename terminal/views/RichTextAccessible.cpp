#include "terminal/views/RichTextAccessible.h"

#include "terminal/RichTextModel.h"
#include "terminal/views/RichTextView.h"


RichTextAccessible::RichTextAccessible(RichTextView *view)
    : TextAccessible(view, QStringLiteral("Terminal"), true), m_view(view)
{
}

void RichTextAccessible::selection(int, int *start, int *end) const
{
    *start = m_view->selectedFrom();
    *end = m_view->selectedTo();
}

int RichTextAccessible::selectionCount() const
{
    return m_view->selectedTo() > m_view->selectedFrom() ? 1 : 0;
}

void RichTextAccessible::addSelection(int start, int end)
{
    m_view->setSelected(start, end);
}

void RichTextAccessible::removeSelection(int)
{
    m_view->setSelected(0, 0);
}

void RichTextAccessible::setSelection(int, int start, int end)
{
    m_view->setSelected(start, end);
}

int RichTextAccessible::cursorPosition() const
{
    return m_view->model().selStart();
}

void RichTextAccessible::setCursorPosition(int position)
{
    m_view->model().setSelStart(position);
}

QString RichTextAccessible::text(int start, int end) const
{
    return m_view->model().text().mid(start, end - start);
}

int RichTextAccessible::characterCount() const
{
    return m_view->model().length();
}

QRect RichTextAccessible::characterRect(int offset) const
{
    const QPoint cell = m_view->m_layout.cellOf(offset);
    const int charW = m_view->m_rows.charWidth(), lineH = m_view->m_rows.lineHeight();
    const QPoint at(cell.x() * charW, (cell.y() - m_view->m_layout.top()) * lineH);
    return QRect(m_view->viewport()->mapToGlobal(at), QSize(charW, lineH));
}

int RichTextAccessible::offsetAtPoint(const QPoint &point) const
{
    return m_view->posAt(m_view->viewport()->mapFromGlobal(point));
}

void RichTextAccessible::scrollToSubstring(int start, int)
{
    m_view->model().setSelStart(start);
    m_view->showCaret();
}

// A row as the view shows it is a line; everything else as Qt finds it.
QString RichTextAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType type, int *start, int *end) const
{
    if (type != QAccessible::LineBoundary)
        return QAccessibleTextInterface::textAtOffset(offset, type, start, end);
    const RowLayout::Row &row = m_view->m_layout.row(m_view->m_layout.rowOf(offset));
    *start = row.start;
    *end = row.start + row.length;
    return text(*start, *end);
}

// Runs of one colour.
QString RichTextAccessible::attributes(int offset, int *start, int *end) const
{
    const RichTextModel &m = m_view->model();
    if (offset < 0 || offset >= m.length()) {
        *start = *end = offset;
        return {};
    }
    const quint32 colour = m.colorAt(offset);
    *start = offset;
    while (*start > 0 && m.colorAt(*start - 1) == colour)
        --*start;
    *end = offset + 1;
    while (*end < m.length() && m.colorAt(*end) == colour)
        ++*end;
    return colourAttributes(m_view->backColor(), colour);
}
