#include "tests/support/MainWindowFixture.h"

#include <QTest>


class PortFlipTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f;


    void verifyClosedLook(const QString &comPort)
    {
        MainWindowFixture &p = *f;
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
        MainWindowFixture &p = *f;
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
        f = std::make_unique<MainWindowFixture>();
        f->start();
    }
    void cleanup() { f.reset(); }

    void openAndClose()
    {
        verifyClosedLook(QStringLiteral("1"));
        f->action("mnuOpen")->trigger();
        QVERIFY(f->port.portOpen());
        QCOMPARE(f->dialogs.messageCount(), 0);
        verifyOpenLook(QStringLiteral("1"));
        f->action("mnuClose")->trigger();
        QVERIFY(!f->port.portOpen());
        QCOMPARE(f->dialogs.messageCount(), 0);
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
            f->port.presentPorts.clear();
        f->port.openRefusal = refusal;
        f->action("mnuOpen")->trigger();
        QVERIFY(!f->port.portOpen());
        QCOMPARE(f->dialogs.messageCount(), 1);
        QCOMPARE(f->dialogs.shown[0].icon, Dialogs::Icon::Exclamation);
        QCOMPARE(f->dialogs.shown[0].buttons, Dialogs::Buttons::Ok);
        QVERIFY(f->dialogs.shown[0].title.isEmpty());   // the application title
        if (!refusal.isEmpty())
            QCOMPARE(f->dialogs.shown[0].prompt, refusal);   // shown unchanged, nothing added
        verifyClosedLook(QStringLiteral("1"));
        // The user may try again once the device is there.
        f->port.presentPorts.insert(1);
        f->port.openRefusal.clear();
        f->action("mnuOpen")->trigger();
        QVERIFY(f->port.portOpen());
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
        f->port.setDTREnable(dtr);
        f->port.setRTSEnable(rts);
        f->port.lines.dsr = dsr;
        f->port.lines.cts = cts;
        f->action("mnuOpen")->trigger();
        const struct { const char *name; bool on; } expected[] = {
            {"lblDTR", dtr}, {"lblDSR", dsr}, {"lblRTS", rts}, {"lblCTS", cts}};
        for (const auto &e : expected) {
            ColorLabel *l = f->label(QLatin1StringView(e.name));
            QCOMPARE(l->foreColor(), e.on ? 0xFFFFFFu : 0x000000u);
            QCOMPARE(l->backColor(), e.on ? 0x00C000u : 0x808080u);
        }
        // Closed, the input lines read as off; DTR and RTS show what the program drives.
        f->action("mnuClose")->trigger();
        QCOMPARE(f->label(QStringLiteral("lblDSR"))->backColor(), 0x808080u);
        QCOMPARE(f->label(QStringLiteral("lblCTS"))->backColor(), 0x808080u);
        QCOMPARE(f->label(QStringLiteral("lblDTR"))->backColor(), dtr ? 0x00C000u : 0x808080u);
    }

    void indicatorsDoNotFollowWhileOpen()
    {
        f->action("mnuOpen")->trigger();
        QCOMPARE(f->label(QStringLiteral("lblCTS"))->backColor(), 0x808080u);
        f->port.lines.cts = true;
        QCOMPARE(f->label(QStringLiteral("lblCTS"))->backColor(), 0x808080u);
        f->action("mnuClose")->trigger();
        f->action("mnuOpen")->trigger();
        QCOMPARE(f->label(QStringLiteral("lblCTS"))->backColor(), 0x00C000u);
    }

    void deviceLoss()
    {
        f->action("mnuOpen")->trigger();
        f->port.feed("Menue");
        f->port.unplug(QStringLiteral("Com1: Das Gerät wurde entfernt."));
        f->port.unplug(QStringLiteral("Com1: Das Gerät wurde entfernt."));   // the flood's second error
        QTRY_COMPARE(f->dialogs.messageCount(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(f->dialogs.messageCount(), 1);
        QCOMPARE(f->dialogs.lastPrompt(), QStringLiteral("Com1: Das Gerät wurde entfernt."));
        QCOMPARE(f->dialogs.shown.last().icon, Dialogs::Icon::Exclamation);
        verifyClosedLook(QStringLiteral("1"));
        // Back again: opening works as before.
        f->action("mnuOpen")->trigger();
        verifyOpenLook(QStringLiteral("1"));
    }

    void connectTime()
    {
        auto *timer1 = f->window->findChild<QTimer *>(QStringLiteral("Timer1"));
        QVERIFY(timer1);
        QVERIFY(!timer1->isActive());
        QCOMPARE(f->panel("ConnectTime"), QString());
        f->clock.now = 5000;
        f->action("mnuOpen")->trigger();
        QVERIFY(timer1->isActive());
        QCOMPARE(f->panel("ConnectTime"), QStringLiteral("00:00:00 "));
        f->clock.advance((1 * 3600 + 2 * 60 + 5) * 1000 + 999);
        QVERIFY(QMetaObject::invokeMethod(timer1, "timeout"));
        QCOMPARE(f->panel("ConnectTime"), QStringLiteral("01:02:05 "));
        f->clock.advance(100LL * 3600 * 1000);
        QVERIFY(QMetaObject::invokeMethod(timer1, "timeout"));
        QCOMPARE(f->panel("ConnectTime"), QStringLiteral("101:02:05 "));
        f->action("mnuClose")->trigger();
        QVERIFY(!timer1->isActive());
        QCOMPARE(f->panel("ConnectTime"), QString());
        // A failed open leaves the clock off.
        f->port.openRefusal = QStringLiteral("belegt");
        f->action("mnuOpen")->trigger();
        QVERIFY(!timer1->isActive());
        QCOMPARE(f->panel("ConnectTime"), QString());
    }

    void labelUsesPortNumberAtStartUp()
    {
        f = std::make_unique<MainWindowFixture>();
        f->store.saveSetting(applicationTitle(), QStringLiteral("Einstellungen"),
                             QStringLiteral("COM-Anschluß"), QStringLiteral("7"));
        f->start();
        verifyClosedLook(QStringLiteral("7"));
        f->action("mnuOpen")->trigger();
        verifyOpenLook(QStringLiteral("7"));
    }
};

QTEST_MAIN(PortFlipTest)
#include "tst_portflip.moc"
