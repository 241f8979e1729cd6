#pragma once

#include "platform/RegularFile.h"

#include <QObject>

class Clock;
class Dialogs;
class SerialComm;

// Keeps what the controller sends: every byte received while capturing goes to a
// file, unchanged (before decoding, cutting or colouring), and every read's pause
// and size to a timing file beside it (the same path with ".timing" added). The
// pair has the classic format of util-linux `script --log-timing`: a header line,
// then the bytes; one line "seconds bytes" per read. So `scriptreplay` plays it on
// a text terminal, and `kx_sim --replay FILE --timing FILE.timing` to the program.
//
// Both files are regular files: a FIFO, a device or a directory is refused, never
// waited on. Bytes go to the system as they arrive, so a capture is complete
// whenever the program ends, and the timing file always counts exactly the bytes
// the data file holds. Whoever closes the port ends the capture (a device that
// goes away and comes back does not: the pause shows in the timing file); the end
// of the program ends it too. So does a write that fails (disk full, file removed,
// no permission), which says so once.
class SessionCapture : public QObject
{
    Q_OBJECT

public:
    SessionCapture(SerialComm &port, const Clock &clock, QObject *parent = nullptr);

    // Starts writing to path and path + ".timing". The file dialog has asked
    // before replacing FILE; a timing file that is there already is replaced only
    // when the user agrees, and a link there is named as one. When it cannot
    // capture, it says why. False when it does not capture.
    bool start(const QString &path, Dialogs &dialogs);
    void stop();
    bool running() const { return m_data.isOpen(); }
    // The data file of the running or the last capture.
    const QString &fileName() const { return m_path; }

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
    QString m_path;
    RegularFile m_data;
    RegularFile m_timing;
    qint64 m_dataSize = 0;     // what the files hold, the one counting the other's bytes
    qint64 m_timingSize = 0;
    qint64 m_lastNs = 0;
};
