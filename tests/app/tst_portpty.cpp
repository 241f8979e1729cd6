#include "WindowProbe.h"

#include "platform/QtSerialComm.h"
#include "platform/RichTextView.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScriptedDialogs.h"

// The port commands on a real pseudo-terminal, opened exactly as a USB adapter is.
class PortPtyTest : public QObject
{
    Q_OBJECT

    SettingsStore store;
    ScriptedDialogs dialogs;
    QString device;
    std::unique_ptr<frmKX_Display> window;

    WindowProbe probe() { return WindowProbe{*window}; }

    void start()
    {
        auto *port = new QtSerialComm([this](int n) { return n == 1 ? device : QString(); });
        frmKX_Display::Services s;
        s.port = port;
        s.store = &store;
        s.dialogs = &dialogs;
        window = std::make_unique<frmKX_Display>(s);
        port->setParent(window.get());
    }

private slots:
    void init()
    {
        clearStore();
        dialogs = ScriptedDialogs();
    }
    void cleanup() { window.reset(); }

    void openAndCloseOnPty()
    {
        PtyPair pty;
        if (!pty.isOpen())
            QSKIP(qPrintable(pty.errorString()));
        device = pty.slavePath();
        start();
        probe().action("mnuOpen")->trigger();
        QCOMPARE(dialogs.messageCount(), 0);
        QVERIFY(window->MSComm1().portOpen());
        QCOMPARE(probe().label(QStringLiteral("lblComOpen"))->text(), QStringLiteral("Com 1  open "));
        QCOMPARE(probe().label(QStringLiteral("lblComOpen"))->backColor(), 0x00C000u);
        QVERIFY(!probe().action("mnuProperties")->isEnabled());
        // A pseudo-terminal has no modem lines: the inputs read as off, and DTR/RTS
        // show what the program drives.
        QCOMPARE(probe().label(QStringLiteral("lblDSR"))->backColor(), 0x808080u);
        QCOMPARE(probe().label(QStringLiteral("lblCTS"))->backColor(), 0x808080u);
        QCOMPARE(probe().label(QStringLiteral("lblDTR"))->backColor(), 0x00C000u);

        probe().action("mnuClose")->trigger();
        QCOMPARE(dialogs.messageCount(), 0);
        QVERIFY(!window->MSComm1().portOpen());
        QCOMPARE(probe().label(QStringLiteral("lblComOpen"))->text(), QStringLiteral("Com 1  closed"));
        QCOMPARE(probe().label(QStringLiteral("lblComOpen"))->backColor(), 0x0000FFu);
        QVERIFY(probe().action("mnuOpen")->isEnabled());
        QVERIFY(probe().action("mnuProperties")->isEnabled());
    }

    void missingDevice_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("no device for the number") << QString();
        QTest::newRow("device gone") << QStringLiteral("/dev/kx-display-test-no-such-device");
    }

    void missingDevice()
    {
        QFETCH(QString, path);
        device = path;
        start();
        probe().action("mnuOpen")->trigger();
        QCOMPARE(dialogs.messageCount(), 1);
        QCOMPARE(dialogs.shown[0].icon, Dialogs::Icon::Exclamation);
        QVERIFY(!dialogs.shown[0].prompt.isEmpty());
        QVERIFY2(!dialogs.shown[0].prompt.contains(QStringLiteral("Unknown error")),
                 qPrintable(dialogs.shown[0].prompt));
        QVERIFY(!window->MSComm1().portOpen());
        QCOMPARE(probe().label(QStringLiteral("lblComOpen"))->text(), QStringLiteral("Com 1  closed"));
        QCOMPARE(probe().label(QStringLiteral("lblComOpen"))->backColor(), 0x0000FFu);
        QVERIFY(probe().action("mnuOpen")->isEnabled());
        QVERIFY(!probe().action("mnuClose")->isEnabled());
    }

    void unpluggedWhileOpen()
    {
        auto pty = std::make_unique<PtyPair>();
        if (!pty->isOpen())
            QSKIP(qPrintable(pty->errorString()));
        device = pty->slavePath();
        start();
        probe().action("mnuOpen")->trigger();
        QVERIFY(window->MSComm1().portOpen());
        pty->writeMaster("KONFIGURATIONSMENUE \r\n");
        QTRY_VERIFY(window->richTextBox()->model().text().contains(QStringLiteral("KONFIGURATIONSMENUE")));
        pty->closeMaster();
        QTRY_COMPARE(dialogs.messageCount(), 1);
        // Let a would-be flood of errors arrive: still one message, port closed.
        QTest::qWait(200);
        QCOMPARE(dialogs.messageCount(), 1);
        QVERIFY(!window->MSComm1().portOpen());
        QCOMPARE(probe().label(QStringLiteral("lblComOpen"))->text(), QStringLiteral("Com 1  closed"));
        QVERIFY(probe().action("mnuOpen")->isEnabled());
        // What arrived before the loss stays in view.
        QVERIFY(window->richTextBox()->model().text().contains(QStringLiteral("KONFIGURATIONSMENUE")));

        // The adapter is back (as a new device): opening works again.
        pty = std::make_unique<PtyPair>();
        QVERIFY(pty->isOpen());
        device = pty->slavePath();
        probe().action("mnuOpen")->trigger();
        QVERIFY(window->MSComm1().portOpen());
        QCOMPARE(dialogs.messageCount(), 1);
        QCOMPARE(probe().label(QStringLiteral("lblComOpen"))->text(), QStringLiteral("Com 1  open "));
    }
};

QTEST_MAIN(PortPtyTest)
#include "tst_portpty.moc"
