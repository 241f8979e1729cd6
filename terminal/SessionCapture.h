#pragma once

#include <QFile>
#include <QObject>

class Clock;
class SerialComm;

// Keeps what the controller sends: every byte received while capturing goes to a
// file, unchanged (before decoding, cutting or colouring), and every read's pause
// and size to a timing file beside it (the same path with ".timing" added). The
// pair has the classic format of util-linux `script --log-timing`: a header line,
// then the bytes; one line "seconds bytes" per read. So `scriptreplay` plays it on
// a text terminal, and `kx_sim --replay FILE --timing FILE.timing` to the program.
//
// Whoever closes the port ends the capture (a device that goes away and comes back
// does not: the pause shows in the timing file); the end of the program ends it
// too, with both files complete. A write that fails (disk full, file removed, no
// permission) ends it, and says so once.
class SessionCapture : public QObject
{
    Q_OBJECT

public:
    SessionCapture(SerialComm &port, const Clock &clock, QObject *parent = nullptr);
    ~SessionCapture() override;

    // Starts writing to path and path + ".timing"; the reason when it cannot.
    bool start(const QString &path, QString *why);
    void stop();
    bool running() const { return m_data.isOpen(); }
    QString fileName() const { return m_data.fileName(); }

    static QString timingFileName(const QString &path) { return path + QStringLiteral(".timing"); }

signals:
    void runningChanged(bool running);
    // The capture ended because a file could not be written.
    void failed(const QString &description);

private:
    void take(const QByteArray &bytes);
    void fail(const QString &reason);

    SerialComm &m_port;
    const Clock &m_clock;
    QFile m_data;
    QFile m_timing;
    qint64 m_lastNs = 0;
};
