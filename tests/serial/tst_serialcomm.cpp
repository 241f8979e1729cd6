// The serial port component without a device: what it accepts, how it words its
// refusals, what goes onto a POSIX line beyond QSerialPort, the parity marks and
// which device a port number stands for; the wait for unsent data at shut-down; and
// how a lost device is known again and waited for.
#include "serial/DrainWait.h"
#include "serial/HostDevices.h"
#include "serial/LineErrorCounters.h"
#include "serial/ParityMarks.h"
#include "serial/PortController.h"
#include "serial/PortDirectory.h"
#include "serial/PortFailure.h"
#include "serial/PortLossWatch.h"
#include "serial/QtSerialComm.h"
#include "serial/Termios.h"
#include "settings/StoredSettings.h"
#include "tests/support/core/Files.h"
#include "tests/support/core/FakeClock.h"
#include "tests/support/core/FakeDevices.h"
#include "tests/support/core/FakeSerialComm.h"
#include "tests/support/core/MemoryStore.h"
#include "tests/support/core/Refusal.h"
#include "tests/support/core/ScriptedDialogs.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <termios.h>

struct TermiosCase
{
    const char *line;
    int handshaking;
    bool mark;   // a parity replacement is set
    uint cflagSet, cflagClear, iflagSet, iflagClear;
};
Q_DECLARE_METATYPE(TermiosCase)
Q_DECLARE_METATYPE(DeviceIdentity)

namespace {
const QtSerialComm::Resolver nowhere = [](int) { return QString(); };

// A device node made as the `node`-th; with a vendor, a USB adapter.
DeviceIdentity device(const char *path, quint64 node, const char *vendor = "", const char *serial = "",
                      const QStringList &links = {})
{
    DeviceIdentity id;
    id.path = id.node = QLatin1StringView(path);
    id.stamp.inode = node;
    id.vendorId = QLatin1StringView(vendor);
    id.productId = id.vendorId.isEmpty() ? QString() : QStringLiteral("6001");
    id.serialNumber = QLatin1StringView(serial);
    id.links = links;
    return id;
}

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
        using C = LineErrorCounters::Counts;
        QCOMPARE(LineErrorCounters::events(C{1, 2, 3, 4}, C{1, 2, 3, 4}), QList<int>{});
        QCOMPARE(LineErrorCounters::events(C{}, C{1, 1, 1, 1}),
                 (QList<int>{SerialComm::comEventBreak, SerialComm::comEventFrame, SerialComm::comEventOverrun,
                             SerialComm::comEventRxParity}));
        QCOMPARE(LineErrorCounters::events(C{9, 9, 9, 9}, C{}), QList<int>{});   // counters reset
    }

    // A device that went away shows as a read, write or resource error; none of
    // them raised inside the component's own calls is taken for a loss.
    void lossFromErrors_data()
    {
        QTest::addColumn<QSerialPort::SerialPortError>("error");
        QTest::addColumn<bool>("lost");
        QTest::newRow("read") << QSerialPort::ReadError << true;
        QTest::newRow("write") << QSerialPort::WriteError << true;
        QTest::newRow("resource") << QSerialPort::ResourceError << true;
        QTest::newRow("timeout") << QSerialPort::TimeoutError << false;
        QTest::newRow("unsupported") << QSerialPort::UnsupportedOperationError << false;
    }
    void lossFromErrors()
    {
        QFETCH(QSerialPort::SerialPortError, error);
        QSerialPort port;
        PortLossWatch watch(port);
        QSignalSpy lost(&watch, &PortLossWatch::lost);
        {
            PortLossWatch::OwnCall call(watch);
            emit port.errorOccurred(error);
        }
        emit port.errorOccurred(error);
        QTEST(lost.count() == 1, "lost");
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
            Termios::adjust(t, parsed, c.handshaking, c.mark);
            if (c.cflagSet & CSIZE)
                QCOMPARE(uint(t.c_cflag & CSIZE), c.cflagSet & CSIZE);
            QCOMPARE(uint(t.c_cflag & (c.cflagSet & ~CSIZE)), c.cflagSet & ~CSIZE);
            QCOMPARE(uint(t.c_cflag & c.cflagClear) | uint(t.c_iflag & c.iflagClear), 0u);
            QCOMPARE(uint(t.c_iflag & c.iflagSet), c.iflagSet);
            // What was set is what the read-back wants.
            QCOMPARE(Termios::mismatch(t, parsed, c.handshaking).toInt(), 0);
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
        const PortDirectory dir([&](int n) { return stored.device(n); }, [] { return QStringList{"/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyS1"}; });
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

    // Each failure in a German sentence naming port and device and what to do; the
    // system's words only where there is no such sentence. QSerialPort keeps no
    // error number: a device that opens for us but not for it is another's.
    void failureTexts_data()
    {
        QTest::addColumn<int>("systemError");   // errno; with qtError: what a direct open said
        QTest::addColumn<int>("qtError");       // QSerialPort's error, or -1
        QTest::addColumn<QString>("says");
        const auto row = [](const char *name, int e, int qt, const char *says) { QTest::newRow(name) << e << qt << QString::fromUtf8(says); };
        row("EACCES", EACCES, -1, "Keine Berechtigung für Com3 (/dev/ttyUSB0): Benutzer zur Gruppe \"dialout\" hinzufügen und neu anmelden.");
        row("EPERM", EPERM, -1, "Keine Berechtigung");
        row("EBUSY", EBUSY, -1, "Com3 (/dev/ttyUSB0) gehört einer anderen Anwendung");
        row("flock held", EWOULDBLOCK, -1, "gehört einer anderen Anwendung");
        row("ENOENT", ENOENT, -1, "Com3 hat kein Gerät: /dev/ttyUSB0 ist nicht vorhanden. Bitte den USB-Adapter einstecken");
        row("ENXIO", ENXIO, -1, "Hinter diesem Anschluss steckt kein Gerät");
        row("ENODEV", ENODEV, -1, "Hinter diesem Anschluss steckt kein Gerät");
        row("EIO", EIO, -1, "antwortet nicht (Ein-/Ausgabefehler)");
        row("EINVAL", EINVAL, -1, "nimmt die Einstellungen \"9600,e,7,1\" nicht an");
        row("ENOTTY", ENOTTY, -1, "ist keine serielle Schnittstelle");
        row("ENOMEM", ENOMEM, -1, "Com3 (/dev/ttyUSB0) kann nicht geöffnet werden. (Systemmeldung: Systemwort)");
        row("lock file held", 0, QSerialPort::PermissionError, "gehört einer anderen Anwendung");
        row("denied", EACCES, QSerialPort::PermissionError, "Keine Berechtigung");
        row("TIOCEXCL held", EBUSY, QSerialPort::PermissionError, "gehört einer anderen Anwendung");
        row("already open", 0, QSerialPort::OpenError, "gehört einer anderen Anwendung");
        row("not found", 0, QSerialPort::DeviceNotFoundError, "ist nicht vorhanden");
        row("resource", 0, QSerialPort::ResourceError, "antwortet nicht");
        row("unsupported", 0, QSerialPort::UnsupportedOperationError, "nimmt die Einstellungen");
        row("unknown", 0, QSerialPort::UnknownError, "kann nicht geöffnet werden. (Systemmeldung: Systemwort)");
    }
    void failureTexts()
    {
        QFETCH(int, systemError);
        QFETCH(int, qtError);
        QFETCH(QString, says);
        const CommError::Cause cause = qtError < 0 ? PortFailure::causeOfErrno(systemError)
                                                   : PortFailure::cause(QSerialPort::SerialPortError(qtError), systemError);
        const CommError e = PortFailure::error(cause, 3, QStringLiteral("/dev/ttyUSB0"), QStringLiteral("Systemwort"),
                                               QStringLiteral("9600,e,7,1"));
        QVERIFY2(e.description().contains(says), qPrintable(e.description()));
        QCOMPARE(e.description().contains(QLatin1StringView("Systemwort")), says.contains(QLatin1StringView("Systemwort")));
        QCOMPARE(e.cause(), cause);
    }

    // The same device back: under its old name, or the same adapter under any name;
    // never another adapter, and never the lost node that is still there.
    void returnOf_data()
    {
        QTest::addColumn<DeviceIdentity>("lost");
        QTest::addColumn<DeviceIdentity>("candidate");
        QTest::addColumn<bool>("same");
        const QStringList byId{QStringLiteral("/dev/serial/by-id/usb-X-if00-port0")};
        const auto row = [](const char *name, const DeviceIdentity &a, const DeviceIdentity &b, bool same) {
            QTest::newRow(name) << a << b << same;
        };
        row("old name, made anew", device("/dev/ttyUSB0", 1, "0403", "A1"), device("/dev/ttyUSB0", 2, "0403", "A1"), true);
        row("new name, same serial number", device("/dev/ttyUSB0", 1, "0403", "A1"), device("/dev/ttyUSB1", 2, "0403", "A1"), true);
        row("another adapter at the old name", device("/dev/ttyUSB0", 1, "0403", "A1"), device("/dev/ttyUSB0", 2, "0403", "B2"), false);
        row("another maker, same serial", device("/dev/ttyUSB0", 1, "0403", "A1"), device("/dev/ttyUSB1", 2, "1a86", "A1"), false);
        row("the lost node still there", device("/dev/ttyUSB0", 1, "0403", "A1"), device("/dev/ttyUSB0", 1, "0403", "A1"), false);
        row("no serial number, old name", device("/dev/ttyUSB0", 1, "1a86"), device("/dev/ttyUSB0", 2, "1a86"), true);
        row("no serial number, new name", device("/dev/ttyUSB0", 1, "1a86"), device("/dev/ttyUSB1", 2, "1a86"), false);
        row("no serial number, its twin's link", device("/dev/ttyUSB0", 1, "1a86", "", byId), device("/dev/ttyUSB1", 2, "1a86", "", byId), false);
        row("unknown make, same by-id link", device("/dev/ttyUSB0", 1, "", "", byId), device("/dev/ttyUSB1", 2, "", "", byId), true);
        row("unknown make, new name", device("/dev/ttyUSB0", 1), device("/dev/ttyUSB1", 2), false);
        row("link re-pointed at a new pty", device("/tmp/kx/ttyKX", 1), device("/tmp/kx/ttyKX", 2), true);
    }
    void returnOf()
    {
        QFETCH(DeviceIdentity, lost);
        QFETCH(DeviceIdentity, candidate);
        QTEST(DeviceIdentity::returnOf(lost, candidate), "same");
    }

    // The host's devices from /dev and sysfs, here a tree of their shape.
    void hostDevices()
    {
        QTemporaryDir root;
        const QString dev = root.filePath(QStringLiteral("dev")), sys = root.filePath(QStringLiteral("sys"));
        const QString usb = sys + QStringLiteral("/devices/pci0/usb1/1-1");
        for (const auto &[name, value] : {std::pair{"idVendor", "0403\n"}, {"idProduct", "6001\n"}, {"serial", "A1\n"},
                                          {"manufacturer", "FTDI\n"}, {"product", "Ftdi FT232R USB UART\n"}})
            QVERIFY(writeFile(usb + u'/' + QLatin1StringView(name), value));
        QVERIFY(QDir().mkpath(usb + QStringLiteral("/1-1:1.0/ttyUSB0")) && QDir().mkpath(sys + QStringLiteral("/devices/platform/serial8250")));
        for (const char *name : {"ttyUSB0", "ttyS0", "tty0"}) {
            QVERIFY(writeFile(dev + u'/' + QLatin1StringView(name), {}));
            QVERIFY(QDir().mkpath(sys + QStringLiteral("/class/tty/") + QLatin1StringView(name)));
        }
        QVERIFY(QFile::link(usb + QStringLiteral("/1-1:1.0/ttyUSB0"), sys + QStringLiteral("/class/tty/ttyUSB0/device")));
        QVERIFY(QFile::link(sys + QStringLiteral("/devices/platform/serial8250"), sys + QStringLiteral("/class/tty/ttyS0/device")));
        const QString link = dev + QStringLiteral("/serial/by-id/usb-FTDI_FT232R_USB_UART_A1-if00-port0");
        QVERIFY(QDir().mkpath(QFileInfo(link).path()) && QFile::link(dev + QStringLiteral("/ttyUSB0"), link));

        const HostDevices host(dev, sys);
        const DeviceIdentity adapter = host.identify(dev + QStringLiteral("/ttyUSB0"));
        QCOMPARE(adapter.words(), dev + QStringLiteral("/ttyUSB0 – Ftdi FT232R USB UART, Seriennummer A1"));   // the maker once
        QCOMPARE(adapter.links, QStringList{link});
        const DeviceIdentity viaLink = host.identify(link);
        QVERIFY(viaLink.present() && viaLink.stamp == adapter.stamp && viaLink.serialNumber == u"A1" && !viaLink.isBuiltIn());
        QVERIFY(host.identify(dev + QStringLiteral("/ttyS0")).isBuiltIn());
        QVERIFY(!host.identify(dev + QStringLiteral("/ttyUSB1")).present());
        QCOMPARE(host.adapters(), QStringList{dev + QStringLiteral("/ttyUSB0")});
        QVERIFY(host.folders(viaLink).contains(dev + QStringLiteral("/serial/by-id")) && host.folders(viaLink).contains(dev)
                && host.folders(DeviceIdentity{QStringLiteral("/tmp/kx/ttyKX")}).contains(QStringLiteral("/tmp/kx")));
    }

    // A device lost while open is waited for: no message, the look of its own, the
    // same device back (any name) opens again; a refusal meanwhile is told once when
    // it comes twice in a row (a new node's rights come moments after it); closing
    // ends the wait. Notes: l(ost), b(ack), a refusal's cause number, - (none).
    void deviceReturn_data()
    {
        // p(lug)PATH:SERIAL  u(nplug)PATH  o(ld node again)  l(ose)  r(efuse)CAUSE  a(ccept)  c(hange)
        // w(ait for a retry)  x close  k(ey)  t(ick)
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("outcome");   // notes | state opened-on | key messages
        QTest::newRow("old name back") << "l uA c pA:A1 c" << "- l b|open /dev/ttyUSB0|0";
        QTest::newRow("new name, same adapter") << "l uA pB:A1 c" << "- l b|open /dev/ttyUSB1|0";
        QTest::newRow("another adapter never") << "l uA pA:B2 pB:C3 c" << "- l|waiting|0";
        QTest::newRow("busy, then denied, then back") << "l uA r4 pA:A1 c c c r3 c c a c" << "- l 4 3 b|open /dev/ttyUSB0|0";
        QTest::newRow("denied a moment only") << "l uA r3 pA:A1 c a c" << "- l b|open /dev/ttyUSB0|0";
        QTest::newRow("let go without a change") << "l uA r4 pA:A1 c a w" << "- l b|open /dev/ttyUSB0|0";
        QTest::newRow("closed while waiting") << "l uA x pA:A1 c" << "- l -|closed|0";
        QTest::newRow("the node still there") << "l c" << "- l|waiting|0";
        QTest::newRow("gone, then like the old") << "l uA c o c" << "- l b|open /dev/ttyUSB0|0";
        QTest::newRow("keys: once a second") << "l k k t k k" << "- l|waiting|2";
    }
    void deviceReturn()
    {
        QFETCH(QString, steps);
        FakeSerialComm port;
        ScriptedDialogs dialogs;
        FakeClock clock;
        FakeDevices devices;
        FakeWatcher watcher;
        devices.plug(QStringLiteral("/dev/ttyUSB0"), QStringLiteral("A1"));
        const DeviceIdentity first = devices.nodes.first();
        PortController ports(port, dialogs, clock, devices, watcher);
        ports.setComPort(QStringLiteral("1"));
        QString notes;
        connect(&ports, &PortController::noteChanged, this, [&](const QString &n) {
            notes += n.isEmpty() ? QStringLiteral(" -") : n.contains(u"getrennt") ? QStringLiteral(" l")
                     : n.contains(u"wieder verbunden") ? QStringLiteral(" b")
                     : n.startsWith(port.openRefusal) ? QStringLiteral(" %1").arg(int(port.refusalCause)) : QStringLiteral(" ?");
        });
        QSignalSpy keys(&ports, &PortController::message);
        ports.mnuOpen_Click();
        for (const QString &step : steps.split(u' ')) {
            const QString arg = step.mid(1);
            const QString path = QStringLiteral("/dev/ttyUSB") + (arg.startsWith(u'B') ? u'1' : u'0');
            switch (step.at(0).toLatin1()) {
            case 'l': port.unplug(QStringLiteral("weg")); QCoreApplication::processEvents(); break;
            case 'u': devices.pull(path); break;
            case 'o': devices.nodes.insert(first.path, first); break;
            case 'p': devices.plug(path, arg.section(u':', 1)); break;
            case 'r': port.refusalCause = CommError::Cause(arg.toInt());
                      port.openRefusal = PortFailure::text(port.refusalCause, 1, path); break;
            case 'a': port.openRefusal.clear(); break;
            case 'c': watcher.change(); break;
            case 'x': ports.mnuClose_Click(); break;
            case 'k': ports.keyNotSent(); break;
            case 't': clock.advance(1000); break;
            case 'w': QTRY_VERIFY(ports.state() != PortController::State::Waiting); break;
            }
        }
        const QString state = ports.state() == PortController::State::Open ? QStringLiteral("open ") + port.openedOn
                              : ports.state() == PortController::State::Waiting ? QStringLiteral("waiting") : QStringLiteral("closed");
        QTEST(notes.trimmed() + u'|' + state + u'|' + QString::number(keys.count()), "outcome");
        QVERIFY(dialogs.shown.isEmpty());
        QCOMPARE(watcher.folders.isEmpty(), ports.state() != PortController::State::Waiting);
    }
};

QTEST_GUILESS_MAIN(SerialCommTest)
#include "tst_serialcomm.moc"
