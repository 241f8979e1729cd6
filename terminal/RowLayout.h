#pragma once

#include <QPoint>
#include <QSize>

#include <functional>
#include <vector>

class RichTextModel;

// The terminal's text laid out on a grid of character cells, and which of its rows
// a view shows.
//
// A row ends at CR LF, at a lone LF, or when it reaches the grid's width; every
// other character takes one cell. A change of the text only marks the rows stale:
// they are laid out again when next asked for, once however many changes came.
//
// The view follows the caret, which arriving text keeps at the end. Put somewhere
// by the user (scrolled up, or a selection made) it is pinned: it stays on the text
// it shows while more arrives and the top is cut away, until that text is gone.
class RowLayout
{
public:
    struct Row
    {
        int start = 0;      // first character of the row in the text
        int length = 0;     // characters shown
    };
    enum class Place { Follow, StayIfScrolledUp, Stay };

    // grid() gives the columns of a row and the rows in full view, each at least
    // 1; it is asked each time, as the view's size can change at any time.
    RowLayout(const RichTextModel &text, std::function<QSize()> grid);

    // The text or the view's size has changed: the rows are laid out anew, and
    // the caret is followed unless the view is pinned.
    void changed();
    // The font has changed: the rows are laid out anew.
    void relayout() { m_stale = true; }

    int rowCount() const;
    const Row &row(int r) const;
    int rowOf(int pos) const;
    // Column and row of a text position.
    QPoint cellOf(int pos) const;
    // The text position nearest to a column of a row in view.
    int posAt(int viewRow, int column) const;

    int top() const { return m_top; }
    int visibleRows() const;
    int lastTop() const;
    bool pinned() const { return m_pinned; }
    // The caret moved: it comes into view unless the view is pinned.
    void caretMoved() { m_followCaret = !m_pinned; }
    // Keys moved the caret: it comes into view wherever it is.
    void showCaret() { m_followCaret = true; }
    // Brings the rows and the top row up to date.
    void settle();
    void scrollTo(int top);
    // Moves by so many rows from the text the view shows, which the top row may
    // not have caught up with yet.
    void scrollBy(int rows);
    // Where the user has put the view; false when it is pinned.
    bool place(Place how);
    // Only [from, from + count) of the text is left.
    void kept(int from, int count);

private:
    void ensure() const;
    void scrollToCaret();

    const RichTextModel &m_text;
    std::function<QSize()> m_grid;
    mutable bool m_stale = true;
    mutable int m_cols = 1;
    mutable std::vector<Row> m_rows;
    int m_top = 0;                 // first row in view
    bool m_followCaret = true;
    bool m_pinned = false;         // the user reads: arriving text does not move the view
    int m_topAt = 0;               // the text the first row in view starts with, moved with the cuts
};
