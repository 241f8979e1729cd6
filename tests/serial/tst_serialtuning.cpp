#include "serial/SerialTuning.h"
#include "tests/support/MainWindowFixture.h"

#include <QTest>

// The service menu's commands, chosen through their menu items on a real main
// window that works a scripted port and scripted dialogs.
class SerialTuningTest : public QObject
{
    Q_OBJECT

    struct Fixture : MainWindowFixture
    {
        Fixture()
        {
            start();
            dialogs.shown.clear();   // whatever start-up showed is not ours
        }
        void choose(const QString &name, const QString &answer = QString())
        {
            if (!answer.isNull())
                dialogs.inputs << answer;
            action(name)->trigger();
        }
    };

    static void verifyExclamation(const Fixture &f, const QString &expected)
    {
        QList<ScriptedDialogs::Shown> m;
        for (const auto &s : f.dialogs.shown)
            if (!s.input)
                m << s;
        if (expected.isEmpty()) {
            QVERIFY2(m.isEmpty(), qPrintable(m.isEmpty() ? QString() : m.first().prompt));
            return;
        }
        QCOMPARE(m.size(), 1);
        QVERIFY2(m.first().prompt.contains(expected), qPrintable(m.first().prompt));
        QCOMPARE(m.first().icon, Dialogs::Icon::Exclamation);
        QCOMPARE(m.first().buttons, Dialogs::Buttons::Ok);
        QVERIFY(m.first().title.isEmpty());   // the application title
    }

private slots:
    // Zero and positive numbers are seen as the input boxes' default texts.
    void negativeNumberText()
    {
        QCOMPARE(SerialTuning::numberText(-3), QStringLiteral("-3"));
        QCOMPARE(SerialTuning::numberText(-32768), QStringLiteral("-32768"));
    }

    // Each command's input box, what the answer leaves on the port object and the
    // one message, if any. Numbers are shown with a blank for the sign.
    void inputBoxes_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("answer");       // null: Cancel
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("message");      // part of the one message; empty: none

        const QString len = QStringLiteral("mnuInputLen"), r = QStringLiteral("mnuRThreshold"),
                      s = QStringLiteral("mnuSThreshold"), rep = QStringLiteral("mnuParRep");
        // The input length is one byte afterwards, whatever was answered.
        QTest::newRow("InputLen: accepted value") << len << "1" << "5" << "1" << "";
        QTest::newRow("InputLen: refused value") << len << "1" << "-5" << "1" << "Ungültiger Wert -5 für InputLen";
        QTest::newRow("InputLen: overflow") << len << "1" << "40000" << "1" << "Überlauf";
        QTest::newRow("InputLen: letters read as 0") << len << "1" << "abc" << "1" << "";
        QTest::newRow("InputLen: other length shown") << len << "8" << "3" << "1" << "";
        QTest::newRow("InputLen: zero shown, cancel") << len << "0" << QString() << "1" << "";
        QTest::newRow("receive: cancel") << r << "3" << QString() << "3" << "";
        QTest::newRow("receive: 3.5 to even") << r << "3" << "3.5" << "4" << "";
        QTest::newRow("receive: hexadecimal") << r << "3" << "&H10" << "16" << "";
        QTest::newRow("receive: overflow keeps value") << r << "3" << "40000" << "3"
            << "Überlauf: \"40000\" liegt außerhalb von -32768 bis 32767.";
        QTest::newRow("receive: refused keeps value") << r << "3" << "-1" << "3"
            << "Ungültiger Wert -1 für RThreshold";
        QTest::newRow("receive: letter sets 0") << r << "3" << "x" << "0" << "";
        QTest::newRow("send: cancel") << s << "0" << QString() << "0" << "";
        QTest::newRow("send: value") << s << "0" << " 1 2 8" << "128" << "";
        QTest::newRow("send: overflow keeps value") << s << "64" << "-32769" << "64" << "Überlauf";
        QTest::newRow("send: refused keeps value") << s << "64" << "-7" << "64"
            << "Ungültiger Wert -7 für SThreshold";
        QTest::newRow("replace: one character") << rep << "?" << "#" << "#" << "";
        QTest::newRow("replace: two characters, the first") << rep << "?" << "ab" << "a" << "";
        QTest::newRow("replace: leading blank is the character") << rep << "?" << " x" << " " << "";
        QTest::newRow("replace: cancel switches off") << rep << "?" << QString() << "" << "";
        QTest::newRow("replace: refused character keeps value") << rep << "?" << QString::fromUtf8("\u20ac")
            << "?" << "Ersetzungszeichen";
    }
    void inputBoxes()
    {
        QFETCH(QString, command);
        QFETCH(QString, before);
        QFETCH(QString, answer);
        QFETCH(QString, message);
        const QString bytes =
            QStringLiteral("Geben Sie einen neuen Wert für die maximal gepufferte Anzahl der %1 ein:");
        const QHash<QString, std::pair<QString, QString>> boxes{
            {QStringLiteral("mnuInputLen"),
             {QStringLiteral("InputLen"),
              QStringLiteral("Die Eingabelänge ist auf 'ein Byte' für alle Emulationen voreingestellt.")}},
            {QStringLiteral("mnuRThreshold"),
             {QStringLiteral("Empfangslimit (RThreshold)"), bytes.arg(QStringLiteral("empfangenen Bytes"))}},
            {QStringLiteral("mnuSThreshold"),
             {QStringLiteral("Sendelimit (SThreshold)"), bytes.arg(QStringLiteral("Sendebytes"))}},
            {QStringLiteral("mnuParRep"),
             {QStringLiteral("Ersetzen bei Paritätsfehler"),
              QStringLiteral("Geben Sie das Ersetzungszeichen ein:")}},
        };
        const bool replace = command == u"mnuParRep";
        Fixture f;
        if (command == u"mnuInputLen")
            f.port.setInputLen(before.toInt());
        else if (command == u"mnuRThreshold")
            f.port.setRThreshold(before.toInt());
        else if (command == u"mnuSThreshold")
            f.port.setSThreshold(before.toInt());
        else
            f.port.setParityReplace(before);
        f.choose(command, answer);

        const QString after = command == u"mnuInputLen"     ? QString::number(f.port.inputLen())
                            : command == u"mnuRThreshold" ? QString::number(f.port.rThreshold())
                            : command == u"mnuSThreshold" ? QString::number(f.port.sThreshold())
                                                          : f.port.parityReplace();
        QTEST(after, "after");
        QVERIFY(!f.dialogs.shown.isEmpty());
        const auto box = f.dialogs.shown.first();
        QVERIFY(box.input);
        QCOMPARE(box.title, boxes[command].first);
        QCOMPARE(box.prompt, boxes[command].second);
        QCOMPARE(box.defaultText, replace ? before : u' ' + before);
        verifyExclamation(f, message);
    }

    void dtrToggle_data()
    {
        QTest::addColumn<bool>("dtrAtStart");
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("toggles");

        for (bool dtr : {true, false})
            for (bool open : {false, true})
                for (int n : {0, 1, 2})
                    QTest::addRow("DTR %s, %s, %d toggles", dtr ? "on" : "off",
                                  open ? "open" : "closed", n) << dtr << open << n;
    }
    void dtrToggle()
    {
        QFETCH(bool, dtrAtStart);
        QFETCH(bool, open);
        QFETCH(int, toggles);
        MainWindowFixture f;
        f.port.setDTREnable(dtrAtStart);
        f.start();
        QAction *item = f.action("mnuDTREnable");
        QVERIFY(!item->isChecked());   // cleared at start whatever the line
        if (open)
            f.port.setPortOpen(true);
        f.dialogs.shown.clear();

        for (int i = 0; i < toggles; ++i)
            item->trigger();

        const bool expected = (toggles % 2 == 0) ? dtrAtStart : !dtrAtStart;
        QCOMPARE(f.port.dtrEnable(), expected);
        QCOMPARE(item->isChecked(), toggles > 0 && expected);
        if (open && toggles > 0)
            QCOMPARE(f.port.deviceDtr, expected);
        QVERIFY(f.dialogs.shown.isEmpty());
    }

    void lineReports_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("active");   // the line's state while open
        QTest::addColumn<QString>("text");

        QTest::newRow("CD, closed port") << "mnuHCD" << false << true << "CDHolding = False";
        QTest::newRow("CD inactive") << "mnuHCD" << true << false << "CDHolding = False";
        QTest::newRow("CD active") << "mnuHCD" << true << true << "CDHolding = True";
        QTest::newRow("CTS, closed port") << "mnuHCTS" << false << true << "CTSHolding = False";
        QTest::newRow("CTS active") << "mnuHCTS" << true << true << "CTSHolding = True";
        QTest::newRow("DSR inactive") << "mnuHDSR" << true << false << "DSRHolding = False";
        QTest::newRow("DSR active") << "mnuHDSR" << true << true << "DSRHolding = True";
    }
    void lineReports()
    {
        QFETCH(QString, command);
        QFETCH(bool, open);
        QFETCH(bool, active);
        QFETCH(QString, text);
        Fixture f;
        // Only the reported line is active, so a mixed-up line reads wrong.
        f.port.lines.cd = command == QStringLiteral("mnuHCD") && active;
        f.port.lines.cts = command == QStringLiteral("mnuHCTS") && active;
        f.port.lines.dsr = command == QStringLiteral("mnuHDSR") && active;
        if (open)
            f.port.setPortOpen(true);
        f.choose(command);

        QCOMPARE(f.dialogs.shown.size(), 1);
        const auto box = f.dialogs.shown.first();
        QVERIFY(!box.input);
        QCOMPARE(box.prompt, text);
        QCOMPARE(box.icon, Dialogs::Icon::None);
        QCOMPARE(box.buttons, Dialogs::Buttons::Ok);
        QVERIFY(box.title.isEmpty());
    }
};

QTEST_MAIN(SerialTuningTest)
#include "tst_serialtuning.moc"
