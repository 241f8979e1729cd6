#include "WindowProbe.h"

#include "app/Module1.h"
#include "platform/StatusBar.h"
#include "platform/Twips.h"
#include "tests/support/FakeSerialComm.h"
#include "tests/support/ScriptedDialogs.h"

#include <QTimer>

class StatusBarTest : public QObject
{
    Q_OBJECT

    FakeSerialComm *port = nullptr;
    SettingsStore store;
    ScriptedDialogs dialogs;
    std::unique_ptr<frmKX_Display> window;

    WindowProbe probe() { return WindowProbe{*window}; }

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
        window = std::make_unique<frmKX_Display>(s);
        port->setParent(window.get());
    }
    void cleanup() { window.reset(); }

    void panelsInOrder()
    {
        const QList<QLabel *> panels = window->findChildren<QLabel *>(
            QRegularExpression(QStringLiteral("^sbrStatus_")));
        QCOMPARE(panels.size(), 4);
        const struct { const char *key, *tip; int twips; } expected[] = {
            {"Status", "Status-Meldungen", 5000},
            {"Settings", "Com-Port - Einstellungen", 2300},
            {"Emulation", "Terminal-Emulation", 1560},
            {"ConnectTime", "Verbindungsdauer", 1000},
        };
        int previousRight = -1;
        for (const auto &e : expected) {
            auto *l = window->findChild<QLabel *>(QStringLiteral("sbrStatus_") + QLatin1StringView(e.key));
            QVERIFY(l);
            QCOMPARE(l->toolTip(), QString::fromUtf8(e.tip));
            QVERIFY(l->sizeHint().width() >= Twips::toPx(e.twips, l) - 1);
            QVERIFY(l->x() > previousRight);   // left to right in this order
            previousRight = l->x();
        }
    }

    void emulationMenu_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("mode");
        QTest::newRow("Kestrix") << "mnuKestrix" << "Kestrix";
        QTest::newRow("ASCII") << "mnuASCII" << "Ascii-Modus";
    }

    void emulationMenu()
    {
        QFETCH(QString, command);
        QFETCH(QString, mode);
        Module1::EmulationMode = QStringLiteral("something else");
        port->setInputLen(5);
        probe().action(command.toLatin1())->trigger();
        QCOMPARE(Module1::EmulationMode, mode);
        QCOMPARE(probe().panel("Emulation"), mode);
        QCOMPARE(probe().action("mnuKestrix")->isChecked(), mode == Module1::KestrixMode);
        QCOMPARE(probe().action("mnuASCII")->isChecked(), mode == Module1::AsciiMode);
        QCOMPARE(port->inputLen(), 1);
        // Choosing the checked entry again changes nothing.
        probe().action(command.toLatin1())->trigger();
        QCOMPARE(probe().action("mnuKestrix")->isChecked(), mode == Module1::KestrixMode);
        // The menu never stores the mode.
        QCOMPARE(store.getSetting(applicationTitle(), QStringLiteral("Einstellungen"),
                                  QStringLiteral("TermEmu"), QStringLiteral("<none>")),
                 QStringLiteral("<none>"));
    }

    void settingsPanelFollowsPort()
    {
        port->setCommPort(2);
        port->setSettings(QStringLiteral("4800,M,6,1.5"));
        probe().action("mnuASCII")->trigger();
        QCOMPARE(probe().panel("Settings"), QStringLiteral("COM 2 - 4800,m,6,1.5"));
        QCOMPARE(window->ComPort, QStringLiteral("2"));
    }

    void timer2RestoresStatus()
    {
        QCOMPARE(probe().panel("Status"), QStringLiteral("Status"));
        window->showStatus(QStringLiteral("Error: Rahmenfehler"));
        QCOMPARE(probe().panel("Status"), QStringLiteral("Error: Rahmenfehler"));
        auto *timer2 = window->findChild<QTimer *>(QStringLiteral("Timer2"));
        QVERIFY(timer2);
        QVERIFY(timer2->isActive());
        QCOMPARE(timer2->interval(), 2000);
        QVERIFY(QMetaObject::invokeMethod(timer2, "timeout"));
        QCOMPARE(probe().panel("Status"), QStringLiteral("Status"));
        QVERIFY(!timer2->isActive());
    }
};

QTEST_MAIN(StatusBarTest)
#include "tst_statusbar.moc"
