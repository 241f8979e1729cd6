#pragma once

#include "terminal/views/GlyphPainter.h"

#include <QColor>
#include <QList>
#include <QRegion>
#include <QString>

#include <vector>

class QPainter;

// Paints the rows of character cells a text view shows, and remembers what each
// row on screen shows: a frame hands in the rows as they look now and learns which
// of them differ, so that it repaints only those, and nothing when none changed.
class RowPainter
{
public:
    // Something marked behind some cells of a row (a match found, say).
    struct Mark
    {
        int column = 0;
        int length = 0;
        quint32 colour = 0;   // 0x00BBGGRR
        bool operator==(const Mark &) const = default;
    };
    // One row as it appears on screen.
    struct Row
    {
        qint64 line = -1;               // what it shows, where rows move as a whole
        QString chars;                  // as GlyphPainter::placeholderFor gives them
        std::vector<quint32> colours;   // one per character, 0x00BBGGRR
        QList<Mark> marks;              // drawn in order, under the selection
        int selFrom = 0, selTo = 0;     // the selection's columns
        int caret = -1;                 // the caret's column; -1 for none
        bool operator==(const Row &) const = default;
    };

    explicit RowPainter(const QFont &font) : m_glyphs(font) {}

    // Forgets what is shown: all of it is drawn anew.
    void setFont(const QFont &font);
    int charWidth() const { return m_glyphs.charWidth(); }
    int lineHeight() const { return m_glyphs.lineHeight(); }
    // The rows that fit into a height, the partly visible one at the bottom too.
    int rowsIn(int height) const { return (height + lineHeight() - 1) / lineHeight(); }

    // The rows as they are to be shown now, from the top; returns the part of a
    // viewport `width` wide that differs from what it shows.
    QRegion show(std::vector<Row> rows, int width);
    // How far rows of the same lines moved up since they were shown (down when
    // negative); 0 when that is not known.
    qint64 movedBy(const std::vector<Row> &rows) const;
    // What is on screen has moved up by so many rows.
    void moved(qint64 rows);

    // Paints the rows in area on the colour `back` (0x00BBGGRR), the selection in
    // `selection`; the viewport is `width` wide.
    void paint(QPainter &p, const QRect &area, quint32 back, const QColor &selection, int width);

private:
    GlyphPainter m_glyphs;
    std::vector<Row> m_shown;   // what the viewport shows now
};
