// Reading numbers: leniently as a technician types them into the hidden service
// menu, strictly as start-up reads a stored value; and the service menu's commands
// on a scripted port: what each answer leaves on the port object, and the one
// message, if any.
#include "serial/LenientNumber.h"
#include "serial/SerialTuning.h"
#include "tests/support/core/FakeSerialComm.h"
#include "tests/support/core/Refusal.h"
#include "tests/support/core/ScriptedDialogs.h"

#include <QTest>

namespace {
// The number read, or the description of the refusal.
template <typename F>
QString outcome(F &&read)
{
    QString number;
    const QString why = refusal([&] { number = QString::number(read()); });
    return why.isEmpty() ? number : why;
}

QString overflow(const QString &number)
{
    return QStringLiteral("Überlauf: \"%1\" liegt außerhalb von -32768 bis 32767.").arg(number);
}
} // namespace

class ServiceMenuTest : public QObject
{
    Q_OBJECT

    FakeSerialComm port;
    ScriptedDialogs dialogs;
    QList<bool> dtrChecks;
    std::unique_ptr<SerialTuning> tuning;

private slots:
    void lenient_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *text, const QString &expected) { QTest::newRow(text) << text << expected; };
        row("2.5", "2");            // halves to the even neighbour
        row("3.5", "4");
        row("2,5", "2");            // a comma ends the number, whatever the locale
        row("  4 2", "42");         // blanks are ignored wherever they stand
        row("12abc", "12");
        row("&H10", "16");
        row("-&H10", "-16");
        row("&O178", "15");
        row("1e3", "1000");
        row("x", "0");
        row("-32768.5", "-32768");
        row("\u0661\u0662", "0");   // non-ASCII digits are no digits
        row("40000", overflow("40000"));
        row("&HFFFF", overflow("&HFFFF"));
        row("1e99999", overflow("1e99999"));
        row(" 4 0 000 ", overflow("40000"));
        QTest::newRow("wall of digits") << QString(400, u'9') << overflow(QString(23, u'9') + QChar(0x2026));
    }
    void lenient()
    {
        QFETCH(QString, text);
        QTEST(outcome([&] { return LenientNumber::read(text); }), "expected");
    }

    // A stored value must be one number and nothing else.
    void strict_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("integer");   // as a 16-bit integer
        QTest::addColumn<QString>("boolean");   // as a Boolean
        const auto mismatch = [](const QString &t) { return QStringLiteral("Typen unverträglich: \"%1\" ist keine Zahl.").arg(t); };
        QTest::newRow("number") << " 3 " << "3" << "1";
        QTest::newRow("half to even") << "2.5" << "2" << "1";
        QTest::newRow("hexadecimal") << "&H10" << "16" << "1";
        QTest::newRow("true any case") << "tRUE" << mismatch("tRUE") << "1";
        QTest::newRow("false") << "False" << mismatch("False") << "0";
        QTest::newRow("blank inside") << "4 2" << mismatch("4 2") << mismatch("4 2");
        QTest::newRow("trailing text") << "12abc" << mismatch("12abc") << mismatch("12abc");
        QTest::newRow("sign before &H") << "-&H10" << mismatch("-&H10") << mismatch("-&H10");
        QTest::newRow("empty") << "" << mismatch("") << mismatch("");
        QTest::newRow("too large") << "40000" << overflow("40000") << "1";
        QTest::newRow("long text quoted short") << QString(5000, u'x') << mismatch(QString(23, u'x') + QChar(0x2026))
                                                << mismatch(QString(23, u'x') + QChar(0x2026));
    }
    void strict()
    {
        QFETCH(QString, text);
        QTEST(outcome([&] { return LenientNumber::toInt16(text); }), "integer");
        QTEST(outcome([&] { return int(LenientNumber::toBoolean(text)); }), "boolean");
    }

    void init()
    {
        port.setRThreshold(3);
        port.setSThreshold(64);
        port.setParityReplace(QStringLiteral("?"));
        port.setInputLen(8);
        dialogs = {};
        dtrChecks.clear();
        tuning = std::make_unique<SerialTuning>(port, dialogs, [this](bool on) { dtrChecks << on; });
    }

    // Before: InputLen 8, RThreshold 3, SThreshold 64, ParityReplace "?".
    void inputBoxes_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("answer");   // null: Cancel
        QTest::addColumn<QString>("after");    // the four values afterwards
        QTest::addColumn<QStringList>("messages");
        const QStringList none;
        const auto refused = [](int v, const char *p) {
            return QStringList{QStringLiteral("! Ungültiger Wert %1 für %2: erlaubt ist 0 bis 32767.").arg(v).arg(QLatin1StringView(p))};
        };
        // The input length is one byte afterwards, whatever was answered.
        QTest::newRow("InputLen: accepted value") << "mnuInputLen_Click" << "5" << "1 3 64 ?" << none;
        QTest::newRow("InputLen: refused value") << "mnuInputLen_Click" << "-5" << "1 3 64 ?" << refused(-5, "InputLen");
        QTest::newRow("InputLen: cancel") << "mnuInputLen_Click" << QString() << "1 3 64 ?" << none;
        QTest::newRow("receive: cancel keeps") << "mnuRThreshold_Click" << QString() << "8 3 64 ?" << none;
        QTest::newRow("receive: 3.5 to even") << "mnuRThreshold_Click" << "3.5" << "8 4 64 ?" << none;
        QTest::newRow("receive: overflow keeps value") << "mnuRThreshold_Click" << "40000" << "8 3 64 ?" << QStringList{"! " + overflow("40000")};
        QTest::newRow("receive: letter sets 0") << "mnuRThreshold_Click" << "x" << "8 0 64 ?" << none;
        QTest::newRow("send: refused keeps value") << "mnuSThreshold_Click" << "-7" << "8 3 64 ?" << refused(-7, "SThreshold");
        QTest::newRow("replace: two characters, the first") << "mnuParRep_Click" << "ab" << "8 3 64 a" << none;
        QTest::newRow("replace: leading blank is the character") << "mnuParRep_Click" << " x" << "8 3 64  " << none;
        QTest::newRow("replace: cancel switches off") << "mnuParRep_Click" << QString() << "8 3 64 " << none;
        QTest::newRow("replace: any character of the code page") << "mnuParRep_Click" << "€" << "8 3 64 €" << none;
        QTest::newRow("replace: none outside it") << "mnuParRep_Click" << "ł" << "8 3 64 ?"
            << QStringList{"! Das Ersetzungszeichen muss ein einzelnes Zeichen (Windows-1252) sein."};
    }
    void inputBoxes()
    {
        QFETCH(QString, command);
        QFETCH(QString, answer);
        if (!answer.isNull())
            dialogs.inputs << answer;
        QVERIFY(QMetaObject::invokeMethod(tuning.get(), qPrintable(command)));
        QTEST(QStringLiteral("%1 %2 %3 %4").arg(port.inputLen()).arg(port.rThreshold()).arg(port.sThreshold())
                  .arg(port.parityReplace()), "after");
        QTEST(dialogs.messages(), "messages");
        // The box shows the value in force, numbers with a blank for the sign.
        const QHash<QString, QString> shown{{"mnuInputLen_Click", " 8"}, {"mnuRThreshold_Click", " 3"},
                                            {"mnuSThreshold_Click", " 64"}, {"mnuParRep_Click", "?"}};
        QCOMPARE(dialogs.shown.first().defaultText, shown[command]);
    }

    void toggleAndReport()
    {
        QCOMPARE(SerialTuning::numberText(-3), QStringLiteral("-3"));
        port.setPortOpen(true);
        port.lines = {true, false, true};   // CD, CTS, DSR
        for (int i = 0; i < 3; ++i)
            tuning->mnuDTREnable_Click();
        QCOMPARE(dtrChecks, (QList<bool>{false, true, false}));
        QCOMPARE(port.deviceDtr, false);
        tuning->mnuHCD_Click();
        tuning->mnuHCTS_Click();
        tuning->mnuHDSR_Click();
        port.setPortOpen(false);
        tuning->mnuHCD_Click();
        QCOMPARE(dialogs.messages(),
                 (QStringList{"- CDHolding = True", "- CTSHolding = False", "- DSRHolding = True", "- CDHolding = False"}));
    }
};

QTEST_GUILESS_MAIN(ServiceMenuTest)
#include "tst_servicemenu.moc"
