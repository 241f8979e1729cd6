#pragma once

#include <QByteArray>
#include <QString>

// The controller's end of a pseudo-terminal. The slave side, which KX_Display
// opens as its serial port, is put in raw mode before anything is written, so
// nothing is echoed back and CR stays CR. The simulator keeps a slave descriptor
// of its own for its whole life: the master then never reads EIO or a hang-up when
// the program closes the port, and the program can open it again.
class Pty
{
public:
    Pty() = default;
    ~Pty();
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    bool open(QString *error);
    QString slavePath() const { return m_slavePath; }
    int masterFd() const { return m_master; }

    // Non-blocking: bytes taken, 0 when the line is full for now, -1 on error.
    qint64 write(const char *data, qint64 size);
    // Non-blocking: what the program sent, empty when nothing waits.
    QByteArray read();
    // Bytes written that nobody has read yet.
    int unread() const;
    // Throws away what nobody has read, as a line does when no one listens.
    void discardUnread();

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};
