#include "DialogProbe.h"
#include "ModalDriver.h"

#include "app/frmKX_Display.h"
#include "platform/ColorLabel.h"

#include <QAction>
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

QString bools(const QList<bool> &list)
{
    QStringList out;
    for (bool b : list)
        out << (b ? QStringLiteral("true") : QStringLiteral("false"));
    return out.join(u',');
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
        QCoreApplication::setApplicationName(QStringLiteral("Kestrix II/LT - Display  V 1.1.2"));
    }

    void init()
    {
        resetGlobals();
        clearStored();
    }

    void confirm_data()
    {
        // Start
        QTest::addColumn<bool>("startOpen");        // port open on Com1
        QTest::addColumn<int>("absentPort");        // a port number with no device (0: none)
        QTest::addColumn<bool>("refuseXonRts");     // the device refuses handshaking 3
        // Selections
        QTest::addColumn<QString>("port");          // "" leaves cboPort without a selection
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("parity");
        QTest::addColumn<QString>("dataBits");
        QTest::addColumn<QString>("stopBits");
        QTest::addColumn<int>("flow");
        QTest::addColumn<int>("echo");
        // Expected
        QTest::addColumn<bool>("closes");           // the dialog closed
        QTest::addColumn<QString>("message");       // the one message shown, "" for none
        QTest::addColumn<int>("commPort");
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<int>("handshaking");
        QTest::addColumn<bool>("localEcho");
        QTest::addColumn<QString>("openChecks");    // check marks set on the open command
        QTest::addColumn<int>("reopens");           // opens of the device by the handler

        const QString keep = QStringLiteral("9600,n,8,1");
        QTest::newRow("19200 Odd 7 1.5") << false << 0 << false
            << "Com1" << "19200" << "Odd" << "7" << "1.5" << 0 << 0
            << true << "" << 1 << false << "19200,o,7,1.5" << 0 << false << "" << 0;
        QTest::newRow("Space 8 2") << false << 0 << false
            << "Com1" << "9600" << "Space" << "8" << "2" << 0 << 0
            << true << "" << 1 << false << "9600,s,8,2" << 0 << false << "" << 0;
        QTest::newRow("Mark, handshaking 2, echo on") << false << 0 << false
            << "Com1" << "9600" << "Mark" << "8" << "1" << 2 << 1
            << true << "" << 1 << false << "9600,m,8,1" << 2 << true << "" << 0;
        QTest::newRow("Com1 to Com3, closed") << false << 0 << false
            << "Com3" << "9600" << "None" << "8" << "1" << 0 << 0
            << true << "" << 3 << false << keep << 0 << false << "" << 0;
        QTest::newRow("same number, open") << true << 0 << false
            << "Com1" << "4800" << "Even" << "7" << "1" << 1 << 0
            << true << "" << 1 << true << "4800,e,7,1" << 1 << false << "" << 0;
        QTest::newRow("open Com1 to Com2") << true << 0 << false
            << "Com2" << "9600" << "None" << "8" << "1" << 0 << 0
            << true << "" << 2 << true << keep << 0 << false << "true" << 1;
        QTest::newRow("open, new number refused") << true << 5 << false
            << "Com5" << "19200" << "None" << "8" << "1" << 2 << 1
            << false << "Com5 ist nicht vorhanden." << 1 << false << keep << 0 << true << "false" << 0;
        QTest::newRow("no port selected") << false << 0 << false
            << "" << "19200" << "None" << "8" << "1" << 0 << 0
            << false << "Ungültige Anschlussnummer 0: erlaubt ist 1 bis 255." << 1 << false << keep << 0
            << false << "" << 0;
        QTest::newRow("no port selected, open") << true << 0 << false
            << "" << "19200" << "None" << "8" << "1" << 0 << 0
            << false << "Ungültige Anschlussnummer 0: erlaubt ist 1 bis 255." << 1 << false << keep << 0
            << false << "" << 0;
        QTest::newRow("no parity selected") << false << 0 << false
            << "Com3" << "19200" << "" << "8" << "1" << 2 << 1
            << false << "Ungültige Parität \"\": erlaubt sind E, O, N, M und S." << 3 << false << keep << 0
            << true << "" << 0;
        QTest::newRow("handshaking refused") << true << 0 << true
            << "Com1" << "19200" << "None" << "8" << "1" << 3 << 0
            << false << "kein Xon/RTS" << 1 << true << "19200,n,8,1" << 0 << false << "" << 0;
    }

    void confirm()
    {
        QFETCH(bool, startOpen);
        QFETCH(int, absentPort);
        QFETCH(bool, refuseXonRts);
        QFETCH(QString, port);
        QFETCH(QString, speed);
        QFETCH(QString, parity);
        QFETCH(QString, dataBits);
        QFETCH(QString, stopBits);
        QFETCH(int, flow);
        QFETCH(int, echo);
        QFETCH(bool, closes);
        QFETCH(QString, message);
        QFETCH(int, reopens);

        DialogFixture f;
        f.port.presentPorts.remove(absentPort);
        if (refuseXonRts)
            f.port.refuseLine = [](const LineSettings &, int handshaking) {
                return handshaking == 3 ? QStringLiteral("kein Xon/RTS") : QString();
            };
        if (startOpen)
            f.port.setPortOpen(true);
        const int opensBefore = f.port.opens;
        Module1::EmulationMode = Module1::KestrixMode;
        frmProperties &d = f.open();

        f.choose("cboPort", port);
        f.choose("cboSpeed", speed);
        f.choose("cboParity", parity);
        f.choose("cboDataBits", dataBits);
        f.choose("cboStopBits", stopBits);
        f.option("optFlow", flow)->click();
        f.option("optEcho", echo)->click();

        QSignalSpy accepted(&d, &QDialog::accepted);
        f.child<QPushButton>(QStringLiteral("cmdOK"))->click();

        QCOMPARE(accepted.count(), closes ? 1 : 0);
        if (message.isEmpty()) {
            QCOMPARE(f.dialogs.messageCount(), 0);
        } else {
            QCOMPARE(f.dialogs.messageCount(), 1);
            QCOMPARE(f.dialogs.lastPrompt(), message);
            QCOMPARE(f.dialogs.shown.last().icon, Dialogs::Icon::Exclamation);
            QCOMPARE(f.dialogs.shown.last().buttons, Dialogs::Buttons::Ok);
        }
        QTEST(f.port.commPort(), "commPort");
        QTEST(f.port.portOpen(), "open");
        QTEST(f.port.settings(), "settings");
        QTEST(f.port.handshaking(), "handshaking");
        // Echo is in force even when a later step failed.
        QTEST(Module1::LocalEcho, "localEcho");
        QTEST(bools(f.openChecks), "openChecks");
        QCOMPARE(f.port.opens - opensBefore, reopens);

        if (closes) {
            QCOMPARE(stored(SettingsApply::KeySettings), f.port.settings());
            QCOMPARE(stored(SettingsApply::KeyPort), QString::number(f.port.commPort()));
            QCOMPARE(stored(SettingsApply::KeyHandshaking), QString::number(f.port.handshaking()));
            QCOMPARE(stored(SettingsApply::KeyEcho),
                     Module1::LocalEcho ? QStringLiteral("True") : QStringLiteral("False"));
            QCOMPARE(stored(SettingsApply::KeyEmulation), QStringLiteral("Kestrix"));
        } else {
            QVERIFY(storedKeys().isEmpty());
            // The user's selections stay as they were, to be corrected.
            QCOMPARE(f.list("cboPort")->currentText(), port);
            QCOMPARE(f.list("cboSpeed")->currentText(), speed);
            QCOMPARE(f.list("cboParity")->currentText(), parity);
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
        frmProperties::Services s;
        s.port = &f.port;
        s.store = &store;
        s.dialogs = &f.dialogs;
        frmProperties d(s);
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
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("parity");
        QTest::addColumn<QString>("dataBits");
        QTest::addColumn<QString>("stopBits");
        QTest::addColumn<int>("flow");
        QTest::addColumn<int>("echo");
        QTest::addColumn<int>("emulation");
        QTest::addColumn<QString>("panel");

        QTest::newRow("Com3 19200 Odd 7 1.5") << "Com3" << "19200" << "Odd" << "7" << "1.5" << 2 << 1 << 1
            << "COM 3 - 19200,o,7,1.5";
        QTest::newRow("Com16 256000 Space 5 2") << "Com16" << "256000" << "Space" << "5" << "2" << 3 << 0
            << 0 << "COM 16 - 256000,s,5,2";
    }

    void survivesRestart()
    {
        QFETCH(QString, port);
        QFETCH(QString, speed);
        QFETCH(QString, parity);
        QFETCH(QString, dataBits);
        QFETCH(QString, stopBits);
        QFETCH(int, flow);
        QFETCH(int, echo);
        QFETCH(int, emulation);
        QFETCH(QString, panel);

        SettingsStore store;
        ScriptedDialogs dialogs;
        {
            FakeSerialComm comm;
            frmKX_Display first(frmKX_Display::Services{&comm, &store, &dialogs, nullptr});
            bool driven = false;
            onModal([&](QWidget *w) {
                auto *d = qobject_cast<frmProperties *>(w);
                if (!d)
                    return;
                driven = true;
                const auto pick = [d](const char *name, const QString &text) {
                    auto *box = d->findChild<QComboBox *>(QLatin1StringView(name));
                    box->setCurrentIndex(box->findText(text));
                };
                pick("cboPort", port);
                pick("cboSpeed", speed);
                pick("cboParity", parity);
                pick("cboDataBits", dataBits);
                pick("cboStopBits", stopBits);
                d->findChild<QRadioButton *>(QStringLiteral("optFlow_%1").arg(flow))->click();
                d->findChild<QRadioButton *>(QStringLiteral("optEcho_%1").arg(echo))->click();
                d->findChild<QRadioButton *>(QStringLiteral("optEmulation_%1").arg(emulation))->click();
                d->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
            });
            first.mnuProperties_Click();
            QVERIFY(driven);
            QCOMPARE(dialogs.messageCount(), 0);
            // The dialog is gone once it has closed.
            QVERIFY(!first.findChild<frmProperties *>());
            QCOMPARE(first.findChild<QLabel *>(QStringLiteral("sbrStatus_Settings"))->text(), panel);
        }

        resetGlobals();
        Module1::EmulationMode.clear();
        FakeSerialComm comm;
        frmKX_Display second(frmKX_Display::Services{&comm, &store, &dialogs, nullptr});
        QCOMPARE(second.findChild<QLabel *>(QStringLiteral("sbrStatus_Settings"))->text(), panel);
        QCOMPARE(Module1::LocalEcho, echo == 1);
        QCOMPARE(Module1::EmulationMode, emulation == 1 ? Module1::KestrixMode : Module1::AsciiMode);

        QStringList seen;
        onModal([&](QWidget *w) {
            auto *d = qobject_cast<frmProperties *>(w);
            if (!d)
                return;
            for (const char *name : {"cboPort", "cboSpeed", "cboParity", "cboDataBits", "cboStopBits"})
                seen << d->findChild<QComboBox *>(QLatin1StringView(name))->currentText();
            seen << QString::number(d->PendingHandshaking) << QString::number(d->PendingEcho);
            d->findChild<QPushButton *>(QStringLiteral("cmdCancel"))->click();
        });
        second.mnuProperties_Click();
        QCOMPARE(seen, (QStringList{port, speed, parity, dataBits, stopBits, QString::number(flow),
                                    QString::number(echo)}));
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
        SettingsStore store;
        ScriptedDialogs dialogs;
        FakeSerialComm comm;
        frmKX_Display w(frmKX_Display::Services{&comm, &store, &dialogs, nullptr});
        w.mnuKestrix_Click();
        bool modal = false;
        onModal([&](QWidget *m) {
            auto *d = qobject_cast<frmProperties *>(m);
            if (!d)
                return;
            modal = d->isModal() && QApplication::activeModalWidget() == d;
            d->findChild<QComboBox *>(QStringLiteral("cboPort"))->setCurrentIndex(1);
            d->findChild<QRadioButton *>(QStringLiteral("optEmulation_0"))->click();
            if (how == u"close")
                d->close();
            else
                d->findChild<QPushButton *>(how)->click();
        });
        w.mnuProperties_Click();
        QVERIFY(modal);
        QVERIFY(!w.findChild<frmProperties *>());
        QTEST(w.findChild<QLabel *>(QStringLiteral("sbrStatus_Settings"))->text(), "panel");
        QCOMPARE(w.findChild<QLabel *>(QStringLiteral("sbrStatus_Emulation"))->text(),
                 QStringLiteral("Ascii-Modus"));
        QVERIFY(w.findChild<QAction *>(QStringLiteral("mnuASCII"))->isChecked());
        QVERIFY(!w.findChild<QAction *>(QStringLiteral("mnuKestrix"))->isChecked());
        QCOMPARE(storedKeys().isEmpty(), how != u"cmdOK");
    }

    // Opened with the port open, a refused number leaves the port closed; the
    // window then shows it closed instead of claiming it is open.
    void refusedNumberShowsPortClosed()
    {
        SettingsStore store;
        ScriptedDialogs dialogs;
        FakeSerialComm comm;
        comm.presentPorts.remove(5);
        frmKX_Display w(frmKX_Display::Services{&comm, &store, &dialogs, nullptr});
        w.mnuOpen_Click();
        QVERIFY(comm.portOpen());
        QVERIFY(!w.findChild<QAction *>(QStringLiteral("mnuOpen"))->isEnabled());
        onModal([&](QWidget *m) {
            auto *d = qobject_cast<frmProperties *>(m);
            if (!d)
                return;
            d->findChild<QComboBox *>(QStringLiteral("cboPort"))->setCurrentIndex(4);
            d->cmdOK_Click();
            d->cmdCancel_Click();
        });
        w.mnuProperties_Click();
        QCOMPARE(dialogs.messageCount(), 1);
        QVERIFY(!comm.portOpen());
        QCOMPARE(comm.commPort(), 1);
        QVERIFY(w.findChild<QAction *>(QStringLiteral("mnuOpen"))->isEnabled());
        QVERIFY(!w.findChild<QAction *>(QStringLiteral("mnuClose"))->isEnabled());
        QVERIFY(w.findChild<QAction *>(QStringLiteral("mnuProperties"))->isEnabled());
        QCOMPARE(w.findChild<ColorLabel *>(QStringLiteral("lblComOpen"))->text(),
                 QStringLiteral("Com 1  closed"));
    }

    // Reopening on the new number puts the check mark on the open command.
    void reopenSetsCheckMark()
    {
        SettingsStore store;
        ScriptedDialogs dialogs;
        FakeSerialComm comm;
        frmKX_Display w(frmKX_Display::Services{&comm, &store, &dialogs, nullptr});
        w.mnuOpen_Click();
        onModal([&](QWidget *m) {
            if (auto *d = qobject_cast<frmProperties *>(m)) {
                d->findChild<QComboBox *>(QStringLiteral("cboPort"))->setCurrentIndex(1);
                d->cmdOK_Click();
            }
        });
        w.mnuProperties_Click();
        QVERIFY(comm.portOpen());
        QCOMPARE(comm.commPort(), 2);
        QAction *open = w.findChild<QAction *>(QStringLiteral("mnuOpen"));
        QVERIFY(open->isCheckable());
        QVERIFY(open->isChecked());
        QCOMPARE(stored(SettingsApply::KeyPort), QStringLiteral("2"));
        // Later flips through the menu leave the mark as the dialog set it.
        w.findChild<QAction *>(QStringLiteral("mnuClose"))->trigger();
        open->trigger();
        QVERIFY(comm.portOpen());
        QVERIFY(open->isChecked());
    }
};

QTEST_MAIN(SettingsApplyTest)
#include "tst_settingsapply.moc"
