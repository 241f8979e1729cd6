#include "ReplayPlan.h"

#include <cmath>

namespace {
// Longer pauses than this are no capture of a serial session but a damaged file,
// and they keep the arithmetic in microseconds far from overflowing.
constexpr double MaxPauseSeconds = 24 * 60 * 60;

QByteArray afterFirstLine(const QByteArray &data)
{
    const qsizetype end = data.indexOf('\n');
    return end < 0 ? QByteArray() : data.mid(end + 1);
}
} // namespace

bool ReplayPlan::build(const QByteArray &data, const std::optional<QByteArray> &timing, QList<Step> *steps,
                       QString *error)
{
    steps->clear();
    if (!timing) {
        steps->append({0, data.startsWith("Script started on ") ? afterFirstLine(data) : data});
        return true;
    }
    const QByteArray body = afterFirstLine(data);
    QList<QByteArray> lines = timing->split('\n');
    if (lines.last().isEmpty())
        lines.removeLast();              // the newline that ends the last line
    QList<Step> planned;
    qsizetype offset = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].simplified().split(' ');
        bool pauseOk = false;
        bool countOk = false;
        const double pause = fields.value(0).toDouble(&pauseOk);
        const qint64 count = fields.value(1).toLongLong(&countOk);
        // The comparisons are written so that NaN fails them too.
        if (fields.size() != 2 || !pauseOk || !countOk || !(pause >= 0 && pause <= MaxPauseSeconds) || count < 0) {
            *error = QStringLiteral("line %1 is not \"SECONDS BYTES\" (a pause of 0 to %2 seconds, a byte count)")
                         .arg(i + 1)
                         .arg(MaxPauseSeconds);
            return false;
        }
        if (count > body.size() - offset) {
            *error = QStringLiteral("line %1 wants %2 bytes, but the data file has only %3 left")
                         .arg(i + 1)
                         .arg(count)
                         .arg(body.size() - offset);
            return false;
        }
        planned.append({std::llround(pause * 1e6), body.mid(offset, count)});
        offset += count;
    }
    *steps = std::move(planned);
    return true;
}
