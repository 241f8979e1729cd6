#include "tests/support/MainWindowFixture.h"

#include <QTest>

#include "app/Module1.h"
#include "app/StatusBar.h"
#include "platform/Twips.h"

#include <QTimer>

class StatusBarTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f;


private slots:
    void init()
    {
        clearStore();
        f = std::make_unique<MainWindowFixture>();
        f->start();
    }
    void cleanup() { f.reset(); }

    void panelsInOrder()
    {
        const QList<QLabel *> panels = f->window->findChildren<QLabel *>(
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
            auto *l = f->window->findChild<QLabel *>(QStringLiteral("sbrStatus_") + QLatin1StringView(e.key));
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
        f->port.setInputLen(5);
        f->action(command)->trigger();
        QCOMPARE(Module1::EmulationMode, mode);
        QCOMPARE(f->panel("Emulation"), mode);
        QCOMPARE(f->action("mnuKestrix")->isChecked(), mode == Module1::KestrixMode);
        QCOMPARE(f->action("mnuASCII")->isChecked(), mode == Module1::AsciiMode);
        QCOMPARE(f->port.inputLen(), 1);
        // Choosing the checked entry again changes nothing.
        f->action(command)->trigger();
        QCOMPARE(f->action("mnuKestrix")->isChecked(), mode == Module1::KestrixMode);
        // The menu never stores the mode.
        QCOMPARE(f->store.getSetting(applicationTitle(), QStringLiteral("Einstellungen"),
                                  QStringLiteral("TermEmu"), QStringLiteral("<none>")),
                 QStringLiteral("<none>"));
    }

    void settingsPanelFollowsPort()
    {
        f->port.setCommPort(2);
        f->port.setSettings(QStringLiteral("4800,M,6,1.5"));
        f->action("mnuASCII")->trigger();
        QCOMPARE(f->panel("Settings"), QStringLiteral("COM 2 - 4800,m,6,1.5"));
        QCOMPARE(f->window->ComPort, QStringLiteral("2"));
    }

    void timer2RestoresStatus()
    {
        QCOMPARE(f->panel("Status"), QStringLiteral("Status"));
        f->window->showStatus(QStringLiteral("Error: Rahmenfehler"));
        QCOMPARE(f->panel("Status"), QStringLiteral("Error: Rahmenfehler"));
        auto *timer2 = f->window->findChild<QTimer *>(QStringLiteral("Timer2"));
        QVERIFY(timer2);
        QVERIFY(timer2->isActive());
        QCOMPARE(timer2->interval(), 2000);
        QVERIFY(QMetaObject::invokeMethod(timer2, "timeout"));
        QCOMPARE(f->panel("Status"), QStringLiteral("Status"));
        QVERIFY(!timer2->isActive());
    }
};

QTEST_MAIN(StatusBarTest)
#include "tst_statusbar.moc"
