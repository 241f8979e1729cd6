// Opening and closing the port for the user, the look it asks of the window, the
// loss of a device, the connect clock, and the wait for unsent data at shut-down.
#include "serial/DrainWait.h"
#include "serial/PortController.h"
#include "tests/support/core/FakeClock.h"
#include "tests/support/core/FakeSerialComm.h"
#include "tests/support/core/ScriptedDialogs.h"

#include <QTest>
#include <QTimer>

namespace {
// What the window shows, bound to the controller's signals: "label [commands] lines time".
struct Window
{
    FakeSerialComm port;
    ScriptedDialogs dialogs;
    FakeClock clock;
    PortController ports{port, dialogs, clock};
    QString label, lines, time;
    bool open = true;

    Window()
    {
        QObject::connect(&ports, &PortController::openChanged, [this](bool o) { open = o; });
        QObject::connect(&ports, &PortController::labelChanged, [this](const QString &c, quint32 f, quint32 b) {
            label = QStringLiteral("%1 %2/%3").arg(c).arg(f, 0, 16).arg(b, 0, 16);
        });
        QObject::connect(&ports, &PortController::linesChanged, [this](const PortController::LineStates &l) {
            lines = QStringLiteral("%1%2%3%4").arg(l.dtr).arg(l.dsr).arg(l.rts).arg(l.cts);
        });
        QObject::connect(&ports, &PortController::connectTimeChanged, [this](const QString &t) { time = t; });
        ports.setComPort(QStringLiteral("7"));
        ports.showClosed();
    }
    QString look() const { return label + (open ? " [close] " : " [open] ") + lines + u' ' + time; }
    void tick() { QMetaObject::invokeMethod(ports.findChild<QTimer *>(QStringLiteral("Timer1")), "timeout"); }
};

} // namespace

class PortControllerTest : public QObject
{
    Q_OBJECT

private slots:
    // DTR and RTS show what the program drives, DSR and CTS the lines, read at
    // every flip and close but not in between; the connect time counts from the open.
    void flips()
    {
        Window w;
        w.clock.now = 5000;
        w.port.setRTSEnable(false);
        w.port.lines = {false, false, true};   // DSR on
        w.ports.CheckUART();
        QCOMPARE(w.look(), QStringLiteral("Com 7  closed ffffff/ff [open] 1000 "));
        w.ports.mnuOpen_Click();
        QCOMPARE(w.look(), QStringLiteral("Com 7  open  ffffff/c000 [close] 1100 00:00:00 "));
        w.port.lines = {false, true, false};
        QVERIFY(w.lines.endsWith(u'0'));
        w.ports.mnuClose_Click();
        QCOMPARE(w.look(), QStringLiteral("Com 7  closed ffffff/ff [open] 1000 "));
        QVERIFY(w.dialogs.shown.isEmpty() && !w.port.portOpen());
        // A refused open: one message, the closed look afresh; then the user tries again.
        w.port.openRefusal = QStringLiteral("Com7 wird bereits benutzt.");
        w.ports.mnuOpen_Click();
        QCOMPARE(w.dialogs.messages(), QStringList{"! Com7 wird bereits benutzt."});
        QCOMPARE(w.look(), QStringLiteral("Com 7  closed ffffff/ff [open] 1000 "));
        w.port.openRefusal.clear();
        w.ports.mnuOpen_Click();
        QCOMPARE(w.look(), QStringLiteral("Com 7  open  ffffff/c000 [close] 1001 00:00:00 "));
        w.clock.advance((1 * 3600 + 2 * 60 + 5) * 1000 + 999);
        w.tick();
        QCOMPARE(w.time, QStringLiteral("01:02:05 "));
        w.clock.advance(100LL * 3600 * 1000);
        w.tick();
        QCOMPARE(w.time, QStringLiteral("101:02:05 "));
        w.ports.mnuClose_Click();
        QVERIFY(!w.ports.findChild<QTimer *>()->isActive());
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

QTEST_GUILESS_MAIN(PortControllerTest)
#include "tst_portcontroller.moc"
