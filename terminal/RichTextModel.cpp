#include "terminal/RichTextModel.h"

#include "platform/Windows1252.h"

#include <algorithm>

RichTextModel::RichTextModel(QObject *parent) : QObject(parent)
{
    m_text.reserve(2048);   // room for the terminal's few hundred characters and their cuts
    m_colors.reserve(2048);
}

RichTextModel::Batch::~Batch()
{
    if (--m_model.m_batch > 0)
        return;
    // Changed first: a view lays the new text out before it looks for the caret.
    if (std::exchange(m_model.m_changed, false))
        emit m_model.changed();
    if (std::exchange(m_model.m_moved, false))
        emit m_model.selectionChanged();
}

void RichTextModel::notifyChanged()
{
    if (m_batch > 0)
        m_changed = true;
    else
        emit changed();
}

void RichTextModel::notifyMoved()
{
    if (m_batch > 0)
        m_moved = true;
    else
        emit selectionChanged();
}

void RichTextModel::setLineSink(LineSink *sink)
{
    m_sink = sink;
    m_lineStart = int(m_text.lastIndexOf(u'\n') + 1);
}

void RichTextModel::endLines(qsizetype from, qsizetype to)
{
    // Mostly a few characters, or one CR LF: a plain look at each costs less than
    // setting up a search.
    const char16_t *t = reinterpret_cast<const char16_t *>(m_text.constData());
    char16_t any = 0;
    for (qsizetype p = from; p < to; ++p)
        any |= t[p] == u'\n';
    for (qsizetype p = from; any && p < to; ++p) {
        if (t[p] != u'\n')
            continue;
        const qsizetype end = p > m_lineStart && t[p - 1] == u'\r' ? p - 1 : p;
        m_sink->lineEnded(*this, m_lineStart, int(end));
        m_lineStart = int(p + 1);
    }
}

void RichTextModel::colourAll()
{
    m_colors.insert(0, m_blackBelow, 0u);
    m_blackBelow = 0;
}

void RichTextModel::setText(const QString &text)
{
    if (m_sink)
        m_sink->textReplaced(*this, m_lineStart, length());
    m_text = text;
    m_blackBelow = m_text.size();
    m_colors.clear();
    m_selStart = 0;
    m_selLength = 0;
    m_lineStart = 0;
    if (m_sink)
        endLines(0, length());
    emit kept(0, 0);
    notifyChanged();
}

void RichTextModel::keep(int from, int count)
{
    from = std::clamp(from, 0, length());
    count = std::clamp(count, 0, length() - from);
    if (m_sink) {
        if (from + count < length() && from + count <= m_lineStart) {
            m_sink->openLineTaken();
            m_lineStart = count;
        } else if (m_lineStart < from) {
            m_sink->lineHeadLeaving(*this, m_lineStart, from);
            m_lineStart = 0;
        } else {
            m_lineStart -= from;
        }
    }
    // Cutting at the front only moves where the text starts in its buffer; the
    // text slides back to the buffer's start only when appends reach its end, once
    // in many cuts instead of on each.
    m_text.remove(0, from);
    m_text.truncate(count);
    if (from <= m_blackBelow) {
        m_blackBelow -= from;
    } else {
        m_colors.remove(0, from - m_blackBelow);
        m_blackBelow = 0;
    }
    if (m_blackBelow >= count) {
        m_blackBelow = count;
        m_colors.clear();
    } else {
        m_colors.resize(count - m_blackBelow);
    }
    m_selStart = 0;
    m_selLength = 0;
    emit kept(from, count);
    notifyChanged();
}

void RichTextModel::setSelStart(int pos)
{
    const int start = std::clamp(pos, 0, length());
    if (start == m_selStart && m_selLength == 0)
        return;
    m_selStart = start;
    m_selLength = 0;
    notifyMoved();
}

void RichTextModel::setSelLength(int len)
{
    const int clamped = std::clamp(len, 0, length() - m_selStart);
    if (clamped == m_selLength)
        return;
    m_selLength = clamped;
    notifyMoved();
}

void RichTextModel::setSelColor(quint32 color)
{
    m_selColor = color & 0xFFFFFFu;
    if (m_selLength > 0) {
        colourAll();
        std::fill_n(m_colors.begin() + m_selStart, m_selLength, m_selColor);
        notifyChanged();
    }
}

void RichTextModel::setSelText(QStringView text)
{
    if (m_selStart == length() && m_selLength == 0) {
        // The hot path: appending at the end, mostly a single character.
        if (text.size() == 1) {
            m_text.append(text.front());
            m_colors.append(m_selColor);
            if (m_sink && text.front() == u'\n')
                endLines(length() - 1, length());
        } else {
            m_text.append(text);
            m_colors.insert(m_colors.size(), text.size(), m_selColor);
            if (m_sink)
                endLines(length() - text.size(), length());
        }
    } else {
        colourAll();
        m_text.replace(m_selStart, m_selLength, text.toString());
        m_colors.remove(m_selStart, m_selLength);
        m_colors.insert(m_selStart, text.size(), m_selColor);
        // An edit in the open line may end it; one above it only moves it. Lines
        // that have ended stay as they ended.
        if (m_sink) {
            if (m_selStart >= m_lineStart)
                endLines(m_selStart, m_selStart + text.size());
            else if (m_selStart + m_selLength <= m_lineStart)
                m_lineStart += int(text.size()) - m_selLength;
            else
                m_lineStart = m_selStart + int(text.size());
        }
    }
    m_selStart += int(text.size());
    m_selLength = 0;
    notifyChanged();
}

bool RichTextModel::type(int keyAscii)
{
    QString typed;
    switch (keyAscii) {
    case 8:
        erase(m_selStart, true);
        return true;
    case 10:
    case 13:
        typed = QStringLiteral("\r\n");
        break;
    case 9:
        typed = QStringLiteral("\t");
        break;
    default:
        // Other control codes (Escape, Ctrl+C, ...) are not text.
        if (keyAscii < 32 || keyAscii == 127 || keyAscii > 255)
            return false;
        typed = Windows1252::toChar(static_cast<unsigned char>(keyAscii));
    }
    setSelText(typed);
    return true;
}

// A CR LF goes at once.
void RichTextModel::erase(int pos, bool before)
{
    if (m_selLength == 0) {
        const int from = before ? stepBack(pos) : pos;
        const int to = before ? pos : stepOn(pos);
        if (from == to)
            return;
        setSelStart(from);
        setSelLength(to - from);
    }
    setSelText(QString());
}

int RichTextModel::stepBack(int pos) const
{
    if (pos >= 2 && pos <= length() && m_text[pos - 2] == u'\r' && m_text[pos - 1] == u'\n')
        return pos - 2;
    return std::max(0, pos - 1);
}

int RichTextModel::stepOn(int pos) const
{
    if (pos >= 0 && pos + 1 < length() && m_text[pos] == u'\r' && m_text[pos + 1] == u'\n')
        return pos + 2;
    return std::min(length(), pos + 1);
}
