#include "serial/QtSerialComm.h"
#include "tests/support/PtyPair.h"

#include <QFile>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

// The real serial port component on a pseudo-terminal, opened by its path
// exactly as a USB adapter would be. The test works the master side.
class SerialPtyTest : public QObject
{
    Q_OBJECT

    // One component whose Com N is whatever `path` names at the time of opening.
    struct Rig
    {
        QString path;
        QtSerialComm comm{[this](int) { return path; }};
        QList<int> events;        // CommEvent of every OnComm
        QList<qsizetype> reads;   // size of every Input in the receive loop
        QByteArray received;

        explicit Rig(const QString &device) : path(device)
        {
            QObject::connect(&comm, &SerialComm::OnComm, &comm, [this] {
                events.append(comm.commEvent());
                if (comm.commEvent() != SerialComm::comEvReceive)
                    return;
                do {
                    const QByteArray b = comm.input();
                    reads.append(b.size());
                    received += b;
                } while (comm.inBufferCount() != 0);
            });
        }
    };

    static termios slaveFlags(const PtyPair &pty)
    {
        termios t{};
        ::tcgetattr(pty.slaveFd(), &t);
        return t;
    }

    // The refusal's text; a call that goes through says so instead.
    template <typename F>
    static QString refusal(F &&f)
    {
        try {
            f();
        } catch (const CommError &e) {
            return e.description();
        }
        return QStringLiteral("no refusal");
    }

#define NEED_PTY(pty)                                        \
    if (!(pty).isOpen())                                     \
        QSKIP(qPrintable((pty).errorString()));

private slots:
    // The component without the receive loop: the first byte raises OnComm and
    // waits until read; closing drops what still waits and frees the handle.
    void openReadClose()
    {
        PtyPair pty;
        NEED_PTY(pty);
        QString path = pty.slavePath();
        QtSerialComm comm([&path](int) { return path; });
        QSignalSpy onComm(&comm, &SerialComm::OnComm);
        comm.setPortOpen(true);
        QVERIFY(comm.portOpen());
        QCOMPARE(comm.deviceName(), pty.slavePath());
        QVERIFY(comm.nativeHandle() >= 0);
        QVERIFY(pty.writeMaster("x"));
        QTRY_COMPARE(onComm.count(), 1);
        QCOMPARE(comm.commEvent(), int(SerialComm::comEvReceive));
        QCOMPARE(comm.inBufferCount(), 1);
        QCOMPARE(comm.input(), QByteArray("x"));
        QCOMPARE(comm.inBufferCount(), 0);

        QVERIFY(pty.writeMaster("abc"));
        QTRY_COMPARE(comm.inBufferCount(), 3);
        comm.setPortOpen(false);
        QVERIFY(!comm.portOpen());
        QCOMPARE(comm.nativeHandle(), -1);
        QCOMPARE(comm.inBufferCount(), 0);
        QCOMPARE(comm.input(), QByteArray());
        comm.setPortOpen(true);
        QVERIFY(comm.portOpen());
    }

    // Every byte value passes both ways untouched, one byte per Input. A
    // parity replacement without parity must not switch on marking, which
    // would double 0xFF.
    void bytesPassUntouched()
    {
        PtyPair pty;
        NEED_PTY(pty);
        Rig rig(pty.slavePath());
        QCOMPARE(rig.comm.inputLen(), 1);
        rig.comm.setPortOpen(true);
        rig.comm.setParityReplace(QStringLiteral("#"));
        QVERIFY(!(slaveFlags(pty).c_iflag & (INPCK | PARMRK)));
        QByteArray all;
        for (int i = 0; i < 256; ++i)
            all.append(char(i));
        all.append("\xFF\xFF\r");
        QVERIFY(pty.writeMaster(all));
        QTRY_COMPARE(rig.received.size(), all.size());
        QCOMPARE(rig.received, all);
        for (qsizetype n : std::as_const(rig.reads))
            QCOMPARE(n, qsizetype(1));
        QVERIFY(!rig.events.isEmpty());
        // A pseudo-terminal keeps no error counters: nothing but "bytes wait".
        for (int e : std::as_const(rig.events))
            QCOMPARE(e, int(SerialComm::comEvReceive));

        const QByteArray out = all + QByteArray(1500, 'z');
        rig.comm.output(out);
        QCOMPARE(pty.readMaster(3000, out.size()), out);
        QTRY_COMPARE(rig.comm.outBufferCount(), 0);
        QCOMPARE(rig.received, all);   // nothing echoed back
    }

    void missingDeviceRefused()
    {
        Rig rig(QStringLiteral("/dev/kx-no-such-tty"));
        rig.comm.setCommPort(4);
        const QString text = refusal([&] { rig.comm.setPortOpen(true); });
        QVERIFY2(text.startsWith(QStringLiteral("Com4 hat kein Gerät: /dev/kx-no-such-tty "
                                                "ist nicht vorhanden.")),
                 qPrintable(text));
        QCOMPARE(text.count(QLatin1StringView("Com4")), 1);
        QVERIFY(!text.contains(QLatin1StringView("Unknown error")));
        QVERIFY(!rig.comm.portOpen());
    }

    // Two programs never share a line: the second open is refused, also as root
    // and also through another path to the same device.
    void busyPortRefused_data()
    {
        QTest::addColumn<bool>("throughSymlink");
        QTest::newRow("same path") << false;
        QTest::newRow("through a symlink") << true;
    }
    void busyPortRefused()
    {
        QFETCH(bool, throughSymlink);
        PtyPair pty;
        NEED_PTY(pty);
        QTemporaryDir dir;
        QString second = pty.slavePath();
        if (throughSymlink) {
            second = dir.filePath(QStringLiteral("ttyKX"));
            QVERIFY(QFile::link(pty.slavePath(), second));
        }
        Rig first(pty.slavePath());
        Rig other(second);
        first.comm.setPortOpen(true);
        const QString text = refusal([&] { other.comm.setPortOpen(true); });
        QVERIFY2(text.contains(QLatin1StringView("von einem anderen Programm benutzt")), qPrintable(text));
        QVERIFY(!text.contains(QLatin1StringView("Unknown error")));
        QVERIFY(!other.comm.portOpen());
        // The first keeps working.
        QVERIFY(first.comm.portOpen());
        QVERIFY(pty.writeMaster("ok"));
        QTRY_COMPARE(first.received, QByteArray("ok"));
        // Free again once the first lets go.
        first.comm.setPortOpen(false);
        other.comm.setPortOpen(true);
        QVERIFY(other.comm.portOpen());
        QCOMPARE(other.comm.deviceName(), pty.slavePath());
    }

    // A user without the right to the device is told about the "dialout" group.
    // Root may open anything, so the attempt runs in a child that gives up root.
    void permissionDenied()
    {
        PtyPair pty;
        NEED_PTY(pty);
        const QByteArray path = QFile::encodeName(pty.slavePath());
        QVERIFY(::chmod(path.constData(), 0) == 0);
        int fds[2];
        QVERIFY(::pipe(fds) == 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::close(fds[0]);
            QByteArray out = "cannot drop root";
            if (::geteuid() != 0
                || (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0)) {
                QtSerialComm comm([&](int) { return pty.slavePath(); });
                out = refusal([&] { comm.setPortOpen(true); }).toUtf8();
            }
            (void)!::write(fds[1], out.constData(), size_t(out.size()));
            ::_exit(0);
        }
        ::close(fds[1]);
        QByteArray got;
        char buf[1024];
        ssize_t n;
        while ((n = ::read(fds[0], buf, sizeof buf)) > 0)
            got.append(buf, n);
        ::close(fds[0]);
        ::waitpid(child, nullptr, 0);
        ::chmod(path.constData(), 0620);
        const QString text = QString::fromUtf8(got);
        if (text == QLatin1StringView("cannot drop root"))
            QSKIP("cannot become an unprivileged user here");
        QVERIFY2(text.contains(QLatin1StringView("Keine Berechtigung")), qPrintable(text));
        QVERIFY2(text.contains(QLatin1StringView("\"dialout\"")), qPrintable(text));
        QVERIFY(text.contains(QLatin1StringView("Permission denied")));
    }

    // Pulling the device: one report, the port closed, no storm of errors, and
    // the next device opens normally.
    void unplugClosesOnceWithoutFlood()
    {
        PtyPair pty;
        NEED_PTY(pty);
        Rig rig(pty.slavePath());
        rig.comm.setCommPort(2);
        rig.comm.setPortOpen(true);
        auto *serial = rig.comm.findChild<QSerialPort *>();
        QVERIFY(serial);
        int errors = 0;
        connect(serial, &QSerialPort::errorOccurred, this, [&errors](QSerialPort::SerialPortError e) {
            if (e != QSerialPort::NoError)
                ++errors;
        });
        QSignalSpy lost(&rig.comm, &SerialComm::portLost);

        pty.closeMaster();
        QTRY_COMPARE(lost.count(), 1);
        QVERIFY(!rig.comm.portOpen());
        QCOMPARE(rig.comm.nativeHandle(), -1);
        // An unhandled loss repeats its error hundreds of thousands of times a
        // second; let the event loop run and count.
        QTest::qWait(250);
        QCOMPARE(lost.count(), 1);
        QVERIFY2(errors <= 2, qPrintable(QString::number(errors)));
        const QString text = lost.first().first().toString();
        QVERIFY2(text.contains(QLatin1StringView("Com2")), qPrintable(text));
        QVERIFY(text.contains(QLatin1StringView("abgebrochen")));
        QVERIFY(!text.contains(QLatin1StringView("Unknown error")));
        QVERIFY(!text.contains(QLatin1StringView("File exists")));
        QVERIFY(!rig.events.contains(0));
        QVERIFY_THROWS_EXCEPTION(CommError, rig.comm.output("x"));

        PtyPair next;
        NEED_PTY(next);
        rig.path = next.slavePath();
        rig.comm.setPortOpen(true);
        QVERIFY(rig.comm.portOpen());
        QVERIFY(next.writeMaster("wieder da"));
        QTRY_COMPARE(rig.received, QByteArray("wieder da"));
        rig.comm.output("ok");
        QCOMPARE(next.readMaster(3000, 2), QByteArray("ok"));
        QCOMPARE(lost.count(), 1);
    }

    // RTS/CTS and XON/XOFF together reach the line and stay there when the
    // settings change while the port is open.
    void lineControlWhileOpen()
    {
        PtyPair pty;
        NEED_PTY(pty);
        Rig rig(pty.slavePath());
        rig.comm.setHandshaking(SerialComm::comRTSXOnXOff);
        rig.comm.setPortOpen(true);
        auto line = [&](bool rts, bool xon) {
            const termios t = slaveFlags(pty);
            return bool(t.c_cflag & CRTSCTS) == rts && bool(t.c_iflag & IXON) == xon
                && bool(t.c_iflag & IXOFF) == xon;
        };
        QVERIFY(line(true, true));
        rig.comm.setSettings(QStringLiteral("19200,n,8,2"));
        QVERIFY(line(true, true));
        QVERIFY(slaveFlags(pty).c_cflag & CSTOPB);
        rig.comm.setSettings(QStringLiteral("9600,N,8,1"));
        QVERIFY(line(true, true));
        QVERIFY(!(slaveFlags(pty).c_cflag & CSTOPB));

        rig.comm.setHandshaking(SerialComm::comNone);
        QVERIFY(line(false, false));
        rig.comm.setHandshaking(SerialComm::comRTSXOnXOff);
        QVERIFY(line(true, true));
        rig.comm.setHandshaking(SerialComm::comRTS);
        QVERIFY(line(true, false));

        // A pseudo-terminal has no modem lines: DTR and RTS keep their values,
        // the line states read false, and none of it is taken for a lost device.
        rig.comm.setDTREnable(false);
        QCOMPARE(rig.comm.dtrEnable(), false);
        rig.comm.setDTREnable(true);
        QCOMPARE(rig.comm.dtrEnable(), true);
        rig.comm.setRTSEnable(false);
        QCOMPARE(rig.comm.rtsEnable(), false);
        QCOMPARE(rig.comm.cdHolding(), false);
        QCOMPARE(rig.comm.ctsHolding(), false);
        QCOMPARE(rig.comm.dsrHolding(), false);
        QVERIFY(rig.comm.portOpen());
    }

    // A pseudo-terminal is always 8N1: other formats are refused, never run as
    // 8N1, and the refusal carries no "Unknown error". 1.5 stop bits are only
    // defined with 5 data bits and are refused by the component itself.
    void formatsTheDeviceCannotDoAreRefused_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("says");
        QTest::newRow("7 data bits") << "9600,n,7,1" << "";
        QTest::newRow("even parity") << "9600,e,8,1" << "";
        QTest::newRow("mark parity") << "9600,m,8,1" << "";
        QTest::newRow("space parity") << "9600,s,8,1" << "";
        QTest::newRow("4 data bits") << "9600,n,4,1" << "";
        QTest::newRow("1.5 stop bits with 8 data bits")
            << "9600,n,8,1.5" << "Com3: 1,5 Stopbits gibt es nur mit 5 Datenbits";
    }
    void formatsTheDeviceCannotDoAreRefused()
    {
        QFETCH(QString, line);
        QFETCH(QString, says);
        PtyPair pty;
        NEED_PTY(pty);
        Rig rig(pty.slavePath());
        rig.comm.setCommPort(3);
        rig.comm.setPortOpen(true);
        const QString text = refusal([&] { rig.comm.setSettings(line); });
        QVERIFY(!text.isEmpty());
        QVERIFY(text != QLatin1StringView("no refusal"));
        QVERIFY2(text.contains(says), qPrintable(text));
        QVERIFY2(!text.contains(QLatin1StringView("Unknown error")), qPrintable(text));
        QCOMPARE(rig.comm.settings(), QStringLiteral("9600,n,8,1"));
        QVERIFY(rig.comm.portOpen());
        // Nothing is left behind that would turn a later parity into stick
        // parity or keep a second stop bit.
        QVERIFY(!(slaveFlags(pty).c_cflag & (CMSPAR | PARODD | CSTOPB)));
        QVERIFY(pty.writeMaster("8N1"));
        QTRY_COMPARE(rig.received, QByteArray("8N1"));

        // Closed, the format is taken as text; the open refuses it.
        rig.comm.setPortOpen(false);
        rig.comm.setSettings(line);
        QVERIFY_THROWS_EXCEPTION(CommError, rig.comm.setPortOpen(true));
        QVERIFY(!rig.comm.portOpen());
    }
};

QTEST_GUILESS_MAIN(SerialPtyTest)
#include "tst_serialpty.moc"
