#include "DialogProbe.h"

#include "app/frmKX_Display.h"
#include "platform/Twips.h"

#include <QApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>

// Opening the settings dialog: its controls, its lists and the presets taken from
// the port object, the echo flag and the emulation mode; the choice handlers; Cancel.
class SettingsDialogTest : public QObject
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

    void presets_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<int>("commPort");
        QTest::addColumn<int>("handshaking");
        QTest::addColumn<bool>("echo");
        QTest::addColumn<QString>("mode");
        // Selected speed, parity, data bits, stop bits and port; "": no selection.
        QTest::addColumn<QStringList>("lists");
        QTest::addColumn<int>("emulationButton");   // -1: neither

        const QString ascii = Module1::AsciiMode;
        QTest::newRow("9600,n,8,1") << "9600,n,8,1" << 1 << 0 << false << ascii
            << QStringList{"9600", "None", "8", "1", "Com1"} << 0;
        QTest::newRow("110,e,7,2 Com2") << "110,e,7,2" << 2 << 1 << false << ascii
            << QStringList{"110", "Even", "7", "2", "Com2"} << 0;
        QTest::newRow("256000,s,5,1 Kestrix") << "256000,s,5,1" << 1 << 2 << false << Module1::KestrixMode
            << QStringList{"256000", "Space", "5", "1", "Com1"} << 1;
        QTest::newRow("19200,o,8,1.5 Com16 echo on") << "19200,o,8,1.5" << 16 << 3 << true << ascii
            << QStringList{"19200", "Odd", "8", "1.5", "Com16"} << 0;
        QTest::newRow("Com17: no port, other mode") << "4800,m,6,1.5" << 17 << 0 << false << "VT100"
            << QStringList{"4800", "Mark", "6", "1.5", ""} << -1;
        QTest::newRow("speed not in the list, empty mode") << "1000,n,4,1" << 1 << 0 << false << ""
            << QStringList{"", "None", "4", "1", "Com1"} << -1;
    }

    void presets()
    {
        QFETCH(QString, settings);
        QFETCH(int, commPort);
        QFETCH(int, handshaking);
        QFETCH(bool, echo);
        QFETCH(QString, mode);
        QFETCH(int, emulationButton);

        DialogFixture f;
        f.port.setSettings(settings);
        f.port.setCommPort(commPort);
        f.port.setHandshaking(handshaking);
        Module1::LocalEcho = echo;
        Module1::EmulationMode = mode;
        frmProperties &d = f.open();

        QStringList selected;
        for (const char *name : {"cboSpeed", "cboParity", "cboDataBits", "cboStopBits", "cboPort"})
            selected << f.list(name)->currentText();
        QTEST(selected, "lists");
        QCOMPARE(f.selected("optFlow", 4), handshaking);
        QCOMPARE(f.selected("optEcho", 2), int(echo));
        QCOMPARE(f.selected("optEmulation", 2), emulationButton);
        // The presets ran the choice handlers as a click would.
        QCOMPARE(d.PendingHandshaking, handshaking);
        QCOMPARE(d.PendingEcho, echo);
        // Presetting writes the mode back unchanged, whatever it was.
        QCOMPARE(Module1::EmulationMode, mode);
        QVERIFY(storedKeys().isEmpty());
    }

    void listsFilledOnce_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("cboPort") << 16 << "Com1" << "Com16";
        QTest::newRow("cboSpeed") << 16 << "110" << "256000";
        QTest::newRow("cboDataBits") << 5 << "4" << "8";
        QTest::newRow("cboParity") << 5 << "Even" << "Space";
        QTest::newRow("cboStopBits") << 3 << "1" << "2";
    }

    void listsFilledOnce()
    {
        DialogFixture f;
        for (int opening = 0; opening < 2; ++opening) {
            f.open();
            QComboBox *box = f.list(QTest::currentDataTag());
            QTEST(box->count(), "count");
            QTEST(box->itemText(0), "first");
            QTEST(box->itemText(box->count() - 1), "last");
            QVERIFY(!box->isEditable());
        }
    }

    // Each row is named after the control it places.
    void controls_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("twips");

        QTest::newRow("Label1") << "Anschluß:" << "fraSettings" << QRect(330, 180, 735, 315);
        QTest::newRow("cboPort") << "" << "fraSettings" << QRect(1080, 150, 1425, 315);
        QTest::newRow("Frame1") << "Maximale Geschwindigkeit" << "fraSettings" << QRect(100, 600, 2280, 870);
        QTest::newRow("cboSpeed") << "" << "Frame1" << QRect(320, 330, 1695, 315);
        QTest::newRow("fraConnection") << "Übertragungsformat" << "fraSettings" << QRect(100, 1635, 2280, 1770);
        QTest::newRow("Label3") << "Datenbits:" << "fraConnection" << QRect(140, 375, 825, 285);
        QTest::newRow("cboDataBits") << "" << "fraConnection" << QRect(980, 330, 1140, 315);
        QTest::newRow("Label4") << "Parität:" << "fraConnection" << QRect(140, 855, 615, 285);
        QTest::newRow("cboParity") << "" << "fraConnection" << QRect(980, 800, 1140, 315);
        QTest::newRow("Label5") << "Stopbits:" << "fraConnection" << QRect(140, 1320, 885, 285);
        QTest::newRow("cboStopBits") << "" << "fraConnection" << QRect(980, 1260, 1140, 315);
        QTest::newRow("Frame7") << "&Echo" << "fraSettings" << QRect(2540, 600, 1540, 870);
        QTest::newRow("optEcho_0") << "Aus" << "Frame7" << QRect(135, 360, 615, 315);
        QTest::newRow("optEcho_1") << "Ein" << "Frame7" << QRect(795, 420, 555, 195);
        QTest::newRow("Frame5") << "&Protokoll" << "fraSettings" << QRect(2540, 1635, 1540, 1770);
        QTest::newRow("optFlow_0") << "Kein" << "Frame5" << QRect(180, 360, 855, 255);
        QTest::newRow("optFlow_1") << "Xon/Xoff" << "Frame5" << QRect(180, 645, 1095, 255);
        QTest::newRow("optFlow_2") << "RTS" << "Frame5" << QRect(180, 945, 735, 255);
        QTest::newRow("optFlow_3") << "Xon/RTS" << "Frame5" << QRect(180, 1245, 1155, 255);
        QTest::newRow("Emulation") << "&Emulation" << "fraSettings" << QRect(4240, 600, 1800, 1215);
        QTest::newRow("optEmulation_0") << "ASCII" << "Emulation" << QRect(120, 360, 1540, 255);
        QTest::newRow("optEmulation_1") << "Kestrix II" << "Emulation" << QRect(120, 720, 1540, 255);
        QTest::newRow("cmdOK") << "OK" << "fraSettings" << QRect(4600, 2400, 1080, 420);
        QTest::newRow("cmdCancel") << "Abbrechen" << "fraSettings" << QRect(4600, 3000, 1080, 420);
        // The frame is the tab's page and sits at the top-left of its client area.
        QTest::newRow("fraSettings") << "Einstellungen" << "tabSettings_page" << QRect(0, 0, 6195, 3615);
        QTest::newRow("tabSettings") << "" << "frmProperties" << QRect(100, 105, 6345, 4035);
    }

    void controls()
    {
        const QString name = QString::fromLatin1(QTest::currentDataTag());
        QFETCH(QString, caption);
        QFETCH(QString, parent);
        QFETCH(QRect, twips);

        DialogFixture f;
        frmProperties &d = f.open();
        QWidget *w = f.child<QWidget>(name);
        QCOMPARE(w->parentWidget()->objectName(), parent);
        QString text;
        if (auto *l = qobject_cast<QLabel *>(w))
            text = l->text();
        else if (auto *b = qobject_cast<QAbstractButton *>(w))
            text = b->text();
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            text = g->title();
        QCOMPARE(text, caption);
        const QRect px(Twips::toPx(twips.x(), &d), Twips::toPx(twips.y(), &d),
                       Twips::toPx(twips.width(), &d), Twips::toPx(twips.height(), &d));
        QCOMPARE(w->geometry(), px);
    }

    void dialogWindow()
    {
        DialogFixture f;
        frmProperties &d = f.open();
        QCOMPARE(d.windowTitle(), QStringLiteral("COM-Port  Einstellungen"));
        QVERIFY(d.isModal());
        QCOMPARE(d.size(), QSize(Twips::toPx(6510, &d), Twips::toPx(4215, &d)));
        auto *tab = f.child<QTabWidget>(QStringLiteral("tabSettings"));
        QCOMPARE(tab->count(), 1);
        QCOMPARE(tab->tabText(0), QStringLiteral("Einstellungen"));
    }

    void choiceThenCancel_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("handshaking");
        QTest::addColumn<bool>("echo");
        QTest::addColumn<QString>("mode");

        QTest::newRow("Kein") << "Kestrix" << "optFlow_0" << 0 << false << "Kestrix";
        QTest::newRow("Xon/Xoff") << "Kestrix" << "optFlow_1" << 1 << false << "Kestrix";
        QTest::newRow("RTS") << "Kestrix" << "optFlow_2" << 2 << false << "Kestrix";
        QTest::newRow("Xon/RTS") << "Kestrix" << "optFlow_3" << 3 << false << "Kestrix";
        QTest::newRow("Ein") << "Kestrix" << "optEcho_1" << 2 << true << "Kestrix";
        QTest::newRow("ASCII") << "Kestrix" << "optEmulation_0" << 2 << false << "Ascii-Modus";
        QTest::newRow("Kestrix from empty") << "" << "optEmulation_1" << 2 << false << "Kestrix";
    }

    void choiceThenCancel()
    {
        QFETCH(QString, before);
        QFETCH(QString, button);
        DialogFixture f;
        f.port.setHandshaking(2);
        Module1::EmulationMode = before;
        frmProperties &d = f.open();
        f.choose("cboSpeed", QStringLiteral("300"));
        f.child<QRadioButton>(button)->click();
        QTEST(d.PendingHandshaking, "handshaking");
        QTEST(d.PendingEcho, "echo");
        QTEST(Module1::EmulationMode, "mode");

        // An emulation choice is in force at once and survives Cancel; nothing else
        // is applied or stored.
        QSignalSpy rejected(&d, &QDialog::rejected);
        f.child<QPushButton>(QStringLiteral("cmdCancel"))->click();
        QCOMPARE(rejected.count(), 1);
        QTEST(Module1::EmulationMode, "mode");
        QCOMPARE(Module1::LocalEcho, false);
        QCOMPARE(f.port.handshaking(), 2);
        QCOMPARE(f.port.settings(), QStringLiteral("9600,n,8,1"));
        QVERIFY(storedKeys().isEmpty());
        QCOMPARE(f.dialogs.messageCount(), 0);
    }

    void deviceBesidePort_data()
    {
        QTest::addColumn<int>("commPort");
        QTest::addColumn<QString>("choose");
        QTest::addColumn<QString>("device");
        QTest::newRow("preset Com3") << 3 << "" << "/dev/ttyUSB0";
        QTest::newRow("preset Com1") << 1 << "" << "kein Gerät";
        QTest::newRow("no port selected") << 40 << "" << "kein Gerät";
        QTest::newRow("Com1 to Com3") << 1 << "Com3" << "/dev/ttyUSB0";
        QTest::newRow("Com3 to Com4") << 3 << "Com4" << "kein Gerät";
    }

    void deviceBesidePort()
    {
        QFETCH(int, commPort);
        QFETCH(QString, choose);
        DialogFixture f;
        f.port.setCommPort(commPort);
        f.open();
        if (!choose.isEmpty())
            f.choose("cboPort", choose);
        QTEST(f.child<QLabel>(QStringLiteral("lblDevice"))->text(), "device");
    }
};

QTEST_MAIN(SettingsDialogTest)
#include "tst_settingsdialog.moc"
