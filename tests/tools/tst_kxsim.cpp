// The controller simulator: its menus as a state machine, its replay plan, and the
// program on a pty, live and replaying a capture of its own.
#include "ControllerMenu.h"
#include "ReplayPlan.h"
#include "SimOptions.h"
#include "app/ProgramInfo.h"
#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "serial/QtSerialComm.h"
#include "settings/StoredSettings.h"
#include "terminal/GyroSeries.h"
#include "terminal/RichTextModel.h"
#include "terminal/SessionCapture.h"
#include "terminal/TerminalEngine.h"
#include "terminal/TerminalOptions.h"
#include "tests/support/core/IndicatorRowState.h"
#include "tests/support/core/Refusal.h"
#include "tests/support/core/ScriptedDialogs.h"

#include <QBuffer>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {
using Screen = ControllerMenu::Screen;

QStringList linesOf(const QByteArray &bytes)
{
    QStringList out = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
    out.removeAll(QString());
    return out;
}

bool startSim(QProcess &sim, const QStringList &args, QString *path)
{
    sim.start(QStringLiteral(KX_SIM_PATH), args);
    for (int i = 0; i < 50 && !sim.canReadLine() && sim.state() != QProcess::NotRunning; ++i)
        sim.waitForReadyRead(100);
    *path = QString::fromLocal8Bit(sim.readLine()).trimmed();
    return !path->isEmpty();
}

// What the device at `path` sends within the time, opened raw as a serial program would.
QByteArray talk(const QString &path, const QByteArray &keys, const QByteArray &until, int ms = 5000)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return {};
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    (void)!::write(fd, keys.constData(), size_t(keys.size()));
    QByteArray got;
    for (const QDeadlineTimer deadline(ms); !got.contains(until) && !deadline.hasExpired();) {
        pollfd p{fd, POLLIN, 0};
        char buf[4096];
        if (::poll(&p, 1, 50) > 0)
            got.append(buf, qMax<ssize_t>(0, ::read(fd, buf, sizeof buf)));
    }
    ::close(fd);
    return got;
}

// The terminal engine on the real serial component, its Com port a simulator's pty,
// keeping the gyro test's readings.
struct Session
{
    QString path;
    // Locks of its own: a lock another program holds on a reused pty number is no concern here.
    QTemporaryDir locks{QDir::tempPath() + QStringLiteral("/kx-locks-XXXXXX")};
    QtSerialComm port{[this](int) { return path; }, nullptr, locks.path()};
    RichTextModel view;
    IndicatorRowState row;
    TerminalOptions options;
    TerminalEngine engine{port, view, row, options};
    SteadyClock clock;
    GyroSeries series{clock};

    explicit Session(const QString &device) : path(device)
    {
        engine.recordGyroReadings(series);
        QObject::connect(&port, &SerialComm::OnComm, &engine, &TerminalEngine::MSComm1_OnComm);
        if (const QString refused = refusal([this] { port.setPortOpen(true); }); !refused.isEmpty())
            QTest::qFail(qPrintable(refused), __FILE__, __LINE__);
    }
    // Gyro and column of each reading, "-" for a gap.
    QStringList readings(std::optional<GyroSeries::Gyro> only = {}) const
    {
        QStringList out;
        for (qsizetype i = 0; i < series.size(); ++i)
            if (const GyroSeries::Reading r = series.at(i); !only || r.gyro == *only)
                out << GyroSeries::name(r.gyro) + u' ' + (r.column ? QString::number(r.column) : QStringLiteral("-"));
        return out;
    }
};
} // namespace

class KxSimTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_config;   // --com writes settings: never the user's own, even when run by hand

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit()); }
    void keys_data()
    {
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<int>("screen");
        QTest::addColumn<QStringList>("present");
        const auto row = [](const char *name, const char *keys, Screen s, const QStringList &present) {
            QTest::newRow(name) << QByteArray(keys) << int(s) << present;
        };
        row("silent until a key", "", Screen::Idle, {});
        row("any key shows the menu", "a", Screen::Menu, {"KONFIGURATIONSMENUE ", "> ROTORANORDNUNG", "  DIAGNOSE"});
        row("a page with a value", "as\r", Screen::Page, {"KONFIGURATIONSMENUE > AKKU", "> Zellenzahl =>3"});
        row("+ changes the value", "as\r+", Screen::Page, {"> Zellenzahl =>4"});
        row("LF after CR counts once", "a\r\ns", Screen::Page, {"> Drehrichtung vorne links =>rechts"});
        row("gyro test opens on roll", "aw\r", Screen::Diagnose,
            {"KONFIGURATIONSMENUE > DIAGNOSE", "  Gyro Test (verlassen mit Roll links!)", "Gyro Auswahl > Roll"});
        row("choosing back leaves", "aw\rw\r", Screen::Menu, {"KONFIGURATIONSMENUE ", "> DIAGNOSE"});
        row("umlaut is one byte", "assss\r", Screen::Page, {QStringLiteral("  Verz\u00f6gerung =>2 s")});
    }
    void keys()
    {
        QFETCH(QByteArray, keys);
        QFETCH(QStringList, present);
        ControllerMenu menu;
        QByteArray last;
        for (char c : keys)
            last = menu.key(c);
        QTEST(int(menu.screen()), "screen");
        for (const QString &l : present)
            QVERIFY2(linesOf(last).contains(l), qPrintable(l));
    }

    void replayPlan_data()
    {
        QTest::addColumn<QByteArray>("timing");    // null: no timing file
        QTest::addColumn<QByteArrayList>("steps"); // "PAUSE_US BYTES" each, or the line refused
        QTest::addColumn<QByteArray>("data");      // null: a short capture
        const auto row = [](const char *name, const QByteArray &timing, const QByteArrayList &steps, const QByteArray &data = {}) {
            QTest::newRow(name) << timing << steps << data;
        };
        row("counts split the bytes", "0.010191 5\n0.3 4\n", {"10191 abc\r\n", "300000 \xf6" "e\r\n"});
        row("not a number", "0.1 5\n0,3 5\n", {"line 2"});
        row("past the end", "0 5\n0 99\n", {"line 2"});
        row("NaN", "nan 1\n", {"line 1"});
        row("infinite", "0 1\ninf 1\n", {"line 2"});
        row("negative", "0 1\n-0.000001 1\n", {"line 2"});
        row("a negative count", "0 1\n0 -1\n", {"line 2"});
        row("a third field", "0 1\n0 1 2\n", {"line 2"});
        row("empty line", "0 1\n\n0 1\n", {"line 2"});
        row("a line too long to be one", "0 1\n" + QByteArray(1024, ' ') + "0 1\n", {"line 2"});
        row("untimed skips the header", QByteArray(), {"0 abc\r\n\xf6" "e\r\n\nScript done on 2026\n"});
        const QByteArray large(ReplayPlan::MaxStepBytes + 10, 'x');
        row("a chunk larger than a step", "0.5 " + QByteArray::number(large.size()) + '\n',
            {"500000 " + large.left(ReplayPlan::MaxStepBytes), "0 " + large.left(10)}, "Script started\n" + large);
    }
    void replayPlan()
    {
        QFETCH(QByteArray, timing);
        QFETCH(QByteArray, data);
        if (data.isNull())
            data = "Script started on 2026\nabc\r\n\xf6" "e\r\n\nScript done on 2026\n";
        QBuffer dataFile(&data), timingFile(&timing);
        QVERIFY(dataFile.open(QIODevice::ReadOnly) && timingFile.open(QIODevice::ReadOnly));
        ReplayPlan plan;
        QString error;
        QByteArrayList got;
        if (!plan.open(&dataFile, timing.isNull() ? nullptr : &timingFile, &error))
            got << error.section(' ', 0, 1).toLatin1();
        else
            for (ReplayPlan::Step step; plan.next(&step);)
                got << QByteArray::number(step.pauseUs) + ' ' + step.bytes;
        QTEST(got, "steps");
    }

    // On its pty: answers keys, survives the port being reopened, names itself as a
    // Com port in the program's store, and replays a recording at a rate and a
    // capture with its pauses, ending only once all of it has been read.
    void overThePty()
    {
        QProcess sim;
        QString path;
        QVERIFY(startSim(sim, {"--rate", "0", "--com", "7"}, &path));
        QCOMPARE(StoredSettings(*std::make_unique<SettingsStore>(), ProgramInfo::title()).device(7), path);
        QVERIFY(talk(path, "a", "> ROTORANORDNUNG\r\n").contains("KONFIGURATIONSMENUE \r\n"));
        QVERIFY(talk(path, "w", "> DIAGNOSE\r\n").contains("KONFIGURATIONSMENUE \r\n"));
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 0);

        QTemporaryFile file, timing;
        QVERIFY(file.open());
        QByteArray bytes;
        for (int i = 0; i < 256; ++i)
            bytes.append(char(i));
        file.write(bytes + "ENDE");
        file.close();
        QVERIFY(startSim(sim, {"--replay", file.fileName(), "--rate", "100000", "--exit-after-replay"}, &path));
        QCOMPARE(talk(path, {}, "ENDE"), bytes + "ENDE");
        QVERIFY(sim.waitForFinished(5000));
        // Timed, the first line (up to byte 10) is script's header.
        QVERIFY(timing.open() && timing.write("0 100\n0.2 149\n") > 0 && timing.flush());
        QVERIFY(startSim(sim, {"--replay", file.fileName(), "--timing", timing.fileName(), "--exit-after-replay"}, &path));
        QCOMPARE(talk(path, {}, "ENDE"), bytes.mid(11) + "ENDE");
        QVERIFY(sim.waitForFinished(5000));
    }

    // A session's capture, replayed with its pauses, gives the program the same
    // gyro readings, in the same order, as the session did.
    void replayEqualsLive()
    {
        QTemporaryDir dir;
        QProcess sim, replaying;
        QString path;
        QVERIFY(startSim(sim, {"--rate", "0", "--tick-ms", "10"}, &path));
        Session live(path);
        SessionCapture capture(live.port, live.clock);
        ScriptedDialogs dialogs;
        const QString file = dir.filePath(QStringLiteral("mitschnitt"));
        QVERIFY2(capture.start(file, dialogs), qPrintable(dialogs.messages().join(u'\n')));
        // The menu, up to the diagnosis page, which opens on roll; then nick and gier
        // and the transmitter, which ends the readings.
        live.port.output("aw\r");
        for (const auto gyro : GyroSeries::Gyros) {
            QTRY_VERIFY(live.readings(gyro).size() >= 20);
            live.port.output("s");
        }
        QTRY_COMPARE(live.row.checkCaption, QStringLiteral("Sender"));
        capture.stop();
        live.port.setPortOpen(false);
        QVERIFY(live.readings().contains(QStringLiteral("Gier -")));

        QVERIFY(startSim(replaying, {"--replay", file, "--timing", SessionCapture::timingFileName(file),
                                     "--exit-after-replay"}, &path));
        Session replay(path);
        QTRY_COMPARE(replay.readings(), live.readings());
        // To its end: nothing more comes.
        QTRY_COMPARE(replaying.state(), QProcess::NotRunning);
        QCOMPARE(replay.readings(), live.readings());
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
    }
};

QTEST_GUILESS_MAIN(KxSimTest)
#include "tst_kxsim.moc"
