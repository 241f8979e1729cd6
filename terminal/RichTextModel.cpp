#include "terminal/RichTextModel.h"

#include <algorithm>

RichTextModel::RichTextModel(QObject *parent) : QObject(parent) {}

void RichTextModel::setText(const QString &text)
{
    m_text = text;
    m_colors.assign(size_t(m_text.size()), 0u);
    m_selStart = 0;
    m_selLength = 0;
    emit changed();
}

void RichTextModel::setSelStart(int pos)
{
    const int start = std::clamp(pos, 0, length());
    if (start == m_selStart && m_selLength == 0)
        return;
    m_selStart = start;
    m_selLength = 0;
    emit selectionChanged();
}

void RichTextModel::setSelLength(int len)
{
    const int clamped = std::clamp(len, 0, length() - m_selStart);
    if (clamped == m_selLength)
        return;
    m_selLength = clamped;
    emit selectionChanged();
}

void RichTextModel::setSelColor(quint32 color)
{
    m_selColor = color & 0xFFFFFFu;
    if (m_selLength > 0) {
        std::fill_n(m_colors.begin() + m_selStart, m_selLength, m_selColor);
        emit changed();
    }
}

void RichTextModel::setSelText(const QString &text)
{
    if (m_selStart == length() && m_selLength == 0) {
        // The hot path: appending at the end.
        m_text.append(text);
        m_colors.insert(m_colors.end(), size_t(text.size()), m_selColor);
    } else {
        m_text.replace(m_selStart, m_selLength, text);
        auto at = m_colors.begin() + m_selStart;
        at = m_colors.erase(at, at + m_selLength);
        m_colors.insert(at, size_t(text.size()), m_selColor);
    }
    m_selStart += int(text.size());
    m_selLength = 0;
    emit changed();
}
