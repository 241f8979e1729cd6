// The gyro history window as the user meets it, on the main window: where it opens,
// its figures as a screen reader reads them, holding the picture, and the files it
// writes.
#include "terminal/views/RichTextView.h"
#include "tests/support/core/Files.h"
#include "tests/support/ui/MainWindowFixture.h"

#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString col(int column) { return QString(column - 1, u' ') + u'*'; }

// The main window with its port open, the gyro history window opened.
struct Rig : MainWindowFixture
{
    QWidget *history = nullptr;
    RichTextView *view = nullptr;

    Rig()
    {
        start().show();
        action("mnuOpen")->trigger();
        action("mnuGyroVerlauf")->trigger();
        history = find<QWidget>(QStringLiteral("frmGyro_Verlauf"));
        view = find<RichTextView>(QStringLiteral("RichTextBox"));
    }
    // Lines from the controller; "+N" moves the clock by N ms.
    void lines(const QStringList &lines)
    {
        for (const QString &l : lines) {
            if (l.startsWith(u'+'))
                clock.advance(l.toInt());
            else
                port.feed(l.toLatin1() + "\r\n");
        }
    }
    QString read(const char *name) const
    {
        QWidget *w = history->findChild<QWidget *>(QLatin1StringView(name));
        return w ? QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name) : QStringLiteral("?");
    }
    // The figures beside the plot, as read out.
    QString figures() const
    {
        QStringList out;
        for (const char *name : {"lblGyro", "lblAktuell", "lblMinimum", "lblMaximum", "lblMittelwert",
                                 "lblStandardabweichung", "lblSpanne", "lblMesswerte", "lblLuecken"})
            out << read(name);
        return out.join(u'|');
    }
    QString description() const
    {
        return QAccessible::queryAccessibleInterface(history->findChild<QWidget *>(QStringLiteral("picVerlauf")))
            ->text(QAccessible::Description);
    }
    void click(const char *button) { history->findChild<QPushButton *>(QLatin1StringView(button))->click(); }
    // Lets the view draw a frame: whatever the window does on it is done after.
    bool frame() { return QSignalSpy(view, &RichTextView::frameDue).wait(5000); }
};

const QStringList Readings{"KONFIGURATIONSMENUE > DIAGNOSE", "> Roll", col(20), "+100", col(22), "+100", col(18), "+100", "x"};
const QString ReadingsShown = QStringLiteral("Roll Gyro|Aktuell: \u2013|Minimum: 18|Maximum: 22|Mittelwert: 20,0|"
                                             "Standardabweichung: 1,63|Spanne: 4 Spalten|Messwerte: 3|Lücken: 1");
} // namespace

class GyroHistoryTest : public QObject
{
    Q_OBJECT

private slots:
    // One window, from the terminal's context menu or a double click on the indicator
    // row or the gyro label; closed and opened again, it is where it was.
    void opens_data()
    {
        QTest::addColumn<QString>("from");
        QTest::newRow("context menu") << "mnuGyroVerlauf";
        QTest::newRow("indicator row") << "lbl_G1_38";
        QTest::newRow("gyro label") << "lbl_Check";
    }
    void opens()
    {
        QFETCH(QString, from);
        MainWindowFixture f;
        f.start().show();
        QAction *command = f.action("mnuGyroVerlauf");
        QVERIFY(f.find<QWidget>(QStringLiteral("RichTextBox"))->actions().contains(command));
        const auto open = [&] {
            if (from == command->objectName())
                command->trigger();
            else
                QTest::mouseDClick(f.label(from), Qt::LeftButton);
        };
        open();
        QWidget *history = nullptr;
        QTRY_VERIFY((history = f.window->findChild<QWidget *>(QStringLiteral("frmGyro_Verlauf"))) && history->isVisible());
        QCOMPARE(history->windowTitle(), QStringLiteral("Gyro-Verlauf"));
        history->setGeometry(history->geometry().adjusted(17, 23, 40, 30));
        const QRect placed = history->geometry();
        history->close();
        QVERIFY(!history->isVisible());
        open();
        QTRY_VERIFY(history->isVisible());
        QCOMPARE(history->geometry(), placed);
        QCOMPARE(f.window->findChildren<QWidget *>(QStringLiteral("frmGyro_Verlauf")).size(), 1);
    }

    // The figures and the plot's description as a screen reader reads them: live,
    // still while the picture is held (readings go on being taken), not drawn while
    // hidden or minimised but right when shown again, and over the span chosen.
    //   steps: controller lines, "+N" the clock moved N ms, !hold (Anhalten/Weiter),
    //   !drawn: the figures of Readings shown, !span TEXT, !hide, !minimise, !show,
    //   !nick5: five readings of the Nick gyro at
    //   column 5, one frame each, !six: one reading at column 6 per frame, five frames
    void figures_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("read");   // figures (and description), description, or a control's name
        QTest::addColumn<QString>("expected");
        const QString nick = QStringLiteral("Nick Gyro|Aktuell: 5|Minimum: 5|Maximum: 5|Mittelwert: 5,0|"
                                            "Standardabweichung: 0,00|Spanne: 0 Spalten|Messwerte: 5|Lücken: 0");
        const QStringList held = Readings + QStringList{"!drawn", "!hold", "!nick5"};
        const QString roll = ReadingsShown + "|Roll Gyro: keine aktuelle Spalte, Spanne 4 Spalten in den letzten 30 s";
        QTest::newRow("no readings") << QStringList() << "lblGyro" << "Keine Messwerte";
        QTest::newRow("the plot's name") << QStringList() << "picVerlauf" << "Gyro-Verlauf";
        QTest::newRow("readings") << Readings << "figures" << roll;
        QTest::newRow("held") << held << "figures" << roll;
        QTest::newRow("held: the button resumes") << held << "cmdAnhalten" << "Weiter";
        QTest::newRow("held and drawn for another span") << held + QStringList{"!span 60 s"} << "lblGyro" << "Roll Gyro";
        QTest::newRow("resumed") << held + QStringList{"!hold"} << "figures"
                                 << nick + "|Nick Gyro: aktuelle Spalte 5, Spanne 0 Spalten in den letzten 30 s";
        const QStringList nickShown{"KONFIGURATIONSMENUE > DIAGNOSE", "!nick5"};
        QTest::newRow("hidden") << nickShown + QStringList{"!hide", "!six"} << "lblAktuell" << "Aktuell: 5";
        QTest::newRow("shown again") << nickShown + QStringList{"!hide", "!six", "!show"} << "lblAktuell" << "Aktuell: 6";
        QTest::newRow("minimised") << nickShown + QStringList{"!minimise", "!six"} << "lblAktuell" << "Aktuell: 5";
        QTest::newRow("restored") << nickShown + QStringList{"!minimise", "!six", "!show"} << "lblAktuell" << "Aktuell: 6";
        QTest::newRow("30 s") << nickShown + QStringList{"+15000", col(30)} << "lblMesswerte" << "Messwerte: 6";
        QTest::newRow("10 s") << nickShown + QStringList{"+15000", col(30), "!span 10 s"} << "description"
                              << "Nick Gyro: aktuelle Spalte 30, Spanne 0 Spalten in den letzten 10 s";
    }
    void figures()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, read);
        Rig r;
        for (const QString &step : steps) {
            if (step == u"!hold") {
                r.click("cmdAnhalten");
            } else if (step == u"!drawn") {
                QTRY_COMPARE(r.figures(), ReadingsShown);
            } else if (step.startsWith(u"!span ")) {
                auto *span = r.history->findChild<QComboBox *>(QStringLiteral("cboZeitraum"));
                span->setCurrentIndex(span->findText(step.mid(6)));
            } else if (step == u"!hide" || step == u"!minimise") {
                step == u"!hide" ? r.history->hide() : r.history->setWindowState(Qt::WindowMinimized);
            } else if (step == u"!show") {
                r.history->setWindowState(Qt::WindowNoState);
                r.history->show();
            } else if (step == u"!nick5" || step == u"!six") {
                if (step == u"!nick5")
                    r.lines({"+100", "> Nick"});
                for (int i = 0; i < 5; ++i) {
                    r.lines({"+100", col(step == u"!six" ? 6 : 5)});
                    QVERIFY(r.frame());
                }
            } else {
                r.lines({step});
            }
        }
        const auto shown = [&] {
            if (read == u"figures")
                return r.figures() + u'|' + r.description();
            if (read == u"description")
                return r.description();
            if (read == u"picVerlauf")
                return r.history->findChild<QWidget *>(read)->accessibleName();
            return r.read(read.toLatin1().constData());
        };
        QFETCH(QString, expected);
        QTRY_COMPARE(shown(), expected);
    }

    // The picture as saved: newest at the right, column 39 above column 5, each gyro
    // in its colour; a line without "*" breaks a trace, and so does a change of gyro,
    // while the other gyro's trace stays.
    void picture()
    {
        Rig r;
        QStringList lines{"KONFIGURATIONSMENUE > DIAGNOSE", "> Roll"};
        const auto run = [&](int column, int n) {
            for (int i = 0; i < n; ++i)
                lines << "+100" << col(column);
        };
        run(39, 50);
        lines << "> Nick";
        run(5, 20);
        lines << "+100" << "x" << "+1000";
        run(5, 20);
        lines << "> Roll";
        run(39, 50);
        r.lines(lines);
        QTRY_COMPARE(r.read("lblMesswerte"), QStringLiteral("Messwerte: 100"));
        // Drawn, and then a reading in the same pixel column: the column is drawn anew.
        r.lines({"+1", col(1)});
        QTRY_COMPARE(r.read("lblAktuell"), QStringLiteral("Aktuell: 1"));
        QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/kx-XXXXXX"));
        const QString file = dir.filePath(QStringLiteral("bild.png"));
        r.dialogs.files << file;
        r.click("cmdBildSpeichern");
        const QImage png(file);
        QCOMPARE(png.size(), r.history->findChild<QWidget *>(QStringLiteral("picVerlauf"))->size());
        // Pixels of a clear colour, by their strongest channel: b roll, r nick.
        const auto kind = [&](int x, int y) {
            const QColor c = png.pixelColor(x, y);
            const int high = std::max({c.red(), c.green(), c.blue()}), low = std::min({c.red(), c.green(), c.blue()});
            return high - low < 80 ? u' ' : high == c.blue() ? u'b' : high == c.red() ? u'r' : u'g';
        };
        // A row's pixels of a kind, and their stretches from left to right (first and last x).
        const auto count = [&](int y, QChar k) {
            int n = 0;
            for (int x = 0; x < png.width(); ++x)
                n += kind(x, y) == k;
            return n;
        };
        const auto stretches = [&](int y, QChar k) {
            QList<QPoint> out;
            for (int x = 0; x < png.width(); ++x)
                if (kind(x, y) == k && (out.isEmpty() || out.last().y() < x - 1))
                    out.append({x, x});
                else if (kind(x, y) == k)
                    out.last().setY(x);
            return out;
        };
        // The row with the most of a kind, the first of equals, from a row on.
        const auto rowWithMost = [&](QChar k, int from) {
            int best = from;
            for (int y = from; y < png.height(); ++y)
                best = count(y, k) > count(best, k) ? y : best;
            return best;
        };
        const int roll = rowWithMost(u'b', 0), nick = rowWithMost(u'r', roll + 1);
        const QList<QPoint> rolls = stretches(roll, u'b'), nicks = stretches(nick, u'r');
        QCOMPARE(rolls.size(), 2);
        QCOMPARE(nicks.size(), 2);
        QVERIFY(rolls[0].x() > png.width() / 3);
        QVERIFY(rolls[0].y() < nicks[0].x() && nicks[1].y() < rolls[1].x());
        int lowestRoll = 0;
        for (int y = roll + 1; y < png.height(); ++y) {
            QVERIFY2(count(y, u'r') == 0 || qAbs(y - nick) <= 2, qPrintable(QString::number(y)));
            lowestRoll = count(y, u'b') ? y : lowestRoll;
        }
        QVERIFY(lowestRoll > nick);
    }

    // "Daten speichern…" writes every reading as CSV; a file that cannot be written
    // is said so and left as it was.
    void files()
    {
        Rig r;
        // Not under the program's name: it holds a "/".
        QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/kx-XXXXXX"));
        r.lines(Readings);
        const QString csv = dir.filePath(QStringLiteral("daten.csv")), locked = dir.filePath(QStringLiteral("fehlt/daten.csv"));
        r.dialogs.files << csv << locked;
        r.click("cmdDatenSpeichern");
        QCOMPARE(readAll(csv), QByteArray("zeit_s;gyro;spalte\r\n0.000;Roll;20\r\n0.100;Roll;22\r\n"
                                               "0.200;Roll;18\r\n0.300;Roll;\r\n"));
        QVERIFY(r.dialogs.messages().isEmpty());
        r.click("cmdDatenSpeichern");
        QCOMPARE(r.dialogs.messages().size(), 1);
        QVERIFY(r.dialogs.messages().constFirst().startsWith(QStringLiteral("! \"") + locked + QStringLiteral("\" kann nicht")));
        QVERIFY(!QFile::exists(locked));
        r.click("cmdDatenSpeichern");   // cancelled: nothing
        QCOMPARE(r.dialogs.messages().size(), 1);
    }
};

QTEST_MAIN(GyroHistoryTest)
#include "tst_gyrohistory.moc"
