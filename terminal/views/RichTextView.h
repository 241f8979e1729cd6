#pragma once

#include "platform/Colors.h"
#include "terminal/views/FrameClock.h"
#include "terminal/views/GlyphPainter.h"
#include "terminal/views/LazyScrollBar.h"
#include "terminal/RichTextModel.h"

#include <QAbstractScrollArea>

#include <optional>
#include <vector>

// The terminal view: shows a RichTextModel in a fixed-pitch font and takes typed
// characters.
//
// While the user reads (the view scrolled up, or a selection made) arriving text
// does not move the view as long as the text it shows is still there; scrolled
// back to the end, or a key typed, it follows the text again.
//
// Text can be selected with the mouse and copied (context menu, Ctrl+Shift+C,
// Ctrl+Insert; the X11 primary selection too), never pasted: a paste would type
// many keys into the controller's menus at once. That selection is the view's own,
// apart from the model's caret and selection which the terminal writes with: it
// stays on its text while more arrives, moves up with the cuts at the top and ends
// where its text leaves the view. Actions added to the view with addAction() join
// its context menu.
//
// Screen readers reach the text, caret, selection and colours through the
// accessible text interface, named "Terminal".
//
// The text is laid out on a grid of character cells: a row ends at CR LF, at a lone
// LF, or when it reaches the view's width. Every other control character is drawn
// as a visible placeholder; nothing is ever interpreted.
//
// Painting is cheap on purpose, because at line rate the model changes hundreds of
// times a second: changes only mark the layout stale and ask for a display frame
// (FrameClock), so the view repaints at most once a frame however many changes
// arrive, and not at all while it is hidden. Each frame compares the visible rows
// with the ones last shown and repaints only the rows that differ.
class RichTextAccessible;

class RichTextView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit RichTextView(QWidget *parent = nullptr);

    RichTextModel &model() { return m_model; }
    const RichTextModel &model() const { return m_model; }

    quint32 backColor() const { return m_back; }
    void setBackColor(quint32 bgr);

    // How the text went from before to now when `cut` characters were cut at its
    // top in between: so many characters gone at the top and these added at the
    // end; nothing when it changed otherwise. What screen readers are told.
    struct TextChange
    {
        qsizetype removed;
        QString added;
    };
    static std::optional<TextChange> textChange(const QString &before, const QString &now, qsizetype cut);

    // The selection for copying, [from, to) in positions of the text; empty when
    // from == to. It moves with its text as the text is cut at the top, and ends
    // where its text has gone; setSelected is the user's choice, which copy() copies
    // whole even after that.
    int selectedFrom() const { return m_copyFrom; }
    int selectedTo() const { return m_copyTo; }
    void setSelected(int from, int to);
    // The selected text as it stands now, or the whole text, with a line break for
    // each CR LF.
    QString selectedText() const;
    QString allText() const;

public slots:
    void copy();
    void copyAll();

signals:
    // Raised for every typed character with its ANSI code (1 to 255) before the
    // view inserts it; a handler that sets the code to 0 suppresses the insertion.
    void KeyPress(int &keyAscii);
    // A display frame is about to be drawn: what else changed with the text can be
    // drawn with it, in the same pass.
    void frameDue();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    struct Row
    {
        int start = 0;      // first character of the row in the text
        int length = 0;     // characters shown
    };
    // One row as it appears on screen; equal images need no repaint.
    struct RowImage
    {
        QString chars;
        std::vector<quint32> colors;
        int selFrom = 0, selTo = 0;
        int caret = -1;
        bool operator==(const RowImage &) const = default;
    };

    friend class RichTextAccessible;

    void takeFontMetrics();
    void placeSelection(int from, int to);
    void textKept(int from, int count);
    void notifyAccessibility();
    void contentChanged();
    void caretMoved();
    void frame();
    QRegion refresh(bool barNow = true);
    void ensureLayout() const;
    void scrollToCaret();
    int lastTop() const;
    void scrollTo(int top);
    enum class Place { Follow, StayIfScrolledUp, Stay };
    void place(Place how);
    std::vector<RowImage> visibleRows() const;
    int visibleRowCount() const;
    int rowOfPos(int pos) const;
    // Row and column of a text position.
    QPoint cellOf(int pos) const;
    int posAt(QPoint viewportPoint) const;
    int nextPos(int pos) const;
    int prevPos(int pos) const;
    bool navigate(QKeyEvent *event);
    static int keyCode(const QKeyEvent *event, QChar typed);
    void typeChar(int keyAscii);
    void eraseAt(int pos, bool before);

    RichTextModel m_model;
    FrameClock m_frames{this};
    GlyphPainter m_painter{font()};
    quint32 m_back = Colors::White;
    int m_charW = 8;
    int m_lineH = 16;
    bool m_focused = false;
    bool m_followCaret = true;
    int m_top = 0;                 // first row in view
    bool m_pinned = false;         // the user reads: arriving text does not move the view
    int m_topAt = 0;               // the text the first row in view starts with, moved with the cuts
    LazyScrollBar m_bar{verticalScrollBar()};
    int m_anchor = -1;
    int m_copyFrom = 0;
    int m_copyTo = 0;
    QString m_selectionMade;   // the selection's text when the user made it
    QString m_toldText;   // the text screen readers last heard of
    int m_toldCaret = -1;
    qsizetype m_cutSinceTold = 0;   // characters cut at the top since then

    mutable bool m_layoutStale = true;
    mutable int m_cols = 1;
    mutable std::vector<Row> m_rows;
    std::vector<RowImage> m_shown;   // what the viewport shows now
};
