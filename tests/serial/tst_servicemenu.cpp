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

QString mismatch(const QString &text)
{
    return QStringLiteral("Typen unverträglich: \"%1\" ist keine Zahl.").arg(text);
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
    // Typed into the service menu, numbers are read leniently; a stored value must
    // be one number and nothing else, as a 16-bit integer or as a Boolean.
    void numbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");   // "-": refused as no number
        QTest::addColumn<QString>("flag");     // "-": refused as no number
        const auto row = [](const QString &text, const QString &typed, const QString &stored, const QString &flag) {
            QTest::newRow(qPrintable(text.left(24))) << text << typed << stored << flag;
        };
        row("2.5", "2", "2", "1");            // halves to the even neighbour
        row("3.5", "4", "4", "1");
        row("-32768.5", "-32768", "-32768", "1");
        row(" 3 ", "3", "3", "1");
        row("2,5", "2", "-", "-");            // a comma ends the number, whatever the locale
        row("  4 2", "42", "-", "-");         // typed, blanks are ignored wherever they stand
        row(" 4 0 000 ", overflow("40000"), "-", "-");
        row("12abc", "12", "-", "-");
        row("&H10", "16", "16", "1");
        row("-&H10", "-16", "-", "-");
        row("&O178", "15", "-", "-");
        row("&HFFFF", overflow("&HFFFF"), overflow("&HFFFF"), "1");
        row("1e3", "1000", "-", "-");
        row("1e99999", overflow("1e99999"), "-", "-");
        row("40000", overflow("40000"), overflow("40000"), "1");
        row("x", "0", "-", "-");
        row("", "0", "-", "-");
        row("\u0661\u0662", "0", "-", "-");   // non-ASCII digits are no digits
        row("tRUE", "0", "-", "1");
        row("False", "0", "-", "0");
        // Long texts are quoted short.
        row(QString(400, u'9'), overflow(QString(23, u'9') + u'\u2026'), overflow(QString(23, u'9') + u'\u2026'), "1");
        row(QString(5000, u'x'), "0", mismatch(QString(23, u'x') + u'\u2026'), mismatch(QString(23, u'x') + u'\u2026'));
    }
    void numbers()
    {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        QFETCH(QString, flag);
        QTEST(outcome([&] { return LenientNumber::read(text); }), "typed");
        QCOMPARE(outcome([&] { return LenientNumber::toInt16(text); }), stored == u"-" ? mismatch(text) : stored);
        QCOMPARE(outcome([&] { return int(LenientNumber::toBoolean(text)); }), flag == u"-" ? mismatch(text) : flag);
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
