#include "DialogProbe.h"
#include "ModalDriver.h"

#include "tests/support/MainWindowFixture.h"

#include <QPushButton>
#include <QSignalSpy>

namespace {
// A store that records the keys written, in order, and can refuse every write.
class RecordingStore : public SettingsStore
{
public:
    bool refuse = false;
    QStringList keys;
    bool saveSetting(const QString &application, const QString &section, const QString &key,
                     const QString &value) override
    {
        keys << key;
        if (refuse)
            return false;
        return SettingsStore::saveSetting(application, section, key, value);
    }
};

// Opens the settings dialog from the main window and lets `act` work it; false when
// it never came up.
bool throughDialog(MainWindowFixture &f, const std::function<void(frmProperties &)> &act)
{
    bool driven = false;
    onModal([&](QWidget *w) {
        if (auto *d = qobject_cast<frmProperties *>(w)) {
            driven = true;
            act(*d);
        }
    });
    f.window->mnuProperties_Click();
    return driven;
}

const char *const names[] = {"cboPort", "cboSpeed", "cboParity", "cboDataBits", "cboStopBits"};

template <typename W>
W *in(const frmProperties &d, const QString &name)
{
    return d.findChild<W *>(name);
}
} // namespace

// Confirming the settings dialog: what reaches the port object, which messages
// are shown, what is stored, and what a restart reads back.
class SettingsApplyTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(frmKX_Display::Title + frmKX_Display::ProgramVersion);
    }

    void init()
    {
        resetGlobals();
        clearStored();
    }

    void confirm_data()
    {
        QTest::addColumn<bool>("startOpen");        // port open on Com1; Com5 has no device
        QTest::addColumn<QStringList>("lists");     // port, speed, parity, data bits, stop bits; "": none
        QTest::addColumn<int>("flow");              // the device refuses handshaking 3
        QTest::addColumn<int>("echo");
        // Expected
        QTest::addColumn<QString>("message");       // the one message shown, "" when the dialog closes
        QTest::addColumn<int>("commPort");
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QList<bool>>("openChecks");    // check marks set on the open command
        QTest::addColumn<int>("reopens");           // opens of the device by the handler

        const QString keep = QStringLiteral("9600,n,8,1");
        const QList<bool> none;
        const QString noPort = QStringLiteral("Ungültige Anschlussnummer 0: erlaubt ist 1 bis 255.");
        QTest::newRow("Mark, handshaking 2, echo on") << false << QStringList{"Com1", "9600", "Mark", "8", "1"}
            << 2 << 1 << "" << 1 << false << "9600,m,8,1" << none << 0;
        QTest::newRow("Com1 to Com3, closed") << false << QStringList{"Com3", "9600", "None", "8", "1"}
            << 0 << 0 << "" << 3 << false << keep << none << 0;
        QTest::newRow("same number, open") << true << QStringList{"Com1", "4800", "Even", "7", "1"}
            << 1 << 0 << "" << 1 << true << "4800,e,7,1" << none << 0;
        QTest::newRow("open Com1 to Com2") << true << QStringList{"Com2", "9600", "None", "8", "1"}
            << 0 << 0 << "" << 2 << true << keep << QList<bool>{true} << 1;
        QTest::newRow("open, new number refused") << true << QStringList{"Com5", "19200", "None", "8", "1"}
            << 2 << 1 << "Com5 ist nicht vorhanden." << 1 << false << keep << QList<bool>{false} << 0;
        QTest::newRow("no port selected") << false << QStringList{"", "19200", "None", "8", "1"}
            << 0 << 0 << noPort << 1 << false << keep << none << 0;
        QTest::newRow("no port selected, open") << true << QStringList{"", "19200", "None", "8", "1"}
            << 0 << 0 << noPort << 1 << false << keep << none << 0;
        QTest::newRow("no parity selected") << false << QStringList{"Com3", "19200", "", "8", "1"}
            << 2 << 1 << "Ungültige Parität \"\": erlaubt sind E, O, N, M und S." << 3 << false << keep << none
            << 0;
        QTest::newRow("handshaking refused") << true << QStringList{"Com1", "19200", "None", "8", "1"}
            << 3 << 0 << "kein Xon/RTS" << 1 << true << "19200,n,8,1" << none << 0;
    }

    void confirm()
    {
        QFETCH(bool, startOpen);
        QFETCH(QStringList, lists);
        QFETCH(int, flow);
        QFETCH(int, echo);
        QFETCH(QString, message);
        QFETCH(int, reopens);
        const bool closes = message.isEmpty();

        DialogFixture f;
        f.port.presentPorts.remove(5);
        f.port.refuseLine = [](const LineSettings &, int handshaking) {
            return handshaking == 3 ? QStringLiteral("kein Xon/RTS") : QString();
        };
        if (startOpen)
            f.port.setPortOpen(true);
        const int opensBefore = f.port.opens;
        Module1::EmulationMode = Module1::KestrixMode;
        frmProperties &d = f.open();

        for (int i = 0; i < 5; ++i)
            f.choose(names[i], lists[i]);
        f.option("optFlow", flow)->click();
        f.option("optEcho", echo)->click();

        QSignalSpy accepted(&d, &QDialog::accepted);
        f.child<QPushButton>(QStringLiteral("cmdOK"))->click();

        QCOMPARE(accepted.count(), closes ? 1 : 0);
        QCOMPARE(f.dialogs.messageCount(), closes ? 0 : 1);
        if (!closes) {
            QCOMPARE(f.dialogs.lastPrompt(), message);
            QCOMPARE(f.dialogs.shown.last().icon, Dialogs::Icon::Exclamation);
            QCOMPARE(f.dialogs.shown.last().buttons, Dialogs::Buttons::Ok);
        }
        QTEST(f.port.commPort(), "commPort");
        QTEST(f.port.portOpen(), "open");
        QTEST(f.port.settings(), "settings");
        // Handshaking is applied only when all else was; echo even when a later step failed.
        QCOMPARE(f.port.handshaking(), closes ? flow : 0);
        QCOMPARE(Module1::LocalEcho, echo == 1);
        QTEST(f.openChecks, "openChecks");
        QCOMPARE(f.port.opens - opensBefore, reopens);

        if (closes) {
            QCOMPARE(stored(SettingsApply::KeySettings), f.port.settings());
            QCOMPARE(stored(SettingsApply::KeyPort), QString::number(f.port.commPort()));
            QCOMPARE(stored(SettingsApply::KeyHandshaking), QString::number(flow));
            QCOMPARE(stored(SettingsApply::KeyEcho), echo == 1 ? QStringLiteral("True") : QStringLiteral("False"));
            QCOMPARE(stored(SettingsApply::KeyEmulation), QStringLiteral("Kestrix"));
        } else {
            QVERIFY(storedKeys().isEmpty());
            // The user's selections stay as they were, to be corrected.
            for (int i = 0; i < 5; ++i)
                QCOMPARE(f.list(names[i])->currentText(), lists[i]);
            QCOMPARE(d.PendingHandshaking, flow);
        }
    }

    void storesFiveKeysInOrder_data()
    {
        QTest::addColumn<bool>("refuse");
        QTest::newRow("store works") << false;
        QTest::newRow("store refuses every key") << true;
    }

    void storesFiveKeysInOrder()
    {
        QFETCH(bool, refuse);
        DialogFixture f;
        RecordingStore store;
        store.refuse = refuse;
        frmProperties d(frmProperties::Services{&f.port, &store, &f.dialogs});
        QSignalSpy accepted(&d, &QDialog::accepted);
        d.findChild<QRadioButton *>(QStringLiteral("optEmulation_0"))->click();
        d.cmdOK_Click();
        // A store that cannot be written does not keep the dialog open.
        QCOMPARE(accepted.count(), 1);
        QCOMPARE(f.dialogs.messageCount(), 0);
        QCOMPARE(store.keys, (QStringList{"Einstellungen", "COM-Anschluß", "Handshaking", "Echo", "TermEmu"}));
        QCOMPARE(stored(SettingsApply::KeyEmulation), refuse ? QString() : QStringLiteral("Ascii-Modus"));
    }

    // Through the main window: OK stores, and a new window on the same store starts
    // with what was confirmed.
    void survivesRestart_data()
    {
        QTest::addColumn<QStringList>("lists");   // port, speed, parity, data bits, stop bits
        QTest::addColumn<int>("flow");
        QTest::addColumn<int>("echo");
        QTest::addColumn<int>("emulation");
        QTest::addColumn<QString>("panel");

        QTest::newRow("Com3 19200 Odd 7 1.5") << QStringList{"Com3", "19200", "Odd", "7", "1.5"} << 2 << 1 << 1
            << "COM 3 - 19200,o,7,1.5";
        QTest::newRow("Com16 256000 Space 5 2") << QStringList{"Com16", "256000", "Space", "5", "2"} << 3 << 0
            << 0 << "COM 16 - 256000,s,5,2";
    }

    void survivesRestart()
    {
        QFETCH(QStringList, lists);
        QFETCH(int, flow);
        QFETCH(int, echo);
        QFETCH(int, emulation);
        QFETCH(QString, panel);

        MainWindowFixture f;
        f.start();
        QVERIFY(throughDialog(f, [&](frmProperties &d) {
            for (int i = 0; i < 5; ++i) {
                auto *box = in<QComboBox>(d, QLatin1StringView(names[i]));
                box->setCurrentIndex(box->findText(lists[i]));
            }
            in<QRadioButton>(d, QStringLiteral("optFlow_%1").arg(flow))->click();
            in<QRadioButton>(d, QStringLiteral("optEcho_%1").arg(echo))->click();
            in<QRadioButton>(d, QStringLiteral("optEmulation_%1").arg(emulation))->click();
            in<QPushButton>(d, QStringLiteral("cmdOK"))->click();
        }));
        QCOMPARE(f.dialogs.messageCount(), 0);
        // The dialog is gone once it has closed.
        QVERIFY(!f.window->findChild<frmProperties *>());
        QCOMPARE(f.panel("Settings"), panel);

        // The restart: a fresh port object, program-wide values forgotten.
        f.window.reset();
        resetGlobals();
        Module1::EmulationMode.clear();
        f.start(new FakeSerialComm);
        QCOMPARE(f.panel("Settings"), panel);
        QCOMPARE(Module1::LocalEcho, echo == 1);
        QCOMPARE(Module1::EmulationMode, emulation == 1 ? Module1::KestrixMode : Module1::AsciiMode);

        QStringList seen;
        QVERIFY(throughDialog(f, [&](frmProperties &d) {
            for (const char *name : names)
                seen << in<QComboBox>(d, QLatin1StringView(name))->currentText();
            seen << QString::number(d.PendingHandshaking) << QString::number(d.PendingEcho);
        }));
        QCOMPARE(seen, (lists + QStringList{QString::number(flow), QString::number(echo)}));
    }

    // The status bar and the emulation menu follow the dialog after each way of closing it.
    void refreshAfterClosing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("panel");
        QTest::newRow("OK") << "cmdOK" << "COM 2 - 9600,n,8,1";
        QTest::newRow("Abbrechen") << "cmdCancel" << "COM 1 - 9600,n,8,1";
        QTest::newRow("close button") << "close" << "COM 1 - 9600,n,8,1";
    }

    void refreshAfterClosing()
    {
        QFETCH(QString, how);
        MainWindowFixture f;
        f.start().mnuKestrix_Click();
        bool modal = false;
        QVERIFY(throughDialog(f, [&](frmProperties &d) {
            modal = d.isModal() && QApplication::activeModalWidget() == &d;
            in<QComboBox>(d, QStringLiteral("cboPort"))->setCurrentIndex(1);
            in<QRadioButton>(d, QStringLiteral("optEmulation_0"))->click();
            if (how == u"close")
                d.close();
            else
                in<QPushButton>(d, how)->click();
        }));
        QVERIFY(modal);
        QVERIFY(!f.window->findChild<frmProperties *>());
        QTEST(f.panel("Settings"), "panel");
        QCOMPARE(f.panel("Emulation"), QStringLiteral("Ascii-Modus"));
        QVERIFY(f.action("mnuASCII")->isChecked());
        QVERIFY(!f.action("mnuKestrix")->isChecked());
        QCOMPARE(storedKeys().isEmpty(), how != u"cmdOK");
    }

    // A new number confirmed while the port is open: the window's menu, indicator
    // and check mark follow whether the port could be reopened on it.
    void newNumberWhileOpen_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("refused");
        QTest::newRow("Com2 reopens") << 1 << false;
        QTest::newRow("absent Com5 leaves the port closed") << 4 << true;
    }

    void newNumberWhileOpen()
    {
        QFETCH(int, index);
        QFETCH(bool, refused);
        MainWindowFixture f;
        f.port.presentPorts.remove(5);
        f.start().mnuOpen_Click();
        QVERIFY(f.port.portOpen());
        QVERIFY(!f.action("mnuOpen")->isEnabled());
        QVERIFY(throughDialog(f, [&](frmProperties &d) {
            in<QComboBox>(d, QStringLiteral("cboPort"))->setCurrentIndex(index);
            d.cmdOK_Click();
        }));
        QCOMPARE(f.dialogs.messageCount(), refused ? 1 : 0);
        QCOMPARE(f.port.portOpen(), !refused);
        QCOMPARE(f.port.commPort(), refused ? 1 : 2);
        QAction *open = f.action("mnuOpen");
        QCOMPARE(open->isEnabled(), refused);
        QCOMPARE(f.action("mnuClose")->isEnabled(), !refused);
        QCOMPARE(f.action("mnuProperties")->isEnabled(), refused);
        QVERIFY(open->isCheckable());
        QCOMPARE(open->isChecked(), !refused);
        if (refused) {
            // The window shows the port closed instead of claiming it is open.
            QCOMPARE(f.label(QStringLiteral("lblComOpen"))->text(), QStringLiteral("Com 1  closed"));
            QVERIFY(storedKeys().isEmpty());
            return;
        }
        QCOMPARE(stored(SettingsApply::KeyPort), QStringLiteral("2"));
        // Later flips through the menu leave the mark as the dialog set it.
        f.action("mnuClose")->trigger();
        open->trigger();
        QVERIFY(f.port.portOpen());
        QVERIFY(open->isChecked());
    }
};

QTEST_MAIN(SettingsApplyTest)
#include "tst_settingsapply.moc"
