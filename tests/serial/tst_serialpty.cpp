// The real serial port component on a pseudo-terminal, opened by its path exactly
// as a USB adapter would be; the test works the master side.
#include "serial/FolderWatcher.h"
#include "serial/PacedReader.h"
#include "serial/QtSerialComm.h"
#include "tests/support/core/PtyPair.h"
#include "tests/support/core/Refusal.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {
// A component whose every port is whatever `path` names at the time of opening,
// read the way the receive loop reads it: one byte per Input. Its locks are kept
// in `locks` (empty: the machine's lock folder, as the program keeps them).
struct Rig
{
    QString path;
    QtSerialComm comm;
    QList<int> events;
    QByteArray received;
    int longReads = 0;

    Rig(const QString &device, const QString &locks) : path(device), comm([this](int) { return path; }, nullptr, locks)
    {
        QObject::connect(&comm, &SerialComm::OnComm, &comm, [this] {
            events << comm.commEvent();
            while (comm.commEvent() == SerialComm::comEvReceive && comm.inBufferCount() != 0) {
                const QByteArray b = comm.input();
                longReads += b.size() != 1;
                received += b;
            }
        });
    }
};

// Whether bytes wait on the line, within five seconds, the event loop standing still.
bool waiting(const PtyPair &pty)
{
    pollfd p{pty.slaveFd(), POLLIN, 0};
    return ::poll(&p, 1, 5000) == 1;
}

// Handshake and format flags of the line: R(TS/CTS), X(ON), X(OFF), A(ny byte
// restarts output), P(arity), S(tick), 2 (stop bits).
QString flags(const PtyPair &pty)
{
    termios t{};
    ::tcgetattr(pty.slaveFd(), &t);
    QString f;
    for (auto [on, c] : {std::pair{t.c_cflag & CRTSCTS, 'R'}, {t.c_iflag & IXON, 'X'}, {t.c_iflag & IXOFF, 'X'},
                         {t.c_iflag & IXANY, 'A'}, {t.c_cflag & PARENB, 'P'}, {t.c_cflag & CMSPAR, 'S'},
                         {t.c_cflag & CSTOPB, '2'}})
        f += on ? QChar::fromLatin1(c) : u'-';
    return f;
}
} // namespace

class SerialPtyTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<PtyPair> pty;
    // A pty's number is used again once it is free, and a program that held it
    // before may still hold its lock: the components here keep their locks apart.
    QTemporaryDir locks;

private slots:
    void init()
    {
        pty = std::make_unique<PtyPair>();
        if (!pty->isOpen())
            QSKIP(qPrintable(pty->errorString()));
    }

    // Every byte value passes both ways untouched, one byte per Input; a parity
    // replacement without parity must not switch marking on, which doubles 0xFF.
    // Closing drops what still waits, and the port opens again.
    void bytesPassUntouched()
    {
        Rig rig(pty->slavePath(), locks.path());
        QCOMPARE(refusal([&] { rig.comm.setPortOpen(true); }), QString());
        rig.comm.setParityReplace(QStringLiteral("#"));
        QByteArray all;
        for (int i = 0; i < 256; ++i)
            all.append(char(i));
        all.append("\xFF\xFF\r");
        QVERIFY(pty->writeMaster(all));
        QTRY_COMPARE(rig.received, all);
        QCOMPARE(rig.longReads, 0);
        QCOMPARE(rig.events, QList<int>(rig.events.size(), SerialComm::comEvReceive));
        const QByteArray out = all + QByteArray(1500, 'z');
        rig.comm.output(out);
        QCOMPARE(pty->readMaster(3000, out.size()), out);
        QTRY_COMPARE(rig.comm.outBufferCount(), 0);

        rig.comm.setRThreshold(0);   // nobody reads: the bytes wait in the component
        QVERIFY(pty->writeMaster("abc"));
        QTRY_COMPARE(rig.comm.inBufferCount(), 3);
        rig.comm.setPortOpen(false);
        QCOMPARE(rig.comm.inBufferCount(), 0);
        QCOMPARE(refusal([&] { rig.comm.setPortOpen(true); }), QString());
    }

    // After a read, what follows gathers until the display frame takes it at once,
    // or until the fallback has passed when no frame comes.
    void readsAtTheDisplaysPace()
    {
        Rig rig(pty->slavePath(), locks.path());
        QElapsedTimer sinceRead;
        connect(&rig.comm, &SerialComm::bytesArrived, this, [&] { sinceRead.start(); });
        QCOMPARE(refusal([&] { rig.comm.setPortOpen(true); }), QString());
        QVERIFY(pty->writeMaster("a"));
        QTRY_COMPARE(rig.received, QByteArray("a"));
        QVERIFY(pty->writeMaster("bc") && waiting(*pty));
        // A machine too busy to get here well within the fallback cannot tell.
        const bool gathering = sinceRead.elapsed() < PacedReader::FallbackMs / 2;
        QCoreApplication::processEvents();
        if (gathering) {
            QCOMPARE(rig.received, QByteArray("a"));
            // Paused, the port leaves what follows in the kernel: no wake-up per byte.
            QVERIFY2(waiting(*pty), "read on while paused");
        }
        rig.comm.takeGathered();
        QCOMPARE(rig.received, QByteArray("abc"));
        QVERIFY(pty->writeMaster("d"));
        QTRY_COMPARE(rig.received, QByteArray("abcd"));
    }

    // Two programs never share a line, also as root, through another path and with
    // locks kept apart; the second may open once the first lets go.
    void busyPortRefused()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("ttyKX"));
        QVERIFY(QFile::link(pty->slavePath(), link));
        Rig first(pty->slavePath(), locks.path()), samePath(pty->slavePath(), locks.path()),
            viaLink(link, locks.path()), locksApart(pty->slavePath(), dir.path());
        QCOMPARE(refusal([&] { first.comm.setPortOpen(true); }), QString());
        for (Rig *other : {&samePath, &viaLink, &locksApart}) {
            const QString text = refusal([&] { other->comm.setPortOpen(true); });
            QVERIFY2(text.contains(QLatin1StringView("von einem anderen Programm benutzt"))
                         && !text.contains(QLatin1StringView("Unknown error")), qPrintable(text));
        }
        first.comm.setPortOpen(false);
        QCOMPARE(refusal([&] { viaLink.comm.setPortOpen(true); }), QString());
    }

    // A pty number is used again once it is free, and a program that held it
    // before may still hold its lock. Such a lock keeps the program out, as it
    // keeps out every serial program, also through a link; the tests' components,
    // with locks of their own, open all the same.
    void lockOfAnotherProgram()
    {
        // QSerialPort's lock: named after the path, in the machine's lock folder.
        QLockFile other(QStringLiteral("/var/lock/LCK..") + pty->slavePath().mid(5).replace(u'/', u'_'));
        if (!other.tryLock(0))
            QSKIP("the machine's lock folder cannot be written here");
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("ttyKX"));
        QVERIFY(QFile::link(pty->slavePath(), link));
        Rig program(pty->slavePath(), {}), viaLink(link, {}), test(pty->slavePath(), locks.path());
        for (Rig *refused : {&program, &viaLink})
            QVERIFY(refusal([&] { refused->comm.setPortOpen(true); }).contains(QLatin1StringView("von einem anderen Programm benutzt")));
        QCOMPARE(refusal([&] { test.comm.setPortOpen(true); }), QString());
    }

    // A user without the right to the device is told about the "dialout" group.
    // Root may open anything, so the attempt runs in a child that gives up root.
    void permissionDenied()
    {
        QVERIFY(::chmod(QFile::encodeName(pty->slavePath()).constData(), 0) == 0);
        const pid_t child = ::fork();
        if (child == 0) {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(2);
            QtSerialComm comm([&](int) { return pty->slavePath(); });
            const QByteArray text = refusal([&] { comm.setPortOpen(true); }).toUtf8();
            // Our sentence says it all: no English system words after it.
            const bool ok = text.contains("Keine Berechtigung") && text.contains("\"dialout\"")
                            && !text.contains("Permission denied");
            if (!ok)
                std::fprintf(stderr, "%s\n", text.constData());
            ::_exit(ok ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        if (WEXITSTATUS(status) == 2)
            QSKIP("cannot become an unprivileged user here");
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    // Pulling the device: one report, the port closed, no storm of errors.
    void unplugClosesOnceWithoutFlood()
    {
        Rig rig(pty->slavePath(), locks.path());
        rig.comm.setCommPort(2);
        QCOMPARE(refusal([&] { rig.comm.setPortOpen(true); }), QString());
        int errors = 0;
        connect(rig.comm.findChild<QSerialPort *>(), &QSerialPort::errorOccurred, this,
                [&errors](QSerialPort::SerialPortError e) { errors += e != QSerialPort::NoError; });
        QSignalSpy lost(&rig.comm, &SerialComm::portLost);
        pty->closeMaster();
        QTRY_COMPARE(lost.count(), 1);
        // An unhandled loss repeats its error hundreds of thousands of times a second:
        // a quarter of a second shows it.
        QVERIFY2(!QTest::qWaitFor([&] { return lost.count() > 1 || errors > 2; }, 250),
                 qPrintable(QStringLiteral("%1 losses, %2 errors").arg(lost.count()).arg(errors)));
        const QString text = lost.first().first().toString();
        QVERIFY2(text.startsWith(QStringLiteral("Die Verbindung über Com2")) && !text.contains(QLatin1StringView("File exists")),
                 qPrintable(text));
    }

    // Folders watched for a device's return, also those that come later (the first
    // adapter makes /dev/serial/by-id).
    void folderWatcher()
    {
        QTemporaryDir dir;
        const QString byId = dir.filePath(QStringLiteral("by-id"));
        FolderWatcher watcher;
        QSignalSpy changed(&watcher, &DirectoryWatcher::changed);
        watcher.watch({dir.path(), byId});
        QVERIFY(QDir().mkdir(byId));
        QTRY_COMPARE(changed.count(), 1);
        QVERIFY(QFile::link(pty->slavePath(), byId + QStringLiteral("/usb-X")));
        QTRY_COMPARE(changed.count(), 2);
    }

    // Handshaking reaches the line and stays there when the settings change while
    // the port is open. A pty is always 8N1: other formats are refused, never run
    // as 8N1, and leave nothing behind that would turn a later parity into stick parity.
    void lineOnTheDevice()
    {
        Rig rig(pty->slavePath(), locks.path());
        rig.comm.setHandshaking(SerialComm::comRTSXOnXOff);
        QCOMPARE(refusal([&] { rig.comm.setPortOpen(true); }), QString());
        QCOMPARE(flags(*pty), QStringLiteral("RXX----"));
        rig.comm.setSettings(QStringLiteral("19200,n,8,2"));
        QCOMPARE(flags(*pty), QStringLiteral("RXX---2"));
        rig.comm.setHandshaking(SerialComm::comNone);
        rig.comm.setSettings(QStringLiteral("9600,n,8,1"));
        for (const char *line : {"9600,n,7,1", "9600,e,8,1", "9600,m,8,1", "9600,s,8,1", "9600,n,4,1", "9600,n,8,1.5"}) {
            const QString text = refusal([&] { rig.comm.setSettings(QLatin1StringView(line)); });
            QVERIFY2(!text.isEmpty() && !text.contains(QLatin1StringView("Unknown error"))
                         && !text.contains(QLatin1StringView("Systemmeldung")), qPrintable(text));
            QCOMPARE(rig.comm.settings() + flags(*pty), QStringLiteral("9600,n,8,1-------"));
        }
        // No modem lines on a pty: DTR and RTS keep their values, nothing is lost.
        rig.comm.setDTREnable(false);
        QVERIFY(!rig.comm.dtrEnable() && !rig.comm.ctsHolding() && rig.comm.portOpen());
        // Closed, a format is taken as text; the open refuses it and leaves nothing
        // behind that would keep a line the device takes from opening.
        rig.comm.setPortOpen(false);
        rig.comm.setSettings(QStringLiteral("9600,e,7,1"));
        QVERIFY(!refusal([&] { rig.comm.setPortOpen(true); }).isEmpty());
        rig.comm.setSettings(QStringLiteral("9600,n,8,1"));
        QCOMPARE(refusal([&] { rig.comm.setPortOpen(true); }), QString());
    }
};

QTEST_GUILESS_MAIN(SerialPtyTest)
#include "tst_serialpty.moc"
