#include "terminal/views/HistoryView.h"

#include "platform/Fonts.h"
#include "terminal/History.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>

#include <algorithm>

namespace {
// Behind the matches of a search, and behind the current one.
constexpr quint32 MatchBack = Colors::Yellow;
constexpr quint32 CurrentBack = Colors::Orange;

bool before(HistoryView::Place a, HistoryView::Place b)
{
    return a.line < b.line || (a.line == b.line && a.column < b.column);
}
} // namespace

HistoryView::HistoryView(History &history, QWidget *parent) : QAbstractScrollArea(parent), m_history(history)
{
    setFont(Fonts::fixedsys());
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    m_top = m_stoppedAt = history.end();
    connect(&m_frames, &FrameClock::due, this, &HistoryView::frame);
    connect(&history, &History::added, &m_frames, &FrameClock::request);
}

void HistoryView::setBackColor(quint32 bgr)
{
    m_back = bgr & 0xFFFFFFu;
    viewport()->update();
}

void HistoryView::setSearch(HistorySearch *search)
{
    m_search = search;
    searchChanged();
}

void HistoryView::searchChanged()
{
    m_current.reset();
    m_frames.request();
}

// ------------------------------------------------------------------ places

int HistoryView::fullRows() const
{
    return std::max(1, viewport()->height() / m_rows.lineHeight());
}

int HistoryView::columns() const
{
    return std::max(1, viewport()->width() / m_rows.charWidth());
}

qint64 HistoryView::lastTop() const
{
    return std::max(m_history.first(), m_history.end() - fullRows());
}

HistoryView::Place HistoryView::clamped(Place p) const
{
    if (m_history.first() == m_history.end())
        return {m_history.end(), 0};
    if (p.line < m_history.first())
        return {m_history.first(), 0};
    if (p.line >= m_history.end())
        return {m_history.end() - 1, int(m_history.text(m_history.end() - 1).size())};
    return {p.line, std::clamp(p.column, 0, int(m_history.text(p.line).size()))};
}

HistoryView::Place HistoryView::placeAt(QPoint point) const
{
    const int row = point.y() < 0 ? -1 : point.y() / m_rows.lineHeight();
    const int column = std::max(0, (point.x() + m_rows.charWidth() / 2) / m_rows.charWidth());
    return clamped({m_top + row, m_left + column});
}

qint64 HistoryView::offsetOf(Place p) const
{
    p = clamped(p);
    return m_history.offsetOf(p.line) + p.column;
}

HistoryView::Place HistoryView::placeOf(qint64 offset) const
{
    const qint64 line = m_history.lineAt(offset);
    return clamped({line, int(offset - m_history.offsetOf(line))});
}

HistoryView::Place HistoryView::searchFrom() const
{
    return m_current ? *m_current : Place{m_caret.line, m_caret.column - 1};
}

qint64 HistoryView::newLines() const
{
    return m_follow ? 0 : m_history.end() - m_stoppedAt;
}

void HistoryView::setFollow(bool follow)
{
    if (follow == m_follow)
        return;
    m_follow = follow;
    m_stoppedAt = m_history.end();
}

void HistoryView::scrollToLine(qint64 top)
{
    m_top = std::clamp(top, m_history.first(), lastTop());
    setFollow(m_top >= lastTop());
    viewport()->update(refresh());
}

void HistoryView::scrollToEnd()
{
    setFollow(true);
    viewport()->update(refresh());
}

void HistoryView::showMatch(Place match)
{
    m_current = m_caret = match;
    const int rows = fullRows();
    if (match.line < m_top || match.line >= m_top + rows)
        m_top = match.line - rows / 2;
    const int length = m_search ? m_search->length() : 0;
    if (match.column < m_left || match.column + length > m_left + columns())
        m_left = std::max(0, match.column - columns() / 4);
    scrollToLine(m_top);
}

// ---------------------------------------------------------------- selection

std::pair<HistoryView::Place, HistoryView::Place> HistoryView::selection() const
{
    const Place a = clamped(m_anchor), b = clamped(m_selEnd);
    return before(b, a) ? std::pair{b, a} : std::pair{a, b};
}

QString HistoryView::textBetween(Place from, Place to) const
{
    from = clamped(from);
    to = clamped(to);
    QString out;
    for (qint64 line = from.line; line <= to.line && line < m_history.end(); ++line) {
        const QString text = m_history.text(line);
        const int a = line == from.line ? from.column : 0;
        const int b = line == to.line ? to.column : int(text.size());
        out += QStringView(text).mid(a, b - a);
        if (line != to.line)
            out += u'\n';
    }
    return out;
}

QString HistoryView::selectedText() const
{
    const auto [from, to] = selection();
    return from == to ? QString() : textBetween(from, to);
}

QString HistoryView::allText() const
{
    return textBetween({m_history.first(), 0}, {m_history.end(), 0});
}

void HistoryView::copy()
{
    m_copy.copy();
}

void HistoryView::copyAll()
{
    m_copy.copyAll();
}

void HistoryView::contextMenuEvent(QContextMenuEvent *event)
{
    m_copy.showMenu(event);
}

// ----------------------------------------------------------------- painting

void HistoryView::frame()
{
    const QRegion dirty = refresh(false);
    if (!dirty.isEmpty())
        viewport()->update(dirty);
    notifyAccessibility();
}

// Brings the place, the scroll bars and the row images up to date and returns
// the part of the viewport that now differs from what it shows.
QRegion HistoryView::refresh(bool barNow)
{
    const qint64 first = m_history.first(), end = m_history.end();
    m_top = m_follow ? lastTop() : std::clamp(m_top, first, lastTop());
    if (m_current && m_current->line < first)
        m_current.reset();

    int longest = 0;
    std::vector<RowPainter::Row> rows = visibleRows(&longest);
    m_vbar.set(int(lastTop() - first), int(m_top - first), fullRows(), barNow);
    m_hbar.set(std::max(0, std::max(longest, m_left + columns()) - columns()), m_left, columns(), barNow);

    // Following, the rows move up as a whole: what is on screen moves with a blit,
    // and only what differs from it is drawn.
    const qint64 shift = m_rows.movedBy(rows);
    if (shift != 0 && std::abs(shift) < qint64(rows.size()) && isVisible()) {
        viewport()->scroll(0, int(-shift * m_rows.lineHeight()));
        m_rows.moved(shift);
    }
    const QRegion dirty = m_rows.show(std::move(rows), viewport()->width());

    if (const qint64 waiting = newLines(); waiting != m_toldNew) {
        m_toldNew = waiting;
        emit newLinesChanged(waiting);
    }
    if (first != m_shownFirst || end != m_shownEnd) {
        m_shownFirst = first;
        m_shownEnd = end;
        emit linesChanged();
    }
    return dirty;
}

std::vector<RowPainter::Row> HistoryView::visibleRows(int *longest) const
{
    const int count = m_rows.rowsIn(viewport()->height());
    const int cols = columns() + 1;
    const auto [selFrom, selTo] = selection();
    const int length = m_search ? m_search->length() : 0;
    std::vector<RowPainter::Row> images(size_t(std::max(0, count)));
    for (int i = 0; i < count; ++i) {
        const qint64 line = m_top + i;
        if (line >= m_history.end())
            break;
        RowPainter::Row &img = images[size_t(i)];
        img.line = line;
        const QString text = m_history.text(line);
        *longest = std::max(*longest, int(text.size()));
        const int shown = std::clamp(int(text.size()) - m_left, 0, cols);
        img.chars.resize(shown);
        img.colours.assign(size_t(shown), 0);
        const QList<History::Run> runs = m_history.runs(line);
        for (qsizetype r = 0; r < runs.size(); ++r) {
            const int to = r + 1 < runs.size() ? runs[r + 1].from : int(text.size());
            for (int k = std::max(runs[r].from, m_left); k < std::min(to, m_left + shown); ++k)
                img.colours[size_t(k - m_left)] = runs[r].colour;
        }
        for (int k = 0; k < shown; ++k)
            img.chars[k] = GlyphPainter::placeholderFor(text[m_left + k]);
        if (m_search && length > 0) {
            for (int column : m_search->columnsIn(line))
                if (column + length > m_left && column < m_left + cols)
                    img.marks.append({column - m_left, length, MatchBack});
            if (m_current && m_current->line == line)
                img.marks.append({m_current->column - m_left, length, CurrentBack});
        }
        if (selFrom != selTo && line >= selFrom.line && line <= selTo.line) {
            img.selFrom = std::clamp((line == selFrom.line ? selFrom.column : 0) - m_left, 0, cols);
            img.selTo = std::clamp((line == selTo.line ? selTo.column : int(text.size()) + 1) - m_left, 0, cols);
        }
        if (m_focused && m_caret.line == line)
            img.caret = m_caret.column - m_left;
    }
    return images;
}

void HistoryView::paintEvent(QPaintEvent *event)
{
    QPainter p(viewport());
    m_rows.paint(p, event->rect(), m_back, palette().color(QPalette::Highlight), viewport()->width());
}

// Screen readers hear of new lines and a moved caret once a frame, like the screen.
void HistoryView::notifyAccessibility()
{
    if (!QAccessible::isActive())
        return;
    const qint64 end = m_history.end();
    const qint64 from = std::max(m_toldEnd, m_history.first());
    if (m_toldEnd >= 0 && end > from) {
        const bool after = from > m_history.first();   // a line feed goes before them
        const QString added = (after ? QStringLiteral("\n") : QString()) + textBetween({from, 0}, {end, 0});
        QAccessibleTextInsertEvent inserted(this, int(m_history.offsetOf(from)) - after, added);
        QAccessible::updateAccessibility(&inserted);
    }
    m_toldEnd = end;
}

// ---------------------------------------------------------- keys and mouse

void HistoryView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    refresh();
    viewport()->update();
}

void HistoryView::scrollContentsBy(int dx, int dy)
{
    // Moved by the user. While lines fall out the bar may be a moment behind what
    // it shows, so the view moves as far as the bar did, and the bar's end is the end.
    if (m_vbar.setting() || m_hbar.setting())
        return;
    const QScrollBar *bar = verticalScrollBar();
    m_top -= dy;
    m_left = std::max(0, m_left - dx);
    setFollow(bar->value() >= bar->maximum());
    viewport()->update(refresh());
}

void HistoryView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    m_focused = true;
    viewport()->update(refresh());
}

void HistoryView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    m_focused = false;
    viewport()->update(refresh());
}

void HistoryView::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_rows.setFont(font());
        refresh();
        viewport()->update();
    }
}

void HistoryView::keyPressEvent(QKeyEvent *event)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    // Nothing is sent from here: Ctrl+C copies too.
    if (CopyCommands::isCopyKey(event, true)) {
        copy();
        event->accept();
        return;
    }
    const int rows = fullRows();
    switch (event->key()) {
    case Qt::Key_Up: scrollToLine(m_top - 1); break;
    case Qt::Key_Down: scrollToLine(m_top + 1); break;
    case Qt::Key_PageUp: scrollToLine(m_top - rows); break;
    case Qt::Key_PageDown: scrollToLine(m_top + rows); break;
    case Qt::Key_Home: ctrl ? scrollToLine(m_history.first()) : horizontalScrollBar()->setValue(0); break;
    case Qt::Key_End: ctrl ? scrollToEnd() : horizontalScrollBar()->setValue(horizontalScrollBar()->maximum()); break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void HistoryView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    m_caret = m_anchor = m_selEnd = placeAt(event->position().toPoint());
    m_current.reset();
    m_dragging = true;
    viewport()->update(refresh());
    event->accept();
}

void HistoryView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || !m_dragging) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    m_selEnd = placeAt(event->position().toPoint());
    // A selection holds the view where it was made.
    if (!(m_selEnd == m_anchor))
        setFollow(false);
    viewport()->update(refresh());
    event->accept();
}

void HistoryView::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dragging)
        m_copy.offerPrimary();
    m_dragging = false;
    event->accept();
}
