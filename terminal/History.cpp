#include "terminal/History.h"

#include "terminal/Colors.h"
#include "terminal/Windows1252.h"

#include <algorithm>

namespace {
constexpr qsizetype BlockSize = 64 * 1024;
// A line's record: its length and number of runs (16 bits each) and whether it is
// a separator, then its runs (where each starts, 16 bits, and its colour, 24),
// then its characters.
constexpr qsizetype HeaderBytes = 5;
constexpr qsizetype RunBytes = 5;

void put16(char *at, int v)
{
    at[0] = char(v & 0xFF);
    at[1] = char(v >> 8 & 0xFF);
}

int get16(const char *at)
{
    return uchar(at[0]) | uchar(at[1]) << 8;
}

char encode(QChar c)
{
    // Everything the terminal shows came as a byte of this code page, or was typed
    // in it; anything else could only be a placeholder.
    const int byte = Windows1252::fromChar(c);
    return byte != 0 || c.isNull() ? char(byte) : '?';
}
} // namespace

const QString History::PageSeparator = QStringLiteral("──── Seite gelöscht ────");

History::History(QObject *parent) : QObject(parent) {}

History::~History() = default;

char *History::room(qsizetype bytes)
{
    if (m_blocks.empty() || m_blocks.back().used + bytes > BlockSize) {
        // Lines of many colours fill the blocks before the lines reach their
        // number: the oldest make way until a block is free.
        while (qsizetype(m_blocks.size()) * BlockSize >= MaxBytes && m_first < m_end)
            dropOldest();
        Block block;
        block.bytes = m_spare ? std::move(m_spare) : std::make_unique<char[]>(BlockSize);
        m_blocks.push_back(std::move(block));
    }
    Block &block = m_blocks.back();
    char *at = block.bytes.get() + block.used;
    block.used += bytes;
    ++block.lines;
    return at;
}

void History::dropOldest()
{
    ++m_first;
    Block &oldest = m_blocks.front();
    if (--oldest.lines == 0 && m_blocks.size() > 1) {
        m_spare = std::move(oldest.bytes);
        m_blocks.pop_front();
    }
}

template <typename CharAt, typename ColourAt>
void History::store(int length, CharAt charAt, ColourAt colourAt, bool separator)
{
    int runs = 0;
    for (int i = 0; i < length; ++i)
        runs += i == 0 || colourAt(i) != colourAt(i - 1);
    char *record = room(HeaderBytes + RunBytes * runs + length);
    put16(record, length);
    put16(record + 2, runs);
    record[4] = separator;
    char *run = record + HeaderBytes;
    char *chars = run + RunBytes * runs;
    quint32 last = 0;
    for (int i = 0; i < length; ++i) {
        const quint32 colour = colourAt(i);
        if (i == 0 || colour != last) {
            put16(run, i);
            run[2] = char(colour & 0xFF);
            run[3] = char(colour >> 8 & 0xFF);
            run[4] = char(colour >> 16 & 0xFF);
            run += RunBytes;
            last = colour;
        }
        chars[i] = encode(charAt(i));
    }
    const Entry entry{record, m_endOffset};
    if (qint64(m_index.size()) < MaxLines)
        m_index.push_back(entry);
    else
        m_index[size_t(m_end % MaxLines)] = entry;
    m_endOffset += (separator ? PageSeparator.size() : length) + 1;
    ++m_end;
    if (m_end - m_first > MaxLines)
        dropOldest();
}

const char *History::record(qint64 line) const
{
    return m_index[size_t(line % MaxLines)].record;
}

QString History::text(qint64 line) const
{
    if (line < m_first || line >= m_end)
        return {};
    const char *r = record(line);
    if (r[4])
        return PageSeparator;
    const int length = get16(r);
    const char *chars = r + HeaderBytes + RunBytes * get16(r + 2);
    QString out(length, Qt::Uninitialized);
    QChar *d = out.data();
    for (int i = 0; i < length; ++i)
        d[i] = Windows1252::toChar(uchar(chars[i]));
    return out;
}

QList<History::Run> History::runs(qint64 line) const
{
    if (line < m_first || line >= m_end)
        return {};
    const char *r = record(line);
    if (r[4])
        return {{0, Colors::Grey}};
    QList<Run> out;
    const int count = get16(r + 2);
    out.reserve(count);
    for (const char *run = r + HeaderBytes; run < r + HeaderBytes + RunBytes * count; run += RunBytes)
        out.append({get16(run), quint32(uchar(run[2])) | quint32(uchar(run[3])) << 8 | quint32(uchar(run[4])) << 16});
    return out;
}

bool History::isSeparator(qint64 line) const
{
    return line >= m_first && line < m_end && record(line)[4];
}

qint64 History::offsetOf(qint64 line) const
{
    if (m_first == m_end)
        return 0;
    const qint64 base = m_index[size_t(m_first % MaxLines)].offset;
    line = std::clamp(line, m_first, m_end);
    return (line == m_end ? m_endOffset : m_index[size_t(line % MaxLines)].offset) - base;
}

qint64 History::lineAt(qint64 offset) const
{
    // The last line that starts at or before the offset.
    qint64 lo = m_first, hi = m_end;
    while (hi - lo > 1) {
        const qint64 mid = lo + (hi - lo) / 2;
        (offsetOf(mid) <= offset ? lo : hi) = mid;
    }
    return lo;
}

void History::takeHead(const RichTextModel &text, int from, int to)
{
    m_head.append(QStringView(text.text()).sliced(from, to - from));
    for (int i = from; i < to; ++i)
        m_headColours.push_back(text.colorAt(i));
}

// Stores the kept start of the open line as lines of MaxLineLength, and what is
// left of it too when the line has ended. True when it stored any.
bool History::storeHead(bool all)
{
    qsizetype at = 0;
    while (m_head.size() - at >= MaxLineLength || (all && at < m_head.size())) {
        const int n = int(std::min<qsizetype>(MaxLineLength, m_head.size() - at));
        store(n, [&](int i) { return m_head[at + i]; }, [&](int i) { return m_headColours[size_t(at + i)]; });
        at += n;
    }
    m_head.remove(0, at);
    m_headColours.erase(m_headColours.begin(), m_headColours.begin() + at);
    return at > 0;
}

void History::lineEnded(const RichTextModel &text, int from, int to)
{
    if (m_head.isEmpty() && to - from <= MaxLineLength) {
        // The usual line: straight from the text into its record.
        const QChar *chars = text.text().constData() + from;
        store(to - from, [chars](int i) { return chars[i]; }, [&text, from](int i) { return text.colorAt(from + i); });
    } else {
        takeHead(text, from, to);
        storeHead(true);
    }
    emit added();
}

void History::lineHeadLeaving(const RichTextModel &text, int from, int to)
{
    takeHead(text, from, to);
    if (storeHead(false))
        emit added();
}

void History::openLineTaken()
{
    m_head.clear();
    m_headColours.clear();
}

void History::textReplaced(const RichTextModel &text, int from, int to)
{
    // An open line that was shown has ended too.
    if (!m_head.isEmpty() || to > from)
        lineEnded(text, from, to);
}

void History::pageCleared()
{
    store(0, [](int) { return QChar(); }, [](int) { return 0u; }, true);
    emit added();
}
