#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal pair for tests: the component under test opens slavePath()
// exactly as it would open /dev/ttyUSB0, and the test works the master side.
//
// The slave is put in raw mode (cfmakeraw) at once, so nothing written on the
// master is echoed back or translated (CR stays CR). The pair also keeps its own
// slave descriptor open, so the master never reads EIO while the component has the
// port closed, and a test can look at the line's termios flags (slaveFd()).
//
// If openpty fails, isOpen() is false and errorString() says why; tests then QSKIP.
//
//   PtyPair pty;
//   if (!pty.isOpen()) QSKIP(qPrintable(pty.errorString()));
//   comm.setCommPort(...) with a resolver giving pty.slavePath();
//   pty.writeMaster("abc");                      // arrives on the component
//   QByteArray got = pty.readMaster(1000, 3);    // what the component sent
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isOpen() const { return m_master >= 0; }
    QString errorString() const { return m_error; }

    // The slave device path, e.g. "/dev/pts/7". Stays valid after closeMaster()
    // (the path then names no device, or a later pair's).
    QString slavePath() const { return m_slavePath; }
    int masterFd() const { return m_master; }
    // The pair's own slave descriptor (-1 after closeSlave()).
    int slaveFd() const { return m_slave; }

    // Writes every byte to the master (waits, bounded, while the pty is full).
    // Returns false if not all bytes could be written.
    bool writeMaster(const QByteArray &bytes);

    // What arrived on the master within timeoutMs. Keeps the Qt event loop turning
    // while it waits (QSerialPort writes from the event loop), so a test can call
    // comm.output(...) and then readMaster() without spinning the loop itself.
    // Returns as soon as expectedBytes have arrived (when expectedBytes >= 0);
    // otherwise when the line has been quiet for 30 ms after the first data, or
    // at the timeout. Never blocks longer than timeoutMs.
    QByteArray readMaster(int timeoutMs = 1000, qsizetype expectedBytes = -1);

    // Closes the master: the slave side sees a hang-up, as when a USB adapter is
    // pulled. Also closes the pair's own slave descriptor.
    void closeMaster();
    // Closes only the pair's own slave descriptor.
    void closeSlave();

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_error;
};
