#include "tst_receive_rig.h"

#include <QTest>

class tst_pages : public QObject
{
    Q_OBJECT

private slots:
    void titles_data();
    void titles();
    void colorsAboveTitleDrop();
    void cursorRedAgainAfterTitle();
    void gyroTestTitle_data();
    void gyroTestTitle();
    void diagnosis_data();
    void diagnosis();
    void leavingKeepsPanelPicture();
    void reenteringDisarmsUnlessSelected();
    void nothingIsAnswered();
};

static const QStringList Titles = {
    QStringLiteral("KONFIGURATIONSMENUE "),
    QStringLiteral("KONFIGURATIONSMENUE > ROTORANORDNUNG"),
    QStringLiteral("KONFIGURATIONSMENUE > AKKU"),
    QStringLiteral("KONFIGURATIONSMENUE > MOTOREN"),
    QStringLiteral("KONFIGURATIONSMENUE > SETTINGS"),
    QStringLiteral("KONFIGURATIONSMENUE > NOTLANDUNG"),
    QStringLiteral("KONFIGURATIONSMENUE > DIAGNOSE"),
    QStringLiteral("Wirklich in den Grundzustand versetzen?"),
};

void tst_pages::titles_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("blue");

    for (const QString &t : Titles) {
        QTest::addRow("kestrix: %s", qPrintable(t)) << Module1::KestrixMode << t << true;
        QTest::addRow("ascii: %s", qPrintable(t)) << Module1::AsciiMode << t << false;
    }
    const QString K = Module1::KestrixMode;
    QTest::newRow("menu without trailing blank") << K << QStringLiteral("KONFIGURATIONSMENUE") << false;
    QTest::newRow("menu with two trailing blanks") << K << QStringLiteral("KONFIGURATIONSMENUE  ") << false;
    QTest::newRow("title with extra character") << K << QStringLiteral("KONFIGURATIONSMENUE > AKKU ") << false;
    QTest::newRow("title in lower case") << K << QStringLiteral("konfigurationsmenue ") << false;
    QTest::newRow("leading blank") << K << QStringLiteral(" KONFIGURATIONSMENUE > AKKU") << false;
    QTest::newRow("question without mark") << K << QStringLiteral("Wirklich in den Grundzustand versetzen") << false;
}

void tst_pages::titles()
{
    QFETCH(QString, mode);
    QFETCH(QString, line);
    QFETCH(bool, blue);

    TerminalRig rig(mode);
    rig.receiveLines({QStringLiteral("abc"), line});
    QCOMPARE(rig.view.text(), "abc\r\n" + line + "\r\n");
    QCOMPARE(rig.colors(), "kkkkk" + rep(blue ? u'b' : u'k', line.size()) + "kk");
    QCOMPARE(rig.engine.line().RxLen(), qint16(0));
}

void tst_pages::colorsAboveTitleDrop()
{
    TerminalRig rig(Module1::KestrixMode);
    rig.receiveLines({QStringLiteral(">eins"), QStringLiteral("KONFIGURATIONSMENUE > AKKU")});
    QCOMPARE(rig.colors(), "kkkkkkk" + rep(u'b', 26) + "kk");
}

void tst_pages::cursorRedAgainAfterTitle()
{
    TerminalRig rig(Module1::KestrixMode);
    rig.receiveLines({QStringLiteral("KONFIGURATIONSMENUE "), QStringLiteral("> AKKU")});
    QCOMPARE(rig.colors(), rep(u'b', 20) + "kk" + "rkkkkk" + "kk");
}

void tst_pages::gyroTestTitle_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("text");
    const QString title = QStringLiteral("  Gyro Test (verlassen mit Roll links!)");
    QTest::newRow("kestrix: empty line after title") << Module1::KestrixMode << title + "\r\n\r\n";
    QTest::newRow("ascii: no extra line") << Module1::AsciiMode << title + "\r\n";
}

void tst_pages::gyroTestTitle()
{
    QFETCH(QString, mode);
    QFETCH(QString, text);
    TerminalRig rig(mode);
    rig.receive("  Gyro Test (verlassen mit Roll links!)\r\n");
    QCOMPARE(rig.view.text(), text);
    QCOMPARE(rig.colors(), rep(u'k', text.size()));
}

void tst_pages::diagnosis_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("diagnose");
    QTest::addColumn<bool>("roll");
    QTest::addColumn<int>("gyroPos");

    const QString title = QStringLiteral("  Gyro Test (verlassen mit Roll links!)");
    const QString diag = QStringLiteral("KONFIGURATIONSMENUE > DIAGNOSE");
    const QString menu = QStringLiteral("KONFIGURATIONSMENUE ");
    for (const QString &mode : {Module1::KestrixMode, Module1::AsciiMode}) {
        const QByteArray m = mode.toLatin1();
        QTest::addRow("%s: start outside", m.constData()) << mode
            << QStringList{QStringLiteral("> Roll")} << false << false << 0;
        QTest::addRow("%s: enter", m.constData()) << mode << QStringList{diag} << true << false << 0;
        QTest::addRow("%s: enter and select", m.constData()) << mode
            << QStringList{diag, QStringLiteral("> Roll"), QStringLiteral("   *")} << true << true << 4;
        QTest::addRow("%s: leave", m.constData()) << mode
            << QStringList{diag, QStringLiteral("> Roll"), menu} << false << false << 0;
        QTest::addRow("%s: lines after leaving are not readings", m.constData()) << mode
            << QStringList{diag, QStringLiteral("> Roll"), QStringLiteral(" *"), menu, QStringLiteral("  *")}
            << false << false << 2;
        QTest::addRow("%s: other titles keep diagnosis", m.constData()) << mode
            << QStringList{diag, QStringLiteral("KONFIGURATIONSMENUE > AKKU")} << true << false << 0;
        QTest::addRow("%s: menu without blank does not leave", m.constData()) << mode
            << QStringList{diag, QStringLiteral("KONFIGURATIONSMENUE")} << true << false << 0;
    }
    // The gyro test title goes to the panel only in plain mode: a title line without
    // "*" read as a reading sets the column to 0.
    QTest::newRow("kestrix: gyro title is no reading") << Module1::KestrixMode
        << QStringList{diag, QStringLiteral("> Roll"), QStringLiteral("   *"), title} << true << true << 4;
    QTest::newRow("ascii: gyro title is a line like any") << Module1::AsciiMode
        << QStringList{diag, QStringLiteral("> Roll"), QStringLiteral("   *"), title} << true << true << 0;
}

void tst_pages::diagnosis()
{
    QFETCH(QString, mode);
    QFETCH(QStringList, lines);
    QFETCH(bool, diagnose);
    QFETCH(bool, roll);
    QFETCH(int, gyroPos);

    TerminalRig rig(mode);
    rig.row.setCheckCaption(QStringLiteral("vorher"));
    rig.row.setCheckForeColor(0x0000FF);
    rig.receiveLines(lines);
    QCOMPARE(rig.engine.pages().Diagnose(), diagnose);
    QCOMPARE(rig.engine.gyro().RollGyro(), roll);
    QCOMPARE(int(rig.engine.gyro().GyroPos()), gyroPos);
    if (lines.size() > 1 || lines.first().startsWith(u'K')) {
        // Entering and leaving both clear the label, unless a gyro is named since.
        QCOMPARE(rig.row.checkCaption, roll ? QStringLiteral("Roll Gyro") : QString());
        QCOMPARE(rig.row.checkForeColor, roll ? 0x0000FFu : 0u);
    } else {
        QCOMPARE(rig.row.checkCaption, QStringLiteral("vorher"));
    }
}

void tst_pages::leavingKeepsPanelPicture()
{
    TerminalRig rig(Module1::KestrixMode);
    rig.receiveLines({QStringLiteral("KONFIGURATIONSMENUE > DIAGNOSE"), QStringLiteral("> Nick"),
                      QStringLiteral("     *")});
    QCOMPARE(rig.cells(), litCell(6));
    rig.receiveLines({QStringLiteral("KONFIGURATIONSMENUE ")});
    QCOMPARE(rig.cells(), litCell(6));
    QVERIFY(rig.engine.gyro().GyroDiag());   // stays armed until the next page line
    QVERIFY(!rig.engine.gyro().NickGyro());
    QCOMPARE(rig.row.checkCaption, QString());
}

void tst_pages::reenteringDisarmsUnlessSelected()
{
    TerminalRig rig(Module1::AsciiMode);
    rig.receiveLines({QStringLiteral("KONFIGURATIONSMENUE > DIAGNOSE"), QStringLiteral("> Gier"),
                      QStringLiteral("KONFIGURATIONSMENUE "), QStringLiteral("KONFIGURATIONSMENUE > DIAGNOSE")});
    QVERIFY(!rig.engine.gyro().GyroDiag());
    rig.receiveLines({QStringLiteral("*")});
    QCOMPARE(rig.cells(), rep(u'g', 39));
}

void tst_pages::nothingIsAnswered()
{
    TerminalRig rig(Module1::KestrixMode);
    for (const QString &t : Titles)
        rig.receiveLines({t});
    rig.receive("  Gyro Test (verlassen mit Roll links!)\r\n");
    QCOMPARE(rig.port.written, QByteArray());
    QCOMPARE(rig.reports, QStringList());
}

QTEST_MAIN(tst_pages)
#include "tst_pages.moc"
