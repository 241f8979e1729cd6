#include "terminal/RxLine.h"

void RxLine::append(QStringView text)
{
    m_text.append(text);
    if (m_text.size() > 2 * MaxLen)
        trim();
}

void RxLine::clear()
{
    m_text.resize(0);   // keeps the capacity: the next line reuses it
    m_headLost = false;
}

QString &RxLine::RxZeile()
{
    if (m_text.size() > MaxLen)
        trim();
    return m_text;
}

void RxLine::trim()
{
    m_text.remove(0, m_text.size() - MaxLen);
    m_headLost = true;
}
