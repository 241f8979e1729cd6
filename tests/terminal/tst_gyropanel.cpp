#include "platform/ColorLabel.h"
#include "terminal/GyroPanel.h"
#include "terminal/LabelIndicatorRow.h"
#include "tst_receive_rig.h"

#include <QTest>

class tst_gyropanel : public QObject
{
    Q_OBJECT

private slots:
    void lines_data();
    void lines();
    void viaReceiveLoop();
    void selectingGreysForeColorToo();
    void labelsTakeTheLatestColourPerFrame();
};

static QString col(int column) { return QString(column - 1, u' ') + u'*'; }

void tst_gyropanel::lines_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("cells");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<quint32>("captionColor");
    QTest::addColumn<QString>("selected");   // "R", "N", "G" or ""
    QTest::addColumn<bool>("armed");
    QTest::addColumn<int>("gyroPos");

    const QString grey(39, u'g');
    const QString roll = QStringLiteral("> Roll");
    const quint32 red = 0x0000FF, black = 0;

    QTest::newRow("roll selected: armed, grey") << QStringList{roll}
        << grey << "Roll Gyro" << red << "R" << true << 0;
    QTest::newRow("nick selected") << QStringList{QStringLiteral("    > Nick")}
        << grey << "Nick Gyro" << red << "N" << true << 0;
    QTest::newRow("gier selected, any text before") << QStringList{QStringLiteral("xyz > Gier")}
        << grey << "Gier Gyro" << red << "G" << true << 0;
    QTest::newRow("column 1 lights cell 0") << QStringList{roll, col(1)}
        << litCell(1) << "Roll Gyro" << red << "R" << true << 1;
    QTest::newRow("column 39 lights cell 38") << QStringList{roll, col(39)}
        << litCell(39) << "Roll Gyro" << red << "R" << true << 39;
    QTest::newRow("column 40 changes nothing") << QStringList{roll, col(40)}
        << grey << "Roll Gyro" << red << "R" << true << 40;
    QTest::newRow("column 40 keeps previous picture") << QStringList{roll, col(3), col(40)}
        << litCell(3) << "Roll Gyro" << red << "R" << true << 40;
    QTest::newRow("line without star changes nothing") << QStringList{roll, col(3), QStringLiteral("abc")}
        << litCell(3) << "Roll Gyro" << red << "R" << true << 0;
    QTest::newRow("first of several stars counts") << QStringList{roll, QStringLiteral("  * *  *")}
        << litCell(3) << "Roll Gyro" << red << "R" << true << 3;
    QTest::newRow("line ending in 'de *' changes nothing") << QStringList{roll, col(2), QStringLiteral("  * x"), QStringLiteral("   Gyro Ende de *")}
        << litCell(3) << "Roll Gyro" << red << "R" << true << 17;
    QTest::newRow("'de *' wherever the star stands") << QStringList{roll, QStringLiteral(" * Ende *")}
        << grey << "Roll Gyro" << red << "R" << true << 2;
    QTest::newRow("selecting line is no reading") << QStringList{QStringLiteral("*   > Roll")}
        << grey << "Roll Gyro" << red << "R" << true << 0;
    QTest::newRow("nick after roll: grey, re-armed") << QStringList{roll, col(5), QStringLiteral("> Nick")}
        << grey << "Nick Gyro" << red << "N" << true << 5;
    QTest::newRow("nick after roll, then reading") << QStringList{roll, col(5), QStringLiteral("> Nick"), col(2)}
        << litCell(2) << "Nick Gyro" << red << "N" << true << 2;
    QTest::newRow("transmitter: Sender, black, disarmed") << QStringList{roll, col(5), QStringLiteral("> Fernbedienung ...")}
        << grey << "Sender" << black << "" << false << 5;
    QTest::newRow("readings after transmitter ignored") << QStringList{roll, QStringLiteral("> Fernbedienung"), col(7)}
        << grey << "Sender" << black << "" << false << 0;
    QTest::newRow("back entry: empty caption") << QStringList{roll, col(5), QStringLiteral("> ZURUECK zum Menue")}
        << grey << "" << black << "" << false << 5;
    QTest::newRow("back entry needs its blank") << QStringList{roll, col(5), QStringLiteral("> ZURUECK"), col(6)}
        << litCell(6) << "Roll Gyro" << red << "R" << true << 6;
    QTest::newRow("transmitter only at line start") << QStringList{roll, QStringLiteral(" > Fernbedienung"), col(8)}
        << litCell(8) << "Roll Gyro" << red << "R" << true << 8;
    QTest::newRow("lower case selects nothing") << QStringList{QStringLiteral("> roll"), col(4)}
        << grey << "" << black << "" << false << 0;
    QTest::newRow("roll not at the end selects nothing") << QStringList{QStringLiteral("> Roll "), col(4)}
        << grey << "" << black << "" << false << 0;
    QTest::newRow("no selection: readings ignored") << QStringList{col(4)}
        << grey << "" << black << "" << false << 0;
}

void tst_gyropanel::lines()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, cells);
    QFETCH(QString, caption);
    QFETCH(quint32, captionColor);
    QFETCH(QString, selected);
    QFETCH(bool, armed);
    QFETCH(int, gyroPos);

    TerminalRig rig;
    GyroPanel panel(rig.row);
    for (const QString &l : lines)
        panel.Gyro_Diagnose(l);
    QCOMPARE(rig.cells(), cells);
    QCOMPARE(rig.row.checkCaption, caption);
    QCOMPARE(rig.row.checkForeColor, captionColor);
    QCOMPARE(panel.RollGyro(), selected == u"R");
    QCOMPARE(panel.NickGyro(), selected == u"N");
    QCOMPARE(panel.GierGyro(), selected == u"G");
    QCOMPARE(panel.GyroDiag(), armed);
    QCOMPARE(int(panel.GyroPos()), gyroPos);
}

void tst_gyropanel::viaReceiveLoop()
{
    // Through the port, in device emulation where "> Roll" carries a red cursor.
    TerminalRig rig(Module1::KestrixMode);
    rig.receive("KONFIGURATIONSMENUE > DIAGNOSE\r\n  Gyro Test (verlassen mit Roll links!)\r\n");
    rig.receive("> Nick\r\n> Roll\r\n");
    QCOMPARE(rig.row.checkCaption, QStringLiteral("Roll Gyro"));
    rig.receive("          *\r\n");
    QCOMPARE(rig.cells(), litCell(11));
    rig.receive("                          *");   // not complete yet
    QCOMPARE(rig.cells(), litCell(11));
    rig.receive("\r\n");
    QCOMPARE(rig.cells(), litCell(27));
}

void tst_gyropanel::selectingGreysForeColorToo()
{
    TerminalRig rig;
    rig.row.foreColor.fill(0);
    GyroPanel panel(rig.row);
    panel.Gyro_Diagnose(QStringLiteral("> Gier"));
    for (quint32 c : rig.row.foreColor)
        QCOMPARE(c, 0xC0C0C0u);
    rig.row.foreColor.fill(0);
    panel.Gyro_Diagnose(col(3));   // a reading leaves the fore colours alone
    for (quint32 c : rig.row.foreColor)
        QCOMPARE(c, 0u);
}

void tst_gyropanel::labelsTakeTheLatestColourPerFrame()
{
    QList<ColorLabel *> cells;
    for (int i = 0; i < IndicatorRow::CellCount; ++i)
        cells << new ColorLabel(QString(), nullptr);
    ColorLabel check;
    LabelIndicatorRow row(cells, &check);
    GyroPanel panel(row);
    panel.Gyro_Diagnose(QStringLiteral("> Roll"));
    panel.Gyro_Diagnose(col(4));
    panel.Gyro_Diagnose(col(9));
    row.setCellBackColor(-1, 0x123456);   // outside the row: ignored
    row.setCellBackColor(39, 0x123456);
    row.flush();
    for (int i = 0; i < IndicatorRow::CellCount; ++i)
        QCOMPARE(cells[i]->backColor(), i == 8 ? 0x0000FFu : 0xFFC0C0u);
    QCOMPARE(cells[3]->foreColor(), 0xC0C0C0u);
    QCOMPARE(check.text(), QStringLiteral("Roll Gyro"));
    QCOMPARE(check.foreColor(), 0x0000FFu);
    qDeleteAll(cells);
}

QTEST_MAIN(tst_gyropanel)
#include "tst_gyropanel.moc"
