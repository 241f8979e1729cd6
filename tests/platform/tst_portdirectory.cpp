#include "serial/PortDirectory.h"
#include "platform/SettingsStore.h"

#include <QFile>
#include <QHash>
#include <QTest>

namespace {
const QString App = QStringLiteral("Kestrix II/LT - Display  V 1.1.2");

// A settings store held in memory.
class MemoryStore : public SettingsStore
{
public:
    QHash<QString, QString> values;   // "section/key" -> value
    QString getSetting(const QString &application, const QString &section, const QString &key,
                       const QString &defaultValue) const override
    {
        if (application != App)
            return defaultValue;
        return values.value(section + u'/' + key, defaultValue);
    }
    bool saveSetting(const QString &, const QString &section, const QString &key,
                     const QString &value) override
    {
        values.insert(section + u'/' + key, value);
        return true;
    }
};
} // namespace

// Com N to device: stored entries first, then the host's ports in their order.
class PortDirectoryTest : public QObject
{
    Q_OBJECT

private slots:
    void orderPorts_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("ordered");
        QTest::newRow("none") << QStringList{} << QStringList{};
        QTest::newRow("adapter before built-in")
            << QStringList{"/dev/ttyS0", "/dev/ttyUSB0"} << QStringList{"/dev/ttyUSB0", "/dev/ttyS0"};
        QTest::newRow("ACM and USB together, by name")
            << QStringList{"/dev/ttyS0", "/dev/ttyUSB1", "/dev/ttyACM0", "/dev/ttyUSB0"}
            << QStringList{"/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyS0"};
        QTest::newRow("numbers as numbers")
            << QStringList{"/dev/ttyS10", "/dev/ttyS2", "/dev/ttyS1", "/dev/ttyUSB10", "/dev/ttyUSB9"}
            << QStringList{"/dev/ttyUSB9", "/dev/ttyUSB10", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS10"};
        QTest::newRow("built-in kinds by name")
            << QStringList{"/dev/ttyS0", "/dev/ttyAMA0", "/dev/rfcomm0"}
            << QStringList{"/dev/rfcomm0", "/dev/ttyAMA0", "/dev/ttyS0"};
        QTest::newRow("bare names") << QStringList{"ttyS0", "ttyACM3"} << QStringList{"ttyACM3", "ttyS0"};
        QTest::newRow("duplicates once") << QStringList{"/dev/ttyS0", "/dev/ttyS0"}
                                         << QStringList{"/dev/ttyS0"};
        QTest::newRow("macOS counts cu. only")
            << QStringList{"/dev/tty.usbserial-110", "/dev/cu.usbserial-110",
                           "/dev/tty.Bluetooth-Incoming-Port", "/dev/cu.Bluetooth-Incoming-Port"}
            << QStringList{"/dev/cu.usbserial-110", "/dev/cu.Bluetooth-Incoming-Port"};
        QTest::newRow("macOS usbmodem is an adapter")
            << QStringList{"/dev/cu.debug-console", "/dev/cu.usbmodem14101"}
            << QStringList{"/dev/cu.usbmodem14101", "/dev/cu.debug-console"};
    }
    void orderPorts()
    {
        QFETCH(QStringList, present);
        QFETCH(QStringList, ordered);
        QCOMPARE(PortDirectory::orderPorts(present), ordered);
    }

    void device_data()
    {
        QTest::addColumn<QStringList>("stored");     // "N=device"
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("device");
        const QStringList host{"/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyS1"};
        QTest::newRow("first present is the adapter") << QStringList{} << host << 1 << "/dev/ttyUSB0";
        QTest::newRow("second present") << QStringList{} << host << 2 << "/dev/ttyS0";
        QTest::newRow("third present") << QStringList{} << host << 3 << "/dev/ttyS1";
        QTest::newRow("beyond the present ports") << QStringList{} << host << 4 << "";
        QTest::newRow("no ports at all") << QStringList{} << QStringList{} << 1 << "";
        QTest::newRow("stored wins") << QStringList{"1=/dev/pts/7"} << host << 1 << "/dev/pts/7";
        QTest::newRow("stored beyond the present") << QStringList{"9=/dev/ttyS4"} << host << 9
                                                   << "/dev/ttyS4";
        QTest::newRow("stored bare name is under /dev") << QStringList{"2=ttyACM0"} << host << 2
                                                        << "/dev/ttyACM0";
        QTest::newRow("stored blanks trimmed") << QStringList{"2= /dev/ttyS9 "} << host << 2
                                               << "/dev/ttyS9";
        QTest::newRow("stored for another number") << QStringList{"2=/dev/pts/7"} << host << 1
                                                   << "/dev/ttyUSB0";
        QTest::newRow("empty stored value counts as none") << QStringList{"1="} << host << 1
                                                           << "/dev/ttyUSB0";
        QTest::newRow("port 0") << QStringList{} << host << 0 << "";
    }
    void device()
    {
        QFETCH(QStringList, stored);
        QFETCH(QStringList, present);
        QFETCH(int, port);
        QFETCH(QString, device);
        MemoryStore store;
        for (const QString &s : stored) {
            const auto parts = s.split(u'=');
            store.values.insert(QStringLiteral("Anschlüsse/Com") + parts[0], parts[1]);
        }
        const PortDirectory dir(store, App, [present] { return present; });
        QCOMPARE(dir.device(port), device);
    }

    void entriesForDisplay()
    {
        MemoryStore store;
        store.values.insert(QStringLiteral("Anschlüsse/Com3"), QStringLiteral("/dev/pts/4"));
        const PortDirectory dir(store, App, [] { return QStringList{"/dev/ttyS0", "/dev/ttyUSB0"}; });
        const auto list = dir.entries(1, 4);
        QCOMPARE(list.size(), 4);
        QCOMPARE(PortDirectory::describe(list[0]), QStringLiteral("Com1 → /dev/ttyUSB0"));
        QCOMPARE(PortDirectory::describe(list[1]), QStringLiteral("Com2 → /dev/ttyS0"));
        QCOMPARE(PortDirectory::describe(list[2]), QStringLiteral("Com3 → /dev/pts/4"));
        QCOMPARE(PortDirectory::describe(list[3]), QStringLiteral("Com4 → kein Gerät"));
        QVERIFY(!list[0].stored);
        QVERIFY(list[2].stored);
        QVERIFY(dir.isStored(3));
        QVERIFY(!dir.isStored(1));
        QCOMPARE(dir.describe(3), QStringLiteral("Com3 → /dev/pts/4"));
        QCOMPARE(dir.entries().size(), PortDirectory::LastPort);
        for (const auto &e : list)
            QCOMPARE(dir.device(e.port), e.device);
    }

    // The entry a shell script writes is the one the program reads, and the
    // real store writes the section as the header comment says.
    void storedEntryInTheIniFile()
    {
        QFile::remove(SettingsStore::fileName(App));
        SettingsStore store;
        QVERIFY(store.saveSetting(App, PortDirectory::section(), PortDirectory::key(5),
                                  QStringLiteral("/dev/ttyUSB3")));
        QFile file(SettingsStore::fileName(App));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray ini = file.readAll();
        QVERIFY2(ini.contains("[Anschl%FCsse]\nCom5=/dev/ttyUSB3"), ini.constData());
        file.close();

        // As a script would write it.
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[Anschl%FCsse]\nCom6=/dev/pts/11\n");
        file.close();
        const PortDirectory dir(store, App, [] { return QStringList{}; });
        QCOMPARE(dir.device(6), QStringLiteral("/dev/pts/11"));
        QCOMPARE(dir.device(5), QString());
    }
};

QTEST_GUILESS_MAIN(PortDirectoryTest)
#include "tst_portdirectory.moc"
