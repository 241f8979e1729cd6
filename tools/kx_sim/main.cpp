// kx_sim: plays the Kestrix II/LT flight controller on a pseudo-terminal, so that
// KX_Display can be tried and tested without a controller.
#include "ControllerMenu.h"
#include "PacedWriter.h"
#include "Pty.h"
#include "ReplayPlan.h"
#include "ReplayPlayer.h"
#include "SimOptions.h"
#include "app/ProgramInfo.h"
#include "platform/SettingsStore.h"
#include "settings/StoredSettings.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// Live output that nobody reads piles up in the pty; past this many bytes the
// port is closed on the other side and the bytes go nowhere, as on a real line.
constexpr int UnreadLimit = 2048;

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &c, 1);
}

// SIGTERM and SIGINT end the event loop from inside it, so that the pty and the
// process end cleanly whatever the simulator is doing.
bool catchSignals(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return false;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] {
        char c;
        [[maybe_unused]] ssize_t n = ::read(signalPipe[0], &c, 1);
        app.quit();
    });
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGHUP, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    return true;
}

// Names the pty as KX_Display's Com N in the program's own settings store.
bool storeComPort(int com, const QString &path, QString *error)
{
    SettingsStore store;
    if (!StoredSettings(store, ProgramInfo::title()).setDevice(com, path)) {
        *error = QStringLiteral("cannot write %1").arg(SettingsStore::fileName(ProgramInfo::title()));
        return false;
    }
    return true;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    SimOptions options;
    QString error;
    if (!options.parse(app.arguments().mid(1), &error)) {
        std::fprintf(stderr, "kx_sim: %s\n%s", qPrintable(error), qPrintable(SimOptions::usage()));
        return 2;
    }
    if (options.help) {
        std::fputs(qPrintable(SimOptions::usage()), stdout);
        return 0;
    }
    if (!catchSignals(app)) {
        std::fprintf(stderr, "kx_sim: cannot catch signals\n");
        return 1;
    }

    // Read as the replay goes: a capture or its timing file may be larger than memory.
    QFile data(options.replayFile), timing(options.timingFile);
    ReplayPlan replay;
    if (!options.replayFile.isEmpty()) {
        for (QFile *file : {&data, &timing}) {
            if (!file->fileName().isEmpty() && !file->open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "kx_sim: cannot read %s: %s\n", qPrintable(file->fileName()),
                             qPrintable(file->errorString()));
                return 1;
            }
        }
        if (!replay.open(&data, timing.isOpen() ? &timing : nullptr, &error)) {
            std::fprintf(stderr, "kx_sim: %s: %s\n", qPrintable(options.timingFile), qPrintable(error));
            return 1;
        }
    }

    Pty pty;
    if (!pty.open(&error)) {
        std::fprintf(stderr, "kx_sim: %s\n", qPrintable(error));
        return 1;
    }
    if (options.com > 0 && !storeComPort(options.com, pty.slavePath(), &error)) {
        std::fprintf(stderr, "kx_sim: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%s\n", qPrintable(pty.slavePath()));
    std::fflush(stdout);

    // A timed replay keeps the pauses of its capture and sends each chunk at once.
    PacedWriter writer([&pty](const char *data, qint64 size) { return pty.write(data, size); },
                       options.timingFile.isEmpty() ? options.rate : 0);
    QObject::connect(&writer, &PacedWriter::sinkFailed, &app, [] {
        std::fprintf(stderr, "kx_sim: writing to the pseudo-terminal failed\n");
    });
    ControllerMenu menu(options.lineEnd);

    // Live output: what nobody has read for a while is lost, as on an open line.
    const auto say = [&](const QByteArray &bytes) {
        if (bytes.isEmpty())
            return;
        if (pty.unread() > UnreadLimit)
            pty.discardUnread();
        writer.write(bytes, true);
    };

    QSocketNotifier keys(pty.masterFd(), QSocketNotifier::Read);
    QObject::connect(&keys, &QSocketNotifier::activated, &app, [&] {
        const QByteArray typed = pty.read();
        if (!options.replayFile.isEmpty())
            return;                      // a recording does not answer
        for (char c : typed)
            say(menu.key(c));
    });

    QTimer ticker;
    if (options.replayFile.isEmpty()) {
        ticker.setInterval(options.tickMs);
        QObject::connect(&ticker, &QTimer::timeout, &app, [&] { say(menu.tick()); });
        ticker.start();
    } else {
        auto *player = new ReplayPlayer(replay, writer, &app);
        if (options.exitAfterReplay) {
            // Leave only when the program has read everything: closing the master
            // earlier would throw away what is still in the pty.
            auto *waitRead = new QTimer(&app);
            waitRead->setInterval(20);
            int waited = 0;
            QObject::connect(waitRead, &QTimer::timeout, &app, [&pty, &app, waitRead, waited]() mutable {
                waited += 20;
                if (pty.unread() == 0 || waited > 10'000) {
                    waitRead->stop();
                    app.quit();
                }
            });
            QObject::connect(player, &ReplayPlayer::finished, waitRead, qOverload<>(&QTimer::start));
        }
        player->start();
    }
    return app.exec();
}
