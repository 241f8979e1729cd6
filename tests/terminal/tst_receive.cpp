#include "app/frmKX_Display.h"
#include "platform/SettingsStore.h"
#include "terminal/RichTextView.h"
#include "app/StatusBar.h"
#include "terminal/ReceiveLoop.h"
#include "tests/support/ScriptedDialogs.h"
#include "tst_receive_rig.h"

#include <QAction>
#include <QSettings>
#include <QTest>
#include <QTimer>

class tst_receive : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void receiveRules_data();
    void receiveRules();
    void byteByByteEqualsOneBlock_data();
    void byteByByteEqualsOneBlock();
    void blocksOfSeveralBytes_data();
    void blocksOfSeveralBytes();
    void cap_data();
    void cap();
    void colorsDropAtCut();
    void stickCentringPassesOnlyTrailingText();
    void longLineKeepsNewest_data();
    void longLineKeepsNewest();
    void longStreamWithoutLineBreakStaysBounded();
    void maxTextLenHoldsFromConstruction();
    void lineErrorsReachStatusPanel_data();
    void lineErrorsReachStatusPanel();
};

void tst_receive::init()
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope,
                QString::fromLatin1(SettingsStore::Organisation),
                frmKX_Display::Title + frmKX_Display::ProgramVersion);
    s.clear();
    s.sync();
}

void tst_receive::receiveRules_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("colors");
    QTest::addColumn<QString>("openLine");

    const QString K = Module1::KestrixMode, A = Module1::AsciiMode;
    const QString stick = QStringLiteral("Erkenne Mittelpositionen der Hebel...");

    QTest::newRow("cursor at line start is red, next black") << K << QByteArray(">AB")
        << ">AB" << "rkk" << ">AB";
    QTest::newRow("cursor after '=' stays black") << K << QByteArray("x=>1")
        << "x=>1" << "kkkk" << "x=>1";
    QTest::newRow("cursor after 'MENUE ' stays black") << K << QByteArray("KONFIGURATIONSMENUE > AKKU")
        << "KONFIGURATIONSMENUE > AKKU" << rep(u'k', 26) << "KONFIGURATIONSMENUE > AKKU";
    QTest::newRow("cursor after 'MENUE' without blank is red") << K << QByteArray("MENUE>")
        << "MENUE>" << "kkkkkr" << "MENUE>";
    QTest::newRow("cursor after letter and blank is red") << K << QByteArray("Akku >x")
        << "Akku >x" << "kkkkkrk" << "Akku >x";
    QTest::newRow("cursor on second line") << K << QByteArray("a\r\n>b")
        << "a\r\n>b" << "kkkrk" << ">b";
    QTest::newRow("two cursors") << K << QByteArray(">>")
        << ">>" << "rr" << ">>";
    QTest::newRow("ascii: no red cursor") << A << QByteArray(">AB")
        << ">AB" << "kkk" << ">AB";
    QTest::newRow("other mode text: no red cursor") << QStringLiteral("kestrix") << QByteArray(">A")
        << ">A" << "kk" << ">A";
    QTest::newRow("lone LF changes nothing") << A << QByteArray("\n") << "" << "" << "";
    QTest::newRow("LF inside a line dropped") << A << QByteArray("a\nb") << "ab" << "kk" << "ab";
    QTest::newRow("CR LF one break") << A << QByteArray("ab\r\ncd") << "ab\r\ncd" << "kkkkkk" << "cd";
    QTest::newRow("LF CR one break") << A << QByteArray("ab\n\rcd") << "ab\r\ncd" << "kkkkkk" << "cd";
    QTest::newRow("CR alone is a break") << A << QByteArray("ab\rcd") << "ab\r\ncd" << "kkkkkk" << "cd";
    QTest::newRow("CR on empty line") << A << QByteArray("\r") << "\r\n" << "kk" << "";
    QTest::newRow("BS on empty view erases nothing") << A << QByteArray("\b")
        << "" << "" << "\b";
    QTest::newRow("BS in the middle") << A << QByteArray("abc\bd")
        << "abd" << "kkk" << "abc\bd";
    QTest::newRow("BS at line start erases the LF of the break") << A << QByteArray("ab\r\b")
        << "ab\r" << "kkk" << "\b";
    QTest::newRow("two BS erase two") << A << QByteArray("abc\b\b")
        << "a" << "k" << "abc\b\b";
    QTest::newRow("FF empties the view and stays in the line") << A << QByteArray("abc\fde")
        << "de" << "kk" << "abc\fde";
    QTest::newRow("FF after red cursor: next text black") << K << QByteArray("x>\fyz")
        << "yz" << "kk" << "x>\fyz";
    QTest::newRow("stick centring red, trailing text black") << K << (stick.toLatin1() + "  ")
        << stick + "  " << rep(u'r', 37) + "kk" << "  ";
    QTest::newRow("stick centring then line break") << K << (stick.toLatin1() + "  \r\n")
        << stick + "  \r\n" << rep(u'r', 37) + "kkkk" << "";
    QTest::newRow("stick centring after earlier text") << K << ("ab\r\n" + stick.toLatin1())
        << "ab\r\n" + stick << "kkkk" + rep(u'r', 37) << "";
    QTest::newRow("stick centring not at line start") << K << (" " + stick.toLatin1())
        << " " + stick << rep(u'k', 38) << " " + stick;
    QTest::newRow("stick centring in ascii stays black") << A << stick.toLatin1()
        << stick << rep(u'k', 37) << stick;
    QTest::newRow("markup stays literal") << A << QByteArray("<b>x</b> &amp; <img src=x>")
        << "<b>x</b> &amp; <img src=x>" << rep(u'k', 26) << "<b>x</b> &amp; <img src=x>";
    QTest::newRow("NUL and escapes do not truncate") << A << QByteArray("a\0b\x01\x1b[2Jc", 9)
        << QString::fromLatin1("a\0b\x01\x1b[2Jc", 9) << rep(u'k', 9)
        << QString::fromLatin1("a\0b\x01\x1b[2Jc", 9);
    QTest::newRow("windows-1252 upper half") << A << QByteArray("\x80\x9f\xe4\x81\xdf")
        << QStringLiteral("\u20ac\u0178\u00e4\u0081\u00df") << "kkkkk"
        << QStringLiteral("\u20ac\u0178\u00e4\u0081\u00df");
}

void tst_receive::receiveRules()
{
    QFETCH(QString, mode);
    QFETCH(QByteArray, input);
    QFETCH(QString, text);
    QFETCH(QString, colors);
    QFETCH(QString, openLine);

    TerminalRig rig(mode);
    rig.receive(input);
    QCOMPARE(rig.view.text(), text);
    QCOMPARE(rig.colors(), colors);
    QCOMPARE(rig.engine.line().RxZeile(), openLine);
    QCOMPARE(int(rig.engine.line().RxLen()), openLine.size());
    QCOMPARE(rig.engine.receiver().CursorMark(), false);
    QCOMPARE(rig.view.selStart(), rig.view.length());
}

void tst_receive::byteByByteEqualsOneBlock_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::newRow("menu") << QByteArray("KONFIGURATIONSMENUE \r\n>AKKU\r\n MOTOREN\r\nx=>y\r\n");
    QTest::newRow("stick") << QByteArray("Erkenne Mittelpositionen der Hebel... ok\r\n\b\f>");
}

void tst_receive::byteByByteEqualsOneBlock()
{
    QFETCH(QByteArray, input);
    TerminalRig whole(Module1::KestrixMode);
    whole.receive(input);
    TerminalRig single(Module1::KestrixMode);
    for (char c : input)
        single.receive(QByteArray(1, c));
    QCOMPARE(single.view.text(), whole.view.text());
    QCOMPARE(single.colors(), whole.colors());
}

static QByteArray digits(int n)
{
    QByteArray out;
    for (int i = 0; i < n; ++i)
        out += char('0' + i % 10);
    return out;
}

void tst_receive::blocksOfSeveralBytes_data()
{
    QTest::addColumn<int>("inputLen");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("openLine");
    // A block is compared as a whole: never LF, CR or a cursor.
    QTest::newRow("all at once") << 0 << QByteArray(">a\r\nb") << ">a\r\nb" << ">a\r\nb";
    QTest::newRow("pairs") << 2 << QByteArray(">a\r\n\r") << ">a\r\n\r\n" << "";
    QTest::newRow("backspace inside a block") << 3 << QByteArray("xy\bz") << "xz" << "xy\bz";
}

void tst_receive::blocksOfSeveralBytes()
{
    QFETCH(int, inputLen);
    QFETCH(QByteArray, input);
    QFETCH(QString, text);
    QFETCH(QString, openLine);
    TerminalRig rig(Module1::KestrixMode);
    rig.port.setInputLen(inputLen);
    rig.receive(input);
    QCOMPARE(rig.view.text(), text);
    QCOMPARE(rig.colors(), rep(u'k', text.size()));
    QCOMPARE(rig.engine.line().RxZeile(), openLine);
}

// Length of the view after n characters, each appended on its own.
static int cappedLength(int n)
{
    int length = 0;
    for (int i = 0; i < n; ++i) {
        if (length > 585)
            length -= 14;
        ++length;
    }
    return length;
}

void tst_receive::cap_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("text");

    const QByteArray d586 = digits(586);
    QTest::newRow("585 not cut") << digits(585) << QString::fromLatin1(digits(585));
    QTest::newRow("586 not cut yet") << d586 << QString::fromLatin1(d586);
    QTest::newRow("587th char cuts 14 first") << digits(587) << QString::fromLatin1(digits(587).mid(14));
    QTest::newRow("cut once per call") << digits(600)
        // From 587 on every char cuts 14 and adds one: 586 -> 573, then grows again.
        << QString::fromLatin1(digits(600).mid(14));
    QTest::newRow("584 plus CR LF is 586, next cuts") << (digits(584) + "\r\ny")
        << QString::fromLatin1(digits(584).mid(14)) + "\r\ny";
    QTest::newRow("585 plus CR LF is 587, next cuts once") << (digits(585) + "\ry")
        << QString::fromLatin1(digits(585).mid(14)) + "\r\ny";
    QTest::newRow("BS on a full view cuts, then erases") << (digits(586) + "\b")
        << QString::fromLatin1(digits(585).mid(14));
}

void tst_receive::cap()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, text);
    TerminalRig rig;
    rig.receive(input);
    QCOMPARE(rig.view.text(), text);
    QVERIFY(rig.view.length() <= 586);
}

void tst_receive::colorsDropAtCut()
{
    TerminalRig rig(Module1::KestrixMode);
    rig.receive(">" + digits(585));
    QCOMPARE(rig.colors().left(1), QStringLiteral("r"));
    rig.receive("x");   // view of 586: cut, and everything shows black again
    QCOMPARE(rig.colors(), rep(u'k', 573));
    rig.receive(">");   // the next cursor is red again
    QCOMPARE(rig.colors().right(1), QStringLiteral("r"));
}

void tst_receive::stickCentringPassesOnlyTrailingText()
{
    // Only the text after the message reaches page recognition: here it is the
    // configuration menu title and turns blue.
    TerminalRig rig(Module1::KestrixMode);
    rig.receive("Erkenne Mittelpositionen der Hebel...KONFIGURATIONSMENUE \r\n");
    QCOMPARE(rig.view.text(),
             QStringLiteral("Erkenne Mittelpositionen der Hebel...KONFIGURATIONSMENUE \r\n"));
    QCOMPARE(rig.colors(), rep(u'k', 37) + rep(u'b', 20) + "kk");
}

void tst_receive::longLineKeepsNewest_data()
{
    QTest::addColumn<int>("length");
    QTest::newRow("exactly 32767") << 32767;
    QTest::newRow("32768") << 32768;
    QTest::newRow("100000") << 100000;
}

void tst_receive::longLineKeepsNewest()
{
    QFETCH(int, length);
    TerminalRig rig(Module1::KestrixMode);
    const QByteArray line = digits(length);
    for (qsizetype at = 0; at < line.size(); at += 50000)   // the port buffers 64 KiB
        rig.receive(line.mid(at, 50000));
    QCOMPARE(rig.reports, QStringList());
    QCOMPARE(int(rig.engine.line().RxLen()), qMin(length, 32767));
    QCOMPARE(rig.engine.line().RxZeile(), QString::fromLatin1(line.right(32767)));
    QVERIFY(rig.view.length() <= 586);
    QCOMPARE(rig.view.text().right(100), QString::fromLatin1(line.right(100)));

    // The line still ends normally, and its end is still looked at.
    rig.receive("KONFIGURATIONSMENUE > DIAGNOSE\r\n> Roll\r\n");
    QCOMPARE(rig.engine.pages().Diagnose(), false);   // not a title: the line is longer
    rig.receive("KONFIGURATIONSMENUE > DIAGNOSE\r\n");
    for (qsizetype at = 0; at < line.size(); at += 50000)
        rig.receive(line.mid(at, 50000));
    rig.receive("> Roll\r\n");
    QVERIFY(rig.engine.gyro().RollGyro());
    QCOMPARE(int(rig.engine.line().RxLen()), 0);
}

void tst_receive::longStreamWithoutLineBreakStaysBounded()
{
    // A stream without CR that starts with the stick-centring message after the line
    // has lost its start must not fire the message rule.
    TerminalRig rig(Module1::KestrixMode);
    const QByteArray stick("Erkenne Mittelpositionen der Hebel...");
    rig.receive(QByteArray(40000, 'x'));
    rig.receive(stick + QByteArray(32767 - stick.size(), 'y'));
    QVERIFY(rig.engine.line().RxZeile().startsWith(QString::fromLatin1(stick)));
    QCOMPARE(rig.colors().count(u'r'), 0);
    for (int i = 0; i < 20; ++i)
        rig.receive(QByteArray(64 * 1024, 'z'));
    QCOMPARE(int(rig.engine.line().RxLen()), 32767);
    QVERIFY(rig.engine.line().RxZeile().capacity() <= 5 * 32767);
    QVERIFY(rig.view.length() <= 586);
}

void tst_receive::maxTextLenHoldsFromConstruction()
{
    TerminalRig rig;
    QCOMPARE(int(rig.engine.text().MaxTextLen()), 585);
    rig.receive(digits(700));
    QCOMPARE(rig.view.length(), cappedLength(700));

    // A start-up that ends at a rejected stored setting still gets the full view.
    ScriptedDialogs dialogs;
    FakeSerialComm port;
    SettingsStore store;
    store.saveSetting(frmKX_Display::Title + frmKX_Display::ProgramVersion,
                      QStringLiteral("Einstellungen"), QStringLiteral("Einstellungen"),
                      QStringLiteral("kein gültiger Text"));
    frmKX_Display w(frmKX_Display::Services{&port, &store, &dialogs, nullptr});
    QCOMPARE(dialogs.messageCount(), 1);
    port.setPortOpen(true);
    port.feed(digits(600));
    QCOMPARE(w.richTextBox()->model().length(), cappedLength(600));
}

void tst_receive::lineErrorsReachStatusPanel_data()
{
    QTest::addColumn<int>("event");
    QTest::addColumn<QString>("status");
    QTest::newRow("break") << int(SerialComm::comEventBreak)
        << "Error: Unterbrechung der Leitung (Break) empfangen";
    QTest::newRow("frame") << int(SerialComm::comEventFrame) << "Error: Rahmenfehler (Framing)";
    QTest::newRow("overrun") << int(SerialComm::comEventOverrun)
        << "Error: Überlauf der Schnittstelle (Overrun), Zeichen verloren";
    QTest::newRow("rx over") << int(SerialComm::comEventRxOver)
        << "Error: Empfangspuffer übergelaufen, Zeichen verloren";
    QTest::newRow("parity") << int(SerialComm::comEventRxParity) << "Error: Paritätsfehler";
    QTest::newRow("tx full") << int(SerialComm::comEventTxFull)
        << "Error: Sendepuffer voll, Zeichen nicht gesendet";
    QTest::newRow("cts change is no error") << int(SerialComm::comEvCTS) << "Status";
    QTest::newRow("send event is no error") << int(SerialComm::comEvSend) << "Status";
    QTest::newRow("unknown code") << 4711 << "Status";
}

void tst_receive::lineErrorsReachStatusPanel()
{
    QFETCH(int, event);
    QFETCH(QString, status);
    ScriptedDialogs dialogs;
    FakeSerialComm port;
    frmKX_Display w(frmKX_Display::Services{&port, nullptr, &dialogs, nullptr});
    auto *bar = w.findChild<StatusBar *>(QStringLiteral("sbrStatus"));
    auto *timer2 = w.findChild<QTimer *>(QStringLiteral("Timer2"));
    QVERIFY(bar && timer2);
    QCOMPARE(bar->panelText(QStringLiteral("Status")), QStringLiteral("Status"));

    for (int i = 0; i < 1000; ++i)   // a noisy line: many events, never a box
        port.signalEvent(event);
    QCOMPARE(bar->panelText(QStringLiteral("Status")), status);
    QCOMPARE(dialogs.messageCount(), 0);
    QCOMPARE(timer2->isActive(), status != QStringLiteral("Status"));
    QCOMPARE(w.richTextBox()->model().length(), 0);

    if (timer2->isActive()) {
        QMetaObject::invokeMethod(timer2, "timeout");
        QCOMPARE(bar->panelText(QStringLiteral("Status")), QStringLiteral("Status"));
        QVERIFY(!timer2->isActive());
    }
}

QTEST_MAIN(tst_receive)
#include "tst_receive.moc"
