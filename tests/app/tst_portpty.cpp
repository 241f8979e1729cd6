#include "tests/support/MainWindowFixture.h"

#include <QTest>

#include "serial/QtSerialComm.h"
#include "terminal/RichTextView.h"
#include "tests/support/PtyPair.h"

// The port commands on a real pseudo-terminal, opened exactly as a USB adapter is.
class PortPtyTest : public QObject
{
    Q_OBJECT

    QString device;
    std::unique_ptr<MainWindowFixture> f;

    void start()
    {
        f->start(new QtSerialComm([this](int n) { return n == 1 ? device : QString(); }));
    }

private slots:
    void init()
    {
        clearStore();
        f = std::make_unique<MainWindowFixture>();
    }
    void cleanup() { f.reset(); }

    void openAndCloseOnPty()
    {
        PtyPair pty;
        if (!pty.isOpen())
            QSKIP(qPrintable(pty.errorString()));
        device = pty.slavePath();
        start();
        f->action("mnuOpen")->trigger();
        QCOMPARE(f->dialogs.messageCount(), 0);
        QVERIFY(f->window->MSComm1().portOpen());
        QCOMPARE(f->label(QStringLiteral("lblComOpen"))->text(), QStringLiteral("Com 1  open "));
        QCOMPARE(f->label(QStringLiteral("lblComOpen"))->backColor(), 0x00C000u);
        QVERIFY(!f->action("mnuProperties")->isEnabled());
        // A pseudo-terminal has no modem lines: the inputs read as off, and DTR/RTS
        // show what the program drives.
        QCOMPARE(f->label(QStringLiteral("lblDSR"))->backColor(), 0x808080u);
        QCOMPARE(f->label(QStringLiteral("lblCTS"))->backColor(), 0x808080u);
        QCOMPARE(f->label(QStringLiteral("lblDTR"))->backColor(), 0x00C000u);

        f->action("mnuClose")->trigger();
        QCOMPARE(f->dialogs.messageCount(), 0);
        QVERIFY(!f->window->MSComm1().portOpen());
        QCOMPARE(f->label(QStringLiteral("lblComOpen"))->text(), QStringLiteral("Com 1  closed"));
        QCOMPARE(f->label(QStringLiteral("lblComOpen"))->backColor(), 0x0000FFu);
        QVERIFY(f->action("mnuOpen")->isEnabled());
        QVERIFY(f->action("mnuProperties")->isEnabled());
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
        f->action("mnuOpen")->trigger();
        QCOMPARE(f->dialogs.messageCount(), 1);
        QCOMPARE(f->dialogs.shown[0].icon, Dialogs::Icon::Exclamation);
        QVERIFY(!f->dialogs.shown[0].prompt.isEmpty());
        QVERIFY2(!f->dialogs.shown[0].prompt.contains(QStringLiteral("Unknown error")),
                 qPrintable(f->dialogs.shown[0].prompt));
        QVERIFY(!f->window->MSComm1().portOpen());
        QCOMPARE(f->label(QStringLiteral("lblComOpen"))->text(), QStringLiteral("Com 1  closed"));
        QCOMPARE(f->label(QStringLiteral("lblComOpen"))->backColor(), 0x0000FFu);
        QVERIFY(f->action("mnuOpen")->isEnabled());
        QVERIFY(!f->action("mnuClose")->isEnabled());
    }

    void unpluggedWhileOpen()
    {
        auto pty = std::make_unique<PtyPair>();
        if (!pty->isOpen())
            QSKIP(qPrintable(pty->errorString()));
        device = pty->slavePath();
        start();
        f->action("mnuOpen")->trigger();
        QVERIFY(f->window->MSComm1().portOpen());
        pty->writeMaster("KONFIGURATIONSMENUE \r\n");
        QTRY_VERIFY(f->window->richTextBox()->model().text().contains(QStringLiteral("KONFIGURATIONSMENUE")));
        pty->closeMaster();
        QTRY_COMPARE(f->dialogs.messageCount(), 1);
        // Let a would-be flood of errors arrive: still one message, port closed.
        QTest::qWait(200);
        QCOMPARE(f->dialogs.messageCount(), 1);
        QVERIFY(!f->window->MSComm1().portOpen());
        QCOMPARE(f->label(QStringLiteral("lblComOpen"))->text(), QStringLiteral("Com 1  closed"));
        QVERIFY(f->action("mnuOpen")->isEnabled());
        // What arrived before the loss stays in view.
        QVERIFY(f->window->richTextBox()->model().text().contains(QStringLiteral("KONFIGURATIONSMENUE")));

        // The adapter is back (as a new device): opening works again.
        pty = std::make_unique<PtyPair>();
        QVERIFY(pty->isOpen());
        device = pty->slavePath();
        f->action("mnuOpen")->trigger();
        QVERIFY(f->window->MSComm1().portOpen());
        QCOMPARE(f->dialogs.messageCount(), 1);
        QCOMPARE(f->label(QStringLiteral("lblComOpen"))->text(), QStringLiteral("Com 1  open "));
    }
};

QTEST_MAIN(PortPtyTest)
#include "tst_portpty.moc"
