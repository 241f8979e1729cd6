#pragma once

#include "platform/Colors.h"
#include "terminal/CopySelection.h"
#include "terminal/RichTextModel.h"
#include "terminal/RowLayout.h"
#include "terminal/views/CopyCommands.h"
#include "terminal/views/FrameClock.h"
#include "terminal/views/LazyScrollBar.h"
#include "terminal/views/RichTextNews.h"
#include "terminal/views/RowPainter.h"

#include <QAbstractScrollArea>

// The terminal view: shows a RichTextModel in a fixed-pitch font and takes typed
// characters.
//
// The text is laid out on a grid of character cells (RowLayout); every control
// character is drawn as a visible placeholder, and nothing is ever interpreted.
// While the user reads (the view scrolled up, or a selection made) arriving text
// does not move the view as long as the text it shows is still there; scrolled
// back to the end, or a key typed, it follows the text again.
//
// Text can be selected with the mouse (CopySelection) and copied (CopyCommands),
// never pasted. Actions added to the view with addAction() join its context menu.
// Screen readers reach the text, caret, selection and colours through the
// accessible text interface, named "Terminal" (RichTextAccessible).
//
// Painting is cheap on purpose, because at line rate the model changes hundreds of
// times a second: changes only mark the layout stale and ask for a display frame
// (FrameClock), so the view repaints at most once a frame however many changes
// arrive, and not at all while it is hidden. Each frame compares the visible rows
// with the ones last shown and repaints only the rows that differ (RowPainter).
class RichTextView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit RichTextView(QWidget *parent = nullptr);

    RichTextModel &model() { return m_model; }
    const RichTextModel &model() const { return m_model; }

    quint32 backColor() const { return m_back; }
    void setBackColor(quint32 bgr);

    // The selection for copying, [from, to) in positions of the text; setSelected
    // is the user's choice, which copy() copies whole even after arriving text has
    // cut it down.
    int selectedFrom() const { return m_selection.from(); }
    int selectedTo() const { return m_selection.to(); }
    void setSelected(int from, int to);
    // The selected text as it stands now, with a line break for each CR LF.
    QString selectedText() const { return m_selection.text(); }

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
    friend class RichTextAccessible;

    void placeSelection(int from, int to);
    void textKept(int from, int count);
    void contentChanged();
    void caretMoved();
    void frame();
    QRegion refresh(bool barNow = true);
    void scrollTo(int top);
    void place(RowLayout::Place how);
    void showCaret();
    std::vector<RowPainter::Row> visibleRows() const;
    int posAt(QPoint viewportPoint) const;
    bool navigate(QKeyEvent *event);
    void type(int keyAscii);
    void eraseAt(int pos);

    RichTextModel m_model;
    FrameClock m_frames{this};
    RowPainter m_rows{font()};
    RowLayout m_layout;
    LazyScrollBar m_bar{verticalScrollBar()};
    CopySelection m_selection{m_model};
    CopyCommands m_copy;
    RichTextNews m_news;
    quint32 m_back = Colors::White;
    bool m_focused = false;
};
