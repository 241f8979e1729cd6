#include "terminal/views/RichTextAccessible.h"

#include "terminal/RichTextModel.h"
#include "terminal/views/RichTextView.h"

#include <limits>

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

std::optional<RichTextNews::Change> RichTextNews::change(const QString &before, const QString &now, qsizetype cut)
{
    cut = std::min(cut, before.size());
    const QStringView kept = QStringView(before).mid(cut);
    if (!now.startsWith(kept))
        return std::nullopt;
    return Change{cut, now.mid(kept.size())};
}

void RichTextNews::kept(int from, int count)
{
    m_cutSinceTold = count == 0 ? std::numeric_limits<qsizetype>::max() / 2 : m_cutSinceTold + from;
}

void RichTextNews::tell(QObject *view, const RichTextModel &model)
{
    if (!QAccessible::isActive())
        return;
    const QString &text = model.text();
    if (m_toldText != text) {
        // Usually the text lost some characters at the top and gained some at the
        // end: told as such, a screen reader can read out just what is new.
        if (const auto told = change(m_toldText, text, m_cutSinceTold)) {
            if (told->removed > 0) {
                QAccessibleTextRemoveEvent removed(view, 0, m_toldText.left(told->removed));
                QAccessible::updateAccessibility(&removed);
            }
            if (!told->added.isEmpty()) {
                QAccessibleTextInsertEvent inserted(view, int(text.size() - told->added.size()), told->added);
                QAccessible::updateAccessibility(&inserted);
            }
        } else {
            QAccessibleTextUpdateEvent update(view, 0, m_toldText, text);
            QAccessible::updateAccessibility(&update);
        }
        m_toldText = text;
    }
    m_cutSinceTold = 0;
    if (m_toldCaret != model.selStart()) {
        m_toldCaret = model.selStart();
        QAccessibleTextCursorEvent caret(view, m_toldCaret);
        QAccessible::updateAccessibility(&caret);
    }
}
