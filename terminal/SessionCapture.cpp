#include "terminal/SessionCapture.h"

#include "platform/Clock.h"
#include "platform/Log.h"
#include "serial/CommError.h"
#include "serial/SerialComm.h"

#include <QDateTime>
#include <QFileInfo>

SessionCapture::SessionCapture(SerialComm &port, const Clock &clock, QObject *parent)
    : QObject(parent), m_port(port), m_clock(clock)
{
    connect(&m_port, &SerialComm::bytesArrived, this, &SessionCapture::take);
}

SessionCapture::~SessionCapture()
{
    m_data.close();
    m_timing.close();
}

bool SessionCapture::start(const QString &path, QString *why)
{
    stop();
    m_data.setFileName(path);
    m_timing.setFileName(timingFileName(path));
    if (!m_data.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || !m_timing.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *why = QStringLiteral("Der Mitschnitt kann nicht nach \"%1\" geschrieben werden: %2")
                   .arg(CommError::quote(path, 100), m_data.isOpen() ? m_timing.errorString() : m_data.errorString());
        m_data.close();
        m_timing.close();
        return false;
    }
    // The header line that script(1) writes and scriptreplay skips.
    const QByteArray header = "Script started on "
                              + QDateTime::currentDateTime().toString(Qt::ISODate).toUtf8()
                              + " [KX_Display]\n";
    if (m_data.write(header) != header.size() || !m_data.flush()) {
        *why = QStringLiteral("Der Mitschnitt kann nicht nach \"%1\" geschrieben werden: %2")
                   .arg(CommError::quote(path, 100), m_data.errorString());
        m_data.close();
        m_timing.close();
        return false;
    }
    m_lastNs = m_clock.nsecs();
    qCInfo(lcCapture) << "capturing to" << path << "and" << m_timing.fileName();
    emit runningChanged(true);
    return true;
}

void SessionCapture::stop()
{
    if (!running())
        return;
    m_data.close();
    m_timing.close();
    qCInfo(lcCapture) << "capture to" << m_data.fileName() << "ended";
    emit runningChanged(false);
}

void SessionCapture::take(const QByteArray &bytes)
{
    if (!running())
        return;
    const qint64 now = m_clock.nsecs();
    const QByteArray timing = QByteArray::number(double(now - m_lastNs) / 1e9, 'f', 6) + ' '
                              + QByteArray::number(bytes.size()) + '\n';
    m_lastNs = now;
    // Written through at once: a capture must be complete whenever the program ends.
    if (m_data.write(bytes) != bytes.size() || !m_data.flush())
        return fail(m_data.errorString());
    if (m_timing.write(timing) != timing.size() || !m_timing.flush())
        return fail(m_timing.errorString());
    // Writing on into a file that was deleted would lose everything without a word.
    if (!QFileInfo::exists(m_data.fileName()) || !QFileInfo::exists(m_timing.fileName()))
        fail(QStringLiteral("Die Datei wurde entfernt."));
}

void SessionCapture::fail(const QString &reason)
{
    const QString path = m_data.fileName();
    stop();
    qCWarning(lcCapture) << "capture to" << path << "failed:" << reason;
    emit failed(QStringLiteral("Der Mitschnitt nach \"%1\" wurde beendet: %2").arg(CommError::quote(path, 100), reason));
}
