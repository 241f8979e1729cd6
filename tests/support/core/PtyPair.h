#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal pair for tests: the component under test opens slavePath()
// exactly as it would open /dev/ttyUSB0, and the test works the master side.
//
// The slave is raw at once (nothing echoed, CR stays CR), and the pair keeps a
// slave descriptor of its own, so the master never reads EIO while the component
// has the port closed and a test can read the line's termios flags (slaveFd()).
// If openpty fails, isOpen() is false and errorString() says why: tests QSKIP.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair() { closeMaster(); }
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isOpen() const { return m_master >= 0; }
    QString errorString() const { return m_error; }
    QString slavePath() const { return m_slavePath; }
    int slaveFd() const { return m_slave; }
    int masterFd() const { return m_master; }

    // Writes every byte, letting the event loop take some while the pty is full.
    bool writeMaster(const QByteArray &bytes);
    // What the component sent within timeoutMs, keeping the event loop turning;
    // returns early once expectedBytes have come.
    QByteArray readMaster(int timeoutMs, qsizetype expectedBytes);
    // The slave side sees a hang-up, as when a USB adapter is pulled.
    void closeMaster();

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_error;
};
