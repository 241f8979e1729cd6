// The main window as the user meets it: what start-up shows and the emulation menu,
// the port commands bound to their labels, shut-down, the layout, the About box and
// the gyro windows; and with the real serial component on a pseudo-terminal named
// in the settings store, as a user's adapter would be, the test playing the controller.
#include "about/frmAbout.h"
#include "app/WindowState.h"
#include "platform/ElidedLabel.h"
#include "platform/QtDialogs.h"
#include "terminal/views/RichTextView.h"
#include "terminal/views/frmGyro_Diag.h"
#include "tests/support/core/Files.h"
#include "tests/support/core/PtyPair.h"
#include "tests/support/ui/MainWindowFixture.h"
#include "tests/support/ui/ModalDriver.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLockFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/stat.h>

namespace {
// A label's text if it is shown as plain text, else nothing.
QString plainText(const QLabel *label) { return label->textFormat() == Qt::PlainText ? label->text() : QString(); }
} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void startUp_data()
    {
        QTest::addColumn<QStringList>("stored");   // key=value
        // message | port label | two panels | checked menu entry | InputLen and OutBufferSize, from 8 and 512 |
        // the port label once opened
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty store") << QStringList{} << "|Com 1  closed ffffff/ff|COM 1 - 9600,n,8,1|Ascii-Modus|A|1 2048|Com 1  open ";
        QTest::newRow("all stored") << QStringList{"Einstellungen=19200,E,7,2", "COM-Anschluß=3", "Handshaking=2", "TermEmu=Kestrix"}
                                    << "|Com 3  closed ffffff/ff|COM 3 - 19200,e,7,2|Kestrix|K|1 2048|Com 3  open ";
        // Start-up ended early: the window keeps its design texts.
        QTest::newRow("refused settings") << QStringList{"Einstellungen=9600,X,8,1", "COM-Anschluß=3", "TermEmu=Kestrix"}
            << "! Ungültige Parität \"X\": erlaubt sind E, O, N, M und S.|Com ffffff/ff|COM|Emulation:||8 512|Com   open ";
        QTest::newRow("refused handshaking") << QStringList{"COM-Anschluß=3", "Handshaking=9"}
            << "! Ungültiger Wert 9 für Handshaking: erlaubt ist 0 bis 3.|Com ffffff/ff|COM|Emulation:||8 512|Com 3  open ";
        QTest::newRow("other mode") << QStringList{"TermEmu=VT100"} << "|Com 1  closed ffffff/ff|COM 1 - 9600,n,8,1|VT100||1 2048|Com 1  open ";
    }
    void startUp()
    {
        QFETCH(QStringList, stored);
        MainWindowFixture f;
        for (const QString &entry : stored)
            f.stored(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        f.port.setInputLen(8);
        f.port.setOutBufferSize(512);
        f.start();
        QStringList shown{f.dialogs.messages().join(u'/'), f.look(QStringLiteral("lblComOpen")), f.panel("Settings"),
                          f.panel("Emulation"), QString(f.action("mnuASCII")->isChecked() ? "A" : "")
                                                    + (f.action("mnuKestrix")->isChecked() ? "K" : ""),
                          QStringLiteral("%1 %2").arg(f.port.inputLen()).arg(f.port.outBufferSize())};
        f.action("mnuOpen")->trigger();   // named as the store named it, even after a refusal
        QTEST((shown << f.label(QStringLiteral("lblComOpen"))->text()).join(u'|'), "shown");
        QCOMPARE(f.label(QStringLiteral("lbl_G1_38"))->backColor(), 0xC0C0C0u);
        QCOMPARE(f.window->windowTitle(), QStringLiteral("Kestrix II/LT - Display  V 1.1.2"));
        // The two service menus exist but are never offered.
        for (const char *menu : {"mnuMSComm", "mnuEntwicklung"})
            QVERIFY(!f.find<QMenu>(QLatin1StringView(menu))->menuAction()->isVisible());
        // The emulation menu sets the mode for the running program only.
        f.port.setInputLen(5);
        f.action("mnuKestrix")->trigger();
        QVERIFY(f.panel("Emulation") == u"Kestrix" && f.action("mnuKestrix")->isChecked() && !f.action("mnuASCII")->isChecked());
        QCOMPARE(f.port.inputLen(), 1);
        f.action("mnuASCII")->trigger();
        QVERIFY(f.panel("Emulation") == u"Ascii-Modus" && f.store.written.size() == stored.size());   // nothing stored
    }

    // Texts from the store, from device paths and from the line show as they stand,
    // never as markup, and never widen the window however long they are.
    void outsideTexts()
    {
        const QString markup = QStringLiteral("<b>X</b>&amp;<img src=\"/tmp/x.png\">");
        MainWindowFixture plain, f;
        plain.start().show();
        f.stored(StoredSettings::KeyEmulation, markup + QString(1 << 20, u'x'));
        StoredSettings(f.store, ProgramInfo::title()).setDevice(1, QStringLiteral("/tmp/") + markup);
        f.start().show();
        f.window->showStatus(QStringLiteral("Error: ") + QString(5000, u'y'));
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        QCOMPARE(f.window->size(), plain.window->size());
        const QString emulation = plainText(f.find<QLabel>(QStringLiteral("sbrStatus_Emulation")));
        QVERIFY(emulation.startsWith(markup));
        QCOMPARE(emulation.size(), StoredSettings::MaxValueLength + 1);
        QString device;
        const ModalVisit dialog = onModal([&](QWidget *w) { device = plainText(w->findChild<QLabel *>(QStringLiteral("lblDevice"))); });
        f.action("mnuProperties")->trigger();
        QVERIFY(dialog.cameUp());
        QCOMPARE(device, QStringLiteral("/tmp/") + markup);
    }

    // The real message box: Qt's own buttons speak German, whatever the locale; the
    // prompt is plain text; closed without a choice, three buttons mean Abort.
    void messageBox()
    {
        QVERIFY(QtDialogs::loadGermanQtTexts(*qApp));
        QStringList buttons;
        QString prompt;
        const ModalVisit box = onModal([&](QWidget *w) {
            for (auto *b : w->findChildren<QPushButton *>())
                buttons << b->text().remove(u'&');
            prompt = plainText(w->findChild<QLabel *>(QStringLiteral("qt_msgbox_label")));
        });
        QCOMPARE(QtDialogs(nullptr).msgBox(QStringLiteral("<b>X</b>"), Dialogs::Buttons::AbortRetryIgnore, Dialogs::Icon::Question, {}),
                 Dialogs::Answer::Abort);
        QVERIFY(box.cameUp());
        buttons.sort();
        QCOMPARE(buttons, (QStringList{"Abbrechen", "Ignorieren", "Wiederholen"}));
        QCOMPARE(prompt, QStringLiteral("<b>X</b>"));
    }

    // The port commands and their labels follow the port controller, one path of the
    // user's per row. DTR and RTS show what the program drives, DSR and CTS the lines,
    // read at every flip but not in between; a refused open leaves one message and
    // the closed look; the connect clock counts past 99 hours and rests while
    // minimised. A lost device is waited for in a look of its own, keys typed
    // meanwhile are not sent, a capture goes on; the same adapter comes back under a
    // new name with the same line, another adapter is not taken.
    //   steps: open close flip refuse usb tick:SECONDS min capture pull key timer2 back
    //   look: port label, DTR DSR RTS CTS lit (1) or not, connect time, the port
    //         command offered, P when the settings may be changed, T when the clock
    //         runs, C when a capture may start
    void portLook_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("look");
        QTest::addColumn<QString>("panels");   // status | device | capture | messages
        const auto row = [](const char *name, const char *steps, const QString &look, const QString &panels) {
            QTest::newRow(name) << steps << look << panels;
        };
        const QString builtIn = QStringLiteral("Status|Com 1 ist die eingebaute Schnittstelle /dev/ttyS0 – kein USB-Adapter gefunden||");
        const QString adapter = QStringLiteral("/dev/ttyUSB0 – FTDI FT232R USB UART, Seriennummer A1");
        const QString waiting = QStringLiteral("Verbindung zu /dev/ttyUSB0 getrennt – warte auf das Gerät");
        const auto open = [](const char *lines, const char *time) {
            return QStringLiteral("Com 1  open  ffffff/c000 %1 %2 [close] T C").arg(lines, time);
        };
        const QString closed = QStringLiteral("Com 1  closed ffffff/ff 1010 [open] P");
        const QString lost = QStringLiteral("Com 1  wartet 0/a8ff 1010 [close]");
        row("closed at start", "", closed, "Status|||");
        row("opened", "open", open("1110", "00:00:00"), builtIn);
        row("lines read at flips only", "open flip", open("1110", "00:00:00"), builtIn);
        row("lines read again at the next open", "open flip close open", open("1011", "00:00:00"), builtIn);
        row("closed again", "open close", closed, "Status|||");
        row("open refused", "refuse", closed, "Status|||! Com1 wird bereits benutzt.");
        row("USB adapter", "usb open", open("1110", "00:00:00"), "Status|" + adapter + "||");
        row("clock", "usb open tick:3725", open("1110", "01:02:05"), "Status|" + adapter + "||");
        row("clock past 99 hours", "usb open tick:3725 tick:360000", open("1110", "101:02:06"), "Status|" + adapter + "||");
        row("clock right after minimised", "usb open tick:3725 min", open("1110", "01:03:05"), "Status|" + adapter + "||");
        row("device lost", "usb open capture pull", lost, waiting + "|" + adapter + "|capture|");
        row("key while waiting", "usb open pull key", lost, "nicht verbunden – Taste nicht gesendet|" + adapter + "||");
        row("key told once", "usb open pull key timer2", lost, waiting + "|" + adapter + "||");
        row("back under a new name", "usb open capture pull back", open("1110", "00:00:00").chopped(2),
            "Com 1 wieder verbunden um HH:MM:SS|/dev/ttyUSB1 – FTDI FT232R USB UART, Seriennummer A1|capture|");
        row("capture ends with the port", "usb open capture pull back close", closed, "Mitschnitt gespeichert in DIR/capture|||");
        row("the number stands for its device again", "usb open pull back close open", open("1110", "00:00:00"),
            "Status|/dev/ttyUSB0 – FTDI FT232R USB UART, Seriennummer B2||");
    }
    void portLook()
    {
        QFETCH(QString, steps);
        MainWindowFixture f;
        f.port.lines.dsr = true;
        f.clock.now = 5000;
        f.port.path = QStringLiteral("/dev/ttyS0");
        f.devices.plug(f.port.path);
        f.start();
        auto *timer1 = f.find<QTimer>(QStringLiteral("Timer1"));
        auto *view = f.find<RichTextView>(QStringLiteral("RichTextBox"));
        QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/kx-XXXXXX"));
        for (const QString &step : steps.split(u' ', Qt::SkipEmptyParts)) {
            if (step == u"open" || step == u"close") {
                f.action(step == u"open" ? "mnuOpen" : "mnuClose")->trigger();
            } else if (step == u"flip") {
                f.port.lines = {false, true, false};
            } else if (step == u"refuse") {
                f.port.openRefusal = QStringLiteral("Com1 wird bereits benutzt.");
                f.action("mnuOpen")->trigger();
            } else if (step == u"usb") {
                f.port.path = QStringLiteral("/dev/ttyUSB0");
                f.devices.plug(f.port.path, QStringLiteral("A1"));
            } else if (step.startsWith(u"tick:")) {
                f.clock.advance(step.mid(5).toLongLong() * 1000 + 999);
                QMetaObject::invokeMethod(timer1, "timeout");
            } else if (step == u"min") {
                f.window->setWindowState(Qt::WindowMinimized);
                QVERIFY(!timer1->isActive());
                f.clock.advance(60 * 1000);
                f.window->setWindowState(Qt::WindowNoState);
            } else if (step == u"capture") {
                f.dialogs.files << dir.filePath(QStringLiteral("capture"));
                f.action("mnuCaptureStart")->trigger();
            } else if (step == u"pull") {
                f.devices.pull(f.port.path);
                f.port.unplug(QStringLiteral("weg"));
                QTRY_VERIFY(f.look(QStringLiteral("lblComOpen")).contains(QLatin1StringView("wartet")));
            } else if (step == u"key") {
                QTest::keyClick(view, Qt::Key_A);
                QVERIFY(f.port.written.isEmpty() && view->model().length() == 0);
            } else if (step == u"timer2") {
                QMetaObject::invokeMethod(f.find<QTimer>(QStringLiteral("Timer2")), "timeout");
            } else if (step == u"back") {
                // Another adapter on the old name is not taken; ours under a new name is,
                // with the line it had.
                f.devices.plug(f.port.path, QStringLiteral("B2"));
                f.devices.plug(QStringLiteral("/dev/ttyUSB1"), QStringLiteral("A1"));
                f.port.setSettings(QStringLiteral("19200,n,8,1"));
                f.watcher.change();
                QCOMPARE(f.port.devicePath() + u' ' + f.port.settings(), QStringLiteral("/dev/ttyUSB1 19200,n,8,1"));
            } else {
                QFAIL(qPrintable(QStringLiteral("no step ") + step));
            }
        }
        QString lines;   // lit green and said to be on, or neither
        for (const char *l : {"lblDTR", "lblDSR", "lblRTS", "lblCTS"}) {
            const ColorLabel *lamp = f.label(QLatin1StringView(l));
            const bool on = lamp->accessibleDescription().endsWith(QLatin1StringView(" an"));
            lines += on != (lamp->backColor() == 0xC000) ? u'?' : on ? u'1' : u'0';
        }
        QTEST(QStringLiteral("%1 %2 %3[%4]%5%6%7")
                  .arg(f.look(QStringLiteral("lblComOpen")), lines, f.panel("ConnectTime"),
                       f.action("mnuOpen")->isEnabled() ? "open" : "close",
                       f.action("mnuProperties")->isEnabled() ? " P" : "", timer1->isActive() ? " T" : "",
                       f.action("mnuCaptureStart")->isEnabled() ? " C" : "")
                  .trimmed(),
              "look");
        QCOMPARE(f.action("mnuClose")->isEnabled(), !f.action("mnuOpen")->isEnabled());
        QString status = f.panel("Status");
        status.replace(QRegularExpression(QStringLiteral("\\d\\d:\\d\\d:\\d\\d$")), QStringLiteral("HH:MM:SS"));
        status.replace(dir.path(), QStringLiteral("DIR"));
        QTEST(QStringList({status, f.panel("Device"), f.panel("Capture"), f.dialogs.messages().join(u'/')}).join(u'|'),
              "panels");
    }

    // A panel draws its text whole only where it fits: the quick check that spares
    // the ticking clock its shaping never claims room a text lacks.
    void panelTextFits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("quick");
        QTest::newRow("clock") << QStringLiteral("101:02:05 ") << true;
        QTest::newRow("narrow") << QStringLiteral("iiiiiiil1.") << true;
        QTest::newRow("wide") << QStringLiteral("WWMMWW") << true;
        QTest::newRow("kerned") << QStringLiteral("AVAVTo.Ty,") << true;
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("accents") << QStringLiteral("e\u0301e\u0301") << false;
        QTest::newRow("greek") << QStringLiteral("Ωμέγα") << false;
    }

    void panelTextFits()
    {
        QFETCH(QString, text);
        QFETCH(bool, quick);
        const QFontMetrics fm(QApplication::font());
        const int width = fm.horizontalAdvance(text);
        bool tookQuickWay = false;
        for (int room = 0; room <= width + 2 * fm.maxWidth(); ++room) {
            const bool fits = ElidedLabel::fitsUnshaped(fm, text, room);
            QVERIFY2(!fits || width <= room, qPrintable(QString::number(room)));
            tookQuickWay |= fits;
        }
        QCOMPARE(tookQuickWay, quick);
    }

    // A line error shows in the "Status" panel, never in the view, until Timer2 puts
    // the resting text back; other events show nothing.
    void statusPanel()
    {
        MainWindowFixture f;
        f.start();
        f.port.signalEvent(SerialComm::comEvCTS);
        QCOMPARE(f.panel("Status"), QStringLiteral("Status"));
        f.port.signalEvent(SerialComm::comEventRxOver);
        QCOMPARE(f.panel("Status"), QStringLiteral("Error: Empfangspuffer übergelaufen, Zeichen verloren"));
        f.port.signalEvent(SerialComm::comEventFrame);
        QCOMPARE(f.find<RichTextView>(QStringLiteral("RichTextBox"))->model().length(), 0);
        QCOMPARE(f.panel("Status"), QStringLiteral("Error: Rahmenfehler (Framing)"));
        QMetaObject::invokeMethod(f.find<QTimer>(QStringLiteral("Timer2")), "timeout");
        QCOMPARE(f.panel("Status"), QStringLiteral("Status"));
    }

    void shutDown_data()
    {
        QTest::addColumn<QString>("how");       // close or Beenden; output blocked, answered Abort
        QTest::addColumn<QString>("outcome");   // window stays, port open, questions asked, program ended
        QTest::newRow("close, nothing to send") << "close" << "0 0 0 0";
        QTest::newRow("close, blocked, Abort") << "close blocked" << "1 1 1 0";
        QTest::newRow("Beenden, blocked, Abort: ends all the same") << "Beenden blocked" << "1 1 1 1";
    }
    void shutDown()
    {
        QFETCH(QString, how);
        MainWindowFixture f;
        f.port.drains = !how.contains(QLatin1StringView("blocked"));
        f.start();
        int quits = 0;
        f.window->setQuitHook([&] { ++quits; });
        f.window->show();
        f.action("mnuOpen")->trigger();
        f.port.output("abc");
        f.dialogs.answers << Dialogs::Answer::Abort;
        // The wait yields to the event loop: the clock moves a second per pass.
        QTimer clockTicks;
        connect(&clockTicks, &QTimer::timeout, [&] { f.clock.advance(1000); });
        clockTicks.start(0);
        how.startsWith(u'B') ? f.action("mnuEnde")->trigger() : (void)f.window->close();
        QTEST(QStringLiteral("%1 %2 %3 %4").arg(f.window->isVisible()).arg(f.port.portOpen()).arg(f.dialogs.shown.size())
                  .arg(quits), "outcome");
        QVERIFY(f.store.written.isEmpty());
    }

    // The view fills the room below the fixed labels; nothing above it moves.
    void layout()
    {
        MainWindowFixture f;
        f.start().show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        auto *view = f.find<QWidget>(QStringLiteral("RichTextBox"));
        const QRect before = view->geometry();
        const QRect cell = f.label(QStringLiteral("lbl_G1_38"))->geometry();
        QVERIFY(before.top() > cell.bottom());
        f.window->resize(f.window->width() + 150, f.window->height() + 100);
        QTRY_COMPARE(view->geometry(), before.adjusted(0, 0, 150, 100));
        QCOMPARE(f.label(QStringLiteral("lbl_G1_38"))->geometry(), cell);
    }

    // Made hidden by start-up with the program's name, shown by "&Info", gone when
    // closed, made afresh with the full title.
    void aboutBox()
    {
        QCoreApplication::setApplicationName(QStringLiteral("KX_Display"));
        MainWindowFixture f;
        f.start();
        QStringList seen;
        for (int i = 0; i < 2; ++i) {
            const ModalVisit about = onModal([&](QWidget *w) {
                if (auto *box = qobject_cast<frmAbout *>(w)) {
                    seen << box->windowTitle() << box->findChild<QLabel *>(QStringLiteral("lblDatum"))->text() + u' '
                                                       + box->findChild<QLabel *>(QStringLiteral("lblVersion"))->text();
                    box->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
                }
            });
            f.action("mnuInfo")->trigger();
            QVERIFY(about.cameUp());
            QVERIFY(!f.window->findChild<frmAbout *>());
        }
        QCOMPARE(seen, (QStringList{"Info zu KX_Display", "Stand: 26.12.09 Version: 1.1.2",
                                    "Info zu Kestrix II/LT - Display  V 1.1.2", "Stand: 26.12.09 Version: 1.1.2"}));
    }

    // One window per command; the diagnosis window snaps back to its size.
    void gyroWindows()
    {
        MainWindowFixture f;
        f.start().show();
        for (const char *command : {"mnuGyro_Diagnose", "mnuGyro_Scale", "mnuGyro_Diagnose", "mnuGyro_Scale"})
            f.action(command)->trigger();
        QCOMPARE(f.window->findChildren<frmGyro_Diag *>().size(), 1);
        QCOMPARE(f.window->findChildren<QWidget *>(QStringLiteral("frmGyro_Scale")).size(), 1);
        frmGyro_Diag *diag = f.window->findChild<frmGyro_Diag *>();
        QTRY_VERIFY(diag->isVisible());
        const QSize designed = diag->size();
        diag->resize(designed + QSize(200, 100));
        QTRY_COMPARE(diag->size(), designed);
    }

    // "Verlauf…" (context menu, Ctrl+Shift+H) opens one history window, which shows
    // what the terminal showed, in its colours, and keeps its place when closed.
    void historyWindow()
    {
        MainWindowFixture f;
        f.stored(StoredSettings::KeyEmulation, TerminalOptions::KestrixText);
        f.start().show();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        f.action("mnuOpen")->trigger();
        f.port.feed(">a\r\nKONFIGURATIONSMENUE \r\n");
        f.action("mnuVerlauf")->trigger();
        auto *history = f.find<QWidget>(QStringLiteral("frmVerlauf"));
        QVERIFY(QTest::qWaitForWindowExposed(history));
        QAccessibleTextInterface *text = QAccessible::queryAccessibleInterface(f.find<QWidget>(QStringLiteral("txtVerlauf")))->textInterface();
        QCOMPARE(text->text(0, text->characterCount()), QStringLiteral(">a\nKONFIGURATIONSMENUE "));
        int start = 0, end = 0;
        QVERIFY(text->attributes(0, &start, &end).contains(QStringLiteral("color:rgb(255,0,0)")));
        QVERIFY(text->attributes(3, &start, &end).contains(QStringLiteral("color:rgb(0,0,255)")));
        history->setGeometry(history->geometry().adjusted(30, 20, 70, 30));
        const QRect placed = history->geometry();
        history->close();
        QVERIFY(!history->isVisible());
        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        QTest::keyClick(f.find<QWidget>(QStringLiteral("RichTextBox")), Qt::Key_H, Qt::ControlModifier | Qt::ShiftModifier);
        QTRY_VERIFY(history->isVisible());
        QCOMPARE(history->geometry(), placed);
        QCOMPARE(f.window->findChildren<QWidget *>(QStringLiteral("frmVerlauf")).size(), 1);
        QCOMPARE(f.port.written, QByteArray());   // no key for the controller
    }

    // The diagnosis page in blue, roll selected, a reading in column 6; typed keys
    // reach the controller as bytes and show only when it answers.
    void onAPty()
    {
        PtyPair pty;
        if (!pty.isOpen())
            QSKIP(qPrintable(pty.errorString()));
        MainWindowFixture f;
        f.realPort = true;
        // Another program may hold the machine's lock of a pty number used before, as
        // here; the window's port keeps its locks in a folder of the test's own.
        QLockFile other(QStringLiteral("/var/lock/LCK..") + pty.slavePath().mid(5).replace(u'/', u'_'));
        (void)other.tryLock(0);
        // Named in full: the program's name, which the window sets, holds a slash.
        const QTemporaryDir locks(QDir::tempPath() + QStringLiteral("/kx-locks-XXXXXX"));
        f.serialLocks = locks.path();
        StoredSettings(f.store, ProgramInfo::title()).setDevice(1, pty.slavePath());
        f.start().show();
        f.action("mnuKestrix")->trigger();
        f.action("mnuOpen")->trigger();
        QCOMPARE(f.dialogs.messages().join(u'/'), QString());
        QVERIFY(pty.writeMaster("KONFIGURATIONSMENUE > DIAGNOSE\r\n> Roll\r\n     *\r\n"));
        QTRY_COMPARE(f.label(QStringLiteral("lbl_G1_5"))->backColor(), 0x0000FFu);
        QCOMPARE(f.label(QStringLiteral("lbl_G1_6"))->backColor(), 0xFFC0C0u);
        QCOMPARE(f.label(QStringLiteral("lbl_Check"))->text(), QStringLiteral("Roll Gyro"));
        auto *view = f.find<RichTextView>(QStringLiteral("RichTextBox"));
        QCOMPARE(view->model().colorAt(0), 0xFF0000u);

        const int before = view->model().length();
        view->setFocus();
        QTest::keyClick(view, Qt::Key_2);
        QTest::keyClick(view, Qt::Key_Return);
        QTest::keyClick(view, Qt::Key_Up);
        QTest::sendKeyEvent(QTest::Press, view, Qt::Key_Adiaeresis, QStringLiteral("ä"), Qt::NoModifier);
        QCOMPARE(pty.readMaster(5000, 3), QByteArray("2\r\xe4"));
        QCOMPARE(view->model().length(), before);
    }

    // The window's place and the capture folder come back at the next start from a
    // state file of their own; a file that is not just what the program writes, or
    // a place off every screen, leaves the start as designed. The end keeps them,
    // never in the settings store.
    void windowPlace_data()
    {
        QTest::addColumn<QByteArray>("file");   // the state file; "fifo", "dir", "zero": such a thing instead
        QTest::addColumn<bool>("restored");
        const QByteArray head = "# KX_Display: Fensterlage und Mitschnittordner\n";
        const QByteArray place = "geometry=30,40,500,420\n";
        QTest::newRow("none") << QByteArray() << false;
        QTest::newRow("as written") << head + place + "captureFolder=/tmp\n" << true;
        QTest::newRow("off every screen") << head + "geometry=5000,40,500,420\n" << false;
        QTest::newRow("title above the screen") << head + "geometry=30,-300,500,420\n" << false;
        QTest::newRow("another header") << "# KX\n" + place << false;
        QTest::newRow("unknown line") << head + place + "x=1\n" << false;
        QTest::newRow("relative folder") << head + place + "captureFolder=tmp\n" << false;
        QTest::newRow("three numbers") << head + "geometry=30,40,500\n" << false;
        QTest::newRow("a plus sign") << head + "geometry=+30,40,500,420\n" << false;
        QTest::newRow("too small") << head + "geometry=30,40,99,420\n" << false;
        QTest::newRow("not UTF-8") << head + place + "captureFolder=/tmp/\xff\n" << false;
        QTest::newRow("huge") << head + place + QByteArray(WindowState::MaxBytes, '\n') << false;
        QTest::newRow("fifo") << QByteArray("fifo") << false;
        QTest::newRow("directory") << QByteArray("dir") << false;
        QTest::newRow("a device") << QByteArray("zero") << false;
    }
    void windowPlace()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, restored);
        MainWindowFixture plain, f;
        plain.start();
        const QByteArray path = QFile::encodeName(f.stateFile);
        if (file == "fifo")
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        else if (file == "dir")
            QVERIFY(QDir().mkpath(f.stateFile));
        else if (file == "zero")
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), f.stateFile));
        const bool regular = file.startsWith('#');
        if (regular)
            QVERIFY(writeFile(f.stateFile, file));
        f.start();
        const QRect at(f.window->pos(), f.window->size());
        QCOMPARE(at, restored ? QRect(30, 40, 500, 420) : QRect(plain.window->pos(), plain.window->size()));
        f.action("mnuOpen")->trigger();
        f.dialogs.files << f.stateDir.filePath(QStringLiteral("capture"));
        f.find<QAction>(QStringLiteral("mnuCaptureStart"))->trigger();
        QCOMPARE(QFileInfo(f.dialogs.suggestions.value(0)).path(), restored ? QStringLiteral("/tmp") : QDir::homePath());
        // Only a regular file is replaced (the FIFO row shows it); a device behind a
        // link is not put at risk to show it again.
        if (file == "zero")
            return;
        f.window->move(60, 70);
        f.window->close();
        const WindowState kept = WindowState::read(f.stateFile);
        const bool replaced = regular || file.isEmpty();
        QCOMPARE(kept.geometry, replaced ? QRect(QPoint(60, 70), f.window->size()) : QRect());
        QCOMPARE(kept.captureFolder, replaced ? f.stateDir.path() : QString());
        QVERIFY(f.store.written.isEmpty());
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
