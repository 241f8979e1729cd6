// Soak: the main window on the real serial component, through many cycles of
// opening a pseudo-terminal, streaming the controller's text into it and pulling
// it away, as a flaky cable or a USB adapter pulled and plugged back would.
// After every loss there must be exactly one message more; the open files must not
// grow; memory (VmRSS) must stay flat once the first hundred cycles have warmed up.
//
//   soak [cycles]      default 1000; prints a line every 100 cycles, exits 1 on a fault
#include "ProcessStats.h"
#include "app/ProgramInfo.h"
#include "app/frmKX_Display.h"
#include "settings/StoredSettings.h"
#include "tests/support/core/MemoryStore.h"
#include "tests/support/core/PtyPair.h"
#include "platform/Dialogs.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <cstdio>

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
} // namespace

int main(int argc, char *argv[])
{
    qputenv("XDG_CONFIG_HOME", QDir::tempPath().toLocal8Bit() + "/kx_soak_config");
    QApplication app(argc, argv);
    const int cycles = argc > 1 ? QByteArray(argv[1]).toInt() : 1000;
    MemoryStore store;
    CountingDialogs dialogs;
    frmKX_Display window(frmKX_Display::Services{nullptr, &store, &dialogs, nullptr});
    window.show();
    QAction *open = window.findChild<QAction *>(QStringLiteral("mnuOpen"));
    const QByteArray text = controllerText();
    int filesAfterWarmUp = 0;
    long rssAfterWarmUp = 0;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        auto pty = std::make_unique<PtyPair>();
        StoredSettings(store, ProgramInfo::title()).setDevice(1, pty->slavePath());
        store.written.clear();
        open->trigger();
        if (open->isEnabled()) {
            std::fprintf(stderr, "cycle %d: the port did not open: %s\n", cycle, qPrintable(dialogs.last));
            return 1;
        }
        for (int i = 0; i < 4; ++i)
            pty->writeMaster(text);
        QCoreApplication::processEvents();
        pty.reset();   // pulled away
        waitFor([&] { return dialogs.messages >= cycle; });
        waitFor([] { return false; }, 20);   // time for a second, wrong message
        if (dialogs.messages != cycle || !open->isEnabled()) {
            std::fprintf(stderr, "cycle %d: %d messages, port %s\n", cycle, dialogs.messages,
                         open->isEnabled() ? "closed" : "still open");
            return 1;
        }
        if (cycle == 100) {
            filesAfterWarmUp = openFiles();
            rssAfterWarmUp = statusKb("VmRSS:");
        }
        if (cycle % 100 == 0)
            std::printf("cycle %4d: %d messages, %d open files, VmRSS %ld kB, VmHWM %ld kB\n", cycle,
                        dialogs.messages, openFiles(), statusKb("VmRSS:"), statusKb("VmHWM:"));
    }
    std::fflush(stdout);
    const int files = openFiles();
    const long rss = statusKb("VmRSS:");
    if (cycles >= 200 && (files > filesAfterWarmUp || rss > rssAfterWarmUp + 1024)) {
        std::fprintf(stderr, "grew after cycle 100: open files %d -> %d, VmRSS %ld -> %ld kB\n", filesAfterWarmUp,
                     files, rssAfterWarmUp, rss);
        return 1;
    }
    return 0;
}
