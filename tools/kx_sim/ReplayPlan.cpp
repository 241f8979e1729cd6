#include "ReplayPlan.h"

#include <QIODevice>

#include <cmath>

namespace {
// Longer pauses than this are no capture of a serial session but a damaged file,
// and they keep the arithmetic in microseconds far from overflowing.
constexpr double MaxPauseSeconds = 24 * 60 * 60;
// A timing line is two numbers; a longer one is not read whole to say so.
constexpr qint64 MaxLineBytes = 1024;

// Moves past the first line, however long; false when there is no line end.
bool skipFirstLine(QIODevice *device)
{
    while (!device->atEnd()) {
        const QByteArray part = device->readLine(MaxLineBytes);
        if (part.isEmpty())
            return false;
        if (part.endsWith('\n'))
            return true;
    }
    return false;
}
} // namespace

bool ReplayPlan::timingLine(qint64 *pauseUs, qint64 *count, QString *error)
{
    if (m_timing->atEnd())
        return false;
    ++m_line;
    const QByteArray line = m_timing->readLine(MaxLineBytes + 1);
    const QList<QByteArray> fields = line.simplified().split(' ');
    bool pauseOk = false;
    bool countOk = false;
    const double pause = fields.value(0).toDouble(&pauseOk);
    *count = fields.value(1).toLongLong(&countOk);
    // The comparisons are written so that NaN fails them too.
    if (line.size() > MaxLineBytes || fields.size() != 2 || !pauseOk || !countOk
        || !(pause >= 0 && pause <= MaxPauseSeconds) || *count < 0) {
        *error = QStringLiteral("line %1 is not \"SECONDS BYTES\" (a pause of 0 to %2 seconds, a byte count)")
                     .arg(m_line)
                     .arg(MaxPauseSeconds);
        return false;
    }
    *pauseUs = std::llround(pause * 1e6);
    return true;
}

bool ReplayPlan::open(QIODevice *data, QIODevice *timing, QString *error)
{
    m_data = data;
    m_timing = timing;
    m_line = 0;
    m_chunkLeft = 0;
    if (!timing) {
        if (data->peek(18) == "Script started on " && !skipFirstLine(data))
            data->seek(data->size());
        return true;
    }
    if (!skipFirstLine(data))
        data->seek(data->size());
    error->clear();
    qint64 left = data->size() - data->pos();
    qint64 pauseUs = 0;
    qint64 count = 0;
    while (timingLine(&pauseUs, &count, error)) {
        if (count > left) {
            *error = QStringLiteral("line %1 wants %2 bytes, but the data file has only %3 left")
                         .arg(m_line)
                         .arg(count)
                         .arg(left);
            return false;
        }
        left -= count;
    }
    m_line = 0;
    return error->isEmpty() && timing->seek(0);
}

bool ReplayPlan::next(Step *step)
{
    step->pauseUs = 0;
    if (m_timing && m_chunkLeft == 0) {
        QString error;
        if (!timingLine(&step->pauseUs, &m_chunkLeft, &error))
            return false;
    }
    const qint64 wanted = m_timing ? std::min<qint64>(m_chunkLeft, MaxStepBytes) : MaxStepBytes;
    step->bytes = m_data->read(wanted);
    m_chunkLeft -= m_timing ? wanted : 0;
    return m_timing || !step->bytes.isEmpty();
}
