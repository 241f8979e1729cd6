#include "settings/SettingsLists.h"
#include "settings/SettingsPresets.h"
#include "settings/SettingsString.h"

#include <QTest>

// The settings string as the dialog reads and writes it, without any widget.
class SettingsTextTest : public QObject
{
    Q_OBJECT

private slots:
    void presets_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("parity");
        QTest::addColumn<QString>("dataBits");
        QTest::addColumn<QString>("stopBits");

        QTest::newRow("9600,n,8,1") << "9600,n,8,1" << "9600" << "None" << "8" << "1";
        QTest::newRow("110,e,7,2") << "110,e,7,2" << "110" << "Even" << "7" << "2";
        QTest::newRow("256000,s,5,1") << "256000,s,5,1" << "256000" << "Space" << "5" << "1";
        QTest::newRow("19200,o,8,1.5") << "19200,o,8,1.5" << "19200" << "Odd" << "8" << "1.5";
        QTest::newRow("4800,m,6,1.5") << "4800,m,6,1.5" << "4800" << "Mark" << "6" << "1.5";
        QTest::newRow("upper-case parity") << "9600,N,8,1" << "9600" << "" << "8" << "1";
        QTest::newRow("unknown parity") << "9600,x,8,1" << "9600" << "" << "8" << "1";
        // Whatever the fields hold is handed on; the lists then find no item.
        QTest::newRow("speed not offered") << "1000,n,8,1" << "1000" << "None" << "8" << "1";
        QTest::newRow("4 data bits") << "300,n,4,2" << "300" << "None" << "4" << "2";
        // Texts a port would never report must not crash the parse.
        QTest::newRow("empty") << "" << "" << "" << "" << "";
        QTest::newRow("too short") << "n,8" << "" << "" << "n" << "8";
        QTest::newRow("only a dot") << "." << "" << "" << "" << ".";
        QTest::newRow("short with dot") << "8,1.5" << "" << "" << "8" << "1.5";
    }

    void presets()
    {
        QFETCH(QString, settings);
        const SettingsPresets p = SettingsPresets::fromSettings(settings);
        QTEST(p.speed, "speed");
        QTEST(p.parity, "parity");
        QTEST(p.dataBits, "dataBits");
        QTEST(p.stopBits, "stopBits");
    }

    void portIndex_data()
    {
        QTest::addColumn<int>("commPort");
        QTest::addColumn<int>("index");
        QTest::newRow("Com1") << 1 << 0;
        QTest::newRow("Com2") << 2 << 1;
        QTest::newRow("Com16") << 16 << 15;
        QTest::newRow("Com17") << 17 << -1;
        QTest::newRow("0") << 0 << -1;
        QTest::newRow("negative") << -3 << -1;
    }

    void portIndex()
    {
        QFETCH(int, commPort);
        QTEST(SettingsPresets::portIndex(commPort), "index");
    }

    void build_data()
    {
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("parity");
        QTest::addColumn<QString>("dataBits");
        QTest::addColumn<QString>("stopBits");
        QTest::addColumn<QString>("settings");

        QTest::newRow("odd") << "19200" << "Odd" << "7" << "1.5" << "19200,O,7,1.5";
        QTest::newRow("space") << "9600" << "Space" << "8" << "2" << "9600,S,8,2";
        QTest::newRow("mark") << "9600" << "Mark" << "8" << "1" << "9600,M,8,1";
        QTest::newRow("blanks trimmed") << " 4800 " << "Even" << " 6" << "1 " << "4800,E,6,1";
        QTest::newRow("no parity chosen") << "9600" << "" << "8" << "1" << "9600,,8,1";
        QTest::newRow("nothing chosen") << "" << "" << "" << "" << ",,,";
    }

    void build()
    {
        QFETCH(QString, speed);
        QFETCH(QString, parity);
        QFETCH(QString, dataBits);
        QFETCH(QString, stopBits);
        QTEST(SettingsString::build(speed, parity, dataBits, stopBits), "settings");
    }

    void lists_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("ports") << SettingsLists::ports() << 16 << "Com1" << "Com16";
        QTest::newRow("speeds") << SettingsLists::speeds() << 16 << "110" << "256000";
        QTest::newRow("data bits") << SettingsLists::dataBits() << 5 << "4" << "8";
        QTest::newRow("parities") << SettingsLists::parities() << 5 << "Even" << "Space";
        QTest::newRow("stop bits") << SettingsLists::stopBits() << 3 << "1" << "2";
    }

    void lists()
    {
        QFETCH(QStringList, items);
        QTEST(int(items.size()), "count");
        QTEST(items.first(), "first");
        QTEST(items.last(), "last");
        QCOMPARE(items.removeDuplicates(), 0);
    }

    // Every string the dialog can build is one the presets read back to the same items.
    void roundTrip_data()
    {
        QTest::addColumn<int>("speed");
        for (int i = 0; i < SettingsLists::speeds().size(); ++i)
            QTest::newRow(qPrintable(SettingsLists::speeds().at(i))) << i;
    }

    void roundTrip()
    {
        QFETCH(int, speed);
        const QString s = SettingsLists::speeds().at(speed);
        for (const QString &parity : SettingsLists::parities())
            for (const QString &bits : SettingsLists::dataBits())
                for (const QString &stop : SettingsLists::stopBits()) {
                    // The port reports the parity letter in lower case.
                    const QString built = SettingsString::build(s, parity, bits, stop);
                    const QString reported = built.left(s.size() + 1) + built.mid(s.size() + 1, 1).toLower()
                                           + built.mid(s.size() + 2);
                    const SettingsPresets p = SettingsPresets::fromSettings(reported);
                    QCOMPARE(p.speed, s);
                    QCOMPARE(p.parity, parity);
                    QCOMPARE(p.dataBits, bits);
                    QCOMPARE(p.stopBits, stop);
                }
    }
};

QTEST_GUILESS_MAIN(SettingsTextTest)
#include "tst_settingstext.moc"
