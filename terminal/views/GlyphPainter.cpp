#include "terminal/views/GlyphPainter.h"

#include "platform/Colors.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>

#include <algorithm>

GlyphPainter::GlyphPainter(const QFont &font)
{
    setFont(font);
}

void GlyphPainter::setFont(const QFont &font)
{
    m_font = font;
    const QFontMetrics fm(font);
    m_charW = std::max(1, fm.horizontalAdvance(QLatin1Char('M')));
    m_lineH = std::max(1, fm.lineSpacing());
    m_ascent = fm.ascent();
    m_rawFont = QRawFont();
    m_glyphs.clear();
    m_shaped.clear();
}

QChar GlyphPainter::placeholderFor(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x20)
        return QChar(char16_t(0x2400 + u));     // the Control Pictures block
    if (u == 0x7F)
        return QChar(char16_t(0x2421));
    if (u == 0xAD)
        return QLatin1Char('-');                // a soft hyphen would leave an empty cell
    switch (c.category()) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        // Anything that would steer the text layout (direction marks, combining
        // marks) instead of taking one cell is shown as a replacement sign.
        return QChar(char16_t(0xFFFD));
    default:
        return c;
    }
}

bool GlyphPainter::isPlaceholder(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x2400 && u <= 0x2426) || u == 0xFFFD;
}

void GlyphPainter::drawRow(QPainter &p, int x, int y, QStringView chars, const quint32 *colours, quint32 back)
{
    bool fontSet = false;   // glyph runs carry their font; only the fallbacks need it
    const int n = int(chars.size());
    for (int k = 0; k < n;) {
        const quint32 colour = colours[k];
        p.setPen(QColor(Colors::toArgb(colour)));
        const QChar c = chars[k];
        if (glyphOf(c) == 0) {
            if (!fontSet && c != u' ') {
                p.setFont(m_font);
                fontSet = true;
            }
            if (isPlaceholder(c) && !QFontMetrics(m_font).inFont(c))
                drawControl(p, x + k * m_charW, y, c, back);
            else if (c != u' ')
                p.drawStaticText(x + k * m_charW, y, shaped(c));
            ++k;
            continue;
        }
        m_runGlyphs.clear();
        m_runPlaces.clear();
        int j = k;
        for (; j < n && colours[j] == colour; ++j) {
            const QChar d = chars[j];
            if (d == u' ')
                continue;
            const quint32 glyph = glyphOf(d);
            if (glyph == 0)
                break;
            m_runGlyphs.append(glyph);
            m_runPlaces.append(QPointF((j - k) * m_charW, m_ascent));
        }
        if (!m_runGlyphs.isEmpty()) {
            QGlyphRun run;
            run.setRawFont(m_rawFont);
            run.setGlyphIndexes(m_runGlyphs);
            run.setPositions(m_runPlaces);
            p.drawGlyphRun(QPointF(x + k * m_charW, y), run);
        }
        k = j;
    }
}

// A control character in a font without pictures for them: its caret-notation
// letter (@ for NUL, G for BEL, I for TAB, [ for ESC, ? for DEL) reversed out of a
// box in the text's colour, so that each shows as itself and none as a blank.
void GlyphPainter::drawControl(QPainter &p, int x, int y, QChar placeholder, quint32 back) const
{
    const char16_t u = placeholder.unicode();
    const QChar letter = u >= 0x2400 && u < 0x2420 ? QChar(char16_t(u - 0x2400 + 0x40))
                         : u == 0x2421             ? QChar(u'?')
                                                   : QChar(u'\uFFFD');
    const QRect cell(x, y + 1, m_charW, m_lineH - 2);
    p.fillRect(cell, p.pen().color());
    p.save();
    p.setPen(QColor(Colors::toArgb(back)));
    p.drawText(cell, Qt::AlignCenter, QString(letter));
    p.restore();
}

// The font's glyph for a character, 0 when the font has none (or for a blank,
// which is drawn by leaving the cell empty).
quint32 GlyphPainter::glyphOf(QChar c)
{
    if (isPlaceholder(c))
        return 0;
    auto it = m_glyphs.constFind(c.unicode());
    if (it != m_glyphs.cend())
        return *it;
    if (!m_rawFont.isValid())
        m_rawFont = QRawFont::fromFont(m_font);
    quint32 glyph = 0;
    if (c != u' ' && m_rawFont.supportsCharacter(c))
        glyph = m_rawFont.glyphIndexesForString(QString(c)).value(0);
    m_glyphs.insert(c.unicode(), glyph);
    return glyph;
}

// Characters the font lacks, shaped once and kept.
const QStaticText &GlyphPainter::shaped(QChar c)
{
    auto it = m_shaped.constFind(c.unicode());
    if (it != m_shaped.cend())
        return *it;
    if (m_shaped.size() >= 2048)
        m_shaped.clear();
    QStaticText text{QString(c)};
    text.setTextFormat(Qt::PlainText);          // never markup, whatever arrives
    text.setPerformanceHint(QStaticText::AggressiveCaching);
    text.prepare(QTransform(), m_font);
    return *m_shaped.insert(c.unicode(), text);
}
