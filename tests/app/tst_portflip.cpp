#include "WindowProbe.h"

#include "tests/support/FakeClock.h"
#include "tests/support/FakeSerialComm.h"
#include "tests/support/ScriptedDialogs.h"

class PortFlipTest : public QObject
{
    Q_OBJECT

    FakeSerialComm *port = nullptr;
    FakeClock clock;
    SettingsStore store;
    ScriptedDialogs dialogs;
    std::unique_ptr<frmKX_Display> window;

    WindowProbe probe() { return WindowProbe{*window}; }

    void verifyClosedLook(const QString &comPort)
    {
        WindowProbe p = probe();
        QVERIFY(p.action("mnuOpen")->isEnabled());
        QVERIFY(!p.action("mnuClose")->isEnabled());
        QVERIFY(p.action("mnuProperties")->isEnabled());
        ColorLabel *label = p.label(QStringLiteral("lblComOpen"));
        QCOMPARE(label->text(), QStringLiteral("Com ") + comPort + QStringLiteral("  closed"));
        QCOMPARE(label->foreColor(), 0xFFFFFFu);
        QCOMPARE(label->backColor(), 0x0000FFu);
    }

    void verifyOpenLook(const QString &comPort)
    {
        WindowProbe p = probe();
        QVERIFY(!p.action("mnuOpen")->isEnabled());
        QVERIFY(p.action("mnuClose")->isEnabled());
        QVERIFY(!p.action("mnuProperties")->isEnabled());
        ColorLabel *label = p.label(QStringLiteral("lblComOpen"));
        QCOMPARE(label->text(), QStringLiteral("Com ") + comPort + QStringLiteral("  open "));
        QCOMPARE(label->foreColor(), 0xFFFFFFu);
        QCOMPARE(label->backColor(), 0x00C000u);
    }

private slots:
    void init()
    {
        clearStore();
        port = new FakeSerialComm;
        dialogs = ScriptedDialogs();
        frmKX_Display::Services s;
        s.port = port;
        s.store = &store;
        s.dialogs = &dialogs;
        s.clock = &clock;
        window = std::make_unique<frmKX_Display>(s);
        port->setParent(window.get());
    }
    void cleanup() { window.reset(); }

    void openAndClose()
    {
        verifyClosedLook(QStringLiteral("1"));
        probe().action("mnuOpen")->trigger();
        QVERIFY(port->portOpen());
        QCOMPARE(dialogs.messageCount(), 0);
        verifyOpenLook(QStringLiteral("1"));
        probe().action("mnuClose")->trigger();
        QVERIFY(!port->portOpen());
        QCOMPARE(dialogs.messageCount(), 0);
        verifyClosedLook(QStringLiteral("1"));
    }

    void refusedOpen_data()
    {
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<bool>("present");
        QTest::newRow("missing device") << QString() << false;
        QTest::newRow("busy") << QStringLiteral("Com1 wird bereits von einem anderen Programm benutzt.") << true;
    }

    void refusedOpen()
    {
        QFETCH(QString, refusal);
        QFETCH(bool, present);
        if (!present)
            port->presentPorts.clear();
        port->openRefusal = refusal;
        probe().action("mnuOpen")->trigger();
        QVERIFY(!port->portOpen());
        QCOMPARE(dialogs.messageCount(), 1);
        QCOMPARE(dialogs.shown[0].icon, Dialogs::Icon::Exclamation);
        QCOMPARE(dialogs.shown[0].buttons, Dialogs::Buttons::Ok);
        QVERIFY(dialogs.shown[0].title.isEmpty());   // the application title
        if (!refusal.isEmpty())
            QCOMPARE(dialogs.shown[0].prompt, refusal);   // shown unchanged, nothing added
        verifyClosedLook(QStringLiteral("1"));
        // The user may try again once the device is there.
        port->presentPorts.insert(1);
        port->openRefusal.clear();
        probe().action("mnuOpen")->trigger();
        QVERIFY(port->portOpen());
        verifyOpenLook(QStringLiteral("1"));
    }

    void lineStates_data()
    {
        QTest::addColumn<bool>("dtr");
        QTest::addColumn<bool>("rts");
        QTest::addColumn<bool>("dsr");
        QTest::addColumn<bool>("cts");
        QTest::newRow("DTR RTS DSR, no CTS") << true << true << true << false;
        QTest::newRow("all off") << false << false << false << false;
        QTest::newRow("only CTS") << false << false << false << true;
        QTest::newRow("all on") << true << true << true << true;
    }

    void lineStates()
    {
        QFETCH(bool, dtr);
        QFETCH(bool, rts);
        QFETCH(bool, dsr);
        QFETCH(bool, cts);
        port->setDTREnable(dtr);
        port->setRTSEnable(rts);
        port->lines.dsr = dsr;
        port->lines.cts = cts;
        probe().action("mnuOpen")->trigger();
        const struct { const char *name; bool on; } expected[] = {
            {"lblDTR", dtr}, {"lblDSR", dsr}, {"lblRTS", rts}, {"lblCTS", cts}};
        for (const auto &e : expected) {
            ColorLabel *l = probe().label(QLatin1StringView(e.name));
            QCOMPARE(l->foreColor(), e.on ? 0xFFFFFFu : 0x000000u);
            QCOMPARE(l->backColor(), e.on ? 0x00C000u : 0x808080u);
        }
        // Closed, the input lines read as off; DTR and RTS show what the program drives.
        probe().action("mnuClose")->trigger();
        QCOMPARE(probe().label(QStringLiteral("lblDSR"))->backColor(), 0x808080u);
        QCOMPARE(probe().label(QStringLiteral("lblCTS"))->backColor(), 0x808080u);
        QCOMPARE(probe().label(QStringLiteral("lblDTR"))->backColor(), dtr ? 0x00C000u : 0x808080u);
    }

    void indicatorsDoNotFollowWhileOpen()
    {
        probe().action("mnuOpen")->trigger();
        QCOMPARE(probe().label(QStringLiteral("lblCTS"))->backColor(), 0x808080u);
        port->lines.cts = true;
        QCOMPARE(probe().label(QStringLiteral("lblCTS"))->backColor(), 0x808080u);
        probe().action("mnuClose")->trigger();
        probe().action("mnuOpen")->trigger();
        QCOMPARE(probe().label(QStringLiteral("lblCTS"))->backColor(), 0x00C000u);
    }

    void deviceLoss()
    {
        probe().action("mnuOpen")->trigger();
        port->feed("Menue");
        port->unplug(QStringLiteral("Com1: Das Gerät wurde entfernt."));
        port->unplug(QStringLiteral("Com1: Das Gerät wurde entfernt."));   // the flood's second error
        QTRY_COMPARE(dialogs.messageCount(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(dialogs.messageCount(), 1);
        QCOMPARE(dialogs.lastPrompt(), QStringLiteral("Com1: Das Gerät wurde entfernt."));
        QCOMPARE(dialogs.shown.last().icon, Dialogs::Icon::Exclamation);
        verifyClosedLook(QStringLiteral("1"));
        // Back again: opening works as before.
        probe().action("mnuOpen")->trigger();
        verifyOpenLook(QStringLiteral("1"));
    }

    void connectTime()
    {
        auto *timer1 = window->findChild<QTimer *>(QStringLiteral("Timer1"));
        QVERIFY(timer1);
        QVERIFY(!timer1->isActive());
        QCOMPARE(probe().panel("ConnectTime"), QString());
        clock.now = 5000;
        probe().action("mnuOpen")->trigger();
        QVERIFY(timer1->isActive());
        QCOMPARE(probe().panel("ConnectTime"), QStringLiteral("00:00:00 "));
        clock.advance((1 * 3600 + 2 * 60 + 5) * 1000 + 999);
        QVERIFY(QMetaObject::invokeMethod(timer1, "timeout"));
        QCOMPARE(probe().panel("ConnectTime"), QStringLiteral("01:02:05 "));
        clock.advance(100LL * 3600 * 1000);
        QVERIFY(QMetaObject::invokeMethod(timer1, "timeout"));
        QCOMPARE(probe().panel("ConnectTime"), QStringLiteral("101:02:05 "));
        probe().action("mnuClose")->trigger();
        QVERIFY(!timer1->isActive());
        QCOMPARE(probe().panel("ConnectTime"), QString());
        // A failed open leaves the clock off.
        port->openRefusal = QStringLiteral("belegt");
        probe().action("mnuOpen")->trigger();
        QVERIFY(!timer1->isActive());
        QCOMPARE(probe().panel("ConnectTime"), QString());
    }

    void labelUsesPortNumberAtStartUp()
    {
        window.reset();
        SettingsStore().saveSetting(applicationTitle(), QStringLiteral("Einstellungen"),
                                    QStringLiteral("COM-Anschluß"), QStringLiteral("7"));
        port = new FakeSerialComm;
        frmKX_Display::Services s;
        s.port = port;
        s.store = &store;
        s.dialogs = &dialogs;
        window = std::make_unique<frmKX_Display>(s);
        port->setParent(window.get());
        verifyClosedLook(QStringLiteral("7"));
        probe().action("mnuOpen")->trigger();
        verifyOpenLook(QStringLiteral("7"));
    }
};

QTEST_MAIN(PortFlipTest)
#include "tst_portflip.moc"
