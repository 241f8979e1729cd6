// The simulator as a program: its pty, its settings entry, replay and ending.
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QTemporaryFile>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {
// Opens the simulator's device as a serial program would: raw, 8N1.
int openDevice(const QString &path)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return -1;
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    return fd;
}

// Reads until `until` has arrived or the deadline passes.
QByteArray readUntil(int fd, const QByteArray &until, int timeoutMs = 5000)
{
    QByteArray got;
    QDeadlineTimer deadline(timeoutMs);
    while ((until.isEmpty() || !got.contains(until)) && !deadline.hasExpired()) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0) {
            char buf[4096];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0)
                got.append(buf, n);
            else if (n < 0 && errno != EAGAIN)
                break;
        }
    }
    return got;
}

bool startSim(QProcess &sim, const QStringList &args, QString *path)
{
    sim.setProgram(QStringLiteral(KX_SIM_PATH));
    sim.setArguments(args);
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start();
    if (!sim.waitForStarted(5000))
        return false;
    QDeadlineTimer deadline(5000);
    while (!sim.canReadLine() && !deadline.hasExpired() && sim.state() == QProcess::Running)
        sim.waitForReadyRead(100);
    *path = QString::fromLocal8Bit(sim.readLine()).trimmed();
    return !path->isEmpty();
}
} // namespace

class tst_KxSimProcess : public QObject
{
    Q_OBJECT

private slots:
    void menuOverThePty_data();
    void menuOverThePty();
    void survivesReopening();
    void storesComPort();
    void replays();
    void badArguments_data();
    void badArguments();
};

void tst_KxSimProcess::menuOverThePty_data()
{
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("menu") << QByteArray("a") << QByteArray("\r\nKONFIGURATIONSMENUE \r\n> ROTORANORDNUNG\r\n");
    QTest::newRow("CR arrives as CR") << QByteArray("as\r") << QByteArray("\r\nKONFIGURATIONSMENUE > AKKU\r\n");
    QTest::newRow("gyro readings") << QByteArray("aw\r") << QByteArray("*");
}

void tst_KxSimProcess::menuOverThePty()
{
    QFETCH(QByteArray, keys);
    QFETCH(QByteArray, expected);

    QProcess sim;
    QString path;
    QVERIFY(startSim(sim, {"--rate", "0", "--tick-ms", "20"}, &path));
    const int fd = openDevice(path);
    QVERIFY2(fd >= 0, qPrintable(path));
    QByteArray got;
    for (char c : keys) {
        QCOMPARE(::write(fd, &c, 1), ssize_t(1));
        got += readUntil(fd, "\r\n", 500);
    }
    if (!got.contains(expected))
        got += readUntil(fd, expected);
    ::close(fd);
    QVERIFY2(got.contains(expected), got.constData());
    // Nothing the program sent was echoed back.
    QVERIFY(!got.startsWith(keys));
    sim.terminate();
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
}

void tst_KxSimProcess::survivesReopening()
{
    QProcess sim;
    QString path;
    QVERIFY(startSim(sim, {"--rate", "0"}, &path));
    for (int round = 0; round < 3; ++round) {
        const int fd = openDevice(path);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, "x", 1), ssize_t(1));
        const QByteArray got = readUntil(fd, "DIAGNOSE\r\n");
        ::close(fd);
        QVERIFY2(got.contains("KONFIGURATIONSMENUE \r\n"), got.constData());
    }
    QCOMPARE(sim.state(), QProcess::Running);
    ::kill(pid_t(sim.processId()), SIGINT);
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 0);
}

void tst_KxSimProcess::storesComPort()
{
    QProcess sim;
    QString path;
    QVERIFY(startSim(sim, {"--com", "7"}, &path));
    QSettings store(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("KX_Display"),
                    QStringLiteral("Kestrix II/LT - Display  V 1.1.2"));
    QCOMPARE(store.value(QStringLiteral("Anschlüsse/Com7")).toString(), path);
    sim.terminate();
    QVERIFY(sim.waitForFinished(5000));
}

void tst_KxSimProcess::replays()
{
    QTemporaryFile file;
    QVERIFY(file.open());
    QByteArray bytes;
    for (int i = 0; i < 3000; ++i)
        bytes += char(i * 7 % 256);
    file.write(bytes);
    file.close();

    QProcess sim;
    QString path;
    QVERIFY(startSim(sim, {"--replay", file.fileName(), "--rate", "100000", "--exit-after-replay"}, &path));
    const int fd = openDevice(path);
    QVERIFY(fd >= 0);
    QByteArray got;
    QDeadlineTimer deadline(5000);
    while (got.size() < bytes.size() && !deadline.hasExpired())
        got += readUntil(fd, QByteArray(), 50);
    ::close(fd);
    // Every byte as recorded: CR, LF and all, nothing translated.
    QCOMPARE(got.size(), bytes.size());
    QVERIFY(got == bytes);
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 0);
}

void tst_KxSimProcess::badArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");

    QTest::newRow("unknown option") << QStringList{"--nope"} << 2;
    QTest::newRow("bad com") << QStringList{"--com", "99"} << 2;
    QTest::newRow("missing replay file") << QStringList{"--replay", "/nonexistent/rec.bin"} << 1;
    QTest::newRow("help") << QStringList{"--help"} << 0;
}

void tst_KxSimProcess::badArguments()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);

    QProcess sim;
    sim.start(QStringLiteral(KX_SIM_PATH), args);
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), exitCode);
    if (exitCode == 0)
        QVERIFY(sim.readAllStandardOutput().contains("--replay"));
    else
        QVERIFY(!sim.readAllStandardError().isEmpty());
}

QTEST_GUILESS_MAIN(tst_KxSimProcess)
#include "tst_kxsim_process.moc"
