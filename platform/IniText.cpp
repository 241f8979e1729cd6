#include "platform/IniText.h"

#include "platform/Log.h"

#include <QIODevice>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {
bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// What QSettings skips between lines: less than it trims off keys.
bool isBlankOrLineEnd(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && isSpace(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isSpace(text.back()))
        text.chop(1);
    return text;
}

int hexValue(char16_t c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// One logical line at a time, split where QSettings splits: a quoted stretch goes
// on over line ends, a backslash takes the next character (a line end too) along,
// and a ";" outside quotes ends the line; at a line's start it makes the rest of
// the physical line a comment.
class Lines
{
public:
    explicit Lines(QByteArrayView text) : m_text(text) {}

    // The next line and the place of its first "=" outside quotes (-1: none).
    bool next(QByteArrayView *line, qsizetype *equals, qsizetype *start)
    {
        const qsizetype n = m_text.size();
        qsizetype begin = m_pos;
        while (begin < n && isBlankOrLineEnd(m_text[begin]))
            ++begin;
        qsizetype i = begin;
        bool quoted = false;
        *equals = -1;
        while (i < n) {
            const char c = m_text[i];
            if ((c == '\n' || c == '\r') && !quoted)
                break;
            if (c == ';' && i == begin) {
                while (i < n && m_text[i] != '\n' && m_text[i] != '\r')
                    ++i;
                while (i < n && isBlankOrLineEnd(m_text[i]))
                    ++i;
                begin = i;
                continue;
            }
            if (c == ';' && !quoted)
                break;
            ++i;
            if (c == '=' && !quoted && *equals < 0) {
                *equals = i - 1 - begin;
            } else if (c == '"') {
                quoted = !quoted;
            } else if (c == '\\' && i < n) {
                const char escaped = m_text[i++];
                if (i < n && (escaped == '\n' || escaped == '\r') && (m_text[i] == '\n' || m_text[i] == '\r')
                    && m_text[i] != escaped)
                    ++i;
            }
        }
        m_pos = i;
        *line = m_text.sliced(begin, i - begin);
        *start = begin;
        return i > begin;
    }

private:
    QByteArrayView m_text;
    qsizetype m_pos = 0;
};

// A key or section name: "%XX" and "%UXXXX" stand for the character of that code,
// a backslash for "/".
QString unescapeKey(QByteArrayView bytes)
{
    const QString text = QString::fromUtf8(bytes);
    QString key;
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (c == u'\\') {
            key += u'/';
            ++i;
            continue;
        }
        const qsizetype digits = c == u'%' && i + 1 < text.size() && text[i + 1] == u'U' ? 4 : 2;
        const qsizetype first = i + 1 + (digits == 4);
        int code = c == u'%' && first + digits <= text.size() ? 0 : -1;
        for (qsizetype d = first; code >= 0 && d < first + digits; ++d)
            code = hexValue(text[d].unicode()) < 0 ? -1 : code * 16 + hexValue(text[d].unicode());
        if (code < 0) {
            key += c;
            ++i;
        } else {
            key += QChar(char16_t(code));
            i = first + digits;
        }
    }
    return key;
}

QByteArray escapeKey(const QString &key)
{
    static const char digits[] = "0123456789ABCDEF";
    QByteArray out;
    for (const QChar c : key) {
        const char16_t ch = c.unicode();
        if (ch == '/') {
            out += '\\';
        } else if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_'
                   || ch == '-' || ch == '.') {
            out += char(ch);
        } else if (ch <= 0xFF) {
            out += '%';
            out += digits[ch >> 4];
            out += digits[ch & 0xF];
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += digits[(ch >> shift) & 0xF];
        }
    }
    return out;
}

// The character a one-letter escape stands for, or 0.
char simpleEscape(char letter)
{
    switch (letter) {
    case 'a': return '\a';
    case 'b': return '\b';
    case 'f': return '\f';
    case 'n': return '\n';
    case 'r': return '\r';
    case 't': return '\t';
    case 'v': return '\v';
    case '"': case '?': case '\'': case '\\': return letter;
    default: return 0;
    }
}

// A value as text, read as QSettings reads a single value, but with a comma as an
// ordinary character: blanks before the value and, unless it was quoted, after it
// are dropped; quotes group; escapes stand for their character; an escape Qt does
// not know stands for nothing. The bytes between escapes are UTF-8.
QString unescapeValue(QByteArrayView v)
{
    QString out;
    // A byte order mark in a value is a character like any other (the file's own,
    // at its very start, is gone before): dropped, as Qt drops it where it starts
    // what the decoder sees, a value would not read the same once written back.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    qsizetype i = 0;
    qsizetype keep = 0;   // what an escape or a quote made is never chopped
    bool inQuotes = false;
    bool quoted = false;
    const auto skipBlanks = [&] {
        while (i < v.size() && (v[i] == ' ' || v[i] == '\t'))
            ++i;
        keep = out.size();
    };
    skipBlanks();
    while (i < v.size()) {
        const char c = v[i++];
        if (c == '"') {
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes)
                skipBlanks();
        } else if (c != '\\') {
            const qsizetype begin = i - 1;
            while (i < v.size() && v[i] != '\\' && v[i] != '"')
                ++i;
            out += utf8(v.sliced(begin, i - begin));
        } else if (i == v.size()) {
            return out;   // a backslash at the very end ends the value as it stands
        } else {
            const char e = v[i++];
            if (simpleEscape(e)) {
                out += QLatin1Char(simpleEscape(e));
            } else if (e == 'x' && i < v.size() && hexValue(uchar(v[i])) >= 0) {
                char16_t code = 0;
                for (; i < v.size() && hexValue(uchar(v[i])) >= 0; ++i)
                    code = char16_t(code * 16 + hexValue(uchar(v[i])));
                out += QChar(code);
            } else if (e >= '0' && e <= '7') {
                char16_t code = char16_t(e - '0');
                for (; i < v.size() && v[i] >= '0' && v[i] <= '7'; ++i)
                    code = char16_t(code * 8 + (v[i] - '0'));
                out += QChar(code);
            } else if ((e == '\n' || e == '\r') && i < v.size() && (v[i] == '\n' || v[i] == '\r') && v[i] != e) {
                ++i;   // a line continued with a two-character line end
            }
            keep = out.size();
        }
    }
    if (!quoted) {
        qsizetype end = out.size();
        while (end > keep && (out[end - 1] == u' ' || out[end - 1] == u'\t'))
            --end;
        out.truncate(end);
    }
    return out;
}

// Text as QSettings writes a string: "@" doubled at the start, a text with a NUL
// character as "@String(…)".
QByteArray escapeValue(QString text)
{
    if (text.contains(QChar(0)))
        text = QStringLiteral("@String(") + text + u')';
    else if (text.startsWith(u'@'))
        text.prepend(u'@');
    QByteArray out;
    QStringEncoder utf8(QStringEncoder::Utf8);
    bool quote = false;
    bool escapeHexDigit = false;   // after "\0" or "\x1f" a hex digit would join the escape
    for (const QChar c : text) {
        const char16_t ch = c.unicode();
        quote = quote || ch == ';' || ch == ',' || ch == '=';
        if (escapeHexDigit && hexValue(ch) >= 0) {
            out += "\\x" + QByteArray::number(ch, 16);
            continue;
        }
        escapeHexDigit = false;
        switch (ch) {
        case 0: out += "\\0"; escapeHexDigit = true; break;
        case '\a': out += "\\a"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\v': out += "\\v"; break;
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        default:
            if (ch < 0x20) {
                out += "\\x" + QByteArray::number(ch, 16);
                escapeHexDigit = true;
            } else {
                out += utf8(QStringView(&c, 1));
            }
        }
    }
    if (quote || out.startsWith(' ') || out.endsWith(' '))
        return '"' + out + '"';
    return out;
}
} // namespace

bool IniText::parse(QByteArrayView text, QSettings::SettingsMap *settings, int *lineNumber)
{
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    Lines lines(text);
    QByteArrayView line;
    qsizetype equals = 0;
    qsizetype start = 0;
    QString section;
    while (lines.next(&line, &equals, &start)) {
        bool understood = true;
        if (line.startsWith('[')) {
            const qsizetype close = line.indexOf(']');
            const QByteArrayView name = trimmed(line.sliced(1, qMax<qsizetype>(close, 1) - 1));
            if (QLatin1StringView(name).compare(QLatin1StringView("general"), Qt::CaseInsensitive) == 0)
                section.clear();
            else if (QLatin1StringView(name).compare(QLatin1StringView("%general"), Qt::CaseInsensitive) == 0)
                section = QString::fromLatin1(name.sliced(1)) + u'/';
            else
                section = unescapeKey(name) + u'/';
            understood = close > 0 && section != u"/";
        } else if (equals > 0 && !trimmed(line.first(equals)).isEmpty()) {
            QString value = unescapeValue(line.sliced(equals + 1));
            // Qt's typed values start with one "@"; the program writes text that
            // starts with "@" with a second one, and text with a NUL as @String(…).
            if (value.startsWith(QLatin1StringView("@@")))
                value.remove(0, 1);
            else if (value.startsWith(QLatin1StringView("@String(")) && value.endsWith(u')'))
                value = value.sliced(8).chopped(1);
            else if (value.startsWith(u'@'))
                understood = false;
            // Only keys as QSettings makes them: an empty one, one with a slash at
            // either end or two in a row would not be written back as it was read.
            const QString key = section + unescapeKey(trimmed(line.first(equals)));
            understood = understood && !key.isEmpty() && !key.startsWith(u'/') && !key.endsWith(u'/')
                         && !key.contains(QLatin1StringView("//"));
            settings->insert(key, value);
        } else {
            understood = false;
        }
        if (!understood) {
            if (lineNumber)
                *lineNumber = int(text.first(start).count('\n') + 1);
            return false;
        }
    }
    return true;
}

bool IniText::compose(const QSettings::SettingsMap &settings, QByteArray *text)
{
    // By section, each section's keys in order: QSettings hands over "section/key"
    // in the order of the whole text, which is not that of the sections.
    QMap<QString, QList<std::pair<QString, QString>>> sections;
    for (auto it = settings.cbegin(); it != settings.cend(); ++it) {
        if (it.value().typeId() != QMetaType::QString)
            return false;
        const qsizetype slash = it.key().indexOf(u'/');
        sections[slash < 0 ? QString() : it.key().first(slash)].append({it.key().sliced(slash + 1), it.value().toString()});
    }
    text->clear();
    for (auto it = sections.cbegin(); it != sections.cend(); ++it) {
        if (it != sections.cbegin())
            *text += '\n';
        const QByteArray name = escapeKey(it.key());
        if (name.isEmpty())
            *text += "[General]\n";
        else if (name.compare("general", Qt::CaseInsensitive) == 0)
            *text += "[%General]\n";
        else
            *text += '[' + name + "]\n";
        for (const auto &[key, value] : it.value())
            *text += escapeKey(key) + '=' + escapeValue(value) + '\n';
    }
    return true;
}

bool IniText::read(QIODevice &device, QSettings::SettingsMap &settings)
{
    const QByteArray text = device.read(MaxBytes + 1);
    int line = 0;
    if (text.size() <= MaxBytes && parse(text, &settings, &line))
        return true;
    if (text.size() > MaxBytes)
        qCDebug(lcStore) << "the settings file is larger than" << MaxBytes << "bytes";
    else
        qCDebug(lcStore) << "line" << line << "of the settings file is no section, key or text value";
    // QSettings keeps what it read of a file for the whole process and takes it
    // again while the file's size and time stay the same; after a read that failed
    // it would take an empty map as the file's contents, and a write would put
    // that in place of the file. So a file that is not understood reads as one
    // value that is no text: readers take that as "not understood", and write()
    // refuses it.
    settings = {{QStringLiteral("understood"), QVariant(false)}};
    return true;
}

bool IniText::write(QIODevice &device, const QSettings::SettingsMap &settings)
{
    QByteArray text;
    return compose(settings, &text) && device.write(text) == text.size();
}
