// Renders screenshots of KX_Display working on the controller simulator: the
// configuration menu, the diagnosis page with the gyro row lit, and the settings
// dialog. Used for the README and where there is no display to show the program on.
//
//   kx_screenshots --sim build/tools/kx_sim/kx_sim --out docs
#include "app/Session.h"
#include "app/frmKX_Display.h"
#include "platform/QtDialogs.h"
#include "terminal/views/RichTextView.h"

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QProcess>
#include <QTextStream>
#include <QTimer>

namespace {
void wait(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

bool waitFor(const std::function<bool()> &done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void type(QWidget *view, const QString &keys)
{
    for (QChar c : keys) {
        const int key = c == u'\r' ? Qt::Key_Return : c.toUpper().unicode();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(view, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(view, &release);
        wait(60);
    }
}

bool save(QWidget *w, const QString &path)
{
    const bool ok = w->grab().save(path, "PNG");
    QTextStream(stdout) << (ok ? "wrote " : "could not write ") << path << Qt::endl;
    return ok;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KX_Display"));
    QCommandLineParser cli;
    cli.setApplicationDescription(QStringLiteral("Screenshots of KX_Display on the controller simulator"));
    cli.addHelpOption();
    cli.addOption({QStringLiteral("sim"), QStringLiteral("Path of kx_sim."), QStringLiteral("path")});
    cli.addOption({QStringLiteral("out"), QStringLiteral("Folder for the PNG files."), QStringLiteral("dir"),
                   QStringLiteral(".")});
    cli.addOption({QStringLiteral("only-menu"), QStringLiteral("Only the configuration menu.")});
    cli.process(app);
    if (!cli.isSet(QStringLiteral("sim"))) {
        QTextStream(stderr) << "kx_screenshots: --sim is required\n";
        return 2;
    }
    const QDir out(cli.value(QStringLiteral("out")));
    QDir().mkpath(out.path());

    QProcess sim;
    // The simulator names its pty as Com1 in the settings store, where the program
    // (and its settings dialog) finds it as it would find an adapter's entry.
    sim.start(cli.value(QStringLiteral("sim")), {QStringLiteral("--rate"), QStringLiteral("0"),
                                                  QStringLiteral("--tick-ms"), QStringLiteral("150"),
                                                  QStringLiteral("--com"), QStringLiteral("1")});
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) {
        QTextStream(stderr) << "kx_screenshots: kx_sim did not start\n";
        return 1;
    }
    int failures = 0;
    {
        QtDialogs dialogs;
        Session session(dialogs);
        frmKX_Display window(session);
        dialogs.setParent(&window);
        window.Form_Load();
        const auto act = [&window](const char *name) {
            return window.findChild<QAction *>(QLatin1StringView(name));
        };
        window.show();
        act("mnuKestrix")->trigger();
        act("mnuOpen")->trigger();
        auto *view = window.findChild<RichTextView *>(QStringLiteral("RichTextBox"));
        view->setFocus();
        const auto shows = [view](const char *text) {
            return [view, text] { return view->model().text().contains(QLatin1StringView(text)); };
        };

        type(view, QStringLiteral("h"));
        waitFor(shows("KONFIGURATIONSMENUE"), 3000);
        type(view, QStringLiteral("s"));
        wait(400);
        failures += !save(&window, out.filePath(QStringLiteral("screenshot-menu.png")));

        if (!cli.isSet(QStringLiteral("only-menu"))) {
            type(view, QStringLiteral("ssss\r"));
            waitFor(shows("Gyro Test"), 3000);
            wait(1500);
            failures += !save(&window, out.filePath(QStringLiteral("screenshot-gyro.png")));

            type(view, QStringLiteral("xx"));
            act("mnuClose")->trigger();
            QTimer::singleShot(500, [&] {
                if (QWidget *dialog = QApplication::activeModalWidget()) {
                    failures += !save(dialog, out.filePath(QStringLiteral("screenshot-settings.png")));
                    dialog->close();
                } else {
                    ++failures;
                }
            });
            act("mnuProperties")->trigger();
        }
        if (act("mnuClose")->isEnabled())
            act("mnuClose")->trigger();
    }
    sim.terminate();
    sim.waitForFinished(3000);
    return failures == 0 ? 0 : 1;
}
