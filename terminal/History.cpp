#include "terminal/History.h"

#include "platform/Colors.h"
#include "platform/Windows1252.h"

#include <algorithm>
#include <cstring>

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

void History::store(const char *chars, int length, const Run *runs, int runCount, bool separator)
{
    char *record = room(HeaderBytes + RunBytes * runCount + length);
    put16(record, length);
    put16(record + 2, runCount);
    record[4] = separator;
    char *run = record + HeaderBytes;
    for (int r = 0; r < runCount; ++r, run += RunBytes) {
        put16(run, runs[r].from);
        run[2] = char(runs[r].colour & 0xFF);
        run[3] = char(runs[r].colour >> 8 & 0xFF);
        run[4] = char(runs[r].colour >> 16 & 0xFF);
    }
    if (length > 0)
        std::memcpy(run, chars, size_t(length));
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

void History::take(const RichTextModel &text, int from, int to)
{
    const int n = to - from;
    const int at = int(m_open.size());
    m_open.resize(at + n);
    char *out = m_open.data() + at;
    const char16_t *in = reinterpret_cast<const char16_t *>(text.text().constData()) + from;
    // Mostly ASCII: narrowed in one sweep the compiler can vectorise, the rest mended.
    char16_t wide = 0;
    for (int i = 0; i < n; ++i) {
        out[i] = char(in[i]);
        wide |= in[i];
    }
    if (wide >= 0x80)
        for (int i = 0; i < n; ++i)
            if (in[i] >= 0x80)
                out[i] = encode(QChar(in[i]));
    // A new run wherever the colour changes.
    quint32 last = m_openRuns.empty() ? ~0u : m_openRuns.back().colour;
    const auto follow = [&](int i, quint32 colour) {
        if (colour != last) {
            m_openRuns.push_back({at + i, colour});
            last = colour;
        }
    };
    if (const quint32 *colours = text.colorData(from, n)) {
        for (int i = 0; i < n; ++i)
            follow(i, colours[i]);
    } else {
        for (int i = 0; i < n; ++i)
            follow(i, text.colorAt(from + i));
    }
}

bool History::storeOpen(bool ended)
{
    if (ended && m_open.size() <= MaxLineLength) {
        // The usual line: one piece with all its runs.
        store(m_open.constData(), int(m_open.size()), m_openRuns.data(), int(m_openRuns.size()));
        m_open.resize(0);
        m_openRuns.clear();
        return true;
    }
    int at = 0;
    size_t run = 0;
    while (m_open.size() - at >= MaxLineLength || (ended && at < m_open.size())) {
        const int n = int(std::min<qsizetype>(MaxLineLength, m_open.size() - at));
        // The piece's runs: the one it starts in, and those that start in it.
        m_pieceRuns.clear();
        for (; run < m_openRuns.size() && m_openRuns[run].from < at + n; ++run)
            m_pieceRuns.push_back({std::max(0, m_openRuns[run].from - at), m_openRuns[run].colour});
        // The next piece starts in the last of them, unless a run starts right there.
        if (run > 0 && (run == m_openRuns.size() || m_openRuns[run].from > at + n))
            --run;
        store(m_open.constData() + at, n, m_pieceRuns.data(), int(m_pieceRuns.size()));
        at += n;
    }
    if (at == 0)
        return false;
    // What is left keeps its runs, from its own start.
    m_open.remove(0, at);
    m_openRuns.erase(m_openRuns.begin(), m_openRuns.begin() + qsizetype(run));
    for (Run &r : m_openRuns)
        r.from = std::max(0, r.from - at);
    if (m_open.isEmpty())
        m_openRuns.clear();
    return true;
}

void History::lineEnded(const RichTextModel &text, int from, int to)
{
    take(text, from, to);
    storeOpen(true);
    emit added();
}

void History::lineHeadLeaving(const RichTextModel &text, int from, int to)
{
    take(text, from, to);
    if (storeOpen(false))
        emit added();
}

void History::openLineTaken()
{
    m_open.resize(0);
    m_openRuns.clear();
}

void History::textReplaced(const RichTextModel &text, int from, int to)
{
    // An open line that was shown has ended too.
    if (!m_open.isEmpty() || to > from)
        lineEnded(text, from, to);
}

void History::pageCleared()
{
    store(nullptr, 0, nullptr, 0, true);
    emit added();
}
