// The terminal engine without widgets: the receive loop, page recognition, the
// gyro test panel and the key send path.
#include "terminal/GyroSeries.h"
#include "terminal/HistoryExport.h"
#include "terminal/HistorySearch.h"
#include "platform/RegularFile.h"
#include "terminal/SessionCapture.h"
#include "tests/support/core/ColourLetters.h"
#include "tests/support/core/FakeClock.h"
#include "terminal/TerminalEngine.h"
#include "terminal/TerminalOptions.h"
#include "tests/support/core/FakeSerialComm.h"
#include "tests/support/core/Files.h"
#include "tests/support/core/IndicatorRowState.h"
#include "tests/support/core/ScriptedDialogs.h"

#include <QDir>
#include <QBuffer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cerrno>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The terminal engine on a scripted, open port, a text model and an indicator row
// that only remember what they were told.
struct TerminalRig
{
    FakeSerialComm port;
    RichTextModel view;
    IndicatorRowState row;
    TerminalOptions options;
    TerminalEngine engine{port, view, row, options};
    FakeClock clock;
    GyroSeries series{clock};
    QStringList reports;

    explicit TerminalRig(const QString &mode = TerminalOptions::AsciiText)
    {
        engine.recordGyroReadings(series);
        options.setEmulationText(mode);
        QObject::connect(&port, &SerialComm::OnComm, &engine, &TerminalEngine::MSComm1_OnComm);
        QObject::connect(&engine, &TerminalEngine::statusMessage, &engine, [this](const QString &t) { reports << t; });
        port.setPortOpen(true);
    }

    // In reads of at most `read` bytes, as the port delivers them.
    void receive(const QByteArray &bytes, int read = 4096)
    {
        for (qsizetype at = 0; at < bytes.size(); at += read)
            port.feed(bytes.mid(at, read));
    }
    // Lines as the controller sends them; "+N" instead of a line moves the clock by N ms.
    void receiveLines(const QStringList &lines)
    {
        for (const QString &l : lines) {
            if (l.size() > 1 && (l[0] == u'+' || l[0] == u'-') && l.mid(1).toInt() > 0)
                clock.advance(l.toInt());
            else
                receive(l.toLatin1() + "\r\n");
        }
    }
    QString colors() const { return colourLetters(view); }
    // One letter per indicator cell's colour: g light grey, l light blue, r red; in
    // upper case when its text is grey too, as clearing the panel leaves it.
    QString cells() const
    {
        QString out;
        for (int i = 0; i < IndicatorRow::CellCount; ++i) {
            const quint32 c = row.backColor[i];
            const QChar l = c == 0xC0C0C0 ? u'g' : c == 0xFFC0C0 ? u'l' : c == 0x0000FF ? u'r' : u'?';
            out += row.foreColor[i] == 0xC0C0C0 ? l.toUpper() : l;
        }
        return out;
    }
};

QString rep(QChar c, int n) { return QString(n, c); }

// Cells after a reading: all light blue with the cell for `column` (from 1) red.
QString litCell(int column) { return QString(column - 1, u'L') + u'R' + QString(39 - column, u'L'); }

const QString K = TerminalOptions::KestrixText, A = TerminalOptions::AsciiText;

QByteArray digits(int n) { return QByteArray("0123456789").repeated(n / 10 + 1).left(n); }
const QString Diag = QStringLiteral("KONFIGURATIONSMENUE > DIAGNOSE");
const QString Menu = QStringLiteral("KONFIGURATIONSMENUE ");
const QString GyroTitle = QStringLiteral("  Gyro Test (verlassen mit Roll links!)");

QString col(int column) { return QString(column - 1, u' ') + u'*'; }

// The history's lines, oldest first, each as its text, a blank and a colour letter
// per character: k black, r red, b blue, g grey.
QStringList historyLines(const History &h)
{
    QStringList out;
    for (qint64 n = h.first(); n < h.end(); ++n) {
        const QString text = h.text(n);
        const QList<History::Run> runs = h.runs(n);
        QString letters;
        for (int i = 0, r = -1; i < text.size(); ++i) {
            while (r + 1 < runs.size() && runs[r + 1].from <= i)
                ++r;
            const quint32 c = r >= 0 ? runs[r].colour : 0xFFFFFF;
            letters += c == 0 ? u'k' : c == 0x0000FF ? u'r' : c == 0xFF0000 ? u'b' : c == 0x808080 ? u'g' : u'?';
        }
        out << text + u' ' + letters;
    }
    return out;
}
} // namespace

// A capture of a scripted, open port into a folder of its own.
struct CaptureRig
{
    QTemporaryDir dir;
    FakeSerialComm port;
    FakeClock clock;
    ScriptedDialogs dialogs;
    SessionCapture capture{port, clock};
    QSignalSpy failed{&capture, &SessionCapture::failed};
    const QString path = dir.filePath(QStringLiteral("cap"));
    CaptureRig() { port.setPortOpen(true); }
};

class TerminalTest : public QObject
{
    Q_OBJECT

private slots:
    void receiveRules_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("colors");
        QTest::addColumn<QString>("openLine");
        const QByteArray stick("Erkenne Mittelpositionen der Hebel...");
        const QString s = QString::fromLatin1(stick);

        QTest::newRow("cursor at line start red, next black") << K << QByteArray(">AB") << ">AB" << "rkk" << ">AB";
        QTest::newRow("cursor after '=' stays black") << K << QByteArray("x=>1") << "x=>1" << "kkkk" << "x=>1";
        QTest::newRow("cursor after 'MENUE ' stays black") << K << QByteArray("MENUE >A") << "MENUE >A" << "kkkkkkkk" << "MENUE >A";
        QTest::newRow("cursor after 'MENUE' without blank is red") << K << QByteArray("MENUE>") << "MENUE>"
            << "kkkkkr" << "MENUE>";
        QTest::newRow("ascii: no red cursor") << A << QByteArray(">AB") << ">AB" << "kkk" << ">AB";
        QTest::newRow("other mode text: no red cursor") << "kestrix" << QByteArray(">A") << ">A" << "kk" << ">A";
        QTest::newRow("CR LF one break") << K << QByteArray("ab\r\n>d") << "ab\r\n>d" << "kkkkrk" << ">d";
        QTest::newRow("LF CR one break") << A << QByteArray("ab\n\rcd") << "ab\r\ncd" << "kkkkkk" << "cd";
        QTest::newRow("CR on empty line") << A << QByteArray("\r") << "\r\n" << "kk" << "";
        QTest::newRow("BS on empty view erases nothing") << A << QByteArray("\b") << "" << "" << "\b";
        QTest::newRow("BS in the middle") << A << QByteArray("abc\bd") << "abd" << "kkk" << "abc\bd";
        QTest::newRow("BS at line start erases the LF of the break") << A << QByteArray("ab\r\b") << "ab\r" << "kkk" << "\b";
        QTest::newRow("FF empties the view and stays in the line") << A << QByteArray("abc\fde") << "de" << "kk" << "abc\fde";
        QTest::newRow("FF after red cursor: next text black") << K << QByteArray("x>\fyz") << "yz" << "kk" << "x>\fyz";
        QTest::newRow("stick centring red, trailing text black") << K << stick + "  " << s + "  "
            << rep(u'r', 37) + "kk" << "  ";
        QTest::newRow("stick centring after earlier text") << K << "ab\r\n" + stick << "ab\r\n" + s
            << "kkkk" + rep(u'r', 37) << "";
        QTest::newRow("stick centring not at line start") << K << " " + stick << " " + s << rep(u'k', 38) << " " + s;
        QTest::newRow("stick centring then a title: only the title is blue") << K
            << stick + "KONFIGURATIONSMENUE \r\n" << s + "KONFIGURATIONSMENUE \r\n"
            << rep(u'r', 37) + rep(u'b', 20) + "kk" << "";
        QTest::newRow("NUL and escapes do not truncate") << A << QByteArray("a\0b\x1b[2J", 7)
            << QString::fromLatin1("a\0b\x1b[2J", 7) << rep(u'k', 7) << QString::fromLatin1("a\0b\x1b[2J", 7);
        QTest::newRow("kestrix: gyro test title set apart by an empty line") << K << GyroTitle.toLatin1() + "\r\n"
            << GyroTitle + "\r\n\r\n" << rep(u'k', 43) << "";
        QTest::newRow("ascii: gyro test title as it came") << A << GyroTitle.toLatin1() + "\r\n" << GyroTitle + "\r\n"
            << rep(u'k', 41) << "";
        QTest::newRow("windows-1252 upper half") << A << QByteArray("\x80\x9f\xe4\x81")
            << QStringLiteral("\u20ac\u0178\u00e4\u0081") << "kkkk" << QStringLiteral("\u20ac\u0178\u00e4\u0081");
        // A title is redrawn blue; every colour above it stays.
        for (const QString &t : {Menu, QStringLiteral("KONFIGURATIONSMENUE > ROTORANORDNUNG"),
                                 QStringLiteral("KONFIGURATIONSMENUE > AKKU"), QStringLiteral("KONFIGURATIONSMENUE > MOTOREN"),
                                 QStringLiteral("KONFIGURATIONSMENUE > SETTINGS"), QStringLiteral("KONFIGURATIONSMENUE > NOTLANDUNG"),
                                 Diag, QStringLiteral("Wirklich in den Grundzustand versetzen?")}) {
            const QString text = ">abc\r\n" + t + "\r\n";
            QTest::addRow("kestrix title: %s", qPrintable(t)) << K << text.toLatin1() << text << "rkkkkk" + rep(u'b', t.size()) + "kk" << "";
            QTest::addRow("ascii: %s", qPrintable(t)) << A << text.toLatin1() << text << rep(u'k', text.size()) << "";
        }
        for (const QString t : {"KONFIGURATIONSMENUE", "KONFIGURATIONSMENUE  ", "KONFIGURATIONSMENUE > AKKU ",
                                "konfigurationsmenue ", " KONFIGURATIONSMENUE > AKKU"}) {
            const QString text = ">abc\r\n" + t + "\r\n";
            QTest::addRow("no title: '%s'", qPrintable(t)) << K << text.toLatin1() << text << "r" + rep(u'k', text.size() - 1) << "";
        }
    }
    void receiveRules()
    {
        QFETCH(QString, mode);
        QFETCH(QByteArray, input);
        // One block and one byte at a time give the same.
        for (bool bytewise : {false, true}) {
            TerminalRig rig(mode);
            if (bytewise)
                for (char c : input)
                    rig.receive(QByteArray(1, c));
            else
                rig.receive(input);
            QTEST(rig.view.text(), "text");
            QTEST(rig.colors(), "colors");
            QTEST(rig.engine.line().text().toString(), "openLine");
            QCOMPARE(rig.port.written, QByteArray());   // nothing is ever answered
            QCOMPARE(rig.view.selStart(), rig.view.length());
        }
    }

    // A block of several bytes is compared as a whole: never LF, CR or a cursor.
    void blocksOfSeveralBytes()
    {
        TerminalRig rig(K);
        rig.port.setInputLen(2);
        rig.receive(">a\r\n\r");
        QCOMPARE(rig.view.text() + rig.colors(), QStringLiteral(">a\r\n\r\nkkkkkk"));
    }

    void cap_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("red");   // where the red characters are left
        QTest::newRow("586 not cut yet") << digits(586) << QString::fromLatin1(digits(586)) << QList<int>{};
        QTest::newRow("587th char cuts 14 first") << digits(587) << QString::fromLatin1(digits(587).mid(14)) << QList<int>{};
        QTest::newRow("cut once per call") << digits(600) << QString::fromLatin1(digits(600).mid(14)) << QList<int>{};
        QTest::newRow("585 plus CR LF is 587, next cuts once") << (digits(585) + "\ry")
            << QString::fromLatin1(digits(585).mid(14)) + "\r\ny" << QList<int>{};
        QTest::newRow("BS on a full view cuts, then erases") << (digits(586) + "\b")
            << QString::fromLatin1(digits(585).mid(14)) << QList<int>{};
        // What the cut leaves keeps its colours; a cursor cut away is gone with it.
        const QByteArray cursors = ">" + digits(13) + ">" + digits(571) + ">x";
        QTest::newRow("colours stay through the cut") << cursors << QString::fromLatin1(cursors.mid(14))
            << QList<int>{0, 572};
    }
    // The cap holds from the engine's construction: a start-up that ends early
    // must not leave a view that keeps a handful of characters.
    void cap()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, text);
        QFETCH(QList<int>, red);
        QString colors(text.size(), u'k');
        for (int at : red)
            colors[at] = u'r';
        // In one block, or in reads that end anywhere, the same text stays.
        for (const int read : {4096, 1, 2, 13}) {
            TerminalRig rig(K);
            rig.receive(input, read);
            const QString reads = QStringLiteral("reads of %1: ").arg(read);
            QCOMPARE(reads + rig.view.text(), reads + text);
            QCOMPARE(reads + rig.colors(), reads + colors);
        }
    }

    // A line without CR keeps its newest 32767 characters; its end is still looked at,
    // but a rule about its start no longer applies.
    void longLine()
    {
        TerminalRig rig(K);
        rig.receive("KONFIGURATIONSMENUE > DIAGNOSE\r\n");
        const QByteArray line = "Erkenne Mittelpositionen der Hebel..." + QByteArray(32767 - 37, 'y');
        rig.receive(QByteArray(40000, 'x'));
        rig.receive(line);
        QCOMPARE(rig.engine.line().text().toString(), QString::fromLatin1(line));
        QCOMPARE(rig.colors().count(u'r'), 0);
        QVERIFY(rig.view.length() <= 586);
        rig.receive("> Roll\r\n");
        QCOMPARE(rig.row.checkCaption, QStringLiteral("Roll Gyro"));
        QCOMPARE(rig.reports, QStringList());
    }

    // The history keeps each line as the view showed it when it ended.
    void history_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("lines");
        const QString akku = QStringLiteral("KONFIGURATIONSMENUE > AKKU");
        const QByteArray stick("Erkenne Mittelpositionen der Hebel...");
        QTest::newRow("cursor red, title blue") << K << ">ab\r\n" + akku.toLatin1() + "\r\n"
            << QStringList{">ab rkk", akku + u' ' + rep(u'b', akku.size())};
        QTest::newRow("the open line is no line yet") << A << QByteArray("ab\r\ncd") << QStringList{"ab kk"};
        QTest::newRow("backspaces carried out") << A << QByteArray("abc\bd\r\n") << QStringList{"abd kkk"};
        QTest::newRow("form feed: a separator after the line it ended") << A << QByteArray("ab\r\ncd\fef\r\n")
            << QStringList{"ab kk", "cd kk", History::PageSeparator + u' ' + rep(u'g', History::PageSeparator.size()), "ef kk"};
        QTest::newRow("stick centring red") << K << stick + "  \r\n"
            << QStringList{QString::fromLatin1(stick) + "   " + rep(u'r', 37) + "kk"};
        QTest::newRow("gyro title and its empty line") << K << GyroTitle.toLatin1() + "\r\n"
            << QStringList{GyroTitle + u' ' + rep(u'k', GyroTitle.size()), " "};
        // Its start has left the view long before the line ends.
        const QByteArray x(299, 'x');
        QTest::newRow("a long line goes on in the next") << K << "ab\r\n>" + x + ">" + x + "\r\n"
            << QStringList{"ab kk", ">" + rep(u'x', 255) + " r" + rep(u'k', 255),
                           rep(u'x', 44) + ">" + rep(u'x', 211) + u' ' + rep(u'k', 44) + "r" + rep(u'k', 211),
                           rep(u'x', 88) + u' ' + rep(u'k', 88)};
    }
    void history()
    {
        QFETCH(QString, mode);
        QFETCH(QByteArray, input);
        TerminalRig rig(mode);
        rig.receive(input);
        QTEST(historyLines(rig.engine.history()), "lines");
    }

    // The history keeps its newest lines, and finds every one by where it stands in
    // the text of them all. Lines of many colours take more room, which is bounded;
    // a count of matches follows the lines that come and go.
    void historyLimit()
    {
        TerminalRig rig(K);
        QByteArray lines;
        for (int i = 0; i < History::MaxLines + 3; ++i)
            lines += "L" + QByteArray::number(i) + "\r\n";
        rig.receive(lines);
        const History &h = rig.engine.history();
        QCOMPARE(h.end() - h.first(), History::MaxLines);
        QCOMPARE(h.text(h.first()), QStringLiteral("L3"));
        QCOMPARE(h.text(h.end() - 1), QStringLiteral("L100002"));
        QCOMPARE(h.characterCount(), lines.size() - 3 * 4 - h.end() + h.first());
        const qint64 at = h.offsetOf(h.first() + 500);
        QCOMPARE(at, lines.indexOf("L503\r") - 3 * 4 - 500);   // one line feed a line, not CR LF
        QCOMPARE(h.lineAt(at + 3), h.first() + 500);
        QCOMPARE(h.lineAt(at - 1), h.first() + 499);

        RichTextModel painted;
        for (int i = 0; i < History::MaxLineLength; ++i) {
            painted.setSelColor(i % 2 ? 0x0000FF : 0);
            painted.setSelText(i % 2 ? u">" : u"x");
        }
        History many;
        HistorySearch search(many);
        search.setNeedle(QStringLiteral("X>X"), Qt::CaseInsensitive);
        for (int i = 0; i < 30000; ++i) {
            many.lineEnded(painted, 0, painted.length());
            if (i % 10000 == 0)
                search.count();
        }
        QVERIFY(many.end() - many.first() < 30000);
        // The count kept up to date as lines came and went is the count afresh.
        HistorySearch fresh(many);
        fresh.setNeedle(QStringLiteral("x>x"), Qt::CaseSensitive);
        QCOMPARE(search.count(), fresh.count());
        QCOMPARE(search.count(), (many.end() - many.first()) * History::MaxLineLength / 4);
        QCOMPARE(many.end(), 30000);
        QCOMPARE(historyLines(many).constLast(), painted.text() + u' ' + QStringLiteral("kr").repeated(128));
    }

    // Saved as text, the history is its lines as they stand; as HTML, in their
    // colours, with nothing that came from the line taken as markup.
    void historyExport()
    {
        TerminalRig rig(K);
        rig.receive("<i>&amp;\"'\x01\x81\xe4 >a\r\n\f\r\nKONFIGURATIONSMENUE \r\n");
        const History &h = rig.engine.history();
        QBuffer text, html, full;
        text.open(QIODevice::WriteOnly);
        html.open(QIODevice::WriteOnly);
        QVERIFY(HistoryExport::write(h, HistoryExport::Format::Text, 0xFFC0C0, text));
        QCOMPARE(text.data(), "<i>&amp;\"'\x01\xc2\x81\xc3\xa4 >a\n" + History::PageSeparator.toUtf8() + "\n\nKONFIGURATIONSMENUE \n");
        QVERIFY(HistoryExport::write(h, HistoryExport::Format::Html, 0xFFC0C0, html));
        const QByteArray page = html.data();
        QVERIFY(page.startsWith("<!DOCTYPE html>") && page.contains("<meta charset=\"utf-8\">"));
        QVERIFY(page.contains("<body style=\"background-color:#c0c0ff\">"));
        const QByteArray red = "<span style=\"color:#ff0000\">&#62;</span>", black = "<span style=\"color:#000000\">";
        QVERIFY(page.contains("<pre>\n" + black + "&#60;i</span>" + red + black + "&#38;amp;&#34;&#39;&#9217;&#65533;&#228; </span>"
                              + red + black + "a</span>\n<span style=\"color:#808080\">&#9472;&#9472;&#9472;&#9472; Seite gel&#246;scht "));
        QVERIFY(page.contains("\n\n<span style=\"color:#0000ff\">KONFIGURATIONSMENUE </span>\n</pre>"));
        QVERIFY(!HistoryExport::write(h, HistoryExport::Format::Html, 0, full));   // not open for writing
    }

    // Looking for a text: how often it stands in the history, case-insensitive
    // unless asked, and where, one match after another, going round at the ends.
    void historySearch_data()
    {
        QTest::addColumn<QString>("needle");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("forward");    // line:column of five matches on from the top
        QTest::addColumn<QString>("backward");   // the same backwards
        QTest::newRow("any case") << "roll" << false << 4 << "0:2 1:0 2:0 2:5 0:2" << "2:5 2:0 1:0 0:2 2:5";
        QTest::newRow("this case") << "roll" << true << 1 << "1:0 1:0 1:0 1:0 1:0" << "1:0 1:0 1:0 1:0 1:0";
        QTest::newRow("none") << "Gier" << false << 0 << "" << "";
        QTest::newRow("umlaut, any case") << "Ä" << false << 2 << "3:0 3:1 3:0 3:1 3:0" << "3:1 3:0 3:1 3:0 3:1";
    }
    void historySearch()
    {
        QFETCH(QString, needle);
        QFETCH(bool, matchCase);
        TerminalRig rig(A);
        rig.receive("> Roll links\r\nroll\r\nROLL ROLL\r\n\xe4\xe4\r\nroll, the open line");
        HistorySearch search(rig.engine.history());
        search.setNeedle(needle, matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive);
        QTEST(int(search.count()), "count");
        for (const char *direction : {"forward", "backward"}) {
            const bool backwards = direction[0] == 'b';
            QStringList found;
            std::optional<HistorySearch::Match> at = HistorySearch::Match{0, backwards ? 0 : -1};
            while (found.size() < 5 && (at = search.next(*at, backwards)))
                found << QStringLiteral("%1:%2").arg(at->line).arg(at->column);
            QTEST(found.join(u' '), direction);
        }
    }

    // Keys go out while the port is open; with echo off the caret goes to the end
    // and the view does not insert them. What is typed is never buffered.
    void keyPress_data()
    {
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("echo");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("outcome");   // bytes sent, code afterwards, caret afterwards
        QTest::newRow("closed: nothing sent, view inserts") << false << false << int('a') << " 97 2";
        QTest::newRow("open, echo off: sent, caret to end") << true << false << int('a') << "a 0 6";
        QTest::newRow("open, echo on: sent, view inserts") << true << true << int('a') << "a 97 2";
        QTest::newRow("the highest code is sent") << true << false << 255 << "ÿ 0 6";
        QTest::newRow("no character code sends nothing") << true << false << 0 << " 0 2";
    }
    void keyPress()
    {
        QFETCH(bool, open);
        QFETCH(int, code);
        TerminalRig rig;
        QFETCH(bool, echo);
        rig.options.localEcho = echo;
        if (!open)
            rig.port.setPortOpen(false);
        rig.view.setText(QStringLiteral("ab\r\ncd"));
        rig.view.setSelStart(2);
        rig.engine.RichTextBox_KeyPress(code);
        QTEST(QStringLiteral("%1 %2 %3").arg(QString::fromLatin1(rig.port.written)).arg(code).arg(rig.view.selStart()), "outcome");
        QCOMPARE(rig.engine.line().RxLen(), qint16(0));
        // A full transmit buffer drops the key and says so in the status panel.
        rig.port.drains = false;
        rig.port.setOutBufferSize(1);
        for (int c : {'b', 'c'})
            rig.engine.RichTextBox_KeyPress(c);
        QCOMPARE(rig.reports.size(), open ? 1 : 0);
    }

    // The diagnosis page in either mode, and the gyro test panel on it.
    void panel_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("cells");
        QTest::addColumn<QString>("caption");   // "!" before it: written red
        const QString untouched(39, u'g'), grey(39, u'G');
        const QString roll = QStringLiteral("> Roll");
        for (const QString &mode : {K, A}) {
            QTest::addRow("%s: outside the page nothing", qPrintable(mode)) << mode << QStringList{roll, col(4)} << untouched << "vorher";
            QTest::addRow("%s: a reading", qPrintable(mode)) << mode << QStringList{Diag, roll, col(4)} << litCell(4) << "!Roll Gyro";
            QTest::addRow("%s: leaving keeps the picture", qPrintable(mode)) << mode << QStringList{Diag, roll, col(4), Menu, col(7)}
                << litCell(4) << "";
            QTest::addRow("%s: other titles keep the page", qPrintable(mode)) << mode
                << QStringList{Diag, roll, "KONFIGURATIONSMENUE > AKKU", col(7)} << litCell(7) << "!Roll Gyro";
            QTest::addRow("%s: re-entering disarms unless selected", qPrintable(mode)) << mode
                << QStringList{Diag, "> Gier", Menu, Diag, col(7)} << grey << "";
        }
        // The gyro test title is a reading without "*" in plain mode, which sets no cell.
        QTest::newRow("kestrix: gyro title is no line of the panel") << K << QStringList{Diag, roll, GyroTitle, col(2)}
            << litCell(2) << "!Roll Gyro";
        const auto row = [&](const char *name, const QStringList &lines, const QString &cells, const char *caption) {
            QTest::newRow(name) << K << QStringList{Diag} + lines << cells << caption;
        };
        row("entering clears the label", {}, untouched, "");
        row("nick selected: armed, grey", {"    > Nick"}, grey, "!Nick Gyro");
        row("gier, any text before", {"xyz > Gier"}, grey, "!Gier Gyro");
        row("column 1 lights cell 0", {roll, col(1)}, litCell(1), "!Roll Gyro");
        row("column 39 lights cell 38", {roll, col(39)}, litCell(39), "!Roll Gyro");
        row("column 40 keeps the picture", {roll, col(3), col(40)}, litCell(3), "!Roll Gyro");
        row("no star keeps the picture", {roll, col(3), "abc"}, litCell(3), "!Roll Gyro");
        row("first of several stars", {roll, "  * *  *"}, litCell(3), "!Roll Gyro");
        row("'de *' wherever the star", {roll, col(3), " * Ende de *"}, litCell(3), "!Roll Gyro");
        row("'e *' is a reading", {roll, col(3), "  e *"}, litCell(5), "!Roll Gyro");
        row("selecting line is no reading", {"*   > Roll"}, grey, "!Roll Gyro");
        row("nick after roll: grey, re-armed", {roll, col(5), "> Nick"}, grey, "!Nick Gyro");
        row("then a reading", {roll, col(5), "> Nick", col(2)}, litCell(2), "!Nick Gyro");
        row("transmitter: black, disarmed", {roll, "> Fernbedienung ...", col(7)}, grey, "Sender");
        row("back entry: empty caption", {roll, col(5), "> ZURUECK zum Menue", col(7)}, grey, "");
        row("back entry needs its blank", {roll, "> ZURUECK", col(6)}, litCell(6), "!Roll Gyro");
        row("transmitter only at line start", {roll, " > Fernbedienung", col(8)}, litCell(8), "!Roll Gyro");
        row("lower case selects nothing", {"> roll", col(4)}, untouched, "");
        row("roll not at the end selects nothing", {"> Roll ", col(4)}, untouched, "");
    }
    void panel()
    {
        QFETCH(QString, mode);
        QFETCH(QStringList, lines);
        TerminalRig rig(mode);
        rig.row.setCheckCaption(QStringLiteral("vorher"));
        rig.receiveLines(lines);
        QTEST(rig.cells(), "cells");
        QTEST((rig.row.checkForeColor == 0x0000FF ? QStringLiteral("!") : QString()) + rig.row.checkCaption, "caption");
    }

    // The readings the panel takes, over time: which lines count, the figures of one
    // gyro over a span ending at the newest reading, and the CSV of all of them.
    void series_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("gyro");
        QTest::addColumn<int>("span");   // seconds
        QTest::addColumn<QString>("figures");
        QTest::addColumn<QString>("csv");   // rows after the header, "|" for each line end
        const QString roll = QStringLiteral("> Roll"), nick = QStringLiteral("> Nick");
        const int R = int(GyroSeries::Gyro::Roll), N = int(GyroSeries::Gyro::Nick), G = int(GyroSeries::Gyro::Gier);
        QTest::newRow("none yet") << QStringList{Diag, roll} << R << 30 << "0+0 now 0 0..0 0.00 0.00" << "";
        QTest::newRow("what the cells cannot show is a gap") << QStringList{Diag, roll, col(5), "+100", "abc", "+100", col(7),
            "+100", col(40), "+100", " Messung Ende *", "+1", col(1), "+1", col(39), "+1", ""}
            << R << 30 << "4+4 now 0 1..39 13.00 15.17"
            << "0.000;Roll;5|0.100;Roll;|0.200;Roll;7|0.300;Roll;|0.400;Roll;|0.401;Roll;1|0.402;Roll;39|0.403;Roll;|";
        QTest::newRow("only the armed test's lines") << QStringList{col(3), roll, col(3), Diag, "*   > Roll", col(8),
            "> Fernbedienung", col(9), roll, "+5", col(10), "> ZURUECK zum Menue", col(11), Menu, col(12)}
            << R << 10 << "2+0 now 10 8..10 9.00 1.00" << "0.000;Roll;8|0.005;Roll;10|";
        QTest::newRow("the deviation of the readings themselves") << QStringList{Diag, "> Gier", col(2), col(4), col(4), col(4),
            col(5), col(5), col(7), col(9)} << G << 10 << "8+0 now 9 2..9 5.00 2.00"
            << "0.000;Gier;2|0.000;Gier;4|0.000;Gier;4|0.000;Gier;4|0.000;Gier;5|0.000;Gier;5|0.000;Gier;7|0.000;Gier;9|";
        // A switch starts the new gyro's figures afresh and keeps the old one's readings.
        QTest::newRow("gyro switch: the new gyro") << QStringList{Diag, roll, col(30), "+250", col(31), nick, "+250", col(3)}
            << N << 30 << "1+0 now 3 3..3 3.00 0.00" << "0.000;Roll;30|0.250;Roll;31|0.500;Nick;3|";
        QTest::newRow("gyro switch: the old gyro") << QStringList{Diag, roll, col(30), "+250", "x", nick, "+250", col(3)}
            << R << 30 << "1+1 now 0 30..30 30.00 0.00" << "0.000;Roll;30|0.250;Roll;|0.500;Nick;3|";
        // The span ends at the newest reading and holds what came after its start:
        // a reading exactly a span older than the newest is out.
        const QStringList spaced{Diag, roll, col(1), "+10000", col(2), "+20000", col(3), "+20000", col(4), "+10000", col(6)};
        const QString spacedCsv = QStringLiteral("0.000;Roll;1|10.000;Roll;2|30.000;Roll;3|50.000;Roll;4|60.000;Roll;6|");
        QTest::newRow("span 10 s") << spaced << R << 10 << "1+0 now 6 6..6 6.00 0.00" << spacedCsv;
        QTest::newRow("span 30 s") << spaced << R << 30 << "2+0 now 6 4..6 5.00 1.00" << spacedCsv;
        QTest::newRow("span 60 s") << spaced << R << 60 << "4+0 now 6 2..6 3.75 1.48" << spacedCsv;
        QTest::newRow("a clock stepping back keeps the order") << QStringList{Diag, roll, "+1234", col(5), "-50", col(6)}
            << R << 60 << "2+0 now 6 5..6 5.50 0.50" << "0.000;Roll;5|0.000;Roll;6|";
    }
    void series()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, gyro);
        QFETCH(int, span);
        TerminalRig rig(K);
        rig.receiveLines(lines);
        const GyroSeries &s = rig.series;
        const qint64 end = s.isEmpty() ? 0 : s.newest().ms;
        const GyroSeries::Figures f = s.figures(GyroSeries::Gyro(gyro), end - span * 1000, end);
        QTEST(QStringLiteral("%1+%2 now %3 %4..%5 %6 %7").arg(f.readings).arg(f.gaps).arg(f.current).arg(f.minimum)
                  .arg(f.maximum).arg(f.mean, 0, 'f', 2).arg(f.deviation, 0, 'f', 2), "figures");
        QFETCH(QString, csv);
        QCOMPARE(QString::fromUtf8(s.csv()), QStringLiteral("zeit_s;gyro;spalte\r\n") + csv.replace(u'|', QStringLiteral("\r\n")));
    }

    // A full ring keeps the newest readings, in order, and so does its CSV.
    void seriesRing()
    {
        FakeClock clock;
        GyroSeries s(clock);
        const qsizetype extra = 3;
        for (qsizetype i = 0; i < GyroSeries::Capacity + extra; ++i) {
            clock.now = i;
            s.record(GyroSeries::Gyro::Nick, int(i % 39) + 1);
        }
        QCOMPARE(s.size(), GyroSeries::Capacity);
        QCOMPARE(s.recorded(), quint64(GyroSeries::Capacity + extra));
        QCOMPARE(s.at(0).ms, qint64(extra));
        QCOMPARE(s.newest().ms, qint64(GyroSeries::Capacity + extra - 1));
        QCOMPARE(s.firstAfter(extra + 10), qsizetype(11));
        const QByteArray csv = s.csv();
        QVERIFY(csv.startsWith("zeit_s;gyro;spalte\r\n0.000;Nick;4\r\n0.001;Nick;5\r\n"));
        QCOMPARE(csv.count('\n'), GyroSeries::Capacity + 1);
        const GyroSeries::Figures f = s.figures(GyroSeries::Gyro::Nick, s.newest().ms - 39, s.newest().ms);
        QCOMPARE(f.readings, 39);
        QCOMPARE(f.span(), 38);
    }

    // A capture holds every byte as it arrived, after a header line, and a timing
    // line per read; it goes on across a lost device and its return, the pause in
    // the timing file; a file that goes away ends it with one message and leaves the
    // port alone; stopped, both files are complete.
    void capture()
    {
        CaptureRig r;
        QVERIFY(r.capture.start(r.path, r.dialogs));
        QByteArray all;
        for (int i = 0; i < 256; ++i)
            all.append(char(i));
        r.clock.advance(1250);
        r.port.feed(all);
        r.port.unplug(QStringLiteral("weg"));
        r.clock.advance(60005);
        r.port.setPortOpen(true);
        r.port.feed("\r\n");
        QVERIFY(r.capture.running());
        r.capture.stop();
        QVERIFY(readAll(r.path).startsWith("Script started on "));
        QCOMPARE(readAll(r.path).mid(readAll(r.path).indexOf('\n') + 1), all + "\r\n");
        QCOMPARE(readAll(SessionCapture::timingFileName(r.path)), QByteArray("1.250000 256\n60.005000 2\n"));

        // Either file deleted while capturing ends the capture; the port stays open.
        for (const QString &gone : {r.path, SessionCapture::timingFileName(r.path)}) {
            r.dialogs.answers << Dialogs::Answer::Ok << Dialogs::Answer::Ok;   // to replace what is there
            QVERIFY(r.capture.start(r.path, r.dialogs));
            QFile::remove(gone);
            r.port.feed("x");
            r.port.feed("y");
            QVERIFY(!r.capture.running() && r.port.portOpen());
        }
        QCOMPARE(r.failed.count(), 2);
    }

    // A capture writes only to regular files and never waits on what stands at its
    // names; it asks before it replaces a timing file, and names a link as one.
    void captureTargets_data()
    {
        QTest::addColumn<QString>("data");      // at FILE: "" nothing, "old", "fifo", "dir", or the path itself
        QTest::addColumn<QString>("timing");    // at FILE.timing: "" nothing, "old", "link", "fifo link", "data link"
        QTest::addColumn<bool>("agree");        // the answer to a question
        QTest::addColumn<QStringList>("shown"); // "- " a question, "! " a message; FILE stands for the path
        QTest::addColumn<bool>("capturing");
        const QString cannot = QStringLiteral("! Der Mitschnitt kann nicht nach \"FILE\" geschrieben werden: ");
        const QString there = QStringLiteral("- Die Zeitdatei \"FILE.timing\" gibt es schon");
        QTest::newRow("nothing there") << "" << "" << true << QStringList() << true;
        QTest::newRow("FIFO without a reader") << "fifo" << "" << true
                                               << QStringList{cannot + "\"FILE\" ist eine benannte Pipe (FIFO)."} << false;
        QTest::newRow("folder") << "dir" << "" << true << QStringList{cannot + "\"FILE\" ist ein Ordner."} << false;
        QTest::newRow("device") << "/dev/null" << "" << true << QStringList{cannot + "\"FILE\" ist ein Gerät."} << false;
        QTest::newRow("no folder") << "no/such" << "" << true << QStringList{cannot + "Der Ordner ist nicht vorhanden."} << false;
        QTest::newRow("timing file kept") << "old" << "old" << false << QStringList{there + ". Soll sie ersetzt werden?"} << false;
        QTest::newRow("timing file replaced") << "old" << "old" << true << QStringList{there + ". Soll sie ersetzt werden?"} << true;
        QTest::newRow("timing file a link") << "" << "link" << true
            << QStringList{there + ": eine Verknüpfung auf \"FILE.old\". Soll die Datei, auf die sie zeigt, ersetzt werden?"} << true;
        QTest::newRow("timing file a link to a FIFO") << "" << "fifo link" << true
                                                      << QStringList{cannot + "\"FILE.timing\" ist eine benannte Pipe (FIFO)."} << false;
        QTest::newRow("timing file the data file") << "old" << "data link" << true
            << QStringList{there + ": eine Verknüpfung auf \"FILE\". Soll die Datei, auf die sie zeigt, ersetzt werden?",
                           cannot + "Die Zeitdatei ist dieselbe Datei."} << false;
    }
    void captureTargets()
    {
        QFETCH(QString, data);
        QFETCH(QString, timing);
        QFETCH(QStringList, shown);
        QTemporaryDir dir;
        const QString path = data.startsWith(u'/') ? data : dir.filePath(data.contains(u'/') ? data : QStringLiteral("cap"));
        const QString timingPath = SessionCapture::timingFileName(path);
        const auto make = [](const QString &at, const QString &what, const QString &target) {
            if (what == u"old")
                return writeFile(at, "old");
            if (what == u"dir")
                return QDir().mkdir(at);
            if (what.startsWith(u"fifo"))
                return ::mkfifo(QFile::encodeName(what == u"fifo" ? at : target).constData(), 0600) == 0
                       && (what == u"fifo" || QFile::link(target, at));
            return what != u"link" && what != u"data link"
                   || ((what == u"data link" || writeFile(target, "old")) && QFile::link(target, at));
        };
        if (!data.startsWith(u'/'))
            QVERIFY(make(path, data, {}));
        QVERIFY(make(timingPath, timing, timing == u"data link" ? path : path + QStringLiteral(".old")));
        FakeSerialComm port;
        FakeClock clock;
        ScriptedDialogs dialogs;
        QFETCH(bool, agree);
        dialogs.answers << (agree ? Dialogs::Answer::Ok : Dialogs::Answer::Cancel);
        SessionCapture capture(port, clock);
        port.setPortOpen(true);
        QTEST(capture.start(path, dialogs), "capturing");
        QCOMPARE(dialogs.messages(), shown.replaceInStrings(QStringLiteral("FILE"), path));
        QCOMPARE(capture.running(), !dialogs.messages().join(u' ').contains(u'!') && agree);
        // Nothing is emptied before the user agrees; what is agreed to is replaced.
        if (timing == u"old")
            QCOMPARE(readAll(path) + readAll(timingPath), agree ? readAll(path) : QByteArray("oldold"));
        if (capture.running())
            QCOMPARE(readAll(timingPath), QByteArray());
    }

    // A disk that takes no more ends the capture with one message that says so, and
    // the timing file still counts exactly the bytes the data file holds: when a
    // read fits only in part (counted as far as it went in) and when its timing
    // line does not fit (the read taken out again). The process's file size limit
    // stands in for a full disk: the system then writes what fits and refuses the
    // rest, as on a full disk.
    void captureFullDisk_data()
    {
        QTest::addColumn<int>("reads");
        QTest::addColumn<int>("size");
        QTest::newRow("a read that fits in part") << 1 << 3000;
        QTest::newRow("a timing line that does not fit") << 200 << 1;
    }
    void captureFullDisk()
    {
        QFETCH(int, reads);
        QFETCH(int, size);
        CaptureRig r;
        QVERIFY(r.capture.start(r.path, r.dialogs));
        rlimit unlimited{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &unlimited), 0);
        rlimit full = unlimited;
        full.rlim_cur = 1000;
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &full), 0);
        QByteArray sent;
        for (int i = 0; i < reads && r.capture.running(); ++i) {
            sent += QByteArray(size, char('a' + i % 26));
            r.clock.advance(1);
            r.port.feed(sent.right(size));
        }
        ::setrlimit(RLIMIT_FSIZE, &unlimited);
        std::signal(SIGXFSZ, handler);
        QCOMPARE(r.failed.count(), 1);
        QVERIFY(r.failed.first().first().toString().endsWith(QStringLiteral(": Der Datenträger ist voll, oder die Datei ist so groß, wie er es zulässt.")));
        for (const int full : {ENOSPC, EDQUOT})   // a full disk or quota says the same
            QCOMPARE(RegularFile::reason(full), RegularFile::reason(EFBIG));
        const QByteArray data = readAll(r.path);
        const QByteArray body = data.mid(data.indexOf('\n') + 1);
        qint64 counted = 0;
        for (const QByteArray &line : readAll(SessionCapture::timingFileName(r.path)).split('\n'))
            counted += line.mid(line.indexOf(' ') + 1).toLongLong();
        QCOMPARE(counted, body.size());
        QVERIFY(!body.isEmpty() && sent.startsWith(body));
    }
};

QTEST_GUILESS_MAIN(TerminalTest)
#include "tst_terminal.moc"
