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
    void keys_data()
    {
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<int>("screen");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        const auto row = [](const char *name, const char *keys, Screen screen, const QStringList &present,
                            const QStringList &absent = {}) {
            QTest::newRow(name) << QByteArray(keys) << int(screen) << present << absent;
        };

        const Screen menu = Screen::Menu, page = Screen::Page, diag = Screen::Diagnose;
        row("silent until a key", "", Screen::Idle, {});
        row("any key shows the menu", "a", menu,
            {"KONFIGURATIONSMENUE ", "> ROTORANORDNUNG", "  AKKU", "  DIAGNOSE"}, {"> AKKU"});
        row("s moves down", "as", menu, {"KONFIGURATIONSMENUE ", "  ROTORANORDNUNG", "> AKKU"},
            {"> ROTORANORDNUNG"});
        row("w wraps to the last entry", "aw", menu, {"> DIAGNOSE"}, {"> ROTORANORDNUNG"});
        row("help with h", "ah", menu, {"Tasten:", "  w = nach oben, s = nach unten", "  h oder ? = diese Hilfe"});
        row("help with ?", "a?", menu, {"Tasten:"});
        row("unknown key names the help", "aq", menu, {"? = Hilfe"});
        const char *titles[] = {"ROTORANORDNUNG", "AKKU", "MOTOREN", "SETTINGS", "NOTLANDUNG", "DIAGNOSE"};
        for (int i = 0; i < 6; ++i)
            row(qPrintable(QStringLiteral("page ") + QLatin1String(titles[i])),
                ("a" + QByteArray(i, 's') + "\r").constData(),
                i == 3 ? Screen::Settings : i == 5 ? diag : page,
                {QStringLiteral("KONFIGURATIONSMENUE > ") + QLatin1String(titles[i])}, {"KONFIGURATIONSMENUE "});
        row("value line with =>", "as\r", page,
            {"> Zellenzahl =>3", "  Unterspannung =>3.3 V", "Hilfe mit ?, zurueck zum HAUPTMENUE > x"});
        row("+ changes the value", "as\r+", page, {"> Zellenzahl =>4"}, {"> Zellenzahl =>3"});
        row("- changes it back", "as\r+-", page, {"> Zellenzahl =>3"});
        row("cursor on a page", "as\rs", page, {"  Zellenzahl =>3", "> Unterspannung =>3.3 V"});
        row("x goes back to the menu", "as\rx", menu, {"KONFIGURATIONSMENUE ", "> AKKU"},
            {"KONFIGURATIONSMENUE > AKKU"});
        row("Esc goes back", "ass\r\x1b", menu, {"> MOTOREN"});
        row("LF is not Enter", "a\n", menu, {});
        row("LF after CR counts once", "a\r\ns", page, {"> Drehrichtung vorne links =>rechts"});
        row("gyro test opens on roll", "aw\r", diag,
            {"KONFIGURATIONSMENUE > DIAGNOSE", "  Gyro Test (verlassen mit Roll links!)", "Gyro Auswahl > Roll"},
            {"Gyro Auswahl > Nick"});
        row("nick", "aw\rs", diag, {"Gyro Auswahl > Nick"});
        row("gier", "aw\rss", diag, {"Gyro Auswahl > Gier"});
        row("transmitter", "aw\rsss", diag, {"> Fernbedienung (Senderkanaele)"});
        row("back entry", "aw\rssss", diag, {"> ZURUECK zum Menue"});
        row("back entry wraps to roll", "aw\rsssss", diag, {"Gyro Auswahl > Roll"});
        row("w from roll to back", "aw\rw", diag, {"> ZURUECK zum Menue"});
        row("choosing back leaves", "aw\rw\r", menu, {"KONFIGURATIONSMENUE ", "> DIAGNOSE"});
        row("Enter on a gyro stays", "aw\rs\r", diag, {"Gyro Auswahl > Nick"});
        row("x leaves through back", "aw\rx", menu, {"> ZURUECK zum Menue", "KONFIGURATIONSMENUE "});
        // Lines are read as Latin-1: a two-byte umlaut would not match.
        row("umlaut is one byte", "assss\r", page, {QStringLiteral("  Verz\u00f6gerung =>2 s")});
    }

    void keys()
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

    void lineEnds_data()
    {
        QTest::addColumn<bool>("lfCr");
        QTest::addColumn<QByteArray>("keys");
        const std::pair<const char *, const char *> screens[] = {
            {"menu", "a"}, {"page", "as\r"}, {"help", "ah"}, {"diagnosis", "aw\r"}};
        for (bool lfCr : {false, true})
            for (const auto &[name, keys] : screens)
                QTest::addRow("%s %s", name, lfCr ? "LF CR" : "CR LF") << lfCr << QByteArray(keys);
    }

    void lineEnds()
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

    void stickCentring()
    {
        ControllerMenu menu;
        const QByteArray start = type(menu, "asss\r\r");
        QCOMPARE(start, QByteArray("Erkenne Mittelpositionen der Hebel..."));
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

    void resetQuestion_data()
    {
        QTest::addColumn<char>("answer");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("value");

        QTest::newRow("yes resets") << 'j' << "Grundzustand hergestellt" << "  Empfaenger =>PPM";
        QTest::newRow("no keeps") << 'n' << "Abgebrochen" << "  Empfaenger =>Summensignal";
        QTest::newRow("Esc keeps") << '\x1b' << "Abgebrochen" << "  Empfaenger =>Summensignal";
    }

    void resetQuestion()
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

    void gyroReadings_data()
    {
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<bool>("readings");

        QTest::newRow("roll") << QByteArray("aw\r") << true;
        QTest::newRow("gier") << QByteArray("aw\rss") << true;
        QTest::newRow("transmitter") << QByteArray("aw\rsss") << false;
        QTest::newRow("menu") << QByteArray("a") << false;
    }

    void gyroReadings()
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

    void options_data()
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

    void options()
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

    void writerUnpaced()
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

    void writerFullSink()
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

    void writerDropsOnlyDroppable()
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

    void writerFailingSink()
    {
        PacedWriter w([](const char *, qint64) { return qint64(-1); }, 0);
        QSignalSpy failed(&w, &PacedWriter::sinkFailed);
        w.write("abc");
        QCOMPARE(failed.count(), 1);
        QCOMPARE(w.pending(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_KxSimMenu)
#include "tst_kxsim_menu.moc"
