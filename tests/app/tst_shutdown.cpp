#include "serial/DrainWait.h"
#include "app/Module1.h"
#include "app/frmKX_Display.h"
#include "platform/SettingsStore.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeSerialComm.h"
#include "tests/support/ScriptedDialogs.h"

#include <QApplication>
#include <QHash>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {
// Moves a quarter second every time it is read, so a wait inside the window's own
// event loop comes to its end without anyone waiting in real time.
class TickingClock : public Clock
{
public:
    mutable qint64 now = 0;
    qint64 msecs() const override { return now += 250; }
};

// Scripted answers; notes when each message came and can act while it is open.
class TimedDialogs : public ScriptedDialogs
{
public:
    const Clock *clock = nullptr;
    QList<qint64> askedAt;
    std::function<void()> whileShown;

    Answer msgBox(const QString &prompt, Buttons buttons, Icon icon, const QString &title) override
    {
        askedAt << (clock ? clock->msecs() : 0);
        if (whileShown) {
            auto act = std::move(whileShown);
            whileShown = nullptr;
            act();
        }
        return ScriptedDialogs::msgBox(prompt, buttons, icon, title);
    }
};

// A(bort) R(etry) I(gnore) C(losed without choice)
QList<Dialogs::Answer> answers(const QString &script)
{
    using A = Dialogs::Answer;
    const QHash<QChar, A> byLetter{{u'A', A::Abort}, {u'R', A::Retry}, {u'I', A::Ignore}, {u'C', A::Cancel}};
    QList<A> out;
    for (QChar c : script)
        out << byLetter.value(c);
    return out;
}
} // namespace

// Shutting down with the port open: the wait for unsent data, the question when
// it does not drain, and what each answer does to the window and the port.
class ShutDownTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        Module1::EmulationMode.clear();
        Module1::LocalEcho = false;
    }

    void drainWait_data()
    {
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("pending");       // bytes that do not drain by themselves
        QTest::addColumn<int>("drainAfter");    // the buffer empties after this many passes (-1: never)
        QTest::addColumn<int>("unplugAfter");   // the device goes away after this many passes (-1: never)
        QTest::addColumn<qint64>("start");      // clock reading when the wait begins
        QTest::addColumn<QString>("answers");
        // Expected
        QTest::addColumn<bool>("mayClose");
        QTest::addColumn<QString>("askedAt");   // ms after the start, per message

        QTest::newRow("port closed") << false << 0 << -1 << -1 << qint64(0) << "" << true << "";
        QTest::newRow("nothing to send") << true << 0 << -1 << -1 << qint64(0) << "" << true << "";
        QTest::newRow("drains in the wait") << true << 3 << 4 << -1 << qint64(0) << "" << true << "";
        QTest::newRow("blocked, Retry, Ignore") << true << 3 << -1 << -1 << qint64(0) << "RI"
                                                << true << "11000,22000";
        QTest::newRow("blocked, Retry, Retry, Abort") << true << 3 << -1 << -1 << qint64(0) << "RRA"
                                                      << false << "11000,22000,33000";
        QTest::newRow("Retry, then drains") << true << 3 << 15 << -1 << qint64(0) << "R" << true << "11000";
        QTest::newRow("box closed without a choice") << true << 3 << -1 << -1 << qint64(0) << "C"
                                                     << false << "11000";
        // A clock that counts on past a day: no reset at midnight stretches the wait.
        QTest::newRow("past a day") << true << 3 << -1 << -1 << qint64(86399500) << "I" << true << "11000";
        QTest::newRow("device lost in the wait") << true << 3 << -1 << 3 << qint64(0) << "" << true << "";
    }

    void drainWait()
    {
        QFETCH(bool, open);
        QFETCH(int, pending);
        QFETCH(int, drainAfter);
        QFETCH(int, unplugAfter);
        QFETCH(qint64, start);
        QFETCH(QString, answers);
        QFETCH(QString, askedAt);

        FakeSerialComm port;
        port.drains = false;
        if (open) {
            port.setPortOpen(true);
            port.output(QByteArray(pending, 'x'));
        }
        FakeClock clock;
        clock.now = start;
        TimedDialogs dialogs;
        dialogs.clock = &clock;
        dialogs.answers = ::answers(answers);
        int passes = 0;
        DrainWait wait(port, clock, dialogs, [&] {
            ++passes;
            clock.now += 1000;
            if (passes == drainAfter)
                port.drain();
            if (passes == unplugAfter)
                port.unplug(QStringLiteral("weg"));
        });

        const bool mayClose = wait.run();
        QTEST(mayClose, "mayClose");
        // Only a refusal to close keeps the port open.
        QCOMPARE(port.portOpen(), !mayClose);
        QStringList relative;
        for (qint64 t : dialogs.askedAt)
            relative << QString::number(t - start);
        QCOMPARE(relative.join(u','), askedAt);
        for (const ScriptedDialogs::Shown &s : dialogs.shown) {
            QCOMPARE(s.prompt, QStringLiteral("Daten können nicht gesendet werden"));
            QCOMPARE(s.buttons, Dialogs::Buttons::AbortRetryIgnore);
            QCOMPARE(s.icon, Dialogs::Icon::Question);
            QCOMPARE(s.title, QString());   // the application title
        }
        // Abort keeps the unsent data; every other ending discards it with the port.
        QCOMPARE(port.outBufferCount(), port.portOpen() ? pending : 0);
        QVERIFY(dialogs.answers.isEmpty());
        if (!open)
            QCOMPARE(passes, 0);
    }

    void window_data()
    {
        QTest::addColumn<bool>("beenden");     // "&Beenden" instead of the close button
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("blocked");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<QString>("more");     // requests to end during the wait: from the "loop",
                                               // or while the question is "asked"
        // Expected
        QTest::addColumn<bool>("stays");       // the window is still shown
        QTest::addColumn<bool>("portOpen");
        QTest::addColumn<int>("messages");
        QTest::addColumn<int>("quits");

        QTest::newRow("close, port closed") << false << false << false << "" << "" << false << false << 0 << 0;
        QTest::newRow("close, nothing to send") << false << true << false << "" << "" << false << false << 0 << 0;
        QTest::newRow("close, blocked, Abort") << false << true << true << "A" << "" << true << true << 1 << 0;
        QTest::newRow("close, blocked, Retry, Ignore") << false << true << true << "RI" << ""
                                                       << false << false << 2 << 0;
        QTest::newRow("Beenden, nothing to send") << true << true << false << "" << "" << true << false << 0 << 1;
        QTest::newRow("Beenden, blocked, Abort") << true << true << true << "A" << "" << true << true << 1 << 1;
        QTest::newRow("Beenden, blocked, Retry, Ignore") << true << true << true << "RI" << ""
                                                         << true << false << 2 << 1;
        // No second wait starts; "&Beenden" still ends the program.
        QTest::newRow("more requests from the event loop") << false << true << true << "I" << "loop"
                                                           << false << false << 1 << 1;
        QTest::newRow("more requests while asked") << false << true << true << "I" << "asked"
                                                   << false << false << 1 << 1;
    }

    void window()
    {
        QFETCH(bool, beenden);
        QFETCH(bool, open);
        QFETCH(bool, blocked);
        QFETCH(QString, answers);
        QFETCH(QString, more);

        FakeSerialComm port;
        port.drains = !blocked;
        SettingsStore store;
        TimedDialogs dialogs;
        TickingClock clock;
        frmKX_Display w(frmKX_Display::Services{&port, &store, &dialogs, &clock});
        int quits = 0;
        w.setQuitHook([&] { ++quits; });
        w.show();
        if (open) {
            w.mnuOpen_Click();
            QVERIFY(port.portOpen());
            port.output("abc");
        }
        dialogs.answers = ::answers(answers);
        const auto requests = [&w] {
            w.close();
            w.mnuEnde_Click();
        };
        if (more == u"loop")
            QTimer::singleShot(0, &w, requests);
        else if (more == u"asked")
            dialogs.whileShown = requests;

        if (beenden)
            w.mnuEnde_Click();
        else
            w.close();

        QTEST(w.isVisible(), "stays");
        QTEST(port.portOpen(), "portOpen");
        QTEST(dialogs.messageCount(), "messages");
        QTEST(quits, "quits");
        // Nothing is stored on the way out.
        QVERIFY(store.getSetting(QCoreApplication::applicationName(), QStringLiteral("Einstellungen"),
                                 QStringLiteral("Einstellungen")).isEmpty());
    }
};

QTEST_MAIN(ShutDownTest)
#include "tst_shutdown.moc"
