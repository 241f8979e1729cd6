#include "ControllerMenu.h"
#include "PacedWriter.h"
#include "SimOptions.h"

#include <QSignalSpy>
#include <QTest>

namespace {
using Screen = ControllerMenu::Screen;

// Types the keys and returns what the last one answered.
QByteArray type(ControllerMenu &menu, const QByteArray &keys)
{
    QByteArray last;
    for (char c : keys)
        last = menu.key(c);
    return last;
}

QStringList linesOf(const QByteArray &bytes)
{
    QStringList out = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
    if (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

int starColumn(const QString &line)
{
    return int(line.indexOf(u'*')) + 1;
}
} // namespace

class tst_KxSimMenu : public QObject
{
    Q_OBJECT

private slots:
    void keys_data();
    void keys();
    void lineEnds_data();
    void lineEnds();
    void stickCentring();
    void resetQuestion_data();
    void resetQuestion();
    void gyroReadings_data();
    void gyroReadings();
    void umlautIsOneByte();
    void options_data();
    void options();
    void writerUnpaced();
    void writerFullSink();
    void writerDropsOnlyDroppable();
    void writerFailingSink();
};

void tst_KxSimMenu::keys_data()
{
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<int>("screen");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");

    const int menu = int(Screen::Menu), page = int(Screen::Page), diag = int(Screen::Diagnose);
    QTest::newRow("silent until a key") << QByteArray() << int(Screen::Idle) << QStringList{} << QStringList{};
    QTest::newRow("any key shows the menu") << QByteArray("a") << menu
        << QStringList{"KONFIGURATIONSMENUE ", "> ROTORANORDNUNG", "  AKKU", "  DIAGNOSE"}
        << QStringList{"> AKKU"};
    QTest::newRow("s moves down") << QByteArray("as") << menu
        << QStringList{"KONFIGURATIONSMENUE ", "  ROTORANORDNUNG", "> AKKU"} << QStringList{"> ROTORANORDNUNG"};
    QTest::newRow("w wraps to the last entry") << QByteArray("aw") << menu
        << QStringList{"> DIAGNOSE"} << QStringList{"> ROTORANORDNUNG"};
    QTest::newRow("help with h") << QByteArray("ah") << menu
        << QStringList{"Tasten:", "  w = nach oben, s = nach unten", "  h oder ? = diese Hilfe"} << QStringList{};
    QTest::newRow("help with ?") << QByteArray("a?") << menu << QStringList{"Tasten:"} << QStringList{};
    QTest::newRow("unknown key names the help") << QByteArray("aq") << menu << QStringList{"? = Hilfe"}
                                                << QStringList{};
    const char *titles[] = {"ROTORANORDNUNG", "AKKU", "MOTOREN", "SETTINGS", "NOTLANDUNG", "DIAGNOSE"};
    for (int i = 0; i < 6; ++i) {
        const QByteArray keys = "a" + QByteArray(i, 's') + "\r";
        QTest::addRow("page %s", titles[i])
            << keys << (i == 3 ? int(Screen::Settings) : i == 5 ? diag : page)
            << QStringList{QStringLiteral("KONFIGURATIONSMENUE > ") + QLatin1String(titles[i])}
            << QStringList{"KONFIGURATIONSMENUE "};
    }
    QTest::newRow("value line with =>") << QByteArray("as\r") << page
        << QStringList{"> Zellenzahl =>3", "  Unterspannung =>3.3 V", "Hilfe mit ?, zurueck zum HAUPTMENUE > x"}
        << QStringList{};
    QTest::newRow("+ changes the value") << QByteArray("as\r+") << page << QStringList{"> Zellenzahl =>4"}
                                         << QStringList{"> Zellenzahl =>3"};
    QTest::newRow("- changes it back") << QByteArray("as\r+-") << page << QStringList{"> Zellenzahl =>3"}
                                       << QStringList{};
    QTest::newRow("cursor on a page") << QByteArray("as\rs") << page
        << QStringList{"  Zellenzahl =>3", "> Unterspannung =>3.3 V"} << QStringList{};
    QTest::newRow("x goes back to the menu") << QByteArray("as\rx") << menu
        << QStringList{"KONFIGURATIONSMENUE ", "> AKKU"} << QStringList{"KONFIGURATIONSMENUE > AKKU"};
    QTest::newRow("Esc goes back") << QByteArray("ass\r\x1b") << menu << QStringList{"> MOTOREN"}
                                   << QStringList{};
    QTest::newRow("LF is not Enter") << QByteArray("a\n") << menu << QStringList{} << QStringList{};
    QTest::newRow("LF after CR counts once") << QByteArray("a\r\ns") << page
        << QStringList{"> Drehrichtung vorne links =>rechts"} << QStringList{};
    QTest::newRow("gyro test opens on roll") << QByteArray("aw\r") << diag
        << QStringList{"KONFIGURATIONSMENUE > DIAGNOSE", "  Gyro Test (verlassen mit Roll links!)",
                       "Gyro Auswahl > Roll"}
        << QStringList{"Gyro Auswahl > Nick"};
    QTest::newRow("nick") << QByteArray("aw\rs") << diag << QStringList{"Gyro Auswahl > Nick"} << QStringList{};
    QTest::newRow("gier") << QByteArray("aw\rss") << diag << QStringList{"Gyro Auswahl > Gier"} << QStringList{};
    QTest::newRow("transmitter") << QByteArray("aw\rsss") << diag
                                 << QStringList{"> Fernbedienung (Senderkanaele)"} << QStringList{};
    QTest::newRow("back entry") << QByteArray("aw\rssss") << diag << QStringList{"> ZURUECK zum Menue"}
                                << QStringList{};
    QTest::newRow("back entry wraps to roll") << QByteArray("aw\rsssss") << diag
                                              << QStringList{"Gyro Auswahl > Roll"} << QStringList{};
    QTest::newRow("w from roll to back") << QByteArray("aw\rw") << diag
                                         << QStringList{"> ZURUECK zum Menue"} << QStringList{};
    QTest::newRow("choosing back leaves") << QByteArray("aw\rw\r") << menu
        << QStringList{"KONFIGURATIONSMENUE ", "> DIAGNOSE"} << QStringList{};
    QTest::newRow("Enter on a gyro stays") << QByteArray("aw\rs\r") << diag
                                           << QStringList{"Gyro Auswahl > Nick"} << QStringList{};
    QTest::newRow("x leaves through back") << QByteArray("aw\rx") << menu
        << QStringList{"> ZURUECK zum Menue", "KONFIGURATIONSMENUE "} << QStringList{};
}

void tst_KxSimMenu::keys()
{
    QFETCH(QByteArray, keys);
    QFETCH(int, screen);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);

    ControllerMenu menu;
    const QStringList lines = linesOf(type(menu, keys));
    QCOMPARE(int(menu.screen()), screen);
    for (const QString &l : present)
        QVERIFY2(lines.contains(l), qPrintable(l + QStringLiteral(" missing in:\n") + lines.join(u'\n')));
    for (const QString &l : absent)
        QVERIFY2(!lines.contains(l), qPrintable(l));
    if (keys.isEmpty())
        QVERIFY(menu.tick().isEmpty());
}

void tst_KxSimMenu::lineEnds_data()
{
    QTest::addColumn<bool>("lfCr");
    QTest::addColumn<QByteArray>("keys");

    QTest::newRow("menu") << false << QByteArray("a");
    QTest::newRow("page") << false << QByteArray("as\r");
    QTest::newRow("help") << false << QByteArray("ah");
    QTest::newRow("diagnosis") << false << QByteArray("aw\r");
    QTest::newRow("menu LF CR") << true << QByteArray("a");
    QTest::newRow("diagnosis LF CR") << true << QByteArray("aw\r");
}

void tst_KxSimMenu::lineEnds()
{
    QFETCH(bool, lfCr);
    QFETCH(QByteArray, keys);

    ControllerMenu menu(lfCr ? ControllerMenu::LineEnd::LfCr : ControllerMenu::LineEnd::CrLf);
    QByteArray out = type(menu, keys);
    for (int i = 0; i < 10; ++i)
        out += menu.tick();
    const QByteArray pair = lfCr ? "\n\r" : "\r\n";
    QVERIFY(out.endsWith(pair));
    // Every CR and LF belongs to a pair.
    QByteArray rest = out;
    rest.replace(pair, "");
    QVERIFY(!rest.contains('\r'));
    QVERIFY(!rest.contains('\n'));
}

void tst_KxSimMenu::stickCentring()
{
    ControllerMenu menu;
    const QByteArray start = type(menu, "asss\r\r");
    QCOMPARE(start, QByteArray("Erkenne Mittelpositionen der Hebel..."));
    QCOMPARE(start.size(), 37);
    QCOMPARE(menu.screen(), Screen::Centring);
    // Busy: keys are not answered, and the result takes a while.
    QVERIFY(menu.key('s').isEmpty());
    for (int i = 1; i < ControllerMenu::CentringTicks; ++i)
        QVERIFY(menu.tick().isEmpty());
    const QByteArray done = menu.tick();
    QVERIFY(done.startsWith(" OK\r\n"));
    QVERIFY(linesOf(done).contains(QStringLiteral("KONFIGURATIONSMENUE > SETTINGS")));
    QCOMPARE(menu.screen(), Screen::Settings);
}

void tst_KxSimMenu::resetQuestion_data()
{
    QTest::addColumn<char>("answer");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("value");

    QTest::newRow("yes resets") << 'j' << "Grundzustand hergestellt" << "  Empfaenger =>PPM";
    QTest::newRow("no keeps") << 'n' << "Abgebrochen" << "  Empfaenger =>Summensignal";
    QTest::newRow("Esc keeps") << '\x1b' << "Abgebrochen" << "  Empfaenger =>Summensignal";
}

void tst_KxSimMenu::resetQuestion()
{
    QFETCH(char, answer);
    QFETCH(QString, reply);
    QFETCH(QString, value);

    ControllerMenu menu;
    // Change the receiver value, then ask for the reset.
    const QStringList changed = linesOf(type(menu, "asss\rss\r"));
    QVERIFY(changed.contains(QStringLiteral("> Empfaenger =>Summensignal")));
    const QStringList question = linesOf(type(menu, "w\r"));
    QCOMPARE(question.first(), QStringLiteral("Wirklich in den Grundzustand versetzen?"));
    QCOMPARE(menu.screen(), Screen::ResetQuestion);
    // Other keys wait for the answer.
    QVERIFY(menu.key('s').isEmpty());
    QVERIFY(menu.key('\r').isEmpty());
    const QStringList lines = linesOf(menu.key(answer));
    QCOMPARE(lines.first(), reply);
    QVERIFY2(lines.contains(value), qPrintable(lines.join(u'\n')));
    QCOMPARE(menu.screen(), Screen::Settings);
}

void tst_KxSimMenu::gyroReadings_data()
{
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<bool>("readings");

    QTest::newRow("roll") << QByteArray("aw\r") << true;
    QTest::newRow("nick") << QByteArray("aw\rs") << true;
    QTest::newRow("gier") << QByteArray("aw\rss") << true;
    QTest::newRow("transmitter") << QByteArray("aw\rsss") << false;
    QTest::newRow("back entry") << QByteArray("aw\rssss") << false;
    QTest::newRow("menu") << QByteArray("a") << false;
}

void tst_KxSimMenu::gyroReadings()
{
    QFETCH(QByteArray, keys);
    QFETCH(bool, readings);

    ControllerMenu menu;
    type(menu, keys);
    QStringList lines;
    for (int i = 0; i < 300; ++i)
        lines += linesOf(menu.tick());
    int inRange = 0, beyond = 0, ends = 0, previous = 0, biggestStep = 0;
    for (const QString &l : lines) {
        QVERIFY(!l.endsWith(QLatin1String("> Roll")) && !l.endsWith(QLatin1String("> Nick"))
                && !l.endsWith(QLatin1String("> Gier")));
        if (l.endsWith(QLatin1String("de *"))) {
            ++ends;
            previous = 0;
            continue;
        }
        const int col = starColumn(l);
        if (col >= 1 && col <= 39) {
            ++inRange;
            if (previous)
                biggestStep = std::max(biggestStep, std::abs(col - previous));
            previous = col;
        } else if (col > 39) {
            ++beyond;
            previous = 0;
        }
    }
    if (!readings) {
        QCOMPARE(inRange + beyond + ends, 0);
        return;
    }
    // Several readings a second at a tick of 200 ms: one per tick.
    QCOMPARE(lines.size(), 300);
    QVERIFY(inRange > 250);
    QVERIFY(beyond > 0 && beyond < 30);
    QVERIFY(ends > 0 && ends < 30);
    // A wave, not a jump: neighbouring readings stay close.
    QVERIFY2(biggestStep <= 6, qPrintable(QString::number(biggestStep)));
}

void tst_KxSimMenu::umlautIsOneByte()
{
    ControllerMenu menu;
    const QByteArray page = type(menu, "assss\r");
    QVERIFY(page.contains("Verz\xF6gerung =>2 s"));
}

void tst_KxSimMenu::options_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("com");

    QTest::newRow("defaults") << QStringList{} << true << 960 << 0;
    QTest::newRow("rate and com") << QStringList{"--rate", "25600", "--com", "1"} << true << 25600 << 1;
    QTest::newRow("unpaced") << QStringList{"--rate", "0"} << true << 0 << 0;
    QTest::newRow("replay") << QStringList{"--replay", "f.bin", "--exit-after-replay"} << true << 960 << 0;
    QTest::newRow("com 16") << QStringList{"--com", "16"} << true << 960 << 16;
    QTest::newRow("com 0") << QStringList{"--com", "0"} << false << 0 << 0;
    QTest::newRow("com 17") << QStringList{"--com", "17"} << false << 0 << 0;
    QTest::newRow("com text") << QStringList{"--com", "eins"} << false << 0 << 0;
    QTest::newRow("negative rate") << QStringList{"--rate", "-5"} << false << 0 << 0;
    QTest::newRow("rate missing") << QStringList{"--rate"} << false << 0 << 0;
    QTest::newRow("unknown") << QStringList{"--fast"} << false << 0 << 0;
    QTest::newRow("exit without replay") << QStringList{"--exit-after-replay"} << false << 0 << 0;
    QTest::newRow("tick too short") << QStringList{"--tick-ms", "1"} << false << 0 << 0;
}

void tst_KxSimMenu::options()
{
    QFETCH(QStringList, args);
    QFETCH(bool, ok);
    QFETCH(int, rate);
    QFETCH(int, com);

    SimOptions o;
    QString error;
    QCOMPARE(o.parse(args, &error), ok);
    QCOMPARE(error.isEmpty(), ok);
    if (ok) {
        QCOMPARE(o.rate, rate);
        QCOMPARE(o.com, com);
    }
}

void tst_KxSimMenu::writerUnpaced()
{
    QByteArray got;
    PacedWriter w([&](const char *d, qint64 n) { got.append(d, n); return n; }, 0);
    QSignalSpy drained(&w, &PacedWriter::drained);
    w.write("abc");
    w.write("def", true);
    QCOMPARE(got, QByteArray("abcdef"));
    QCOMPARE(w.pending(), 0);
    QCOMPARE(drained.count(), 2);
}

void tst_KxSimMenu::writerFullSink()
{
    QByteArray got;
    qint64 room = 2;
    PacedWriter w([&](const char *d, qint64 n) {
        const qint64 take = std::min(n, room);
        got.append(d, take);
        room -= take;
        return take;
    }, 0);
    w.write("abcdef");
    QCOMPARE(got, QByteArray("ab"));
    QCOMPARE(w.pending(), 4);
    room = 100;
    QTRY_COMPARE(got, QByteArray("abcdef"));
    QCOMPARE(w.pending(), 0);
}

void tst_KxSimMenu::writerDropsOnlyDroppable()
{
    QByteArray got;
    bool full = true;
    PacedWriter w([&](const char *d, qint64 n) {
        if (full)
            return qint64(0);
        got.append(d, n);
        return n;
    }, 0);
    w.setMaxPending(4);
    w.write("abc", true);
    w.write("def", true);           // beyond the limit: lost
    w.write("ghi");                 // a recording is never dropped
    QCOMPARE(w.pending(), 6);
    QCOMPARE(w.dropped(), 3);
    full = false;
    w.pump();
    QCOMPARE(got, QByteArray("abcghi"));
}

void tst_KxSimMenu::writerFailingSink()
{
    PacedWriter w([](const char *, qint64) { return qint64(-1); }, 0);
    QSignalSpy failed(&w, &PacedWriter::sinkFailed);
    w.write("abc");
    QCOMPARE(failed.count(), 1);
    QCOMPARE(w.pending(), 0);
}

QTEST_GUILESS_MAIN(tst_KxSimMenu)
#include "tst_kxsim_menu.moc"
