#include "serial/SerialTuning.h"
#include "tests/support/MainWindowFixture.h"

#include <QAction>
#include <QTest>

#include <memory>

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
        QList<ScriptedDialogs::Shown> messages() const
        {
            QList<ScriptedDialogs::Shown> m;
            for (const auto &s : dialogs.shown)
                if (!s.input)
                    m << s;
            return m;
        }
    };

    static void verifyExclamation(const Fixture &f, const QString &expected)
    {
        const auto m = f.messages();
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
    void numberText_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0 << " 0";
        QTest::newRow("positive") << 512 << " 512";
        QTest::newRow("negative") << -3 << "-3";
        QTest::newRow("smallest") << -32768 << "-32768";
    }
    void numberText()
    {
        QFETCH(int, value);
        QFETCH(QString, text);
        QCOMPARE(SerialTuning::numberText(value), text);
    }

    void inputLength_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<QString>("answer");       // null: Cancel
        QTest::addColumn<QString>("defaultText");
        QTest::addColumn<QString>("message");      // part of the one message; empty: none

        QTest::newRow("accepted value") << 1 << "5" << " 1" << "";
        QTest::newRow("refused value") << 1 << "-5" << " 1" << "Ungültiger Wert -5 für InputLen";
        QTest::newRow("overflow") << 1 << "40000" << " 1" << "Überlauf";
        QTest::newRow("letters read as 0") << 1 << "abc" << " 1" << "";
        QTest::newRow("cancel") << 1 << QString() << " 1" << "";
        QTest::newRow("other length shown, then 1") << 8 << "3" << " 8" << "";
        QTest::newRow("zero shown with a blank") << 0 << QString() << " 0" << "";
    }
    void inputLength()
    {
        QFETCH(int, before);
        QFETCH(QString, answer);
        QFETCH(QString, defaultText);
        QFETCH(QString, message);
        Fixture f;
        f.port.setInputLen(before);
        f.choose(QStringLiteral("mnuInputLen"), answer);

        QCOMPARE(f.port.inputLen(), 1);
        QVERIFY(!f.dialogs.shown.isEmpty());
        const auto box = f.dialogs.shown.first();
        QVERIFY(box.input);
        QCOMPARE(box.title, QStringLiteral("InputLen"));
        QCOMPARE(box.prompt, QStringLiteral(
            "Die Eingabelänge ist auf 'ein Byte' für alle Emulationen voreingestellt."));
        QCOMPARE(box.defaultText, defaultText);
        verifyExclamation(f, message);
    }

    void thresholds_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("before");
        QTest::addColumn<QString>("answer");       // null: Cancel
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("message");

        const QString r = QStringLiteral("mnuRThreshold"), s = QStringLiteral("mnuSThreshold");
        QTest::newRow("receive: cancel") << r << 3 << QString() << 3 << "";
        QTest::newRow("receive: 1") << r << 3 << "1" << 1 << "";
        QTest::newRow("receive: 2.5 to even") << r << 3 << "2.5" << 2 << "";
        QTest::newRow("receive: 3.5 to even") << r << 3 << "3.5" << 4 << "";
        QTest::newRow("receive: comma ends") << r << 3 << "2,5" << 2 << "";
        QTest::newRow("receive: hexadecimal") << r << 3 << "&H10" << 16 << "";
        QTest::newRow("receive: overflow keeps value") << r << 3 << "40000" << 3
                                                      << "Überlauf: \"40000\" liegt außerhalb von -32768 bis 32767.";
        QTest::newRow("receive: refused keeps value") << r << 3 << "-1" << 3 << "Ungültiger Wert -1 für RThreshold";
        QTest::newRow("receive: letter sets 0") << r << 3 << "x" << 0 << "";
        QTest::newRow("send: cancel") << s << 0 << QString() << 0 << "";
        QTest::newRow("send: value") << s << 0 << " 1 2 8" << 128 << "";
        QTest::newRow("send: overflow keeps value") << s << 64 << "-32769" << 64 << "Überlauf";
        QTest::newRow("send: refused keeps value") << s << 64 << "-7" << 64 << "Ungültiger Wert -7 für SThreshold";
    }
    void thresholds()
    {
        QFETCH(QString, command);
        QFETCH(int, before);
        QFETCH(QString, answer);
        QFETCH(int, after);
        QFETCH(QString, message);
        Fixture f;
        const bool receive = command == QStringLiteral("mnuRThreshold");
        if (receive)
            f.port.setRThreshold(before);
        else
            f.port.setSThreshold(before);
        f.choose(command, answer);

        QCOMPARE(receive ? f.port.rThreshold() : f.port.sThreshold(), after);
        const auto box = f.dialogs.shown.first();
        QVERIFY(box.input);
        QCOMPARE(box.defaultText, SerialTuning::numberText(before));
        if (receive) {
            QCOMPARE(box.title, QStringLiteral("Empfangslimit (RThreshold)"));
            QCOMPARE(box.prompt, QStringLiteral("Geben Sie einen neuen Wert für die maximal "
                                                "gepufferte Anzahl der empfangenen Bytes ein:"));
        } else {
            QCOMPARE(box.title, QStringLiteral("Sendelimit (SThreshold)"));
            QCOMPARE(box.prompt, QStringLiteral("Geben Sie einen neuen Wert für die maximal "
                                                "gepufferte Anzahl der Sendebytes ein:"));
        }
        verifyExclamation(f, message);
    }

    void parityReplace_data()
    {
        QTest::addColumn<QString>("answer");   // null: Cancel
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("message");

        QTest::newRow("one character") << "#" << "#" << "";
        QTest::newRow("two characters: the first") << "ab" << "a" << "";
        QTest::newRow("leading blank is the character") << " x" << " " << "";
        QTest::newRow("cancel switches off") << QString() << "" << "";
        QTest::newRow("refused character keeps value") << QString::fromUtf8("\u20ac") << "?"
                                                       << "Ersetzungszeichen";
    }
    void parityReplace()
    {
        QFETCH(QString, answer);
        QFETCH(QString, after);
        QFETCH(QString, message);
        Fixture f;
        f.port.setParityReplace(QStringLiteral("?"));
        f.choose(QStringLiteral("mnuParRep"), answer);

        QCOMPARE(f.port.parityReplace(), after);
        const auto box = f.dialogs.shown.first();
        QVERIFY(box.input);
        QCOMPARE(box.title, QStringLiteral("Ersetzen bei Paritätsfehler"));
        QCOMPARE(box.prompt, QStringLiteral("Geben Sie das Ersetzungszeichen ein:"));
        QCOMPARE(box.defaultText, QStringLiteral("?"));
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
        FakeSerialComm port;
        port.setDTREnable(dtrAtStart);
        ScriptedDialogs dialogs;
        frmKX_Display::Services s;
        s.port = &port;
        s.dialogs = &dialogs;
        frmKX_Display window(s);
        QAction *item = window.findChild<QAction *>(QStringLiteral("mnuDTREnable"));
        QVERIFY(item);
        QVERIFY(!item->isChecked());   // cleared at start whatever the line
        if (open)
            port.setPortOpen(true);
        dialogs.shown.clear();

        for (int i = 0; i < toggles; ++i)
            item->trigger();

        const bool expected = (toggles % 2 == 0) ? dtrAtStart : !dtrAtStart;
        QCOMPARE(port.dtrEnable(), expected);
        QCOMPARE(item->isChecked(), toggles > 0 && expected);
        if (open && toggles > 0)
            QCOMPARE(port.deviceDtr, expected);
        QVERIFY(dialogs.shown.isEmpty());
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
