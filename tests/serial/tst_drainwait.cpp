// The wait for unsent data at shut-down.
#include "serial/DrainWait.h"
#include "tests/support/core/FakeClock.h"
#include "tests/support/core/FakeSerialComm.h"
#include "tests/support/core/ScriptedDialogs.h"

#include <QTest>

class DrainWaitTest : public QObject
{
    Q_OBJECT

private slots:
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

QTEST_GUILESS_MAIN(DrainWaitTest)
#include "tst_drainwait.moc"
