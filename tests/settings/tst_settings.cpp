// Values the user gives the program, without any widget: numbers as typed into the
// hidden service menu and as stored; the stored settings as start-up reads them and
// OK writes them; and the service menu's commands on a scripted port: what each
// answer leaves on the port object, and the one message, if any.
#include "app/ProgramInfo.h"
#include "platform/IniText.h"
#include "platform/SettingsStore.h"
#include "serial/LenientNumber.h"
#include "serial/SerialTuning.h"
#include "settings/SettingsPresets.h"
#include "settings/StoredSettings.h"
#include "terminal/TerminalOptions.h"
#include "tests/support/core/Files.h"
#include "tests/support/core/FakeSerialComm.h"
#include "tests/support/core/MemoryStore.h"
#include "tests/support/core/Refusal.h"
#include "tests/support/core/ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

#include <future>
#include <sys/stat.h>
#include <thread>

namespace {
// The number read, or the description of the refusal.
template <typename F>
QString outcome(F &&read)
{
    QString number;
    const QString why = refusal<LenientNumber::Error>([&] { number = QString::number(read()); });
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

class SettingsTest : public QObject
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

    // What the settings dialog preselects for each parity the port reports.
    void parityPresets()
    {
        QStringList shown;
        for (const char *settings : {"9600,e,8,1", "9600,o,8,1", "9600,n,8,1", "9600,m,8,1", "9600,s,8,1"})
            shown << SettingsPresets::fromSettings(QLatin1StringView(settings)).parity;
        QCOMPARE(shown, (QStringList{"Even", "Odd", "None", "Mark", "Space"}));
    }

    void load_data()
    {
        QTest::addColumn<QStringList>("stored");   // settings, port, handshaking, echo, mode; null: none
        QTest::addColumn<QString>("message");      // the refusal start-up shows, empty for none
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
        const StoredSettings::Loaded loaded = settings.load(port, options);
        QCOMPARE(loaded.refused.value_or(QString()), message);
        QTEST(QStringLiteral("%1 %2 %3 %4 %5 %6").arg(QChar(loaded.refused ? u'-' : u'+')).arg(port.settings()).arg(port.commPort())
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

    // Files as the program has always written them, with QSettings' INI format: a
    // fresh one, one with sections, keys and comments of others, values of every
    // shape. The same bytes come out, and a new store reads the same texts, the
    // program's own and the others'.
    void iniFiles_data()
    {
        QTest::addColumn<QByteArray>("before");   // null: no file
        QTest::addColumn<QStringList>("saved");   // "section/key=value", in this order
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("read");    // "section/key=value" afterwards
        const QStringList program{"Einstellungen/Einstellungen=19200,o,7,1.5", "Einstellungen/COM-Anschluß=3",
                                  "Einstellungen/Handshaking=2", "Einstellungen/Echo=True", "Einstellungen/TermEmu=Kestrix"};
        QTest::newRow("fresh") << QByteArray() << program
            << QByteArray("[Einstellungen]\nCOM-Anschlu%DF=3\nEcho=True\nEinstellungen=\"19200,o,7,1.5\"\nHandshaking=2\n"
                          "TermEmu=Kestrix\n") << program;
        QTest::newRow("others' keys, line ends, Windows-1252 and UTF-8")
            << QByteArray("; von Hand\r[Zeug]\nb=1\na = 2 \n[Einstellungen]\nTermEmu=Ascii-Modus\r\nNotiz=\"x, y\"\n"
                          "[Anschl%FCsse]\rCom3=/dev/ttyUSB0\rCom4=/dev/tty\xfc\nCom5=Gr\xc3\xbc\xc3\x9f" "e\ntop=1\n[General]\ng=2\n")
            << QStringList{"Einstellungen/TermEmu=Kestrix"}
            << QByteArray("[General]\ng=2\n\n[Anschl%FCsse]\nCom3=/dev/ttyUSB0\nCom4=/dev/tty\xef\xbf\xbd\nCom5=Gr\xc3\xbc\xc3\x9f"
                          "e\ntop=1\n\n[Einstellungen]\nNotiz=\"x, y\"\nTermEmu=Kestrix\n\n[Zeug]\na=2\nb=1\n")
            << QStringList{"Zeug/a=2", "Einstellungen/Notiz=x, y", "Anschlüsse/Com4=/dev/tty\ufffd", "Anschlüsse/Com5=Grüße"};
        const QStringList shapes{"Grüße/Komma=9600,N,8,1", "Grüße/Zitat=\"q\"", "Grüße/Pfad=C:\\Pfad\\", "Grüße/Blanks= 7 ",
                                 "Grüße/At=@home", "Grüße/AtAt=@@", "Grüße/Leer=", "Grüße/Zeilen=Tab\tNeu\nZeile\t",
                                 "Grüße/Straße=Grüße €", "Grüße/Tür=x=y", "Grüße/Semi=a;b", "Grüße/Steuer=\x1b" "0",
                                 "Grüße/ÿ=y"};
        QTest::newRow("values of every shape") << QByteArray() << shapes
            << QByteArray("[Gr%FC%DFe]\nAt=@@home\nAtAt=@@@\nBlanks=\" 7 \"\nKomma=\"9600,N,8,1\"\nLeer=\nPfad=C:\\\\Pfad\\\\\n"
                          "Semi=\"a;b\"\nSteuer=\\x1b\\x30\nStra%DFe=Gr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac\nT%FCr=\"x=y\"\n"
                          "Zeilen=Tab\\tNeu\\nZeile\\t\nZitat=\\\"q\\\"\n%FF=y\n")
            << shapes;
        const QByteArray device("[Anschl%FCsse]\nCom6=/dev/pts/11\n");
        QTest::newRow("written by hand while the program runs") << device << QStringList() << device
                                                                << QStringList{"Anschlüsse/Com6=/dev/pts/11"};
    }
    void iniFiles()
    {
        QFETCH(QByteArray, before);
        QFETCH(QStringList, saved);
        const QString app = QStringLiteral("ini");
        QFile file(SettingsStore::fileName(app));
        QFile::remove(file.fileName());
        SettingsStore store;
        QCOMPARE(store.getSetting(app, QStringLiteral("Zeug"), QStringLiteral("a"), QStringLiteral("-")), QStringLiteral("-"));
        if (!before.isNull())
            QVERIFY(writeFile(file.fileName(), before));
        for (const QString &entry : saved)
            QVERIFY(store.saveSetting(app, entry.section(u'/', 0, 0), entry.section(u'/', 1).section(u'=', 0, 0),
                                      entry.section(u'=', 1)));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QTEST(file.readAll(), "after");
        QFETCH(QStringList, read);
        // The store that wrote, and one that reads the file anew: QSettings takes
        // again what it read or wrote of a file while the file's time stays.
        const SettingsStore fresh;
        for (const SettingsStore *reader : {&std::as_const(store), &fresh}) {
            for (const QString &entry : read)
                QCOMPARE(entry.section(u'=', 0, 0) + u'=' + reader->getSetting(app, entry.section(u'/', 0, 0),
                                                                                entry.section(u'/', 1).section(u'=', 0, 0)),
                         entry);
            QVERIFY(file.setFileTime(QDateTime(QDate(2026, 1, 1), QTime(0, 0)), QFileDevice::FileModificationTime));
        }
    }

    // The file is where QSettings' own INI format has always kept it.
    void fileName()
    {
        const QString app = ProgramInfo::title();
        QCOMPARE(SettingsStore::fileName(app),
                 QSettings(QSettings::IniFormat, QSettings::UserScope, QString::fromLatin1(SettingsStore::Organisation), app).fileName());
    }

    // A file that is no settings file of this program, or no file at all, is not
    // read (not waited for, not read without end), never written, and named in one
    // warning; the program goes on with the defaults. Values that QSettings would
    // decode into objects, however they are spelt, make a file such a one.
    void unreadFiles_data()
    {
        QTest::addColumn<QByteArray>("content");   // what the file holds, or what stands there: "fifo", ...
        QTest::addColumn<QString>("mode");         // TermEmu as read; "-" for the default
        const QByteArray five = "Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)";
        const QByteArray start = "[Einstellungen]\nTermEmu=Kestrix\n";
        const auto refused = [&](const char *name, const QByteArray &line) { QTest::newRow(name) << start + line + '\n' << "-"; };
        refused("object", "Echo=@" + five);
        refused("after an escaped semicolon", "x=\\;@Variant(\\0\\0\\0\\t\\0\\0\\0\\0\\x1\\0\\0\\0\\t\\0\\0\\0\\0\\x1\\0\\0\\0\\t)");
        refused("after an escaped comma", "Echo=\\,@" + five);
        refused("hex escape", "Echo=\\x40" + five);
        refused("octal escape", "Echo=\\100" + five);
        refused("continued line", "Echo=\\\n@" + five);
        refused("quoted", "Echo = \"@" + five + '"');
        refused("quoted key", "\"x=y\"=@" + five);
        refused("byte array", "Echo=@ByteArray(abc)");
        refused("CR LF", "Echo=True\r\nHandshaking=@" + five + "\r");
        refused("no key", "was soll das");
        refused("a key no program writes", "Echo/=True");
        QTest::newRow("unclosed section") << QByteArray("[Einstellungen\nTermEmu=Kestrix\n") << "-";
        const QByteArray mb = start + QByteArray(IniText::MaxBytes - start.size() - 1, ';') + '\n';
        QTest::newRow("1 MB") << mb << "Kestrix";
        QTest::newRow("1 MB and a byte") << mb + '\n' << "-";
        for (const char *kind : {"fifo", "directory", "link to /dev/zero", "link to nothing", "sparse 2 GB"})
            QTest::newRow(kind) << QByteArray(kind) << "-";
    }
    void unreadFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, mode);
        const QString app = QStringLiteral("unread ") + QLatin1StringView(QTest::currentDataTag());
        const QString path = SettingsStore::fileName(app);
        const QByteArray local = QFile::encodeName(path);
        QFile::remove(path);
        QDir(path).removeRecursively();
        QDir().mkpath(QFileInfo(path).path());
        if (content == "fifo")
            QCOMPARE(::mkfifo(local.constData(), 0600), 0);
        else if (content == "directory")
            QVERIFY(QDir().mkpath(path));
        else if (content.startsWith("link"))
            QVERIFY(QFile::link(content.endsWith("zero") ? QStringLiteral("/dev/zero") : path + u'x', path));
        else if (content == "sparse 2 GB")
            QVERIFY(writeFile(path, "[Einstellungen]\nTermEmu=Kestrix\n") && QFile(path).resize(2LL << 30));
        else
            QVERIFY(writeFile(path, content));
        const QFileInfo before(path);
        for (int store = 0; store < 2 && mode == u"-"; ++store)   // one warning from each store below
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^not reading or writing ")));
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        // TermEmu was read as `mode`, and nothing was written; on a thread of its own,
        // so that a store that waits fails the row instead of hanging the suite.
        std::promise<bool> outcome;
        std::future<bool> result = outcome.get_future();
        // Twice: the second store meets what QSettings kept of the first one's reading.
        std::thread([=, outcome = std::move(outcome)]() mutable {
            bool asExpected = true;
            for (int i = 0; i < 2; ++i) {
                SettingsStore store;
                const auto read = [&](const char *key) {
                    return store.getSetting(app, QStringLiteral("Einstellungen"), QLatin1StringView(key), QStringLiteral("-"));
                };
                asExpected = asExpected && read("TermEmu") == mode && read("Echo") == (i && mode != u"-" ? u"True" : u"-")
                             && store.saveSetting(app, QStringLiteral("Einstellungen"), QStringLiteral("Echo"),
                                                  QStringLiteral("True")) == (mode != u"-");
            }
            outcome.set_value(asExpected);
        }).detach();
        QVERIFY2(result.wait_for(std::chrono::seconds(5)) == std::future_status::ready, "the store waits");
        QVERIFY(result.get());
        if (mode == u"-") {
            const QFileInfo after(path);
            QCOMPARE(after.isSymLink(), before.isSymLink());
            QCOMPARE(after.isFile(), before.isFile());
            QCOMPARE(after.size(), before.size());
            QCOMPARE(after.lastModified(), before.lastModified());
        }
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

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
