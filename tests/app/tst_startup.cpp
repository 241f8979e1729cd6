#include "tests/support/MainWindowFixture.h"

#include <QTest>

#include "app/Module1.h"
#include "platform/Twips.h"

#include <QApplication>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

class StartUpTest : public QObject
{
    Q_OBJECT

    using Fixture = MainWindowFixture;

    static void store(const QString &key, const QString &value)
    {
        if (!value.isNull())
            SettingsStore().saveSetting(applicationTitle(), QStringLiteral("Einstellungen"), key, value);
    }

private slots:
    void init()
    {
        clearStore();
        Module1::EmulationMode.clear();
        Module1::LocalEcho = false;
    }

    void storedSettings_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("handshaking");
        QTest::addColumn<QString>("echo");
        QTest::addColumn<QString>("emulation");
        // Expected
        QTest::addColumn<QString>("message");        // part of the one message, or empty for none
        QTest::addColumn<QString>("portLabel");
        QTest::addColumn<QString>("settingsPanel");
        QTest::addColumn<QString>("emulationPanel");
        QTest::addColumn<bool>("localEcho");
        QTest::addColumn<int>("handshakingNow");

        const QString none;
        QTest::newRow("empty store") << none << none << none << none << none << QString()
            << "Com 1  closed" << "COM 1 - 9600,n,8,1" << "Ascii-Modus" << false << 0;
        QTest::newRow("all stored") << "19200,E,7,2" << "3" << "2" << "True" << "Kestrix" << QString()
            << "Com 3  closed" << "COM 3 - 19200,e,7,2" << "Kestrix" << true << 2;
        QTest::newRow("refused settings") << "9600,X,8,1" << "3" << none << "True" << "Kestrix"
            << "Parität" << "Com" << "COM" << "Emulation:" << false << 0;
        QTest::newRow("bad port, handshaking stored") << none << "abc" << "2" << "True" << none
            << "abc" << "Com" << "COM" << "Emulation:" << false << 2;
        QTest::newRow("bad port, no handshaking") << none << "abc" << none << none << none << QString()
            << "Com 1  closed" << "COM 1 - 9600,n,8,1" << "Ascii-Modus" << false << 0;
        QTest::newRow("handshaking out of range") << none << "2" << "7" << none << none
            << "Handshaking" << "Com" << "COM" << "Emulation:" << false << 0;
        QTest::newRow("echo lower case") << none << none << none << "true" << none << QString()
            << "Com 1  closed" << "COM 1 - 9600,n,8,1" << "Ascii-Modus" << true << 0;
        QTest::newRow("echo number") << none << none << none << "-1" << none << QString()
            << "Com 1  closed" << "COM 1 - 9600,n,8,1" << "Ascii-Modus" << true << 0;
        QTest::newRow("echo nonsense") << none << none << none << "vielleicht" << none << QString()
            << "Com 1  closed" << "COM 1 - 9600,n,8,1" << "Ascii-Modus" << false << 0;
        QTest::newRow("other emulation") << none << none << none << none << "VT100" << QString()
            << "Com 1  closed" << "COM 1 - 9600,n,8,1" << "VT100" << false << 0;
    }

    void storedSettings()
    {
        QFETCH(QString, settings);
        QFETCH(QString, port);
        QFETCH(QString, handshaking);
        QFETCH(QString, echo);
        QFETCH(QString, emulation);
        QFETCH(QString, message);
        QFETCH(QString, portLabel);
        QFETCH(QString, settingsPanel);
        QFETCH(QString, emulationPanel);
        QFETCH(bool, localEcho);
        QFETCH(int, handshakingNow);

        store(QStringLiteral("Einstellungen"), settings);
        store(QStringLiteral("COM-Anschluß"), port);
        store(QStringLiteral("Handshaking"), handshaking);
        store(QStringLiteral("Echo"), echo);
        store(QStringLiteral("TermEmu"), emulation);

        Fixture f;
        f.start();
        if (message.isEmpty()) {
            QCOMPARE(f.dialogs.messageCount(), 0);
        } else {
            QCOMPARE(f.dialogs.messageCount(), 1);
            QVERIFY2(f.dialogs.lastPrompt().contains(message), qPrintable(f.dialogs.lastPrompt()));
            QCOMPARE(f.dialogs.shown.last().icon, Dialogs::Icon::Exclamation);
            QCOMPARE(f.dialogs.shown.last().buttons, Dialogs::Buttons::Ok);
            // Start-up ended early: the window keeps its design texts.
            QCOMPARE(f.panel("Status"), QStringLiteral("Status"));
        }
        QCOMPARE(f.label(QStringLiteral("lblComOpen"))->text(), portLabel);
        QCOMPARE(f.panel("Settings"), settingsPanel);
        QCOMPARE(f.panel("Emulation"), emulationPanel);
        QCOMPARE(Module1::LocalEcho, localEcho);
        QCOMPARE(f.port.handshaking(), handshakingNow);
        QCOMPARE(f.action("mnuASCII")->isChecked(), emulationPanel == Module1::AsciiMode);
        QCOMPARE(f.action("mnuKestrix")->isChecked(), emulationPanel == Module1::KestrixMode);
        QVERIFY(!f.port.portOpen());
        // The port label is white on red in every case.
        QCOMPARE(f.label(QStringLiteral("lblComOpen"))->foreColor(), 0xFFFFFFu);
        QCOMPARE(f.label(QStringLiteral("lblComOpen"))->backColor(), 0x0000FFu);
    }

    void startUpWritesNothing()
    {
        Fixture f;
        f.start();
        QSettings s(QSettings::IniFormat, QSettings::UserScope,
                    QString::fromLatin1(SettingsStore::Organisation), applicationTitle());
        QVERIFY(s.allKeys().isEmpty());
    }

    void fixedPortProperties()
    {
        Fixture f;
        f.port.setInputLen(0);
        f.port.setOutBufferSize(512);
        f.start();
        QCOMPARE(f.port.inputLen(), 1);
        QCOMPARE(f.port.outBufferSize(), 2048);
    }

    void titleAndMenus()
    {
        Fixture f;
        f.start();
        QCOMPARE(f.window->windowTitle(), QStringLiteral("Kestrix II/LT - Display  V 1.1.2"));
        QCOMPARE(QCoreApplication::applicationName(), f.window->windowTitle());
        QCOMPARE(f.window->Version, QStringLiteral("1.1.2"));
        QCOMPARE(f.window->Stand, QStringLiteral("26.12.09"));

        const QList<QAction *> top = f.window->menuBar()->actions();
        QStringList captions;
        for (QAction *a : top)
            captions << a->text();
        QCOMPARE(captions, (QStringList{"&Beenden", "&COM-Anschluß", "&Emulation", "&MSComm", "&Info",
                                        "&Entwicklung"}));
        QVERIFY(f.action("mnuOpen")->isEnabled());
        QVERIFY(!f.action("mnuClose")->isEnabled());
        QVERIFY(f.action("mnuProperties")->isEnabled());
        QCOMPARE(f.action("mnuOpen")->text(), QStringLiteral("COM - ö&ffnen"));
        // The two service menus exist but are never offered.
        QVERIFY(!f.menu("mnuMSComm")->menuAction()->isVisible());
        QVERIFY(f.menu("mnuMSComm")->isEnabled());
        QVERIFY(!f.menu("mnuEntwicklung")->menuAction()->isVisible());
        QVERIFY(!f.menu("mnuEntwicklung")->isEnabled());
        QVERIFY(!f.action("mnuDTREnable")->isChecked());
        for (const char *name : {"mnuInputLen", "mnuRThreshold", "mnuSThreshold", "mnuParRep", "mnuHCD",
                                 "mnuHCTS", "mnuHDSR", "mnuGyro_Scale", "mnuGyro_Diagnose", "mnuEnde",
                                 "mnuInfo"})
            QVERIFY2(f.window->findChild<QAction *>(QLatin1StringView(name)), name);
    }

    void indicatorRow()
    {
        Fixture f;
        f.start();
        const QWidget *cell0 = f.label(QStringLiteral("lbl_G1_0"));
        for (int i = 0; i < 39; ++i) {
            ColorLabel *cell = f.label(QStringLiteral("lbl_G1_%1").arg(i));
            QCOMPARE(cell->backColor(), 0xC0C0C0u);
            QCOMPARE(cell->frameStyle(), int(QFrame::NoFrame));
            QCOMPARE(cell->geometry().top(), cell0->geometry().top());
            // Contiguous: each cell starts where the previous one ended.
            if (i > 0)
                QCOMPARE(cell->geometry().left(),
                         f.label(QStringLiteral("lbl_G1_%1").arg(i - 1))->geometry().right() + 1);
        }
        QVERIFY(!f.window->findChild<QWidget *>(QStringLiteral("lbl_G1_39")));
        // 140 + 120 * 39 twips = 4820 twips = 4820 / 15 px at 96 dpi.
        QCOMPARE(f.label(QStringLiteral("lbl_G1_38"))->geometry().right() + 1,
                 Twips::toPx(4820, f.window.get()));
        QCOMPARE(f.label(QStringLiteral("lbl_Check"))->text(), QString());
        QCOMPARE(f.label(QStringLiteral("lbl_Check"))->foreColor(), 0u);
    }

    void designedSize()
    {
        Fixture f;
        f.start();
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        // The inner area below the menu bar, status bar included: 4920 x 4755 twips.
        QVERIFY(qAbs(f.window->width() - Twips::toPx(4920, f.window.get())) <= 1);
        const int inner = f.window->centralWidget()->height() + f.window->statusBar()->height();
        QVERIFY2(qAbs(inner - Twips::toPx(4755, f.window.get())) <= 1, qPrintable(QString::number(inner)));
        // Narrower than all status panels together, every panel still shows its text.
        for (const char *key : {"Settings", "Emulation"}) {
            auto *panel = f.window->findChild<QLabel *>(QStringLiteral("sbrStatus_") + QLatin1StringView(key));
            QVERIFY(panel->isVisible());
            QVERIFY(panel->width() >= panel->fontMetrics().horizontalAdvance(panel->text()));
        }
    }

    void centredOnScreen()
    {
        Fixture f;
        f.start();
        const QRect screen = f.window->screen()->geometry();
        const QRect frame = f.window->frameGeometry();
        QVERIFY(qAbs(frame.center().x() - screen.center().x()) <= 1);
        QVERIFY(qAbs(frame.center().y() - screen.center().y()) <= 1);
    }
};

QTEST_MAIN(StartUpTest)
#include "tst_startup.moc"
