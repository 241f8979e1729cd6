// Throughput and load of the terminal: receive loop and view model alone, the full
// path from a pseudo-terminal into the main window, CPU at line rate, memory after a
// long stream, and timer lateness while a stream comes in.
//
//   bench_terminal core  [MB]        receive loop + view model, no widgets
//   bench_terminal rss   [MB]        peak RSS while MB stream through (flat?)
//   bench_terminal full  [MB] [plain] pty -> serial component -> main window
//   bench_terminal paced [s] [pid] [plain]  25,600 B/s for s seconds: CPU of this process
//                                    (and of the X server pid, if given)
//   bench_terminal late  [s]         25,600 B/s: how late a 16 ms timer fires
#include "app/ProgramInfo.h"
#include "app/frmKX_Display.h"
#include "terminal/RichTextModel.h"
#include "terminal/RichTextView.h"
#include "serial/SerialComm.h"
#include "platform/SettingsStore.h"
#include "settings/StoredSettings.h"
#include "terminal/TerminalOptions.h"
#include "terminal/IndicatorRow.h"
#include "terminal/TerminalEngine.h"
#include "tests/support/core/FakeSerialComm.h"
#include "tests/support/core/IndicatorRowState.h"
#include "tests/support/core/PtyPair.h"
#include "tests/support/core/ScriptedDialogs.h"

#include <QAction>
#include <QDeadlineTimer>
#include <QDir>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTimer>

#include <atomic>
#include <functional>
#include <chrono>
#include <cstdio>
#include <thread>

#include <poll.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

double threadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// Times every event the program handles, outermost only: the longest one is the
// longest the program itself can hold up a timer.
class TimedApplication : public QApplication
{
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override
    {
        if (m_depth++ > 0) {
            const bool r = QApplication::notify(receiver, event);
            --m_depth;
            return r;
        }
        QElapsedTimer t;
        t.start();
        const double cpu0 = threadCpuSeconds();
        const bool r = QApplication::notify(receiver, event);
        const qint64 ns = t.nsecsElapsed();
        longestEventCpuNs = qMax(longestEventCpuNs, qint64((threadCpuSeconds() - cpu0) * 1e9));
        if (ns > longestEventNs) {
            longestEventNs = ns;
            longestEvent = QStringLiteral("%1 to %2").arg(int(event->type()))
                               .arg(QLatin1StringView(receiver->metaObject()->className()));
        }
        --m_depth;
        return r;
    }
    qint64 longestEventNs = 0;      // wall time, preemption included
    qint64 longestEventCpuNs = 0;   // CPU time the event itself used
    QString longestEvent;

private:
    int m_depth = 0;
};

// What the controller prints: menu pages with cursors, the diagnosis page and
// gyro readings, about 40 characters a line.
QByteArray controllerText()
{
    QByteArray page;
    page += "KONFIGURATIONSMENUE \r\n";
    page += "> ROTORANORDNUNG\r\n  AKKU\r\n  MOTOREN\r\n  SETTINGS\r\n  NOTLANDUNG\r\n  DIAGNOSE\r\n";
    page += "KONFIGURATIONSMENUE > AKKU\r\n  Zellenzahl     = 3\r\n> Warnschwelle  = 10.5 V\r\n";
    page += "KONFIGURATIONSMENUE > DIAGNOSE\r\n  Gyro Test (verlassen mit Roll links!)\r\n";
    page += "  > Roll\r\n";
    for (int i = 0; i < 40; ++i) {
        QByteArray line(39, ' ');
        line[(i * 7) % 39] = '*';
        page += line + "\r\n";
    }
    page += "> Fernbedienung ...\r\nErkenne Mittelpositionen der Hebel...  \r\n";
    return page;
}

QByteArray stream(qint64 bytes)
{
    const QByteArray page = controllerText();
    QByteArray out;
    out.reserve(bytes);
    while (out.size() + page.size() <= bytes)
        out += page;
    out += QByteArray(bytes - out.size(), 'x');
    return out;
}

// Lines of text without any page title or gyro reading.
QByteArray plainText(qint64 bytes)
{
    QByteArray line = "Zeile mit gewoehnlichem Text, 0123456789 ABCDEFGH\r\n";
    QByteArray out;
    out.reserve(bytes);
    while (out.size() + line.size() <= bytes)
        out += line;
    out += QByteArray(bytes - out.size(), 'x');
    return out;
}

long statusKb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').first().toLong();
    return -1;
}

// utime + stime of a process in clock ticks.
long long cpuTicks(long pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray s = f.readAll();
    const QList<QByteArray> fields = s.mid(s.lastIndexOf(')') + 2).split(' ');
    // Fields after the name start at state (3rd); utime is the 14th, stime the 15th.
    return fields.value(11).toLongLong() + fields.value(12).toLongLong();
}

// Runs the event loop, sleeping while nothing happens, until done() holds (looked
// at every 20 ms).
void runUntil(const std::function<bool()> &done)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start(20);
    loop.exec();
}


struct CoreRig
{
    FakeSerialComm port;
    RichTextModel view;
    IndicatorRowState row;
    TerminalOptions options;
    TerminalEngine engine{port, view, row, options};
    CoreRig()
    {
        options.setEmulation(TerminalOptions::Emulation::Kestrix);
        QObject::connect(&port, &SerialComm::OnComm, &engine, &TerminalEngine::MSComm1_OnComm);
        port.setPortOpen(true);
    }
    void feed(const QByteArray &data)
    {
        for (qsizetype at = 0; at < data.size(); at += 4096)
            port.feed(data.mid(at, 4096));
    }
};

int core(double mb)
{
    const qint64 n = qint64(mb * 1e6);
    const struct { const char *name; QByteArray data; } cases[] = {
        {"controller text", stream(n)},
        {"one line without CR", QByteArray(n, 'a')},
    };
    for (const auto &c : cases) {
        CoreRig rig;
        QElapsedTimer t;
        t.start();
        const double cpu0 = threadCpuSeconds();
        rig.feed(c.data);
        const double s = t.nsecsElapsed() / 1e9;
        const double cpu = threadCpuSeconds() - cpu0;
        std::printf("core  %-20s %5.1f MB: wall %6.3f s = %6.2f MB/s; CPU %6.3f s = %6.2f MB/s (%5.1f ns/byte)\n",
                    c.name, n / 1e6, s, n / 1e6 / s, cpu, n / 1e6 / cpu, cpu * 1e9 / n);
    }
    return 0;
}

int rss(double mb)
{
    CoreRig rig;
    const QByteArray chunk = stream(1000000);
    const QByteArray noCr(1000000, 'b');
    std::printf("rss   before: VmHWM %ld kB, VmRSS %ld kB\n", statusKb("VmHWM:"), statusKb("VmRSS:"));
    for (int i = 1; i <= int(mb); ++i) {
        rig.feed(i % 2 ? chunk : noCr);
        if (i % 10 == 0)
            std::printf("rss   after %3d MB: VmHWM %ld kB, VmRSS %ld kB\n", i, statusKb("VmHWM:"),
                        statusKb("VmRSS:"));
    }
    return 0;
}

// The main window on the real serial component, opened on a pty.
struct Window
{
    PtyPair pty;
    SettingsStore store;
    ScriptedDialogs dialogs;
    std::unique_ptr<frmKX_Display> w;

    bool open()
    {
        if (!pty.isOpen()) {
            std::fprintf(stderr, "no pty: %s\n", qPrintable(pty.errorString()));
            return false;
        }
        StoredSettings(store, ProgramInfo::title()).setDevice(1, pty.slavePath());
        store.saveSetting(ProgramInfo::title(), StoredSettings::Section, StoredSettings::KeyEmulation,
                          TerminalOptions::KestrixText);
        w = std::make_unique<frmKX_Display>(frmKX_Display::Services{nullptr, &store, &dialogs, nullptr});
        w->show();
        w->findChild<QAction *>(QStringLiteral("mnuOpen"))->trigger();
        if (!w->findChild<QAction *>(QStringLiteral("mnuClose"))->isEnabled()) {
            std::fprintf(stderr, "port did not open: %s\n", qPrintable(dialogs.messages().join(u' ')));
            return false;
        }
        return true;
    }
    const RichTextModel &model() const
    {
        return w->findChild<RichTextView *>(QStringLiteral("RichTextBox"))->model();
    }
};

// Writes all n bytes to the pty master, waiting briefly whenever it is full;
// gives up early only when *stop is set.
qsizetype writeAll(int fd, const char *bytes, qsizetype n, const std::atomic<bool> *stop = nullptr)
{
    qsizetype sent = 0;
    while (sent < n && !(stop && *stop)) {
        const ssize_t k = ::write(fd, bytes + sent, size_t(n - sent));
        if (k > 0) {
            sent += k;
        } else {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 5);
        }
    }
    return sent;
}

// Writes data into the pty master from its own thread, optionally paced.
class Writer
{
public:
    Writer(int fd, QByteArray data, int bytesPerSecond)
        : m_thread([this, fd, data = std::move(data), bytesPerSecond] { run(fd, data, bytesPerSecond); }) {}
    ~Writer() { m_stop = true; m_thread.join(); }
    bool done() const { return m_done; }

private:
    void run(int fd, const QByteArray &data, int rate)
    {
        using clock = std::chrono::steady_clock;
        const auto start = clock::now();
        qsizetype at = 0;
        // Paced: 256 bytes every 10 ms at 25,600 B/s, as a UART would deliver them.
        const qsizetype slice = rate > 0 ? qMax(1, rate / 100) : 65536;
        while (at < data.size() && !m_stop) {
            if (rate > 0) {
                const auto due = start + std::chrono::microseconds(qint64(at) * 1000000 / rate);
                std::this_thread::sleep_until(due);
            }
            at += writeAll(fd, data.constData() + at, qMin(slice, data.size() - at), &m_stop);
        }
        m_done = true;
    }
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

int full(double mb, bool plain)
{
    Window win;
    if (!win.open())
        return 1;
    const QByteArray marker = "\r\nENDE 4711";
    QByteArray data = plain ? plainText(qint64(mb * 1e6)) : stream(qint64(mb * 1e6));
    data += marker;
    QElapsedTimer t;
    t.start();
    const long long cpu0 = cpuTicks(::getpid());
    Writer writer(win.pty.masterFd(), data, 0);
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (win.model().text().endsWith(QLatin1StringView("ENDE 4711")))
            loop.quit();
        if (t.elapsed() > 600000)
            loop.quit();
    });
    poll.start(1);
    loop.exec();
    const double s = t.nsecsElapsed() / 1e9;
    const double cpu = double(cpuTicks(::getpid()) - cpu0) / double(sysconf(_SC_CLK_TCK));
    std::printf("full  %s: %.1f MB pty -> component -> main window in %.3f s = %.2f MB/s (process CPU %.2f s)\n",
                plain ? "plain text" : "controller text", data.size() / 1e6, s, data.size() / 1e6 / s, cpu);
    return 0;
}

// The paced device runs in a process of its own, so that its CPU is not counted
// as the program's.
pid_t spawnPacedWriter(int fd, const QByteArray &data, int rate)
{
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    using clock = std::chrono::steady_clock;
    const auto start = clock::now();
    const qsizetype slice = qMax(1, rate / 100);
    for (qsizetype at = 0; at < data.size();) {
        std::this_thread::sleep_until(start + std::chrono::microseconds(qint64(at) * 1000000 / rate));
        at += writeAll(fd, data.constData() + at, qMin(slice, data.size() - at));
    }
    ::_exit(0);
}

bool childDone(pid_t pid)
{
    int status = 0;
    return ::waitpid(pid, &status, WNOHANG) == pid;
}

int paced(double seconds, long xserver, bool plain)
{
    Window win;
    if (!win.open())
        return 1;
    const int rate = 25600;
    const QByteArray data = plain ? plainText(qint64(rate * seconds)) : stream(qint64(rate * seconds));
    const long long me0 = cpuTicks(::getpid());
    const long long x0 = xserver > 0 ? cpuTicks(xserver) : 0;
    QElapsedTimer t;
    t.start();
    {
        const pid_t writer = spawnPacedWriter(win.pty.masterFd(), data, rate);
        runUntil([&] { return childDone(writer); });
        const QDeadlineTimer settle(200);
        runUntil([&] { return settle.hasExpired(); });
    }
    const double wall = t.nsecsElapsed() / 1e9;
    const double tck = double(sysconf(_SC_CLK_TCK));
    const double me = (cpuTicks(::getpid()) - me0) / tck;
    const double x = xserver > 0 ? (cpuTicks(xserver) - x0) / tck : 0.0;
    const double kb = data.size() / 1024.0;
    std::printf("paced %s, %d B/s for %.1f s (%s): program %.3f s CPU, X server %.3f s CPU\n", plain ? "plain text" : "controller text", rate, wall,
                qPrintable(QGuiApplication::platformName()), me, x);
    std::printf("paced CPU per KB %.1f us; share of one core: program %.2f %%, X %.2f %%, together %.2f %%\n",
                (me + x) * 1e6 / kb, 100 * me / wall, 100 * x / wall, 100 * (me + x) / wall);
    std::printf("paced view %d chars, last line complete: %s\n", int(win.model().length()),
                win.model().text().endsWith(QLatin1StringView("\r\n")) || !data.endsWith('\n') ? "yes" : "no");
    return 0;
}

// CPU of the main window with the port open and nothing arriving.
int idle(double seconds)
{
    Window win;
    if (!win.open())
        return 1;
    const long long me0 = cpuTicks(::getpid());
    QElapsedTimer t;
    t.start();
    const QDeadlineTimer until(qint64(seconds * 1000));
    runUntil([&] { return until.hasExpired(); });
    const double me = (cpuTicks(::getpid()) - me0) / double(sysconf(_SC_CLK_TCK));
    std::printf("idle  port open, nothing received, %.1f s: %.3f s CPU (%.2f %% of one core)\n",
                t.elapsed() / 1000.0, me, 100 * me / (t.elapsed() / 1000.0));
    return 0;
}

int late(double seconds)
{
    Window win;
    if (!win.open())
        return 1;
    const int rate = 25600;
    const QByteArray data = stream(qint64(rate * seconds));
    QTimer tick(win.w.get());
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(16);
    QElapsedTimer since;
    qint64 worst = 0, ticks = 0, over5 = 0;
    QObject::connect(&tick, &QTimer::timeout, &tick, [&] {
        const qint64 lateNs = since.nsecsElapsed() - 16000000;
        worst = qMax(worst, lateNs);
        over5 += lateNs > 5000000;
        ++ticks;
        since.restart();
    });
    // The window's first paint belongs to start-up, not to the stream.
    const QDeadlineTimer shown(500);
    runUntil([&] { return shown.hasExpired(); });
    auto *app = static_cast<TimedApplication *>(QCoreApplication::instance());
    app->longestEventNs = 0;
    app->longestEventCpuNs = 0;
    since.start();
    tick.start();
    {
        const pid_t writer = spawnPacedWriter(win.pty.masterFd(), data, rate);
        runUntil([&] { return childDone(writer); });
    }
    std::printf("late  16 ms timer, %lld ticks while %d B/s came in: worst %.2f ms late, %lld ticks more than 5 ms late\n",
                ticks, rate, worst / 1e6, over5);
    std::printf("late  longest single event meanwhile: %.2f ms wall (event %s), %.2f ms CPU\n",
                app->longestEventNs / 1e6, qPrintable(app->longestEvent), app->longestEventCpuNs / 1e6);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const QByteArray what = argc > 1 ? QByteArray(argv[1]) : QByteArray("core");
    const double arg = argc > 2 ? QByteArray(argv[2]).toDouble() : 0.0;
    // A private settings folder: the benchmark never touches the user's settings.
    const QByteArray home = QDir::tempPath().toLocal8Bit() + "/kx_bench_config";
    qputenv("XDG_CONFIG_HOME", home);
    if (what == "core" || what == "rss") {
        QCoreApplication app(argc, argv);
        return what == "core" ? core(arg > 0 ? arg : 50) : rss(arg > 0 ? arg : 50);
    }
    TimedApplication app(argc, argv);
    QSettings(QSettings::IniFormat, QSettings::UserScope, QString::fromLatin1(SettingsStore::Organisation),
              ProgramInfo::title()).clear();
    if (what == "full")
        return full(arg > 0 ? arg : 20, argc > 3 && QByteArray(argv[3]) == "plain");
    if (what == "paced")
        return paced(arg > 0 ? arg : 20, argc > 3 ? QByteArray(argv[3]).toLong() : 0,
                     argc > 4 && QByteArray(argv[4]) == "plain");
    if (what == "idle")
        return idle(arg > 0 ? arg : 5);
    if (what == "late")
        return late(arg > 0 ? arg : 10);
    std::fprintf(stderr, "unknown benchmark %s\n", what.constData());
    return 2;
}
