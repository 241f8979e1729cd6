// The serial port component without a device: what it accepts, how it words its
// refusals, what goes onto a POSIX line beyond QSerialPort, the parity marks and
// which device a port number stands for; and the wait for unsent data at shut-down.
#include "serial/DrainWait.h"
#include "serial/ParityMarks.h"
#include "serial/PortDirectory.h"
#include "serial/QtSerialComm.h"
#include "settings/StoredSettings.h"
#include "tests/support/core/FakeClock.h"
#include "tests/support/core/FakeSerialComm.h"
#include "tests/support/core/MemoryStore.h"
#include "tests/support/core/Refusal.h"
#include "tests/support/core/ScriptedDialogs.h"

#include <QTest>

#include <termios.h>

struct TermiosCase
{
    const char *line;
    int handshaking;
    bool mark;   // a parity replacement is set
    uint cflagSet, cflagClear, iflagSet, iflagClear;
};
Q_DECLARE_METATYPE(TermiosCase)

namespace {
const QtSerialComm::Resolver nowhere = [](int) { return QString(); };
} // namespace

class SerialCommTest : public QObject
{
    Q_OBJECT

private slots:
    // What the component takes; a refused value leaves the old one in force.
    void setters_data()
    {
        QTest::addColumn<char>("what");           // s(ettings), p(ort number) or h(andshaking)
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("readBack");   // settings, port number, handshaking; empty: refused
        QTest::newRow("upper N") << 's' << "9600,N,8,1" << "9600,n,8,1 5 2";
        QTest::newRow("odd, 1.5 stop bits") << 's' << "19200,O,7,1.5" << "19200,o,7,1.5 5 2";
        QTest::newRow("mark, 6 bits") << 's' << "4800,M,6,1.5" << "4800,m,6,1.5 5 2";
        QTest::newRow("space, 5 bits, 2 stop") << 's' << "110,s,5,2" << "110,s,5,2 5 2";
        QTest::newRow("4 data bits are text enough") << 's' << "300,n,4,1" << "300,n,4,1 5 2";
        for (const char *bad : {"fast,n,8,1", "0,n,8,1", "9600,x,8,1", "9600,ne,8,1", "9600,,8,1",
                                "9600,n,3,1", "9600,n,9,1", "9600,n,8,3", "9600,n,8,1,5", "9600,n,8", "",
                                "9600, n,8,1", "9600,n,8,1 "})
            QTest::newRow(bad) << 's' << bad << "";
        for (const char *bad : {"0", "-1", "256"})
            QTest::addRow("port %s", bad) << 'p' << bad << "";
        QTest::newRow("port 255") << 'p' << "255" << "2400,e,7,2 255 2";
        for (const char *bad : {"-1", "4"})
            QTest::addRow("handshaking %s", bad) << 'h' << bad << "";
        QTest::newRow("handshaking 3") << 'h' << "3" << "2400,e,7,2 5 3";
    }
    void setters()
    {
        QFETCH(char, what);
        QFETCH(QString, written);
        QFETCH(QString, readBack);
        QtSerialComm comm(nowhere);
        comm.setSettings(QStringLiteral("2400,e,7,2"));
        comm.setCommPort(5);
        comm.setHandshaking(2);
        const bool refused = !refusal([&] {
            what == 's' ? comm.setSettings(written) : what == 'p' ? comm.setCommPort(written.toInt()) : comm.setHandshaking(written.toInt());
        }).isEmpty();
        QCOMPARE(refused, readBack.isEmpty());
        QCOMPARE(QStringLiteral("%1 %2 %3").arg(comm.settings()).arg(comm.commPort()).arg(comm.handshaking()),
                 refused ? QStringLiteral("2400,e,7,2 5 2") : readBack);
    }

    void lineErrorEvents()
    {
        using C = QtSerialComm::LineCounters;
        QCOMPARE(QtSerialComm::lineErrorEvents(C{1, 2, 3, 4}, C{1, 2, 3, 4}), QList<int>{});
        QCOMPARE(QtSerialComm::lineErrorEvents(C{}, C{1, 1, 1, 1}),
                 (QList<int>{SerialComm::comEventBreak, SerialComm::comEventFrame, SerialComm::comEventOverrun,
                             SerialComm::comEventRxParity}));
        QCOMPARE(QtSerialComm::lineErrorEvents(C{9, 9, 9, 9}, C{}), QList<int>{});   // counters reset
    }

    // What goes onto the native handle after QSerialPort has set the line, from the
    // worst flags it may leave behind and from none.
    void adjustTermios_data()
    {
        QTest::addColumn<TermiosCase>("c");
        const auto row = [](const char *name, const TermiosCase &c) { QTest::newRow(name) << c; };
        row("even clears CMSPAR", {"9600,e,8,1", 0, false, PARENB | CS8, CMSPAR | PARODD | CSTOPB, 0, INPCK | PARMRK | IXON | IXOFF});
        row("odd clears CMSPAR", {"9600,o,7,1", 0, false, PARENB | PARODD | CS7, CMSPAR, 0, 0});
        row("mark", {"9600,m,8,1", 0, false, PARENB | PARODD | CMSPAR, 0, 0, 0});
        row("space", {"9600,s,8,1", 0, false, PARENB | CMSPAR, PARODD, 0, 0});
        row("1.5 stop bits as CSTOPB with 5 bits", {"9600,n,5,1.5", 0, false, CSTOPB | CS5, PARENB, 0, 0});
        row("handshaking 3 sets both, only XON restarts", {"9600,n,8,1", 3, false, CRTSCTS, 0, IXON | IXOFF, IXANY});
        row("handshaking 2 only RTS/CTS", {"9600,n,8,1", 2, false, CRTSCTS, 0, 0, IXON | IXOFF});
        row("handshaking 1 only XON/XOFF, only XON restarts", {"9600,n,8,1", 1, false, 0, CRTSCTS, IXON | IXOFF, IXANY});
        row("handshaking 0 clears all", {"9600,n,8,1", 0, false, 0, CRTSCTS, 0, IXON | IXOFF | IXANY});
        row("parity marks", {"9600,e,7,1", 0, true, PARENB, 0, INPCK | PARMRK, IGNPAR | ISTRIP});
    }
    void adjustTermios()
    {
        QFETCH(TermiosCase, c);
        const LineSettings parsed = *LineSettings::parse(QLatin1StringView(c.line));
        const termios full{.c_iflag = IXON | IXOFF | IXANY | INPCK | PARMRK | IGNPAR | ISTRIP,
                           .c_cflag = CS6 | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CREAD | CLOCAL};
        for (termios t : {full, termios{.c_cflag = CS5 | CREAD | CLOCAL}}) {
            QtSerialComm::adjustTermios(t, parsed, c.handshaking, c.mark);
            if (c.cflagSet & CSIZE)
                QCOMPARE(uint(t.c_cflag & CSIZE), c.cflagSet & CSIZE);
            QCOMPARE(uint(t.c_cflag & (c.cflagSet & ~CSIZE)), c.cflagSet & ~CSIZE);
            QCOMPARE(uint(t.c_cflag & c.cflagClear) | uint(t.c_iflag & c.iflagClear), 0u);
            QCOMPARE(uint(t.c_iflag & c.iflagSet), c.iflagSet);
            // What was set is what the read-back wants.
            QCOMPARE(QtSerialComm::termiosMismatch(t, parsed, c.handshaking), QString());
        }
    }

    void parityMarks_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QByteArray>("out");
        const QByteArray ff(1, char(0xFF));
        QTest::newRow("plain text") << QByteArray("Roll\r\n") << QByteArray("Roll\r\n");
        QTest::newRow("marked byte") << QByteArray("a\xFF\x00" "Xb", 5) << QByteArray("a?b");
        QTest::newRow("literal 0xFF") << QByteArray("\xFF\xFF") << ff;
        QTest::newRow("literal then marked") << QByteArray("\xFF\xFF\xFF\x00" "A", 5) << ff + "?";
        QTest::newRow("0xFF with anything else passes") << QByteArray("\xFF" "A") << ff + "A";
    }
    // One read and one byte per read give the same.
    void parityMarks()
    {
        QFETCH(QByteArray, in);
        QFETCH(QByteArray, out);
        ParityMarkDecoder whole('?'), bytewise('?');
        QCOMPARE(whole.decode(in), out);
        QByteArray got;
        for (char c : in)
            got += bytewise.decode(QByteArray(1, c));
        QCOMPARE(got, out);
        QVERIFY(!bytewise.pending());
    }

    // Adapters first, numbers as numbers, each device once, of a macOS pair cu. only.
    // A stored entry wins (a bare name stands under /dev); otherwise the N-th port
    // present. A port without a device does not open and reads no lines.
    void ports()
    {
        QCOMPARE(PortDirectory::orderPorts({"/dev/ttyS10", "/dev/ttyUSB10", "/dev/ttyS2", "/dev/ttyACM0", "/dev/ttyUSB9",
                                            "/dev/ttyS2", "/dev/tty.usbmodem1", "/dev/cu.usbmodem1"}),
                 (QStringList{"/dev/cu.usbmodem1", "/dev/ttyACM0", "/dev/ttyUSB9", "/dev/ttyUSB10", "/dev/ttyS2",
                              "/dev/ttyS10"}));
        MemoryStore store;
        StoredSettings stored(store, QStringLiteral("KX"));
        stored.setDevice(2, QStringLiteral(" ttyACM0 "));
        stored.setDevice(9, QStringLiteral("/dev/pts/7"));
        const PortDirectory dir(stored, [] { return QStringList{"/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyS1"}; });
        QStringList devices;
        for (int port : {0, 1, 2, 3, 4, 9})
            devices << dir.device(port);
        QCOMPARE(devices, (QStringList{"", "/dev/ttyUSB0", "/dev/ttyACM0", "/dev/ttyS1", "", "/dev/pts/7"}));
        QtSerialComm comm(nowhere);
        comm.setCommPort(16);
        QVERIFY(refusal([&] { comm.setPortOpen(true); }).startsWith(QStringLiteral("Com16 hat kein Gerät")));
        QVERIFY(!comm.portOpen() && !comm.cdHolding() && !comm.ctsHolding() && !comm.dsrHolding());
    }

    void drainWait_data()
    {
        QTest::addColumn<int>("drainAfter");    // the buffer empties after this many passes (-1: never)
        QTest::addColumn<int>("unplugAfter");   // the device goes away after this many passes
        QTest::addColumn<qint64>("start");      // clock when the wait begins
        QTest::addColumn<QString>("answers");   // A(bort) R(etry) I(gnore) C(losed without choice)
        QTest::addColumn<QString>("outcome");   // ms after the start of each question; then "closes" or "stays"
        QTest::newRow("drains in the wait") << 4 << -1 << qint64(0) << "" << "closes";
        QTest::newRow("Retry, Ignore") << -1 << -1 << qint64(0) << "RI" << "11000 22000 closes";
        QTest::newRow("Retry, Retry, Abort") << -1 << -1 << qint64(0) << "RRA" << "11000 22000 33000 stays";
        QTest::newRow("Retry, then drains") << 15 << -1 << qint64(0) << "R" << "11000 closes";
        QTest::newRow("box closed without a choice") << -1 << -1 << qint64(0) << "C" << "11000 stays";
        // A clock that counts on past midnight: the wait is no longer.
        QTest::newRow("past a day") << -1 << -1 << qint64(86399500) << "I" << "11000 closes";
        QTest::newRow("device lost in the wait") << -1 << 3 << qint64(0) << "" << "closes";
    }
    void drainWait()
    {
        QFETCH(int, drainAfter);
        QFETCH(int, unplugAfter);
        QFETCH(qint64, start);
        QFETCH(QString, answers);
        FakeSerialComm port;
        port.drains = false;
        port.setPortOpen(true);
        port.output("abc");
        FakeClock clock;
        clock.now = start;
        ScriptedDialogs dialogs;
        dialogs.clock = &clock;
        for (QChar c : answers)
            dialogs.answers << Dialogs::Answer(QStringLiteral("OCARI").indexOf(c));
        int passes = 0;
        DrainWait wait(port, clock, dialogs, [&] {
            clock.now += 1000;
            if (++passes == drainAfter)
                port.drain();
            if (passes == unplugAfter)
                port.unplug(QStringLiteral("weg"));
        });
        const bool closes = wait.run();
        QString outcome;
        for (const auto &s : std::as_const(dialogs.shown)) {
            outcome += QString::number(s.at - start) + u' ';
            QVERIFY(s.prompt == QStringLiteral("Daten können nicht gesendet werden")
                    && s.buttons == Dialogs::Buttons::AbortRetryIgnore && s.icon == Dialogs::Icon::Question);
        }
        QTEST(outcome + (closes ? "closes" : "stays"), "outcome");
        // Abort keeps the port and the unsent data; every other ending discards them.
        QCOMPARE(port.outBufferCount(), closes ? 0 : 3);
        port.setPortOpen(false);
        QVERIFY(DrainWait(port, clock, dialogs, nullptr).run());   // a closed port has nothing to wait for
    }
};

QTEST_GUILESS_MAIN(SerialCommTest)
#include "tst_serialcomm.moc"
