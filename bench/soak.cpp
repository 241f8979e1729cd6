// Soak: the main window on the real serial component, through many cycles of a
// device pulled away and plugged back: the port is named by a link (as
// /dev/serial/by-id names adapters), the controller's text streams in, the
// pseudo-terminal behind the link goes away, and the link is pointed at a new one.
// Every cycle the program must wait without a message and be back on the line by
// itself; the open files must not grow; memory (VmRSS) must stay flat once the first
// hundred cycles have warmed up. Then it measures the processor time of a minute's
// fraction idle with the port closed and the same time waiting for a device: the
// wait must cost no more.
//
//   soak [cycles]      default 1000; prints a line every 100 cycles, exits 1 on a fault
#include "ProcessStats.h"
#include "app/ProgramInfo.h"
#include "app/Session.h"
#include "app/frmKX_Display.h"
#include "platform/ColorLabel.h"
#include "platform/Dialogs.h"
#include "settings/StoredSettings.h"
#include "tests/support/core/MemoryStore.h"
#include "tests/support/core/PtyPair.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

namespace {
int openFiles()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

QByteArray controllerText()
{
    QByteArray page = "KONFIGURATIONSMENUE \r\n> ROTORANORDNUNG\r\n  AKKU\r\n  DIAGNOSE\r\n"
                      "KONFIGURATIONSMENUE > DIAGNOSE\r\n  Gyro Test (verlassen mit Roll links!)\r\n> Roll\r\n";
    for (int i = 0; i < 40; ++i) {
        QByteArray line(39, ' ');
        line[(i * 7) % 39] = '*';
        page += line + "\r\n";
    }
    return page;
}

// Counts the messages and keeps none: the soak measures the program, not a list.
class CountingDialogs : public Dialogs
{
public:
    int messages = 0;
    QString last;
    Answer msgBox(const QString &prompt, Buttons, Icon, const QString &) override
    {
        ++messages;
        last = prompt;
        return Answer::Ok;
    }
    QString inputBox(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QStringList &, int *) override { return {}; }
};

bool waitFor(const std::function<bool()> &done, int ms = 5000)
{
    for (QDeadlineTimer deadline(ms); !done(); QCoreApplication::processEvents(QEventLoop::AllEvents, 5))
        if (deadline.hasExpired())
            return false;
    return true;
}

// Processor time (user and system) this process spends in `ms` of an idle event loop.
double cpuMsIdle(int ms)
{
    const auto used = [] {
        rusage r{};
        ::getrusage(RUSAGE_SELF, &r);
        return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1000.0 + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1000.0;
    };
    const double before = used();
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return used() - before;
}
} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/kx-soak-XXXXXX"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("XDG_STATE_HOME", QFile::encodeName(home.filePath(QStringLiteral("state"))));
    QApplication app(argc, argv);
    const int cycles = argc > 1 ? QByteArray(argv[1]).toInt() : 1000;
    const QString link = home.filePath(QStringLiteral("ttyKX"));
    MemoryStore store;
    CountingDialogs dialogs;
    StoredSettings(store, ProgramInfo::title()).setDevice(1, link);
    Session session(dialogs, {nullptr, &store});
    frmKX_Display window(session);
    window.Form_Load();
    window.show();
    QAction *open = window.findChild<QAction *>(QStringLiteral("mnuOpen"));
    QAction *close = window.findChild<QAction *>(QStringLiteral("mnuClose"));
    const ColorLabel *label = window.findChild<ColorLabel *>(QStringLiteral("lblComOpen"));
    const auto shows = [label](const char *word) { return [label, word] { return label->text().endsWith(QLatin1StringView(word)); }; };
    const QByteArray text = controllerText();

    auto pty = std::make_unique<PtyPair>();
    QFile::link(pty->slavePath(), link);
    open->trigger();
    int filesAfterWarmUp = 0;
    long rssAfterWarmUp = 0;
    QList<qint64> backMs;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        if (!waitFor(shows("open "))) {
            std::fprintf(stderr, "cycle %d: the port is not open: %s\n", cycle, qPrintable(label->text()));
            return 1;
        }
        for (int i = 0; i < 4; ++i)
            pty->writeMaster(text);
        QCoreApplication::processEvents();
        pty.reset();   // pulled away
        if (!waitFor(shows("wartet"))) {
            std::fprintf(stderr, "cycle %d: no wait after the loss: %s\n", cycle, qPrintable(label->text()));
            return 1;
        }
        pty = std::make_unique<PtyPair>();   // plugged back, perhaps as another pty
        QFile::remove(link);
        QElapsedTimer back;
        back.start();
        QFile::link(pty->slavePath(), link);
        if (!waitFor(shows("open ")))
            continue;   // reported at the top of the next cycle
        backMs << back.elapsed();
        if (dialogs.messages != 0) {
            std::fprintf(stderr, "cycle %d: a message: %s\n", cycle, qPrintable(dialogs.last));
            return 1;
        }
        if (cycle == 100) {
            filesAfterWarmUp = openFiles();
            rssAfterWarmUp = statusKb("VmRSS:");
        }
        if (cycle % 100 == 0)
            std::printf("cycle %4d: %d open files, VmRSS %ld kB, VmHWM %ld kB\n", cycle, openFiles(),
                        statusKb("VmRSS:"), statusKb("VmHWM:"));
    }
    std::sort(backMs.begin(), backMs.end());
    if (!backMs.isEmpty())
        std::printf("back on the line after the link was re-pointed: median %lld ms, slowest %lld ms\n",
                    backMs.at(backMs.size() / 2), backMs.last());
    std::fflush(stdout);
    const int files = openFiles();
    const long rss = statusKb("VmRSS:");
    if (cycles >= 200 && (files > filesAfterWarmUp || rss > rssAfterWarmUp + 1024)) {
        std::fprintf(stderr, "grew after cycle 100: open files %d -> %d, VmRSS %ld -> %ld kB\n", filesAfterWarmUp,
                     files, rssAfterWarmUp, rss);
        return 1;
    }

    // Idle with the port closed, then waiting for a device that does not come.
    close->trigger();
    const double closedMs = cpuMsIdle(5000);
    open->trigger();
    pty.reset();
    if (!waitFor(shows("wartet"))) {
        std::fprintf(stderr, "no wait after the last loss\n");
        return 1;
    }
    const double waitingMs = cpuMsIdle(5000);
    std::printf("processor time in 5 s idle: port closed %.1f ms, waiting for the device %.1f ms\n", closedMs,
                waitingMs);
    if (waitingMs > closedMs + 20) {
        std::fprintf(stderr, "waiting costs more than idle with the port closed\n");
        return 1;
    }
    return 0;
}
