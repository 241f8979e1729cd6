#include "terminal/views/RichTextView.h"

#include "platform/Fonts.h"
#include "platform/Colors.h"
#include "platform/Windows1252.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>

#include <algorithm>
#include <limits>

namespace {
bool isBreakStart(const QString &t, int i)
{
    return t[i] == u'\n' || (t[i] == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n');
}
} // namespace

// The view as screen readers see it: an editable text named "Terminal" with its
// caret, its selection for copying, and the colour of every character.
class RichTextAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit RichTextAccessible(RichTextView *view)
        : QAccessibleWidget(view, QAccessible::EditableText, QStringLiteral("Terminal")), m_view(view) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface *>(this)
                                                  : QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Value ? m_view->m_model.text() : QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = s.multiLine = s.selectableText = true;
        return s;
    }

    void selection(int, int *start, int *end) const override
    {
        *start = m_view->m_copyFrom;
        *end = m_view->m_copyTo;
    }
    int selectionCount() const override { return m_view->m_copyTo > m_view->m_copyFrom ? 1 : 0; }
    void addSelection(int start, int end) override { m_view->setSelected(start, end); }
    void removeSelection(int) override { m_view->setSelected(0, 0); }
    void setSelection(int, int start, int end) override { m_view->setSelected(start, end); }
    int cursorPosition() const override { return m_view->m_model.selStart(); }
    void setCursorPosition(int position) override { m_view->m_model.setSelStart(position); }
    QString text(int start, int end) const override { return m_view->m_model.text().mid(start, end - start); }
    int characterCount() const override { return m_view->m_model.length(); }
    QRect characterRect(int offset) const override
    {
        m_view->ensureLayout();
        const QPoint cell = m_view->cellOf(offset);
        const QPoint at((cell.x()) * m_view->m_charW,
                        (cell.y() - m_view->m_top) * m_view->m_lineH);
        return QRect(m_view->viewport()->mapToGlobal(at), QSize(m_view->m_charW, m_view->m_lineH));
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        return m_view->posAt(m_view->viewport()->mapFromGlobal(point));
    }
    void scrollToSubstring(int start, int) override
    {
        m_view->m_model.setSelStart(start);
        m_view->m_followCaret = true;
        m_view->place(RichTextView::Place::StayIfScrolledUp);
    }

    // A row as the view shows it is a line; everything else as Qt finds it.
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int *start, int *end) const override
    {
        if (type != QAccessible::LineBoundary)
            return QAccessibleTextInterface::textAtOffset(offset, type, start, end);
        m_view->ensureLayout();
        const RichTextView::Row &row = m_view->m_rows[size_t(m_view->rowOfPos(offset))];
        *start = row.start;
        *end = row.start + row.length;
        return text(*start, *end);
    }
    // Runs of one colour, as Qt's own text widgets report them.
    QString attributes(int offset, int *start, int *end) const override
    {
        const RichTextModel &m = m_view->m_model;
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
        const auto rgb = [](quint32 bgr) {
            return QStringLiteral("rgb(%1,%2,%3)").arg(bgr & 0xFF).arg(bgr >> 8 & 0xFF).arg(bgr >> 16 & 0xFF);
        };
        return QStringLiteral("background-color:%1;color:%2;").arg(rgb(m_view->m_back), rgb(colour));
    }

private:
    RichTextView *m_view;
};

RichTextView::RichTextView(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFont(Fonts::fixedsys());
    takeFontMetrics();

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
    static const bool accessible = [] {
        QAccessible::installFactory([](const QString &, QObject *object) -> QAccessibleInterface * {
            auto *view = qobject_cast<RichTextView *>(object);
            return view ? new RichTextAccessible(view) : nullptr;
        });
        return true;
    }();
    Q_UNUSED(accessible);
}

// ------------------------------------------------------------------ copying

void RichTextView::placeSelection(int from, int to)
{
    from = std::clamp(from, 0, m_model.length());
    to = std::clamp(to, 0, m_model.length());
    if (from > to)
        std::swap(from, to);
    if (from == to)
        from = to = 0;
    if (from == m_copyFrom && to == m_copyTo)
        return;
    m_copyFrom = from;
    m_copyTo = to;
    m_frames.request();
}

namespace {
QString withLineBreaks(QStringView text)
{
    QString out = text.toString();
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return out;
}
} // namespace

// A selection the user makes (mouse, screen reader): what it holds then is what
// Kopieren copies, even after arriving text has cut it down or away, as the X
// primary selection keeps it too. At line rate a selection leaves the view within
// a second.
void RichTextView::setSelected(int from, int to)
{
    placeSelection(from, to);
    m_selectionMade = selectedText();
    // While it has a selection the view stays where the user made it.
    place(m_copyTo > m_copyFrom ? Place::Stay : Place::StayIfScrolledUp);
}

QString RichTextView::selectedText() const
{
    return withLineBreaks(QStringView(m_model.text()).mid(m_copyFrom, m_copyTo - m_copyFrom));
}

QString RichTextView::allText() const
{
    return withLineBreaks(m_model.text());
}

void RichTextView::copy()
{
    if (!m_selectionMade.isEmpty())
        QGuiApplication::clipboard()->setText(m_selectionMade);
}

void RichTextView::copyAll()
{
    QGuiApplication::clipboard()->setText(allText());
}

// Only [from, from + count) of the text is left: the selection stays on its text
// and ends where its text has gone.
void RichTextView::textKept(int from, int count)
{
    m_cutSinceTold = count == 0 ? std::numeric_limits<qsizetype>::max() / 2 : m_cutSinceTold + from;
    m_copyFrom = std::clamp(m_copyFrom - from, 0, count);
    m_copyTo = std::clamp(m_copyTo - from, 0, count);
    if (m_copyFrom >= m_copyTo)
        m_copyFrom = m_copyTo = 0;
    if (m_anchor >= 0)
        m_anchor = std::clamp(m_anchor - from, 0, count);
    m_topAt = std::clamp(m_topAt - from, 0, count);
}

void RichTextView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    QAction *copySelection = menu.addAction(QStringLiteral("Kopieren"), this, &RichTextView::copy);
    copySelection->setObjectName(QStringLiteral("mnuCopy"));
    copySelection->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    copySelection->setEnabled(!m_selectionMade.isEmpty());
    menu.addAction(QStringLiteral("Alles kopieren"), this, &RichTextView::copyAll)->setObjectName(QStringLiteral("mnuCopyAll"));
    if (!actions().isEmpty()) {
        menu.addSeparator();
        menu.addActions(actions());
    }
    menu.exec(event->globalPos());
}

void RichTextView::setBackColor(quint32 bgr)
{
    m_back = bgr & 0xFFFFFFu;
    viewport()->update();
}

void RichTextView::takeFontMetrics()
{
    m_painter.setFont(font());
    m_charW = m_painter.charWidth();
    m_lineH = m_painter.lineHeight();
    m_layoutStale = true;
}

// ------------------------------------------------------------------- layout

void RichTextView::ensureLayout() const
{
    const int cols = std::max(1, viewport()->width() / m_charW);
    if (!m_layoutStale && cols == m_cols)
        return;
    m_layoutStale = false;
    m_cols = cols;
    m_rows.clear();
    const QString &t = m_model.text();
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

int RichTextView::rowOfPos(int pos) const
{
    ensureLayout();
    const auto it = std::upper_bound(m_rows.begin(), m_rows.end(), pos,
                                     [](int p, const Row &r) { return p < r.start; });
    return std::max(0, int(it - m_rows.begin()) - 1);
}

QPoint RichTextView::cellOf(int pos) const
{
    const int row = rowOfPos(pos);
    const Row &r = m_rows[size_t(row)];
    // Positions inside a CR LF stand at the end of the row they close.
    return {std::clamp(pos - r.start, 0, r.length), row};
}

int RichTextView::visibleRowCount() const
{
    return std::max(1, viewport()->height() / m_lineH);
}

void RichTextView::scrollToCaret()
{
    const int row = rowOfPos(m_model.selStart());
    const int full = visibleRowCount();
    if (row < m_top)
        m_top = row;
    else if (row >= m_top + full)
        m_top = row - full + 1;
}

int RichTextView::lastTop() const
{
    return std::max(0, int(m_rows.size()) - visibleRowCount());
}

void RichTextView::scrollTo(int top)
{
    ensureLayout();
    m_top = std::clamp(top, 0, lastTop());
    m_topAt = m_rows[size_t(m_top)].start;
    m_followCaret = false;
    viewport()->update(refresh());
}

// The user has put the view somewhere. Pinned, it stays on the text it shows while
// more arrives and the top is cut away, until that text is gone; otherwise it
// follows the caret, which arriving text keeps at the end.
void RichTextView::place(Place how)
{
    viewport()->update(refresh());   // a follow still due comes first: the view stands where the user saw it
    m_pinned = how == Place::Stay || (how == Place::StayIfScrolledUp && m_top < lastTop());
    m_topAt = m_rows[size_t(m_top)].start;
    if (!m_pinned)
        caretMoved();
}

// ----------------------------------------------------------------- painting

void RichTextView::contentChanged()
{
    if (m_copyTo > m_model.length())
        placeSelection(m_copyFrom, m_copyTo);
    m_layoutStale = true;
    m_followCaret = !m_pinned;
    m_frames.request();
}

void RichTextView::caretMoved()
{
    m_followCaret = !m_pinned;
    m_frames.request();
}

void RichTextView::frame()
{
    emit frameDue();
    const QRegion dirty = refresh(false);
    if (!dirty.isEmpty())
        viewport()->update(dirty);
    notifyAccessibility();
}

std::optional<RichTextView::TextChange> RichTextView::textChange(const QString &before, const QString &now,
                                                                  qsizetype cut)
{
    cut = std::min(cut, before.size());
    const QStringView kept = QStringView(before).mid(cut);
    if (!now.startsWith(kept))
        return std::nullopt;
    return TextChange{cut, now.mid(kept.size())};
}

// Screen readers hear of new text and a moved caret once a frame, like the screen.
void RichTextView::notifyAccessibility()
{
    if (!QAccessible::isActive())
        return;
    const QString &text = m_model.text();
    if (m_toldText != text) {
        // Usually the text lost some characters at the top and gained some at the
        // end: told as such, a screen reader can read out just what is new.
        if (const auto change = textChange(m_toldText, text, m_cutSinceTold)) {
            if (change->removed > 0) {
                QAccessibleTextRemoveEvent removed(this, 0, m_toldText.left(change->removed));
                QAccessible::updateAccessibility(&removed);
            }
            if (!change->added.isEmpty()) {
                QAccessibleTextInsertEvent inserted(this, int(text.size() - change->added.size()), change->added);
                QAccessible::updateAccessibility(&inserted);
            }
        } else {
            QAccessibleTextUpdateEvent update(this, 0, m_toldText, text);
            QAccessible::updateAccessibility(&update);
        }
        m_toldText = text;
    }
    m_cutSinceTold = 0;
    if (m_toldCaret != m_model.selStart()) {
        m_toldCaret = m_model.selStart();
        QAccessibleTextCursorEvent caret(this, m_toldCaret);
        QAccessible::updateAccessibility(&caret);
    }
}

// Brings the layout, the scroll position and the row images up to date and
// returns the part of the viewport that now differs from what it shows.
QRegion RichTextView::refresh(bool barNow)
{
    ensureLayout();
    if (m_followCaret)
        scrollToCaret();
    else if (m_pinned)
        m_top = rowOfPos(m_topAt);
    m_followCaret = false;
    m_top = std::clamp(m_top, 0, lastTop());
    m_topAt = m_rows[size_t(m_top)].start;
    m_bar.set(lastTop(), m_top, visibleRowCount(), barNow);

    std::vector<RowImage> rows = visibleRows();
    QRegion dirty;
    const int w = viewport()->width();
    for (size_t i = 0; i < rows.size(); ++i)
        if (i >= m_shown.size() || !(rows[i] == m_shown[i]))
            dirty += QRect(0, int(i) * m_lineH, w, m_lineH);
    if (rows.size() < m_shown.size())
        dirty += QRect(0, int(rows.size()) * m_lineH, w, viewport()->height());
    m_shown = std::move(rows);
    return dirty;
}

std::vector<RichTextView::RowImage> RichTextView::visibleRows() const
{
    // The partly visible row at the bottom is drawn too.
    const int count = (viewport()->height() + m_lineH - 1) / m_lineH;
    const int first = m_top;
    const int selFrom = m_copyFrom;
    const int selTo = m_copyTo;
    const int caret = m_focused ? m_model.selStart() : -1;
    const int caretRow = caret >= 0 ? rowOfPos(caret) : -1;
    const QString &t = m_model.text();

    std::vector<RowImage> images(size_t(std::max(0, count)));
    for (int i = 0; i < count; ++i) {
        const int r = first + i;
        if (r >= int(m_rows.size()))
            break;
        const Row &row = m_rows[size_t(r)];
        RowImage &img = images[size_t(i)];
        img.chars.resize(row.length);
        img.colors.resize(size_t(row.length));
        for (int k = 0; k < row.length; ++k) {
            img.chars[k] = GlyphPainter::placeholderFor(t[row.start + k]);
            img.colors[size_t(k)] = m_model.colorAt(row.start + k);
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
    const QRect area = event->rect();
    p.fillRect(area, QColor(Colors::toArgb(m_back)));
    const int w = viewport()->width();
    const int firstRow = std::max(0, area.top() / m_lineH);
    const int lastRow = std::min(int(m_shown.size()) - 1, area.bottom() / m_lineH);
    for (int i = firstRow; i <= lastRow; ++i) {
        const RowImage &img = m_shown[size_t(i)];
        const int y = i * m_lineH;
        if (img.selTo > img.selFrom)
            p.fillRect(img.selFrom * m_charW, y, (img.selTo - img.selFrom) * m_charW, m_lineH,
                       palette().color(QPalette::Highlight));
        m_painter.drawRow(p, 0, y, img.chars, img.colors.data(), m_back);
        if (img.caret >= 0) {
            const int x = std::min(img.caret * m_charW, w - 2);
            p.fillRect(x, y, 2, m_lineH, Qt::black);
        }
    }
}

void RichTextView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    m_layoutStale = true;
    m_followCaret = !m_pinned;
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
    scrollTo(rowOfPos(m_topAt) - dy);
    place(end ? Place::Follow : Place::Stay);
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
        takeFontMetrics();
        m_shown.clear();
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

// The character code a key stands for, given one character of its text (or a
// null character when it has none); 0 when it stands for none.
int RichTextView::keyCode(const QKeyEvent *event, QChar typed)
{
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    // Alt combinations are commands (menu mnemonics), not typing. Ctrl+Alt is
    // AltGr on some keyboards and types its character.
    if ((mods & Qt::AltModifier) && !(mods & Qt::ControlModifier))
        return 0;
    if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier)) {
        // Some platforms give Ctrl combinations an empty text; the code follows
        // from the key as on a terminal.
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            return key - Qt::Key_A + 1;
        switch (key) {
        case Qt::Key_BracketLeft: return 27;
        case Qt::Key_Backslash: return 28;
        case Qt::Key_BracketRight: return 29;
        case Qt::Key_AsciiCircum: return 30;
        case Qt::Key_Underscore: return 31;
        case Qt::Key_Return:
        case Qt::Key_Enter: return 10;
        case Qt::Key_Backspace: return 127;
        default: break;
        }
        return !typed.isNull() && typed.unicode() < 0x20 ? typed.unicode() : 0;
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    default: break;
    }
    return typed.isNull() ? 0 : Windows1252::fromChar(typed);
}

void RichTextView::keyPressEvent(QKeyEvent *event)
{
    // Copying is no typing: Ctrl+C still sends its control code to the controller.
    const auto mods = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_C && mods == (Qt::ControlModifier | Qt::ShiftModifier))
        || (event->key() == Qt::Key_Insert && mods == Qt::ControlModifier)) {
        copy();
        event->accept();
        return;
    }
    if (navigate(event)) {
        // The view shows the caret where the keys put it, and stays there unless
        // that is the end.
        m_followCaret = true;
        place(Place::StayIfScrolledUp);
        event->accept();
        return;
    }
    const QString text = event->text();
    std::vector<int> codes;
    if (text.size() > 1 && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        // Composed input: each character is typed on its own.
        for (QChar c : text)
            if (int code = Windows1252::fromChar(c))
                codes.push_back(code);
    } else if (int code = keyCode(event, text.isEmpty() ? QChar() : text[0])) {
        codes.push_back(code);
    }
    if (codes.empty()) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    // Typing goes back to the end, where the answer will show.
    place(Place::Follow);
    for (int code : codes) {
        int keyAscii = code;
        emit KeyPress(keyAscii);
        if (keyAscii > 0 && keyAscii <= 255)
            typeChar(keyAscii);
    }
    event->accept();
}

void RichTextView::typeChar(int keyAscii)
{
    QString typed;
    switch (keyAscii) {
    case 8:
        eraseAt(m_model.selStart(), true);
        return;
    case 10:
    case 13:
        typed = QStringLiteral("\r\n");
        break;
    case 9:
        typed = QStringLiteral("\t");
        break;
    default:
        // Other control codes (Escape, Ctrl+C, ...) are not text.
        if (keyAscii < 32 || keyAscii == 127)
            return;
        typed = Windows1252::toChar(static_cast<unsigned char>(keyAscii));
    }
    // Typing into the text ends the highlight: its places would move.
    placeSelection(0, 0);
    m_model.setSelText(typed);
}

// Erases the selection, or else the character before or after pos; a CR LF goes
// at once.
void RichTextView::eraseAt(int pos, bool before)
{
    placeSelection(0, 0);
    if (m_model.selLength() == 0) {
        const int from = before ? prevPos(pos) : pos;
        const int to = before ? pos : nextPos(pos);
        if (from == to)
            return;
        m_model.setSelStart(from);
        m_model.setSelLength(to - from);
    }
    m_model.setSelText(QString());
}

int RichTextView::prevPos(int pos) const
{
    const QString &t = m_model.text();
    if (pos >= 2 && t[pos - 2] == u'\r' && t[pos - 1] == u'\n')
        return pos - 2;
    return std::max(0, pos - 1);
}

int RichTextView::nextPos(int pos) const
{
    const QString &t = m_model.text();
    if (pos + 1 < t.size() && t[pos] == u'\r' && t[pos + 1] == u'\n')
        return pos + 2;
    return std::min(int(t.size()), pos + 1);
}

bool RichTextView::navigate(QKeyEvent *event)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const int pos = m_model.selStart();
    const auto toRow = [&](int row) {
        ensureLayout();
        const QPoint cell = cellOf(pos);
        row = std::clamp(row, 0, int(m_rows.size()) - 1);
        const Row &r = m_rows[size_t(row)];
        m_model.setSelStart(r.start + std::min(cell.x(), r.length));
    };
    switch (event->key()) {
    case Qt::Key_Left:
        m_model.setSelStart(m_model.selLength() > 0 ? pos : prevPos(pos));
        return true;
    case Qt::Key_Right:
        m_model.setSelStart(m_model.selLength() > 0 ? pos + m_model.selLength() : nextPos(pos));
        return true;
    case Qt::Key_Up:
        toRow(cellOf(pos).y() - 1);
        return true;
    case Qt::Key_Down:
        toRow(cellOf(pos).y() + 1);
        return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int step = event->key() == Qt::Key_PageUp ? -visibleRowCount() : visibleRowCount();
        scrollTo(m_top + step);
        toRow(cellOf(pos).y() + step);
        return true;
    }
    case Qt::Key_Home:
        m_model.setSelStart(ctrl ? 0 : m_rows[size_t(cellOf(pos).y())].start);
        return true;
    case Qt::Key_End: {
        if (ctrl) {
            m_model.setSelStart(m_model.length());
        } else {
            const Row &r = m_rows[size_t(cellOf(pos).y())];
            m_model.setSelStart(r.start + r.length);
        }
        return true;
    }
    case Qt::Key_Delete:
        // No character code: Delete edits but is not typed.
        eraseAt(pos, false);
        return true;
    default:
        return false;
    }
}

int RichTextView::posAt(QPoint point) const
{
    ensureLayout();
    const int row = std::clamp(m_top + point.y() / m_lineH, 0,
                               int(m_rows.size()) - 1);
    const Row &r = m_rows[size_t(row)];
    const int col = std::max(0, (point.x() + m_charW / 2) / m_charW);
    return r.start + std::min(col, r.length);
}

void RichTextView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    m_anchor = posAt(event->position().toPoint());
    m_model.setSelStart(m_anchor);
    setSelected(0, 0);
    event->accept();
}

void RichTextView::mouseReleaseEvent(QMouseEvent *event)
{
    // As X terminals do: what is selected with the mouse can be pasted elsewhere
    // with the middle button.
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (m_anchor >= 0 && !m_selectionMade.isEmpty() && clipboard->supportsSelection())
        clipboard->setText(m_selectionMade, QClipboard::Selection);
    m_anchor = -1;
    event->accept();
}

void RichTextView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || m_anchor < 0) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    setSelected(m_anchor, posAt(event->position().toPoint()));
    event->accept();
}
