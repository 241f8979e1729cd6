#include "terminal/views/HistoryView.h"

#include "platform/Fonts.h"
#include "terminal/History.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
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

// The history as screen readers see it: a read-only text named "Verlauf", its lines
// each ended by a line feed, with the caret, the selection and the colours.
class HistoryAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit HistoryAccessible(HistoryView *view)
        : QAccessibleWidget(view, QAccessible::EditableText, QStringLiteral("Verlauf")), m_view(view) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface *>(this)
                                                  : QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Value ? text(0, characterCount()) : QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = s.multiLine = s.selectableText = true;
        return s;
    }

    void selection(int, int *start, int *end) const override
    {
        const auto [from, to] = m_view->selection();
        *start = int(m_view->offsetOf(from));
        *end = int(m_view->offsetOf(to));
    }
    int selectionCount() const override
    {
        const auto [from, to] = m_view->selection();
        return from == to ? 0 : 1;
    }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override
    {
        m_view->m_anchor = m_view->m_selEnd = m_view->m_caret;
        m_view->m_frames.request();
    }
    void setSelection(int, int start, int end) override
    {
        m_view->m_anchor = m_view->placeOf(start);
        m_view->m_selEnd = m_view->placeOf(end);
        m_view->m_frames.request();
    }
    int cursorPosition() const override { return int(m_view->offsetOf(m_view->m_caret)); }
    void setCursorPosition(int position) override
    {
        m_view->m_caret = m_view->placeOf(position);
        m_view->m_frames.request();
    }
    QString text(int start, int end) const override
    {
        return m_view->textBetween(m_view->placeOf(start), m_view->placeOf(end));
    }
    // The lines with a line feed between each two.
    int characterCount() const override { return int(std::max<qint64>(0, m_view->m_history.characterCount() - 1)); }
    QRect characterRect(int offset) const override
    {
        const HistoryView::Place p = m_view->placeOf(offset);
        const QPoint at(int(p.column - m_view->m_left) * m_view->m_painter.charWidth(),
                        int(p.line - m_view->m_top) * m_view->m_painter.lineHeight());
        return QRect(m_view->viewport()->mapToGlobal(at),
                     QSize(m_view->m_painter.charWidth(), m_view->m_painter.lineHeight()));
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        return int(m_view->offsetOf(m_view->placeAt(m_view->viewport()->mapFromGlobal(point))));
    }
    void scrollToSubstring(int start, int) override { m_view->scrollToLine(m_view->placeOf(start).line); }

    // A line of the history is a line here too; everything else as Qt finds it.
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int *start, int *end) const override
    {
        if (type != QAccessible::LineBoundary)
            return QAccessibleTextInterface::textAtOffset(offset, type, start, end);
        const qint64 line = m_view->m_history.lineAt(offset);
        *start = int(m_view->m_history.offsetOf(line));
        *end = int(m_view->m_history.offsetOf(line + 1)) - 1;
        return m_view->m_history.text(line);
    }
    // Runs of one colour, as Qt's own text widgets report them.
    QString attributes(int offset, int *start, int *end) const override
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
        const auto rgb = [](quint32 bgr) {
            return QStringLiteral("rgb(%1,%2,%3)").arg(bgr & 0xFF).arg(bgr >> 8 & 0xFF).arg(bgr >> 16 & 0xFF);
        };
        return QStringLiteral("background-color:%1;color:%2;").arg(rgb(m_view->m_back), rgb(colour));
    }

private:
    HistoryView *m_view;
};

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
    static const bool accessible = [] {
        QAccessible::installFactory([](const QString &, QObject *object) -> QAccessibleInterface * {
            auto *view = qobject_cast<HistoryView *>(object);
            return view ? new HistoryAccessible(view) : nullptr;
        });
        return true;
    }();
    Q_UNUSED(accessible);
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
    return std::max(1, viewport()->height() / m_painter.lineHeight());
}

int HistoryView::columns() const
{
    return std::max(1, viewport()->width() / m_painter.charWidth());
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
    const int row = point.y() < 0 ? -1 : point.y() / m_painter.lineHeight();
    const int column = std::max(0, (point.x() + m_painter.charWidth() / 2) / m_painter.charWidth());
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
    const QString text = selectedText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

void HistoryView::copyAll()
{
    QGuiApplication::clipboard()->setText(allText());
}

void HistoryView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    QAction *copySelection = menu.addAction(QStringLiteral("Kopieren"), this, &HistoryView::copy);
    copySelection->setObjectName(QStringLiteral("mnuCopy"));
    copySelection->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    copySelection->setEnabled(!selectedText().isEmpty());
    menu.addAction(QStringLiteral("Alles kopieren"), this, &HistoryView::copyAll)->setObjectName(QStringLiteral("mnuCopyAll"));
    if (!actions().isEmpty()) {
        menu.addSeparator();
        menu.addActions(actions());
    }
    menu.exec(event->globalPos());
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
    std::vector<RowImage> rows = visibleRows(&longest);
    m_vbar.set(int(lastTop() - first), int(m_top - first), fullRows(), barNow);
    m_hbar.set(std::max(0, std::max(longest, m_left + columns()) - columns()), m_left, columns(), barNow);

    // Following, the rows move up as a whole: what is on screen moves with a blit,
    // and only what differs from it is drawn.
    const int lineH = m_painter.lineHeight();
    const qint64 shift = !rows.empty() && !m_shown.empty() && rows.size() == m_shown.size() && m_shown[0].line >= 0
                             ? rows[0].line - m_shown[0].line
                             : 0;
    if (shift != 0 && std::abs(shift) < qint64(rows.size()) && isVisible()) {
        viewport()->scroll(0, int(-shift * lineH));
        std::vector<RowImage> moved(rows.size());
        for (qint64 i = 0; i < qint64(rows.size()); ++i)
            if (i + shift >= 0 && i + shift < qint64(m_shown.size()))
                moved[size_t(i)] = std::move(m_shown[size_t(i + shift)]);
        m_shown = std::move(moved);
    }
    QRegion dirty;
    const int w = viewport()->width();
    for (size_t i = 0; i < rows.size(); ++i)
        if (i >= m_shown.size() || !(rows[i] == m_shown[i]))
            dirty += QRect(0, int(i) * lineH, w, lineH);
    m_shown = std::move(rows);

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

std::vector<HistoryView::RowImage> HistoryView::visibleRows(int *longest) const
{
    // The partly visible row at the bottom is drawn too.
    const int count = (viewport()->height() + m_painter.lineHeight() - 1) / m_painter.lineHeight();
    const int cols = columns() + 1;
    const auto [selFrom, selTo] = selection();
    const int length = m_search ? m_search->length() : 0;
    std::vector<RowImage> images(size_t(std::max(0, count)));
    for (int i = 0; i < count; ++i) {
        const qint64 line = m_top + i;
        if (line >= m_history.end())
            break;
        RowImage &img = images[size_t(i)];
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
                    img.matches.append(column - m_left);
            if (m_current && m_current->line == line)
                img.current = m_current->column - m_left;
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
    const QRect area = event->rect();
    p.fillRect(area, QColor(Colors::toArgb(m_back)));
    const int charW = m_painter.charWidth(), lineH = m_painter.lineHeight();
    const int length = m_search ? m_search->length() : 0;
    const int firstRow = std::max(0, area.top() / lineH);
    const int lastRow = std::min(int(m_shown.size()) - 1, area.bottom() / lineH);
    for (int i = firstRow; i <= lastRow; ++i) {
        const RowImage &img = m_shown[size_t(i)];
        const int y = i * lineH;
        for (int column : img.matches)
            p.fillRect(column * charW, y, length * charW, lineH, QColor(Colors::toArgb(MatchBack)));
        if (img.current != -1)
            p.fillRect(img.current * charW, y, length * charW, lineH, QColor(Colors::toArgb(CurrentBack)));
        if (img.selTo > img.selFrom)
            p.fillRect(img.selFrom * charW, y, (img.selTo - img.selFrom) * charW, lineH,
                       palette().color(QPalette::Highlight));
        m_painter.drawRow(p, 0, y, img.chars, img.colours.data(), m_back);
        if (img.caret >= 0)
            p.fillRect(std::min(img.caret * charW, viewport()->width() - 2), y, 2, lineH, Qt::black);
    }
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
        m_painter.setFont(font());
        m_shown.clear();
        refresh();
        viewport()->update();
    }
}

void HistoryView::keyPressEvent(QKeyEvent *event)
{
    const auto mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    if ((event->key() == Qt::Key_C && (mods == Qt::ControlModifier || mods == (Qt::ControlModifier | Qt::ShiftModifier)))
        || (event->key() == Qt::Key_Insert && mods == Qt::ControlModifier)) {
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
    QClipboard *clipboard = QGuiApplication::clipboard();
    const QString text = selectedText();
    if (m_dragging && !text.isEmpty() && clipboard->supportsSelection())
        clipboard->setText(text, QClipboard::Selection);
    m_dragging = false;
    event->accept();
}
