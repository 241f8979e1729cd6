#include "serial/QtSerialComm.h"
#include "tests/support/FakeSerialComm.h"

#include <QSerialPort>
#include <QTest>

#include <optional>

#ifdef Q_OS_UNIX
#include <termios.h>
#endif

Q_DECLARE_METATYPE(QtSerialComm::LineCounters)

#ifdef Q_OS_UNIX
struct TermiosCase
{
    QString line;
    int handshaking;
    bool mark;   // parity replacement set
    uint cflagSet, cflagClear, iflagSet, iflagClear;
};
#endif

// The serial port component's validation and its rules for the host, without a
// device: the real component closed, the fake open, and the pure helpers.
class SerialCommTest : public QObject
{
    Q_OBJECT

    static QtSerialComm::Resolver nowhere()
    {
        return [](int) { return QString(); };
    }

    // The refusal's text, or nothing when `f` went through.
    template <typename F>
    static std::optional<QString> refusal(F &&f)
    {
        try {
            f();
        } catch (const CommError &e) {
            return e.description();
        }
        return std::nullopt;
    }

private slots:
    void settings_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("readBack");   // empty: refused
        QTest::newRow("upper N") << "9600,N,8,1" << "9600,n,8,1";
        QTest::newRow("odd, 1.5 stop bits") << "19200,O,7,1.5" << "19200,o,7,1.5";
        QTest::newRow("lower e, 2 stop bits") << "115200,e,8,2" << "115200,e,8,2";
        QTest::newRow("mark, 6 bits") << "4800,M,6,1.5" << "4800,m,6,1.5";
        QTest::newRow("space, 5 bits") << "110,S,5,1" << "110,s,5,1";
        QTest::newRow("4 data bits are text enough") << "300,n,4,1" << "300,n,4,1";
        QTest::newRow("speed not a number") << "fast,n,8,1" << "";
        QTest::newRow("speed 0") << "0,n,8,1" << "";
        QTest::newRow("parity letter x") << "9600,x,8,1" << "";
        QTest::newRow("parity two letters") << "9600,ne,8,1" << "";
        QTest::newRow("parity missing") << "9600,,8,1" << "";
        QTest::newRow("data bits 3") << "9600,n,3,1" << "";
        QTest::newRow("data bits 9") << "9600,n,9,1" << "";
        QTest::newRow("stop bits 3") << "9600,n,8,3" << "";
        QTest::newRow("stop bits 1,5 with comma") << "9600,n,8,1,5" << "";
        QTest::newRow("stop bits missing") << "9600,n,8" << "";
        QTest::newRow("only speed") << "9600" << "";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("blank") << " " << "";
        QTest::newRow("blank before parity") << "9600, n,8,1" << "";
        QTest::newRow("blank after stop bits") << "9600,n,8,1 " << "";
    }
    void settings()
    {
        QFETCH(QString, written);
        QFETCH(QString, readBack);
        QtSerialComm comm(nowhere());
        comm.setSettings(QStringLiteral("2400,e,7,2"));
        const auto refused = refusal([&] { comm.setSettings(written); });
        QCOMPARE(refused.has_value(), readBack.isEmpty());
        if (refused)
            QVERIFY(!refused->isEmpty());
        QCOMPARE(comm.settings(), refused ? QStringLiteral("2400,e,7,2") : readBack);
    }

    // Written while open, a refusal of the device keeps the old line in force.
    void settingsRefusedWhileOpenKeepOld()
    {
        FakeSerialComm comm;
        comm.setPortOpen(true);
        comm.refuseLine = [](const LineSettings &l, int) {
            return l.dataBits == 7 ? QStringLiteral("nein") : QString();
        };
        QVERIFY_THROWS_EXCEPTION(CommError, comm.setSettings(QStringLiteral("9600,e,7,1")));
        QCOMPARE(comm.settings(), QStringLiteral("9600,n,8,1"));
        comm.setSettings(QStringLiteral("19200,N,8,2"));
        QCOMPARE(comm.settings(), QStringLiteral("19200,n,8,2"));
    }

    // Out-of-range values are refused and the old value stays.
    void ranges_data()
    {
        QTest::addColumn<bool>("port");   // CommPort, else Handshaking
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("handshaking -1") << false << -1 << false;
        QTest::newRow("handshaking 0 none") << false << 0 << true;
        QTest::newRow("handshaking 1 XON/XOFF") << false << 1 << true;
        QTest::newRow("handshaking 3 both") << false << 3 << true;
        QTest::newRow("handshaking 4") << false << 4 << false;
        QTest::newRow("port 0") << true << 0 << false;
        QTest::newRow("port -1") << true << -1 << false;
        QTest::newRow("port 1") << true << 1 << true;
        QTest::newRow("port 16") << true << 16 << true;
    }
    void ranges()
    {
        QFETCH(bool, port);
        QFETCH(int, value);
        QFETCH(bool, accepted);
        QtSerialComm comm(nowhere());
        comm.setCommPort(5);
        comm.setHandshaking(2);
        const bool threw = refusal([&] {
            port ? comm.setCommPort(value) : comm.setHandshaking(value);
        }).has_value();
        QCOMPARE(threw, !accepted);
        QCOMPARE(port ? comm.commPort() : comm.handshaking(), accepted ? value : port ? 5 : 2);
    }

    // Closed, every read answers without a device; opening names the port
    // that has none.
    void closedWithoutDevice()
    {
        QtSerialComm comm(nowhere());
        QCOMPARE(comm.cdHolding(), false);
        QCOMPARE(comm.ctsHolding(), false);
        QCOMPARE(comm.dsrHolding(), false);
        QCOMPARE(comm.inBufferCount(), 0);
        QCOMPARE(comm.outBufferCount(), 0);
        QCOMPARE(comm.input(), QByteArray());
        QCOMPARE(comm.deviceName(), QString());
        QCOMPARE(comm.nativeHandle(), -1);
        comm.setDTREnable(false);   // kept for the next open, no device touched
        QCOMPARE(comm.dtrEnable(), false);
        comm.setCommPort(7);
        const auto refused = refusal([&] { comm.setPortOpen(true); });
        QVERIFY(refused);
        QVERIFY2(refused->contains(QStringLiteral("Com7 hat kein Gerät")), qPrintable(*refused));
        QCOMPARE(comm.portOpen(), false);
    }

    // What this host's serial lines cannot do is refused before the port opens.
    void hostRefusal_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("refusalContains");   // empty: accepted
        QTest::newRow("8N1") << "9600,n,8,1" << "";
        QTest::newRow("4 data bits") << "9600,n,4,1" << "4 Datenbits";
        QTest::newRow("1.5 stop with 8 bits") << "9600,n,8,1.5" << "1,5 Stopbits";
        QTest::newRow("1.5 stop with 7 bits") << "9600,e,7,1.5" << "nur mit 5 Datenbits";
        QTest::newRow("1.5 stop with 5 bits") << "9600,n,5,1.5" << "";
        QTest::newRow("2 stop bits") << "9600,o,7,2" << "";
        QTest::newRow("mark") << "9600,m,8,1" << "";
    }
    void hostRefusal()
    {
        QFETCH(QString, line);
        QFETCH(QString, refusalContains);
        const auto parsed = LineSettings::parse(line);
        QVERIFY(parsed);
        const QString refusal = QtSerialComm::hostRefusal(3, *parsed);
        if (refusalContains.isEmpty()) {
            QVERIFY2(refusal.isEmpty(), qPrintable(refusal));
        } else {
            QVERIFY2(refusal.contains(refusalContains), qPrintable(refusal));
            QVERIFY(refusal.contains(QLatin1StringView("Com3")));
        }
    }

    void openFailureText_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("contains");
        QTest::newRow("no such device") << int(QSerialPort::DeviceNotFoundError)
                                        << "No such file or directory" << "hat kein Gerät";
        QTest::newRow("permission denied") << int(QSerialPort::PermissionError)
                                           << "Permission denied" << "\"dialout\"";
        QTest::newRow("lock held") << int(QSerialPort::PermissionError)
                                   << "Permission error while locking the device"
                                   << "von einem anderen Programm benutzt";
        QTest::newRow("device busy") << int(QSerialPort::PermissionError)
                                     << "Device or resource busy"
                                     << "von einem anderen Programm benutzt";
        QTest::newRow("other") << int(QSerialPort::UnknownError) << "" << "kann nicht geöffnet werden";
    }
    void openFailureText()
    {
        QFETCH(int, error);
        QFETCH(QString, reason);
        QFETCH(QString, contains);
        const QString text = QtSerialComm::openFailureText(
            4, QStringLiteral("/dev/ttyUSB0"), QSerialPort::SerialPortError(error), reason);
        QVERIFY2(text.contains(contains), qPrintable(text));
        QVERIFY(text.contains(QLatin1StringView("Com4")));
        QVERIFY(text.contains(QLatin1StringView("/dev/ttyUSB0")));
        // The system's reason is added once, and only when there is one.
        QCOMPARE(text.count(QLatin1StringView("Systemmeldung")), reason.isEmpty() ? 0 : 1);
        if (!reason.isEmpty())
            QVERIFY(text.contains(reason));
    }

    // A port that never failed has no reason to give, though Qt's text says
    // "Unknown error".
    void systemReasonOnlyAfterAnError()
    {
        QSerialPort port;
        QCOMPARE(port.error(), QSerialPort::NoError);
        QCOMPARE(QtSerialComm::systemReason(port), QString());
        port.setPortName(QStringLiteral("/dev/kx-no-such-device"));
        QVERIFY(!port.open(QIODevice::ReadWrite));
        QVERIFY(!QtSerialComm::systemReason(port).isEmpty());
        port.clearError();
        QCOMPARE(QtSerialComm::systemReason(port), QString());
    }

    void lineErrorEvents_data()
    {
        using C = QtSerialComm::LineCounters;
        QTest::addColumn<C>("before");
        QTest::addColumn<C>("after");
        QTest::addColumn<QList<int>>("events");
        QTest::newRow("nothing") << C{1, 2, 3, 4} << C{1, 2, 3, 4} << QList<int>{};
        QTest::newRow("framing") << C{} << C{1, 0, 0, 0}
                                 << QList<int>{SerialComm::comEventFrame};
        QTest::newRow("parity") << C{} << C{0, 5, 0, 0}
                                << QList<int>{SerialComm::comEventRxParity};
        QTest::newRow("overrun") << C{} << C{0, 0, 1, 0}
                                 << QList<int>{SerialComm::comEventOverrun};
        QTest::newRow("break") << C{} << C{0, 0, 0, 1} << QList<int>{SerialComm::comEventBreak};
        QTest::newRow("all, in order") << C{} << C{1, 1, 1, 1}
                                       << QList<int>{SerialComm::comEventBreak,
                                                     SerialComm::comEventFrame,
                                                     SerialComm::comEventOverrun,
                                                     SerialComm::comEventRxParity};
        QTest::newRow("counter reset is no error") << C{9, 9, 9, 9} << C{} << QList<int>{};
    }
    void lineErrorEvents()
    {
        QFETCH(QtSerialComm::LineCounters, before);
        QFETCH(QtSerialComm::LineCounters, after);
        QFETCH(QList<int>, events);
        QCOMPARE(QtSerialComm::lineErrorEvents(before, after), events);
    }

#ifdef Q_OS_UNIX
    // What goes onto the native handle after QSerialPort has set the line.
    void adjustTermios_data()
    {
        QTest::addColumn<TermiosCase>("c");
        QTest::newRow("even clears CMSPAR") << TermiosCase{"9600,e,8,1", 0, false, PARENB | CS8,
            CMSPAR | PARODD | CSTOPB, 0, INPCK | PARMRK | IXON | IXOFF};
        QTest::newRow("odd clears CMSPAR") << TermiosCase{"9600,o,7,1", 0, false, PARENB | PARODD | CS7,
            CMSPAR, 0, 0};
        QTest::newRow("none") << TermiosCase{"9600,n,8,1", 0, false, CS8, PARENB | CMSPAR, 0, 0};
        QTest::newRow("mark") << TermiosCase{"9600,m,8,1", 0, false, PARENB | PARODD | CMSPAR, 0, 0, 0};
        QTest::newRow("space") << TermiosCase{"9600,s,8,1", 0, false, PARENB | CMSPAR, PARODD, 0, 0};
        QTest::newRow("1.5 stop bits as CSTOPB with 5 bits")
            << TermiosCase{"9600,n,5,1.5", 0, false, CSTOPB | CS5, 0, 0, 0};
        QTest::newRow("handshaking 3 sets both")
            << TermiosCase{"9600,n,8,1", 3, false, CRTSCTS, 0, IXON | IXOFF, 0};
        QTest::newRow("handshaking 2 only RTS/CTS")
            << TermiosCase{"9600,n,8,1", 2, false, CRTSCTS, 0, 0, IXON | IXOFF};
        QTest::newRow("handshaking 1 only XON/XOFF")
            << TermiosCase{"9600,n,8,1", 1, false, 0, CRTSCTS, IXON | IXOFF, 0};
        QTest::newRow("handshaking 0 clears all")
            << TermiosCase{"9600,n,8,1", 0, false, 0, CRTSCTS, 0, IXON | IXOFF | IXANY};
        QTest::newRow("parity marks")
            << TermiosCase{"9600,e,7,1", 0, true, PARENB, 0, INPCK | PARMRK, IGNPAR | ISTRIP};
        QTest::newRow("no replacement passes bytes as received")
            << TermiosCase{"9600,e,7,1", 0, false, PARENB, 0, 0, INPCK | PARMRK};
    }
    void adjustTermios()
    {
        QFETCH(TermiosCase, c);
        const auto parsed = LineSettings::parse(c.line);
        QVERIFY(parsed);
        // From the worst QSerialPort may leave behind (everything set), and from
        // nothing set at all.
        termios full{};
        full.c_cflag = CS6 | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CREAD | CLOCAL;
        full.c_iflag = IXON | IXOFF | IXANY | INPCK | PARMRK | IGNPAR | ISTRIP;
        termios bare{};
        bare.c_cflag = CS5 | CREAD | CLOCAL;
        for (termios t : {full, bare}) {
            QtSerialComm::adjustTermios(t, *parsed, c.handshaking, c.mark);
            if ((c.cflagSet & CSIZE) != 0)
                QCOMPARE(uint(t.c_cflag & CSIZE), c.cflagSet & CSIZE);
            QCOMPARE(uint(t.c_cflag & (c.cflagSet & ~CSIZE)), c.cflagSet & ~CSIZE);
            QCOMPARE(uint(t.c_cflag & c.cflagClear), 0u);
            QCOMPARE(uint(t.c_iflag & c.iflagSet), c.iflagSet);
            QCOMPARE(uint(t.c_iflag & c.iflagClear), 0u);
            QVERIFY(t.c_cflag & CREAD);
            // What was set is what the read-back wants.
            QCOMPARE(QtSerialComm::termiosMismatch(t, *parsed, c.handshaking), QString());
        }
    }

    // A device that keeps other flags than asked (a pseudo-terminal stays 8N1)
    // is named in the refusal, never taken silently.
    void termiosMismatch_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("handshaking");
        QTest::addColumn<QStringList>("named");
        QTest::newRow("7E1 on an 8N1 device") << "9600,e,7,1" << 0
                                              << QStringList{"7 Datenbits", "gerade Parität"};
        QTest::newRow("mark on an 8N1 device") << "9600,m,8,1" << 0 << QStringList{"Mark"};
        QTest::newRow("1.5 stop bits lost") << "9600,n,5,1.5" << 0
                                            << QStringList{"5 Datenbits", "1,5 Stopbits"};
        QTest::newRow("RTS/CTS lost") << "9600,n,8,1" << 2 << QStringList{"RTS/CTS"};
        QTest::newRow("both lost") << "9600,n,8,1" << 3 << QStringList{"RTS/CTS", "XON/XOFF"};
    }
    void termiosMismatch()
    {
        QFETCH(QString, line);
        QFETCH(int, handshaking);
        QFETCH(QStringList, named);
        termios t{};
        t.c_cflag = CS8 | CREAD | CLOCAL;
        const auto parsed = LineSettings::parse(line);
        QVERIFY(parsed);
        const QString missing = QtSerialComm::termiosMismatch(t, *parsed, handshaking);
        for (const QString &n : named)
            QVERIFY2(missing.contains(n), qPrintable(missing));
    }
#endif
};

QTEST_GUILESS_MAIN(SerialCommTest)
#include "tst_serialcomm.moc"
