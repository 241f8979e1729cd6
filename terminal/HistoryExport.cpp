#include "terminal/HistoryExport.h"

#include "terminal/History.h"

#include <QIODevice>

namespace {

// "#RRGGBB" for a colour 0x00BBGGRR.
QByteArray htmlColour(quint32 bgr)
{
    const quint32 rgb = (bgr & 0xFFu) << 16 | (bgr & 0xFF00u) | (bgr >> 16 & 0xFFu);
    return '#' + QByteArray::number(rgb, 16).rightJustified(6, '0');
}

// Letters, digits, blanks and punctuation that means nothing to HTML stand as they
// are; every other character is written as a reference. Control characters, which
// HTML has no place for, are written as the pictures the views show for them.
void appendEscaped(QByteArray &out, QChar c)
{
    char16_t u = c.unicode();
    if ((u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9')
        || QByteArrayView(" .,:;!?=+-*/()[]_#%@").contains(char(u < 0x80 ? u : 0))) {
        out += char(u);
        return;
    }
    if (u < 0x20)
        u = char16_t(0x2400 + u);
    else if (u == 0x7F)
        u = 0x2421;
    else if ((u >= 0x80 && u < 0xA0) || QChar::isSurrogate(u))
        u = 0xFFFD;
    out += "&#" + QByteArray::number(uint(u)) + ';';
}

void appendLine(QByteArray &out, const History &history, qint64 line, HistoryExport::Format format)
{
    const QString text = history.text(line);
    if (format == HistoryExport::Format::Text) {
        out += text.toUtf8();
        out += '\n';
        return;
    }
    const QList<History::Run> runs = history.runs(line);
    for (qsizetype r = 0; r < runs.size(); ++r) {
        const int from = runs[r].from;
        const int to = r + 1 < runs.size() ? runs[r + 1].from : int(text.size());
        out += "<span style=\"color:" + htmlColour(runs[r].colour) + "\">";
        for (int i = from; i < to; ++i)
            appendEscaped(out, text[i]);
        out += "</span>";
    }
    out += '\n';
}

} // namespace

bool HistoryExport::write(const History &history, Format format, quint32 background, QIODevice &out)
{
    QByteArray chunk;
    if (format == Format::Html)
        chunk = "<!DOCTYPE html>\n<html lang=\"de\">\n<head><meta charset=\"utf-8\"><title>Verlauf</title></head>\n"
                "<body style=\"background-color:" + htmlColour(background) + "\">\n<pre>\n";
    for (qint64 line = history.first(); line < history.end(); ++line) {
        appendLine(chunk, history, line, format);
        if (chunk.size() >= 64 * 1024) {
            if (out.write(chunk) != chunk.size())
                return false;
            chunk.clear();
        }
    }
    if (format == Format::Html)
        chunk += "</pre>\n</body>\n</html>\n";
    return out.write(chunk) == chunk.size();
}
