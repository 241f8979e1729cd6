#include "terminal/GyroSeries.h"

#include "platform/Clock.h"

#include <cmath>

void GyroSeries::record(Gyro gyro, int column)
{
    qint64 ms = m_clock.msecs();
    // Readings stay in time order, which the searches rely on, even should a
    // clock ever step back.
    if (m_size > 0)
        ms = std::max(ms, newest().ms);
    const Entry e{ms, qint64(gyro), column >= 1 && column <= Columns ? column : 0};
    ++m_recorded;
    if (m_size < Capacity) {
        m_ring.push_back(e);
        ++m_size;
        return;
    }
    m_ring[size_t(m_oldest)] = e;
    m_oldest = (m_oldest + 1) & (Capacity - 1);
}

qsizetype GyroSeries::firstAfter(qint64 ms) const
{
    qsizetype lo = 0, hi = m_size;
    while (lo < hi) {
        const qsizetype mid = lo + (hi - lo) / 2;
        if (at(mid).ms <= ms)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

GyroSeries::Figures GyroSeries::figures(Gyro gyro, qint64 from, qint64 to) const
{
    Figures f;
    // Whole numbers: the sums are exact, and so is the variance n*sum(x^2) - sum(x)^2.
    qint64 sum = 0, squares = 0;
    for (qsizetype i = firstAfter(from); i < m_size; ++i) {
        const Reading r = at(i);
        if (r.ms > to)
            break;
        if (r.gyro != gyro)
            continue;
        f.current = r.column;
        if (r.column == 0) {
            ++f.gaps;
            continue;
        }
        if (f.readings == 0 || r.column < f.minimum)
            f.minimum = r.column;
        if (f.readings == 0 || r.column > f.maximum)
            f.maximum = r.column;
        ++f.readings;
        sum += r.column;
        squares += qint64(r.column) * r.column;
    }
    if (f.readings > 0) {
        const double n = double(f.readings);
        f.mean = double(sum) / n;
        f.deviation = std::sqrt(double(f.readings * squares - sum * sum)) / n;
    }
    return f;
}

QByteArray GyroSeries::csv() const
{
    QByteArray out("zeit_s;gyro;spalte\r\n");
    if (m_size == 0)
        return out;
    out.reserve(out.size() + m_size * 18);
    const qint64 first = at(0).ms;
    for (qsizetype i = 0; i < m_size; ++i) {
        const Reading r = at(i);
        const qint64 ms = r.ms - first;
        out += QByteArray::number(ms / 1000);
        out += '.';
        out += QByteArray::number(ms % 1000).rightJustified(3, '0');
        out += ';';
        out += name(r.gyro).toUtf8();
        out += ';';
        if (r.column > 0)
            out += QByteArray::number(r.column);
        out += "\r\n";
    }
    return out;
}

QString GyroSeries::name(Gyro gyro)
{
    switch (gyro) {
    case Gyro::Roll: return QStringLiteral("Roll");
    case Gyro::Nick: return QStringLiteral("Nick");
    case Gyro::Gier: return QStringLiteral("Gier");
    }
    return {};
}
