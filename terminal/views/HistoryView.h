#pragma once

#include "platform/Colors.h"
#include "terminal/HistorySearch.h"
#include "terminal/views/CopyCommands.h"
#include "terminal/views/FrameClock.h"
#include "terminal/views/LazyScrollBar.h"
#include "terminal/views/RowPainter.h"

#include <QAbstractScrollArea>

#include <optional>
#include <vector>

class History;
class HistoryAccessible;

// The history shown line by line in the terminal's font and colours, for reading
// back. It follows new lines only while it is scrolled to the end; scrolled up, it
// stays on the lines it shows while more arrive and old ones fall out, and tells
// how many new lines wait below. Lines are not wrapped: a long one scrolls sideways.
//
// A selection made with the mouse stays on its text, and is copied as in the
// terminal view (context menu, Ctrl+Shift+C, Ctrl+Insert, and Ctrl+C, since
// nothing is sent from here; the X11 primary selection too). The matches of a
// search are highlighted, the current one more strongly. Screen readers reach it as
// a read-only text named "Verlauf", with its caret, selection and colours.
//
// It draws at most three times a second and nothing while hidden; following, it
// moves what it shows already with a blit and draws only the new lines.
class HistoryView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    using Place = HistorySearch::Match;   // a line, and a column in it

    explicit HistoryView(History &history, QWidget *parent = nullptr);

    void setBackColor(quint32 bgr);
    // The search whose matches are highlighted; none when null. Tell the view
    // when it looks for something else.
    void setSearch(HistorySearch *search);
    void searchChanged();
    // Makes a match the current one and brings it into view.
    void showMatch(Place match);
    // Where looking on starts: the current match, else the caret.
    Place searchFrom() const;
    // Lines arrived below since the view stopped following; 0 while it follows.
    qint64 newLines() const;

    QString selectedText() const;
    QString allText() const;

public slots:
    void copy();
    void copyAll();
    void scrollToEnd();

signals:
    void newLinesChanged(qint64 count);
    // A frame has shown that lines came or went.
    void linesChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    friend class HistoryAccessible;

    void frame();
    QRegion refresh(bool barNow = true);
    // And how long the longest of their lines is.
    std::vector<RowPainter::Row> visibleRows(int *longest) const;
    int fullRows() const;
    int columns() const;
    qint64 lastTop() const;
    void setFollow(bool follow);
    void scrollToLine(qint64 top);
    Place placeAt(QPoint viewportPoint) const;
    Place clamped(Place p) const;
    qint64 offsetOf(Place p) const;
    Place placeOf(qint64 offset) const;
    std::pair<Place, Place> selection() const;
    QString textBetween(Place from, Place to) const;
    void notifyAccessibility();

    History &m_history;
    HistorySearch *m_search = nullptr;
    // Following a stream, some forty lines go by in a display frame, more than
    // anyone reads as they pass, and each frame costs about as much as the
    // terminal's: three frames a second. What the user does shows at once.
    FrameClock m_frames{this, 1000 / 3};
    RowPainter m_rows{font()};
    CopyCommands m_copy{this, [this] { return selectedText(); }, [this] { return allText(); }};
    LazyScrollBar m_vbar{verticalScrollBar()};
    LazyScrollBar m_hbar{horizontalScrollBar()};
    quint32 m_back = Colors::White;
    qint64 m_top = 0;          // the line at the top
    int m_left = 0;            // the column at the left edge
    bool m_follow = true;
    qint64 m_stoppedAt = 0;    // the end of the history when following stopped
    qint64 m_toldNew = 0;
    Place m_caret{0, 0};
    Place m_anchor{0, 0};      // the selection, from where the mouse went down
    Place m_selEnd{0, 0};
    bool m_dragging = false;
    std::optional<Place> m_current;
    bool m_focused = false;
    qint64 m_shownFirst = -1, m_shownEnd = -1;
    qint64 m_toldEnd = -1;     // how far screen readers have heard of the lines
};
