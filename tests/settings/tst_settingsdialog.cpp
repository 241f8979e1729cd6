// The settings dialog: presets from the port object and the terminal options, the
// choice handlers, OK and Cancel, device tooltips, names for screen readers, and
// the main window around it; captions of the dialog, the window and its About box.
#include "platform/ElidedLabel.h"
#include "platform/Fonts.h"
#include "settings/frmProperties.h"
#include "tests/support/ui/MainWindowFixture.h"
#include "tests/support/ui/ModalDriver.h"

#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStyleOptionButton>
#include <QTest>
#include <QTextDocumentFragment>

namespace {
const char *const Lists[] = {"cboPort", "cboSpeed", "cboParity", "cboDataBits", "cboStopBits"};

// One opening of the dialog on its own, on a scripted port.
struct Dialog
{
    FakeSerialComm port;
    MemoryStore store;
    StoredSettings stored{store, QStringLiteral("KX")};
    TerminalOptions options;
    ScriptedDialogs dialogs;
    QList<bool> openChecks;   // every check mark set on the main window's open command
    QMap<int, QString> devices{{3, QStringLiteral("/dev/ttyUSB0")}};
    std::unique_ptr<frmProperties> dialog;

    frmProperties &open()
    {
        dialog = std::make_unique<frmProperties>(frmProperties::Services{
            &port, &stored, &options, &dialogs, [this](bool on) { openChecks << on; },
            [this](int n) { return devices.value(n); }});
        return *dialog;
    }
};

template <typename W = QWidget>
W *in(const QWidget &d, const QString &name)
{
    if (W *w = d.findChild<W *>(name))
        return w;
    // A stand-in fails the test and lets it run to its end, not the whole suite.
    QTest::qFail(qPrintable(QStringLiteral("no ") + name), __FILE__, __LINE__);
    W *standIn = new W;
    standIn->setParent(const_cast<QWidget *>(&d));
    return standIn;
}

QStringList selected(const QWidget &d)
{
    QStringList out;
    for (const char *name : Lists)
        out << in<QComboBox>(d, QLatin1StringView(name))->currentText();
    for (const char *array : {"optFlow_", "optEcho_", "optEmulation_"}) {
        QString on;
        for (int i = 0; i < 4; ++i)
            if (auto *b = d.findChild<QRadioButton *>(QLatin1StringView(array) + QString::number(i)); b && b->isChecked())
                on += QString::number(i);
        out << on;
    }
    return out;
}

// Pixels a caption lacks: a label's text against its contents, a frame's title
// against the frame, a button's text against the room its style leaves the text.
int lacking(const QWidget *w)
{
    const QFontMetrics fm = w->fontMetrics();
    QStyleOptionButton o;
    o.initFrom(w);
    const auto room = qobject_cast<const QRadioButton *>(w) ? QStyle::SE_RadioButtonContents : QStyle::SE_PushButtonContents;
    if (auto *l = qobject_cast<const QLabel *>(w); l && !dynamic_cast<const ElidedLabel *>(w))
        return fm.horizontalAdvance(l->text()) - l->contentsRect().width();
    if (auto *g = qobject_cast<const QGroupBox *>(w))
        return fm.size(Qt::TextShowMnemonic, g->title()).width() - w->width();
    if (auto *b = qobject_cast<const QAbstractButton *>(w))
        return fm.size(Qt::TextShowMnemonic, b->text()).width() - w->style()->subElementRect(room, &o, w).width();
    return 0;
}

// Every caption fits and nothing sits on a frame's title. A screen reader hears
// each frame by its own title, and each list by the label left of it on its row,
// or by its frame where it has none.
void captionsFitIn(const QWidget &window)
{
    for (QWidget *w : window.findChildren<QWidget *>()) {
        const auto *frame = qobject_cast<QGroupBox *>(w->parentWidget());
        QVERIFY2(lacking(w) <= 0 && (!frame || w->y() >= frame->contentsRect().top()), qPrintable(w->objectName()));
        if (auto *g = qobject_cast<QGroupBox *>(w))
            QCOMPARE(QAccessible::queryAccessibleInterface(g)->text(QAccessible::Name), QString(g->title()).remove(u'&'));
        if (!qobject_cast<QComboBox *>(w))
            continue;
        QObject *namer = w->parentWidget();
        for (QLabel *l : w->parentWidget()->findChildren<QLabel *>(Qt::FindDirectChildrenOnly))
            namer = l->x() < w->x() && l->geometry().contains(l->x(), w->geometry().center().y()) ? l : namer;
        const auto labels = QAccessible::queryAccessibleInterface(w)->relations(QAccessible::Label);
        QCOMPARE(labels.isEmpty() ? QString() : labels.first().first->object()->objectName(), namer->objectName());
    }
}

void choose(const QWidget &d, const QStringList &lists)
{
    for (int i = 0; i < 5; ++i) {
        QComboBox *box = in<QComboBox>(d, QLatin1StringView(Lists[i]));
        box->setCurrentIndex(box->findText(lists[i]));
    }
}
} // namespace

class SettingsDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void presets_data()
    {
        QTest::addColumn<QStringList>("state");      // settings, port, handshaking, echo, mode
        QTest::addColumn<QStringList>("selected");   // lists, then flow, echo and emulation buttons
        QTest::newRow("9600,n,8,1") << QStringList{"9600,n,8,1", "1", "0", "0", "Ascii-Modus"}
                                    << QStringList{"Com1", "9600", "None", "8", "1", "0", "0", "0"};
        QTest::newRow("Com3 256000,s,5,1 Kestrix") << QStringList{"256000,s,5,1", "3", "2", "0", "Kestrix"}
                                                   << QStringList{"Com3", "256000", "Space", "5", "1", "2", "0", "1"};
        QTest::newRow("Com16 19200,o,8,1.5 echo on") << QStringList{"19200,o,8,1.5", "16", "3", "1", "Ascii-Modus"}
                                                     << QStringList{"Com16", "19200", "Odd", "8", "1.5", "3", "1", "0"};
        QTest::newRow("Com17, other mode: no selection") << QStringList{"4800,m,6,1.5", "17", "1", "0", "VT100"}
                                                         << QStringList{"", "4800", "Mark", "6", "1.5", "1", "0", ""};
        QTest::newRow("speed not offered, empty mode") << QStringList{"1000,n,4,1", "1", "0", "0", ""}
                                                       << QStringList{"Com1", "", "None", "4", "1", "0", "0", ""};
    }
    void presets()
    {
        QFETCH(QStringList, state);
        Dialog f;
        f.port.setSettings(state[0]);
        f.port.setCommPort(state[1].toInt());
        f.port.setHandshaking(state[2].toInt());
        f.options.localEcho = state[3] == u"1";
        f.options.setEmulationText(state[4]);
        frmProperties &d = f.open();
        QTEST(selected(d), "selected");
        // The presets ran the choice handlers as a click would; the mode is unchanged.
        QCOMPARE(QStringList({QString::number(d.PendingHandshaking), QString::number(d.PendingEcho)}), state.mid(2, 2));
        QCOMPARE(f.options.emulationText(), state[4]);
        // Each opening fills its lists afresh, never twice over.
        f.open();
        QCOMPARE(in<QComboBox>(*f.dialog, QStringLiteral("cboPort"))->count(), 16);
        QCOMPARE(in<QLabel>(*f.dialog, QStringLiteral("lblDevice"))->text(),
                 state[1] == u"3" ? QStringLiteral("/dev/ttyUSB0") : QStringLiteral("kein Gerät"));
    }

    void confirm_data()
    {
        QTest::addColumn<bool>("startOpen");      // port open on Com1; Com5 has no device
        QTest::addColumn<QStringList>("lists");   // port, speed, parity, data bits, stop bits; "": none
        QTest::addColumn<int>("flow");            // the device refuses handshaking 3
        QTest::addColumn<QString>("message");     // the one message shown; "" when the dialog closes
        QTest::addColumn<QString>("port");        // number, open, settings, handshaking, open check marks
        const QString noPort = QStringLiteral("Ungültige Anschlussnummer 0: erlaubt ist 1 bis 255.");
        QTest::newRow("Mark, handshaking 2") << false << QStringList{"Com1", "9600", "Mark", "8", "1"} << 2 << ""
                                             << "1 0 9600,m,8,1 2 ";
        QTest::newRow("Com1 to Com3, closed") << false << QStringList{"Com3", "9600", "None", "8", "1"} << 0 << ""
                                              << "3 0 9600,n,8,1 0 ";
        QTest::newRow("same number, open: applied while open") << true << QStringList{"Com1", "4800", "Even", "7", "1"}
            << 1 << "" << "1 1 4800,e,7,1 1 ";
        QTest::newRow("open Com1 to Com2 reopens") << true << QStringList{"Com2", "9600", "None", "8", "1"} << 0 << ""
                                                   << "2 1 9600,n,8,1 0 1";
        QTest::newRow("open, new number refused") << true << QStringList{"Com5", "19200", "None", "8", "1"} << 2
            << "Com5 ist nicht vorhanden." << "1 0 9600,n,8,1 0 0";
        QTest::newRow("no port selected") << true << QStringList{"", "19200", "None", "8", "1"} << 0 << noPort
                                          << "1 0 9600,n,8,1 0 ";
        QTest::newRow("no parity selected") << false << QStringList{"Com3", "19200", "", "8", "1"} << 2
            << "Ungültige Parität \"\": erlaubt sind E, O, N, M und S." << "3 0 9600,n,8,1 0 ";
        QTest::newRow("handshaking refused") << true << QStringList{"Com1", "19200", "None", "8", "1"} << 3
                                             << "kein Xon/RTS" << "1 1 19200,n,8,1 0 ";
    }
    void confirm()
    {
        QFETCH(bool, startOpen);
        QFETCH(QStringList, lists);
        QFETCH(int, flow);
        QFETCH(QString, message);
        Dialog f;
        f.port.presentPorts.remove(5);
        f.port.refuseLine = [](const LineSettings &, int hs) { return hs == 3 ? QStringLiteral("kein Xon/RTS") : QString(); };
        if (startOpen)
            f.port.setPortOpen(true);
        f.options.setEmulation(TerminalOptions::Emulation::Kestrix);
        frmProperties &d = f.open();
        choose(d, lists);
        in<QRadioButton>(d, QStringLiteral("optFlow_%1").arg(flow))->click();
        in<QRadioButton>(d, QStringLiteral("optEcho_1"))->click();
        QSignalSpy accepted(&d, &QDialog::accepted);
        in<QPushButton>(d, QStringLiteral("cmdOK"))->click();

        QCOMPARE(accepted.count(), message.isEmpty() ? 1 : 0);
        QCOMPARE(f.dialogs.messages(), message.isEmpty() ? QStringList() : QStringList{"! " + message});
        QString checks;
        for (bool on : std::as_const(f.openChecks))
            checks += QString::number(on);
        QTEST(QStringLiteral("%1 %2 %3 %4 %5").arg(f.port.commPort()).arg(int(f.port.portOpen())).arg(f.port.settings())
                  .arg(f.port.handshaking()).arg(checks), "port");
        QVERIFY(f.options.localEcho);   // in force even when a later step failed
        // Only a dialog that closes stores; one that stays keeps the user's selections.
        QCOMPARE(f.store.written.size(), message.isEmpty() ? 5 : 0);
        if (!message.isEmpty())
            QCOMPARE(selected(d).mid(0, 5), lists);
    }

    // Through the main window: the status bar and emulation menu follow the dialog
    // after every way of closing it; an emulation choice is in force at once and
    // survives Cancel; only OK stores, and a restart starts with what was confirmed.
    void throughTheWindow_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("panel");
        QTest::newRow("OK") << "cmdOK" << "COM 2 - 19200,o,7,1.5";
        QTest::newRow("Abbrechen") << "cmdCancel" << "COM 1 - 9600,n,8,1";
        QTest::newRow("close button") << "close" << "COM 1 - 9600,n,8,1";
    }
    void throughTheWindow()
    {
        QFETCH(QString, how);
        MainWindowFixture f;
        f.stored(StoredSettings::KeyEmulation, TerminalOptions::KestrixText);
        f.start();
        bool modal = false;
        const ModalVisit dialog = onModal([&](QWidget *w) {
            modal = qobject_cast<frmProperties *>(w) && w->isModal();
            choose(*w, {"Com2", "19200", "Odd", "7", "1.5"});
            in<QRadioButton>(*w, QStringLiteral("optEmulation_0"))->click();
            how == u"close" ? (void)w->close() : in<QPushButton>(*w, how)->click();
        });
        f.action("mnuProperties")->trigger();
        QVERIFY(dialog.cameUp() && modal);
        QTEST(f.panel("Settings"), "panel");
        QCOMPARE(f.panel("Emulation"), QStringLiteral("Ascii-Modus"));
        QVERIFY(f.action("mnuASCII")->isChecked() && !f.action("mnuKestrix")->isChecked());
        // A restart on the same store starts with what was confirmed.
        f.port.setCommPort(1);
        f.port.setSettings(QStringLiteral("9600,n,8,1"));
        f.start();
        QTEST(f.panel("Settings"), "panel");
        QCOMPARE(f.panel("Emulation"), how == u"cmdOK" ? QStringLiteral("Ascii-Modus") : QStringLiteral("Kestrix"));
    }

    // Each port's tooltip and the label beside the list name the device as written,
    // and follow adapters plugged in or out while the dialog is open: the host
    // changes /dev, and once it has settled the dialog looks again.
    void deviceTips()
    {
        Dialog f;
        frmProperties &d = f.open();
        f.devices = {{1, QStringLiteral("/dev/<b>tty</b>&amp;<br>")}};   // Com1 plugged in, Com3 out
        QMetaObject::invokeMethod(d.findChild<QObject *>(QStringLiteral("fswDevices")), "directoryChanged", Q_ARG(QString, "/dev"));
        auto *settle = d.findChild<QTimer *>(QStringLiteral("tmrDevices"));
        QVERIFY(settle->isActive());
        QMetaObject::invokeMethod(settle, "timeout");
        // Qt shows a tooltip as markup when it looks like markup.
        const auto shown = [&d](int item) {
            const QString tip = in<QComboBox>(d, QStringLiteral("cboPort"))->itemData(item, Qt::ToolTipRole).toString();
            return Qt::mightBeRichText(tip) ? QTextDocumentFragment::fromHtml(tip).toPlainText() : tip;
        };
        QCOMPARE(QStringList({shown(0), in<QLabel>(d, QStringLiteral("lblDevice"))->text(), shown(2)}),
                 QStringList({f.devices[1], f.devices[1], "kein Gerät"}));
    }

    // The longest caption beside the port lights is Com 16's; the About box is made
    // at start-up.
    void captionsFit()
    {
        MainWindowFixture f;
        f.stored(StoredSettings::KeyPort, QStringLiteral("16"));
        f.start();
        captionsFitIn(*f.window);
        const ModalVisit dialog = onModal([](QWidget *w) { captionsFitIn(*w); });
        f.action("mnuProperties")->trigger();
        QVERIFY(dialog.cameUp());
    }

    // A caption too wide for its place makes the fonts shrink, no further than it
    // takes: a step larger, it would not fit.
    void captionsShrinkOnlyAsNeeded_data()
    {
        QTest::addColumn<qreal>("fits");   // the point size at which the caption fits its place
        QTest::newRow("a little") << 7.1;
        QTest::newRow("much") << 6.0;
    }
    void captionsShrinkOnlyAsNeeded()
    {
        QFETCH(qreal, fits);
        QWidget window;   // whose font the label takes
        auto *label = new QLabel(QStringLiteral("Datenbits und Stoppbits"), &window);
        const auto sized = [](qreal points) { QFont f = Fonts::msSansSerif(); f.setPointSizeF(points); return f; };
        window.setFont(sized(fits));
        label->resize(label->minimumSizeHint());
        window.setFont(Fonts::msSansSerif());
        Fonts::fitCaptions(&window);
        QVERIFY(label->minimumSizeHint().width() <= label->width());
        QVERIFY(label->font().pointSizeF() < Fonts::msSansSerif().pointSizeF());
        label->setFont(sized(label->font().pointSizeF() + 0.25));
        QVERIFY2(label->minimumSizeHint().width() > label->width(), qPrintable(QString::number(label->font().pointSizeF())));
    }

    // Opened with the port open anyway, a refused number must not leave the
    // window claiming an open port.
    void refusedNumberWhileOpen()
    {
        MainWindowFixture f;
        f.port.presentPorts.remove(16);
        f.start();
        f.action("mnuOpen")->trigger();
        const ModalVisit dialog = onModal([&](QWidget *w) {
            in<QComboBox>(*w, QStringLiteral("cboPort"))->setCurrentIndex(15);
            in<QPushButton>(*w, QStringLiteral("cmdOK"))->click();
            w->close();
        });
        f.window->mnuProperties_Click();
        QVERIFY(dialog.cameUp());
        QCOMPARE(f.look(QStringLiteral("lblComOpen")), QStringLiteral("Com 1  closed ffffff/ff"));
        QVERIFY(f.action("mnuOpen")->isEnabled());
    }
};

QTEST_MAIN(SettingsDialogTest)
#include "tst_settingsdialog.moc"
