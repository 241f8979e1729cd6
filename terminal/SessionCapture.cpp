#include "terminal/SessionCapture.h"

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Log.h"
#include "serial/CommError.h"
#include "serial/SerialComm.h"

#include <QDateTime>
#include <QFileInfo>

namespace {
QString quoted(const QString &path)
{
    return u'"' + CommError::quote(path, 100) + u'"';
}
} // namespace

SessionCapture::SessionCapture(SerialComm &port, const Clock &clock, QObject *parent)
    : QObject(parent), m_port(port), m_clock(clock)
{
    connect(&m_port, &SerialComm::bytesArrived, this, &SessionCapture::take);
}

bool SessionCapture::start(const QString &path, Dialogs &dialogs)
{
    stop();
    const auto refuse = [&](const QString &reason) {
        m_data.close();
        m_timing.close();
        dialogs.msgBox(QStringLiteral("Der Mitschnitt kann nicht nach %1 geschrieben werden: %2").arg(quoted(path), reason),
                       Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        return false;
    };
    const QString timingPath = timingFileName(path);
    const RegularFile::Look data = RegularFile::look(path);
    const RegularFile::Look timing = RegularFile::look(timingPath);
    for (const auto &[look, name] : {std::pair{data, path}, {timing, timingPath}}) {
        if (look.kind == RegularFile::Kind::Unknown)
            return refuse(look.reason);
        if (look.kind != RegularFile::Kind::Missing && look.kind != RegularFile::Kind::Regular)
            return refuse(QStringLiteral("%1 ist %2.").arg(quoted(name), RegularFile::describe(look.kind)));
    }
    if (timing.kind == RegularFile::Kind::Regular) {
        const QString question = timing.link
            ? QStringLiteral("Die Zeitdatei %1 gibt es schon: eine Verknüpfung auf %2. Soll die Datei, auf die sie "
                             "zeigt, ersetzt werden?").arg(quoted(timingPath), quoted(QFileInfo(timingPath).symLinkTarget()))
            : QStringLiteral("Die Zeitdatei %1 gibt es schon. Soll sie ersetzt werden?").arg(quoted(timingPath));
        if (dialogs.msgBox(question, Dialogs::Buttons::OkCancel, Dialogs::Icon::Question) != Dialogs::Answer::Ok)
            return false;
    }
    QString why;
    // A link put in place of the timing file after the question is not followed.
    if (!m_data.create(path, true, &why) || !m_timing.create(timingPath, timing.link, &why))
        return refuse(why);
    if (m_data.sameFileAs(m_timing))
        return refuse(QStringLiteral("Die Zeitdatei ist dieselbe Datei."));
    // The header line that script(1) writes and scriptreplay skips.
    const QByteArray header = "Script started on "
                              + QDateTime::currentDateTime().toString(Qt::ISODate).toUtf8()
                              + " [KX_Display]\n";
    if (m_data.write(header, &why) != header.size())
        return refuse(why);
    m_path = path;
    m_dataSize = header.size();
    m_timingSize = 0;
    m_lastNs = m_clock.nsecs();
    qCInfo(lcCapture) << "capturing to" << path << "and" << timingPath;
    emit runningChanged(true);
    return true;
}

void SessionCapture::stop()
{
    if (!running())
        return;
    m_data.close();
    m_timing.close();
    qCInfo(lcCapture) << "capture to" << m_path << "ended";
    emit runningChanged(false);
}

void SessionCapture::take(const QByteArray &bytes)
{
    if (!running())
        return;
    const qint64 now = m_clock.nsecs();
    QString why;
    const qint64 written = m_data.write(bytes, &why);
    if (written > 0) {
        // What went in is counted, however little; what the timing file cannot
        // count is taken out again, so that neither file holds what the other lacks.
        const QByteArray timing = QByteArray::number(double(now - m_lastNs) / 1e9, 'f', 6) + ' '
                                  + QByteArray::number(written) + '\n';
        QString timingWhy;
        if (m_timing.write(timing, &timingWhy) != timing.size()) {
            m_timing.truncate(m_timingSize);
            m_data.truncate(m_dataSize);
            return fail(timingWhy);
        }
        m_lastNs = now;
        m_dataSize += written;
        m_timingSize += timing.size();
    }
    if (written < bytes.size())
        return fail(why);
    // Writing on into a file that was deleted would lose everything without a word.
    if (!QFileInfo::exists(m_path) || !QFileInfo::exists(timingFileName(m_path)))
        fail(QStringLiteral("Die Datei wurde entfernt."));
}

void SessionCapture::fail(const QString &reason)
{
    stop();
    qCWarning(lcCapture) << "capture to" << m_path << "failed:" << reason;
    emit failed(QStringLiteral("Der Mitschnitt nach %1 wurde beendet: %2").arg(quoted(m_path), reason));
}
