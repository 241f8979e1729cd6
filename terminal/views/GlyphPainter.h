#pragma once

#include <QFont>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QStaticText>
#include <QStringView>

class QPainter;

// Draws text on a grid of character cells in a fixed-pitch font, every character
// in a colour of its own: the terminal view and the history view draw with it.
//
// Each character sits exactly on its cell. A fixed-pitch font needs no shaping:
// the glyph of each character is looked up once, and a run of one colour is drawn
// as one glyph run, so nothing is shaped while text streams; blanks are left empty.
// Characters the font lacks come from a fallback font, one by one.
class GlyphPainter
{
public:
    explicit GlyphPainter(const QFont &font);

    void setFont(const QFont &font);
    const QFont &font() const { return m_font; }
    int charWidth() const { return m_charW; }
    int lineHeight() const { return m_lineH; }

    // The character drawn for a character of the text: control characters and
    // anything that would steer the layout get a visible placeholder, so that
    // nothing is ever interpreted and every character takes one cell.
    static QChar placeholderFor(QChar c);

    // Draws `chars` (as placeholderFor gives them) in their colours (0x00BBGGRR),
    // the first on the cell whose top left corner is (x, y). `back` is the colour
    // behind them.
    void drawRow(QPainter &p, int x, int y, QStringView chars, const quint32 *colours, quint32 back);

private:
    quint32 glyphOf(QChar c);
    const QStaticText &shaped(QChar c);
    void drawControl(QPainter &p, int x, int y, QChar placeholder, quint32 back) const;
    static bool isPlaceholder(QChar c);

    QFont m_font;
    int m_charW = 8;
    int m_lineH = 16;
    int m_ascent = 12;
    QRawFont m_rawFont;
    QHash<char16_t, quint32> m_glyphs;
    QHash<char16_t, QStaticText> m_shaped;
    QList<quint32> m_runGlyphs;   // kept between rows to spare allocations
    QList<QPointF> m_runPlaces;
};
