#include "terminal/CopySelection.h"

#include "terminal/RichTextModel.h"

#include <algorithm>

namespace {
QString withLineBreaks(QStringView text)
{
    QString out = text.toString();
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return out;
}
} // namespace

bool CopySelection::place(int from, int to)
{
    from = std::clamp(from, 0, m_text.length());
    to = std::clamp(to, 0, m_text.length());
    if (from > to)
        std::swap(from, to);
    if (from == to)
        from = to = 0;
    if (from == m_from && to == m_to)
        return false;
    m_from = from;
    m_to = to;
    return true;
}

bool CopySelection::choose(int from, int to)
{
    const bool moved = place(from, to);
    m_chosen = text();
    return moved;
}

void CopySelection::kept(int from, int count)
{
    m_from = std::clamp(m_from - from, 0, count);
    m_to = std::clamp(m_to - from, 0, count);
    if (m_from >= m_to)
        m_from = m_to = 0;
    if (m_anchor >= 0)
        m_anchor = std::clamp(m_anchor - from, 0, count);
}

bool CopySelection::clamp()
{
    return m_to > m_text.length() && place(m_from, m_to);
}

QString CopySelection::text() const
{
    return withLineBreaks(QStringView(m_text.text()).mid(m_from, m_to - m_from));
}

QString CopySelection::allText() const
{
    return withLineBreaks(m_text.text());
}
