// The settings string as the dialog reads and writes it, and the stored settings as
// start-up reads them and OK writes them, without any widget.
#include "platform/SettingsStore.h"
#include "settings/StoredSettings.h"
#include "terminal/TerminalOptions.h"
#include "tests/support/core/FakeSerialComm.h"
#include "tests/support/core/MemoryStore.h"
#include "tests/support/core/ScriptedDialogs.h"

#include <QFile>
#include <QTest>

class SettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void load_data()
    {
        QTest::addColumn<QStringList>("stored");   // settings, port, handshaking, echo, mode; null: none
        QTest::addColumn<QString>("message");      // the one message, empty for none
        QTest::addColumn<QString>("after");        // complete (+/-), settings, port number, handshaking, echo, mode
        const QString n;
        QTest::newRow("empty store") << QStringList{n, n, n, n, n} << "" << "+ 9600,n,8,1 1 0 0 Ascii-Modus";
        QTest::newRow("all stored") << QStringList{"19200,E,7,2", "3", "2", "True", "Kestrix"} << ""
                                    << "+ 19200,e,7,2 3 2 1 Kestrix";
        QTest::newRow("refused settings end start-up") << QStringList{"9600,X,8,1", "3", n, "True", "Kestrix"}
            << "Ungültige Parität \"X\": erlaubt sind E, O, N, M und S." << "- 9600,n,8,1 1 0 0 ";
        QTest::newRow("bad port reported at the handshaking") << QStringList{n, "abc", "2", "True", n}
            << "Typen unverträglich: \"abc\" ist keine Zahl." << "- 9600,n,8,1 1 2 0 ";
        QTest::newRow("bad port, no handshaking: silent") << QStringList{n, "abc", n, n, n} << ""
                                                          << "+ 9600,n,8,1 1 0 0 Ascii-Modus";
        QTest::newRow("handshaking out of range") << QStringList{n, "2", "7", n, n}
            << "Ungültiger Wert 7 für Handshaking: erlaubt ist 0 bis 3." << "- 9600,n,8,1 2 0 0 ";
        QTest::newRow("echo number") << QStringList{n, n, n, "-1", n} << "" << "+ 9600,n,8,1 1 0 1 Ascii-Modus";
        QTest::newRow("echo nonsense ignored") << QStringList{n, n, n, "vielleicht", n} << "" << "+ 9600,n,8,1 1 0 0 Ascii-Modus";
        // A value far longer than any valid one is refused like any other, quoted short.
        const QString wall = QString(1 << 20, u'9') + u',';
        QTest::newRow("a wall of settings") << QStringList{wall, n, n, n, n} << "Ungültige Einstellungen \"99999999999999999999999\u2026\": "
            "erwartet werden Geschwindigkeit, Parität, Datenbits und Stopbits, durch Kommas getrennt (z. B. 9600,N,8,1)."
            << "- 9600,n,8,1 1 0 0 ";
        QTest::newRow("a wall of handshaking") << QStringList{n, n, wall, n, n}
            << "Überlauf: \"99999999999999999999999\u2026\" liegt außerhalb von -2147483648 bis 2147483647." << "- 9600,n,8,1 1 0 0 ";
    }
    void load()
    {
        QFETCH(QStringList, stored);
        QFETCH(QString, message);
        MemoryStore store;
        StoredSettings settings(store, QStringLiteral("KX"));
        const QString keys[] = {StoredSettings::KeySettings, StoredSettings::KeyPort, StoredSettings::KeyHandshaking,
                                StoredSettings::KeyEcho, StoredSettings::KeyEmulation};
        for (int i = 0; i < 5; ++i)
            if (!stored[i].isNull())
                store.saveSetting(QStringLiteral("KX"), StoredSettings::Section, keys[i], stored[i]);
        store.written.clear();
        FakeSerialComm port;
        TerminalOptions options;
        ScriptedDialogs dialogs;
        QString comPort;
        const bool complete = settings.load(port, options, comPort, dialogs);
        QCOMPARE(dialogs.messages(), message.isEmpty() ? QStringList() : QStringList{"! " + message});
        QTEST(QStringLiteral("%1 %2 %3 %4 %5 %6").arg(QChar(complete ? u'+' : u'-')).arg(port.settings()).arg(port.commPort())
                  .arg(port.handshaking()).arg(int(options.localEcho)).arg(options.emulationText()), "after");
        QVERIFY(store.written.isEmpty());   // start-up writes nothing
    }

    // OK stores what the port reports, in this order; a store that cannot be
    // written is tried key by key all the same.
    void save()
    {
        for (bool refuse : {false, true}) {
            MemoryStore store;
            store.refuse = refuse;
            FakeSerialComm port;
            port.setSettings(QStringLiteral("19200,O,7,1.5"));
            port.setCommPort(3);
            TerminalOptions options;
            options.localEcho = true;
            options.setEmulationText(QStringLiteral("VT100"));
            StoredSettings(store, QStringLiteral("KX")).save(port, options);
            QCOMPARE(store.written, (QStringList{"Einstellungen", "COM-Anschluß", "Handshaking", "Echo", "TermEmu"}));
            // By key: COM-Anschluß, Echo, Einstellungen, Handshaking, TermEmu.
            const QStringList values{"3", "True", "19200,o,7,1.5", "0", "VT100"};
            QCOMPARE(QStringList(store.values.values()), refuse ? QStringList() : values);
        }
    }

    // The device entry a shell script writes into the settings file is the one the
    // program reads, and the program writes it the same way.
    void deviceEntryInTheIniFile()
    {
        const QString app = QStringLiteral("Kestrix II/LT - Display  V 1.1.2");
        SettingsStore store;
        StoredSettings settings(store, app);
        QVERIFY(settings.setDevice(5, QStringLiteral("/dev/ttyUSB3")));
        QFile file(SettingsStore::fileName(app));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("[Anschl%FCsse]\nCom5=/dev/ttyUSB3"));
        file.close();
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[Anschl%FCsse]\nCom6=/dev/pts/11\n");
        file.close();
        QCOMPARE(settings.device(6), QStringLiteral("/dev/pts/11"));
        QCOMPARE(settings.device(5), QString());
    }
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
