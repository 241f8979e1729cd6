#include "SimOptions.h"

namespace {
bool toNumber(const QString &text, int low, int high, int *out)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < low || v > high)
        return false;
    *out = v;
    return true;
}
} // namespace

QString SimOptions::usage()
{
    return QStringLiteral(
        "Usage: kx_sim [options]\n"
        "Plays the Kestrix II/LT flight controller on a pseudo-terminal. The first line\n"
        "printed is the device path to open as the serial port.\n"
        "\n"
        "  --rate BYTES_PER_S     pace all output (default 960, like 9600 baud; 0 = unpaced)\n"
        "  --replay FILE          send the bytes of FILE instead of playing the menus,\n"
        "                         paced at --rate; when FILE is a capture by script, its\n"
        "                         first line (\"Script started on ...\") is left out\n"
        "  --timing TIMINGFILE    with --replay: play FILE with the pauses it was captured\n"
        "                         with, as scriptreplay does (TIMINGFILE as written by\n"
        "                         script --log-timing, classic format: lines of \"SECONDS\n"
        "                         BYTES\"); the first line of FILE and the bytes after the\n"
        "                         last timed chunk are left out; --rate is ignored\n"
        "  --exit-after-replay    end once the replayed bytes have been read\n"
        "  --com N                store the device as port ComN (1..16) in KX_Display's\n"
        "                         settings (section \"Anschl\u00fcsse\", key \"ComN\")\n"
        "  --tick-ms MS           interval of the controller's own output (default 200)\n"
        "  --lf-cr                end lines with LF CR instead of CR LF\n"
        "  --help                 show this text\n"
        "\n"
        "Keys on the line: w / s cursor up / down, + / - change a value, Enter choose,\n"
        "x or Esc back, h or ? help, j / n answer the reset question.\n");
}

bool SimOptions::parse(const QStringList &arguments, QString *error)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        const auto value = [&](QString *out) {
            if (i + 1 >= arguments.size()) {
                *error = QStringLiteral("%1 needs a value").arg(arg);
                return false;
            }
            *out = arguments[++i];
            return true;
        };
        QString v;
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            help = true;
        } else if (arg == QLatin1String("--rate")) {
            if (!value(&v))
                return false;
            if (!toNumber(v, 0, 100'000'000, &rate)) {
                *error = QStringLiteral("--rate takes bytes per second from 0 to 100000000, not \"%1\"").arg(v);
                return false;
            }
        } else if (arg == QLatin1String("--replay")) {
            if (!value(&replayFile))
                return false;
            if (replayFile.isEmpty()) {
                *error = QStringLiteral("--replay needs a file name");
                return false;
            }
        } else if (arg == QLatin1String("--timing")) {
            if (!value(&timingFile))
                return false;
            if (timingFile.isEmpty()) {
                *error = QStringLiteral("--timing needs a file name");
                return false;
            }
        } else if (arg == QLatin1String("--exit-after-replay")) {
            exitAfterReplay = true;
        } else if (arg == QLatin1String("--com")) {
            if (!value(&v))
                return false;
            if (!toNumber(v, 1, 16, &com)) {
                *error = QStringLiteral("--com takes a port number from 1 to 16, not \"%1\"").arg(v);
                return false;
            }
        } else if (arg == QLatin1String("--tick-ms")) {
            if (!value(&v))
                return false;
            if (!toNumber(v, 10, 60'000, &tickMs)) {
                *error = QStringLiteral("--tick-ms takes 10 to 60000 milliseconds, not \"%1\"").arg(v);
                return false;
            }
        } else if (arg == QLatin1String("--lf-cr")) {
            lineEnd = ControllerMenu::LineEnd::LfCr;
        } else {
            *error = QStringLiteral("unknown argument \"%1\"").arg(arg);
            return false;
        }
    }
    if (exitAfterReplay && replayFile.isEmpty()) {
        *error = QStringLiteral("--exit-after-replay needs --replay FILE");
        return false;
    }
    if (!timingFile.isEmpty() && replayFile.isEmpty()) {
        *error = QStringLiteral("--timing needs --replay FILE");
        return false;
    }
    return true;
}
