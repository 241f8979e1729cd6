#include "terminal/views/RichTextView.h"

#include "platform/Fonts.h"
#include "terminal/KeySender.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>

#include <algorithm>

RichTextView::RichTextView(QWidget *parent)
    : QAbstractScrollArea(parent),
      m_layout(m_model,
               [this] {
                   return QSize(viewport()->width() / m_rows.charWidth(), viewport()->height() / m_rows.lineHeight());
               }),
      m_copy(this, [this] { return m_selection.chosen(); }, [this] { return m_selection.allText(); })
{
    setFont(Fonts::fixedsys());

    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setCursor(Qt::IBeamCursor);
    // Every pixel is painted by paintEvent; Qt need not clear it first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);

    connect(&m_frames, &FrameClock::due, this, &RichTextView::frame);
    connect(&m_model, &RichTextModel::changed, this, &RichTextView::contentChanged);
    connect(&m_model, &RichTextModel::selectionChanged, this, &RichTextView::caretMoved);
    connect(&m_model, &RichTextModel::kept, this, &RichTextView::textKept);
}

void RichTextView::setBackColor(quint32 bgr)
{
    m_back = bgr & 0xFFFFFFu;
    viewport()->update();
}

// ------------------------------------------------------------------ copying

void RichTextView::placeSelection(int from, int to)
{
    if (m_selection.place(from, to))
        m_frames.request();
}

void RichTextView::setSelected(int from, int to)
{
    if (m_selection.choose(from, to))
        m_frames.request();
    // While it has a selection the view stays where the user made it.
    place(m_selection.to() > m_selection.from() ? RowLayout::Place::Stay : RowLayout::Place::StayIfScrolledUp);
}

void RichTextView::copy()
{
    m_copy.copy();
}

void RichTextView::copyAll()
{
    m_copy.copyAll();
}

void RichTextView::contextMenuEvent(QContextMenuEvent *event)
{
    m_copy.showMenu(event);
}

// Only [from, from + count) of the text is left.
void RichTextView::textKept(int from, int count)
{
    m_news.kept(from, count);
    m_selection.kept(from, count);
    m_layout.kept(from, count);
}

// ------------------------------------------------------------------- placing

void RichTextView::scrollTo(int top)
{
    m_layout.scrollTo(top);
    viewport()->update(refresh());
}

void RichTextView::place(RowLayout::Place how)
{
    viewport()->update(refresh());   // a follow still due comes first: the view stands where the user saw it
    if (m_layout.place(how))
        m_frames.request();
}

// The view shows the caret where the keys put it, and stays there unless that is
// the end.
void RichTextView::showCaret()
{
    m_layout.showCaret();
    place(RowLayout::Place::StayIfScrolledUp);
}

int RichTextView::posAt(QPoint point) const
{
    return m_layout.posAt(point.y() / m_rows.lineHeight(),
                          std::max(0, (point.x() + m_rows.charWidth() / 2) / m_rows.charWidth()));
}

// ----------------------------------------------------------------- painting

void RichTextView::contentChanged()
{
    if (m_selection.clamp())
        m_frames.request();
    m_layout.changed();
    m_frames.request();
}

void RichTextView::caretMoved()
{
    m_layout.caretMoved();
    m_frames.request();
}

void RichTextView::frame()
{
    emit frameDue();
    const QRegion dirty = refresh(false);
    if (!dirty.isEmpty())
        viewport()->update(dirty);
    m_news.tell(this, m_model);
}

// Brings the layout, the scroll position and the rows shown up to date and
// returns the part of the viewport that now differs from what it shows.
QRegion RichTextView::refresh(bool barNow)
{
    m_layout.settle();
    m_bar.set(m_layout.lastTop(), m_layout.top(), m_layout.visibleRows(), barNow);
    return m_rows.show(visibleRows(), viewport()->width());
}

std::vector<RowPainter::Row> RichTextView::visibleRows() const
{
    const int count = m_rows.rowsIn(viewport()->height());
    const int first = m_layout.top();
    const int selFrom = m_selection.from();
    const int selTo = m_selection.to();
    const int caret = m_focused ? m_model.selStart() : -1;
    const int caretRow = caret >= 0 ? m_layout.rowOf(caret) : -1;
    const QString &t = m_model.text();

    const int rows = m_layout.rowCount();
    std::vector<RowPainter::Row> images(size_t(std::max(0, count)));
    for (int i = 0; i < count; ++i) {
        const int r = first + i;
        if (r >= rows)
            break;
        const RowLayout::Row &row = m_layout.row(r);
        RowPainter::Row &img = images[size_t(i)];
        img.chars.resize(row.length);
        img.colours.resize(size_t(row.length));
        for (int k = 0; k < row.length; ++k) {
            img.chars[k] = GlyphPainter::placeholderFor(t[row.start + k]);
            img.colours[size_t(k)] = m_model.colorAt(row.start + k);
        }
        img.selFrom = std::clamp(selFrom - row.start, 0, row.length);
        img.selTo = std::clamp(selTo - row.start, 0, row.length);
        if (img.selFrom >= img.selTo)
            img.selFrom = img.selTo = 0;
        if (r == caretRow)
            img.caret = std::clamp(caret - row.start, 0, row.length);
    }
    return images;
}

void RichTextView::paintEvent(QPaintEvent *event)
{
    QPainter p(viewport());
    m_rows.paint(p, event->rect(), m_back, palette().color(QPalette::Highlight), viewport()->width());
}

void RichTextView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    m_layout.changed();
    refresh();
    viewport()->update();
}

void RichTextView::scrollContentsBy(int, int dy)
{
    // Moved by the user (dragged, wheel, clicked); the view's own moves set the bar.
    // The bar may be a moment behind the text: the view moves as far as the bar
    // did from the row it shows, and the bar's end is the bottom.
    if (m_bar.setting())
        return;
    const QScrollBar *bar = verticalScrollBar();
    const bool end = bar->value() >= bar->maximum();
    m_layout.scrollBy(-dy);
    viewport()->update(refresh());
    place(end ? RowLayout::Place::Follow : RowLayout::Place::Stay);
}

void RichTextView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    m_focused = true;
    viewport()->update(refresh());
}

void RichTextView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    m_focused = false;
    viewport()->update(refresh());
}

void RichTextView::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_rows.setFont(font());
        m_layout.relayout();
        refresh();
        viewport()->update();
    }
}

// ------------------------------------------------------------ keys and mouse

bool RichTextView::event(QEvent *event)
{
    // Tab is a typed character here, not a move to the next control.
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(key);
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void RichTextView::keyPressEvent(QKeyEvent *event)
{
    // Copying is no typing: Ctrl+C still sends its control code to the controller.
    if (CopyCommands::isCopyKey(event, false)) {
        copy();
        event->accept();
        return;
    }
    if (navigate(event)) {
        showCaret();
        event->accept();
        return;
    }
    const QList<int> codes = KeySender::codesOf(event->key(), event->modifiers(), event->text());
    if (codes.empty()) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    // Typing goes back to the end, where the answer will show.
    place(RowLayout::Place::Follow);
    for (int code : codes) {
        int keyAscii = code;
        emit KeyPress(keyAscii);
        if (keyAscii > 0 && keyAscii <= 255)
            type(keyAscii);
    }
    event->accept();
}

// Typing into the text, or erasing from it, ends the highlight: its places would
// move.
void RichTextView::type(int keyAscii)
{
    if (m_model.type(keyAscii))
        placeSelection(0, 0);
}

void RichTextView::eraseAt(int pos)
{
    placeSelection(0, 0);
    m_model.erase(pos, false);
}

bool RichTextView::navigate(QKeyEvent *event)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const int pos = m_model.selStart();
    const auto toRow = [&](int row) {
        const QPoint cell = m_layout.cellOf(pos);
        const RowLayout::Row &r = m_layout.row(row);
        m_model.setSelStart(r.start + std::min(cell.x(), r.length));
    };
    switch (event->key()) {
    case Qt::Key_Left:
        m_model.setSelStart(m_model.selLength() > 0 ? pos : m_model.stepBack(pos));
        return true;
    case Qt::Key_Right:
        m_model.setSelStart(m_model.selLength() > 0 ? pos + m_model.selLength() : m_model.stepOn(pos));
        return true;
    case Qt::Key_Up:
        toRow(m_layout.cellOf(pos).y() - 1);
        return true;
    case Qt::Key_Down:
        toRow(m_layout.cellOf(pos).y() + 1);
        return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int rows = m_layout.visibleRows();
        const int step = event->key() == Qt::Key_PageUp ? -rows : rows;
        scrollTo(m_layout.top() + step);
        toRow(m_layout.cellOf(pos).y() + step);
        return true;
    }
    case Qt::Key_Home:
        m_model.setSelStart(ctrl ? 0 : m_layout.row(m_layout.cellOf(pos).y()).start);
        return true;
    case Qt::Key_End: {
        if (ctrl) {
            m_model.setSelStart(m_model.length());
        } else {
            const RowLayout::Row &r = m_layout.row(m_layout.cellOf(pos).y());
            m_model.setSelStart(r.start + r.length);
        }
        return true;
    }
    case Qt::Key_Delete:
        // No character code: Delete edits but is not typed.
        eraseAt(pos);
        return true;
    default:
        return false;
    }
}

void RichTextView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const int pos = posAt(event->position().toPoint());
    m_selection.press(pos);
    m_model.setSelStart(pos);
    setSelected(0, 0);
    event->accept();
}

void RichTextView::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_selection.anchor() >= 0)
        m_copy.offerPrimary();
    m_selection.release();
    event->accept();
}

void RichTextView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || m_selection.anchor() < 0) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    setSelected(m_selection.anchor(), posAt(event->position().toPoint()));
    event->accept();
}
