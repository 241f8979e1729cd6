#include "app/frmKX_Display.h"

#include "about/frmAbout.h"
#include "app/ProgramInfo.h"
#include "app/Session.h"
#include "app/StatusBar.h"
#include "app/WindowState.h"
#include "platform/ColorLabel.h"
#include "platform/Dialogs.h"
#include "platform/Twips.h"
#include "serial/DrainWait.h"
#include "serial/PortController.h"
#include "serial/SerialComm.h"
#include "serial/SerialTuning.h"
#include "settings/StoredSettings.h"
#include "settings/frmProperties.h"
#include "platform/Colors.h"
#include "terminal/GyroSeries.h"
#include "terminal/views/GyroWindows.h"
#include "terminal/views/HistoryWindow.h"
#include "terminal/views/LabelIndicatorRow.h"
#include "terminal/views/RichTextView.h"
#include "terminal/views/ViewAccessibility.h"
#include "terminal/SessionCapture.h"
#include "terminal/TerminalEngine.h"
#include "terminal/views/frmGyro_Verlauf.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QCloseEvent>
#include <QMenuBar>
#include <QScreen>
#include <QThread>
#include <QTimer>

namespace {
QAction *addCommand(QMenu *menu, const QString &name, const QString &caption)
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(name);
    return a;
}

QMenu *addMenu(QMenuBar *bar, const QString &name, const QString &caption)
{
    QMenu *m = bar->addMenu(caption);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    return m;
}

ColorLabel *addLabel(QWidget *parent, const QString &name, const QString &caption)
{
    auto *l = new ColorLabel(caption, parent);
    l->setObjectName(name);
    return l;
}

QFrame *addLine(QWidget *parent, const QString &name, QFrame::Shape shape)
{
    auto *f = new QFrame(parent);
    f->setObjectName(name);
    f->setFrameShape(shape);
    f->setFrameShadow(QFrame::Plain);
    QPalette p = f->palette();
    p.setColor(QPalette::WindowText, QColor(Colors::toArgb(Colors::Grey)));
    f->setPalette(p);
    return f;
}
} // namespace

frmKX_Display::frmKX_Display(Session &session, QWidget *parent)
    : QMainWindow(parent), m_session(session), m_dialogs(&session.dialogs()), m_clock(&session.clock()),
      m_port(&session.port()), m_options(session.options())
{
    setObjectName(QStringLiteral("frmKX_Display"));
    // No docks or tool bars to animate; with animation on, each new text of a status
    // panel (the connect clock's every second) set up and tore down an animation.
    setAnimated(false);
    ViewAccessibility::install();

    buildMenus();
    buildControls();
    buildStatusBar();

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(2000);
    Timer2->setSingleShot(true);
    connect(Timer2, &QTimer::timeout, this, &frmKX_Display::Timer2_Timer);

    m_ports = new PortController(*m_port, *m_dialogs, *m_clock, session.devices(), session.watcher(), this);

    m_indicators = std::make_unique<LabelIndicatorRow>(
        QList<ColorLabel *>(lbl_G1.begin(), lbl_G1.end()), lbl_Check);
    connect(RichTextBox, &RichTextView::frameDue, m_port, &SerialComm::takeGathered);
    connect(RichTextBox, &RichTextView::frameDue, m_indicators.get(), &LabelIndicatorRow::flush);
    m_terminal = std::make_unique<TerminalEngine>(*m_port, RichTextBox->model(), *m_indicators, m_options);
    connect(m_terminal.get(), &TerminalEngine::statusMessage, this, &frmKX_Display::showStatus);
    connect(m_port, &SerialComm::OnComm, m_terminal.get(), &TerminalEngine::MSComm1_OnComm);
    connect(RichTextBox, &RichTextView::KeyPress, m_terminal.get(), &TerminalEngine::RichTextBox_KeyPress);
    connect(m_terminal.get(), &TerminalEngine::keyNotSent, m_ports, &PortController::keyNotSent);

    m_tuning = new SerialTuning(*m_port, *m_dialogs,
                                [this](bool on) { mnuDTREnable->setChecked(on); }, this);
    connect(mnuInputLen, &QAction::triggered, m_tuning, &SerialTuning::mnuInputLen_Click);
    connect(mnuRThreshold, &QAction::triggered, m_tuning, &SerialTuning::mnuRThreshold_Click);
    connect(mnuSThreshold, &QAction::triggered, m_tuning, &SerialTuning::mnuSThreshold_Click);
    connect(mnuParRep, &QAction::triggered, m_tuning, &SerialTuning::mnuParRep_Click);
    connect(mnuDTREnable, &QAction::triggered, m_tuning, &SerialTuning::mnuDTREnable_Click);
    connect(mnuHCD, &QAction::triggered, m_tuning, &SerialTuning::mnuHCD_Click);
    connect(mnuHCTS, &QAction::triggered, m_tuning, &SerialTuning::mnuHCTS_Click);
    connect(mnuHDSR, &QAction::triggered, m_tuning, &SerialTuning::mnuHDSR_Click);

    buildCapture();
    bindPortController();
    buildGyroHistory();
    buildHistory();

    m_gyroWindows = new GyroWindows(this);
    connect(mnuGyro_Diagnose, &QAction::triggered, m_gyroWindows, &GyroWindows::mnuGyro_Diagnose_Click);
    connect(mnuGyro_Scale, &QAction::triggered, m_gyroWindows, &GyroWindows::mnuGyro_Scale_Click);
}

frmKX_Display::~frmKX_Display()
{
    // It shows the terminal's history, which goes before the windows do.
    delete m_history;
}

void frmKX_Display::buildMenus()
{
    QMenuBar *bar = menuBar();
    mnuEnde = bar->addAction(QStringLiteral("&Beenden"));
    mnuEnde->setObjectName(QStringLiteral("mnuEnde"));

    mnuPort = addMenu(bar, QStringLiteral("mnuPort"), QStringLiteral("&COM-Anschluß"));
    mnuOpen = addCommand(mnuPort, QStringLiteral("mnuOpen"), QStringLiteral("COM - ö&ffnen"));
    mnuClose = addCommand(mnuPort, QStringLiteral("mnuClose"), QStringLiteral("COM - schliessen"));
    mnuPort->addSeparator()->setObjectName(QStringLiteral("Bar5"));
    mnuProperties = addCommand(mnuPort, QStringLiteral("mnuProperties"), QStringLiteral("Einstellungen"));

    mnuEmu = addMenu(bar, QStringLiteral("mnuEmu"), QStringLiteral("&Emulation"));
    mnuASCII = addCommand(mnuEmu, QStringLiteral("mnuASCII"), QStringLiteral("ASCII"));
    mnuKestrix = addCommand(mnuEmu, QStringLiteral("mnuKestrix"), QStringLiteral("Kestrix"));
    mnuASCII->setCheckable(true);
    mnuKestrix->setCheckable(true);

    mnuMSComm = addMenu(bar, QStringLiteral("mnuMSComm"), QStringLiteral("&MSComm"));
    mnuInputLen = addCommand(mnuMSComm, QStringLiteral("mnuInputLen"), QStringLiteral("Eingabe&länge..."));
    mnuRThreshold = addCommand(mnuMSComm, QStringLiteral("mnuRThreshold"), QStringLiteral("&Empfangslimit..."));
    mnuSThreshold = addCommand(mnuMSComm, QStringLiteral("mnuSThreshold"), QStringLiteral("&Sendelimit..."));
    mnuParRep = addCommand(mnuMSComm, QStringLiteral("mnuParRep"), QStringLiteral("P&arität ersetzen..."));
    mnuDTREnable = addCommand(mnuMSComm, QStringLiteral("mnuDTREnable"), QStringLiteral("&DTR aktivieren"));
    mnuDTREnable->setCheckable(true);
    mnuMSComm->addSeparator()->setObjectName(QStringLiteral("Bar3"));
    mnuHCD = addCommand(mnuMSComm, QStringLiteral("mnuHCD"), QStringLiteral("&CD aktiv..."));
    mnuHCTS = addCommand(mnuMSComm, QStringLiteral("mnuHCTS"), QStringLiteral("C&TS aktiv..."));
    mnuHDSR = addCommand(mnuMSComm, QStringLiteral("mnuHDSR"), QStringLiteral("DS&R aktiv..."));
    // A hidden QAction always reports itself disabled, so the menu's own enabled
    // state lives on the QMenu.
    mnuMSComm->menuAction()->setVisible(false);
    mnuMSComm->setEnabled(false);

    mnuInfo = bar->addAction(QStringLiteral("&Info"));
    mnuInfo->setObjectName(QStringLiteral("mnuInfo"));

    mnuEntwicklung = addMenu(bar, QStringLiteral("mnuEntwicklung"), QStringLiteral("&Entwicklung"));
    mnuGyro_Scale = addCommand(mnuEntwicklung, QStringLiteral("mnuGyro_Scale"), QStringLiteral("Gyro Display"));
    mnuGyro_Diagnose = addCommand(mnuEntwicklung, QStringLiteral("mnuGyro_Diagnose"), QStringLiteral("Gyro Diagnose"));
    mnuEntwicklung->menuAction()->setVisible(false);
    mnuEntwicklung->setEnabled(false);

    connect(mnuEnde, &QAction::triggered, this, &frmKX_Display::mnuEnde_Click);
    connect(mnuProperties, &QAction::triggered, this, &frmKX_Display::mnuProperties_Click);
    connect(mnuASCII, &QAction::triggered, this, &frmKX_Display::mnuASCII_Click);
    connect(mnuKestrix, &QAction::triggered, this, &frmKX_Display::mnuKestrix_Click);
    connect(mnuInfo, &QAction::triggered, this, &frmKX_Display::mnuInfo_Click);
}

void frmKX_Display::buildControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    lblComOpen = addLabel(client, QStringLiteral("lblComOpen"), QStringLiteral("Com"));
    Twips::place(lblComOpen, 60, 100, 1540, 209);
    const struct { ColorLabel **label; const char *name; int left; } lines[] = {
        {&lblDTR, "DTR", 1660}, {&lblDSR, "DSR", 2200}, {&lblRTS, "RTS", 2740}, {&lblCTS, "CTS", 3280}};
    for (const auto &l : lines) {
        *l.label = addLabel(client, QStringLiteral("lbl") + QLatin1StringView(l.name),
                            QLatin1StringView(l.name));
        (*l.label)->setAlignment(Qt::AlignCenter);
        Twips::place(*l.label, l.left, 100, 495, 209);
    }

    // Start-up lays the indicator row out.
    for (int i = 0; i < int(lbl_G1.size()); ++i)
        lbl_G1[i] = addLabel(client, QStringLiteral("lbl_G1_%1").arg(i), QString());
    lbl_Check = addLabel(client, QStringLiteral("lbl_Check"), QString());
    lbl_Check->setBackColor(Colors::LightBlue);
    lbl_Check->setAlignment(Qt::AlignCenter);
    Twips::place(lbl_Check, 3820, 90, 1100, 330);

    Line1 = addLine(client, QStringLiteral("Line1"), QFrame::HLine);
    Twips::place(Line1, 50, 0, 10340 - 50, 15);
    Line3 = addLine(client, QStringLiteral("Line3"), QFrame::VLine);
    Twips::place(Line3, 100, 480, 15, 360);
    Line2 = addLine(client, QStringLiteral("Line2"), QFrame::VLine);
    Twips::place(Line2, 4850, 480, 15, 360);

    RichTextBox = new RichTextView(client);
    RichTextBox->setObjectName(QStringLiteral("RichTextBox"));
    RichTextBox->setBackColor(Colors::LightBlue);
}

void frmKX_Display::buildStatusBar()
{
    sbrStatus = new StatusBar(this);
    sbrStatus->setObjectName(QStringLiteral("sbrStatus"));
    setStatusBar(sbrStatus);
    sbrStatus->addPanel(QStringLiteral("Status"), QStringLiteral("Status"),
                        QStringLiteral("Status-Meldungen"), 5000);
    sbrStatus->addPanel(QStringLiteral("Settings"), QStringLiteral("COM"),
                        QStringLiteral("Com-Port - Einstellungen"), 2300);
    sbrStatus->addPanel(QStringLiteral("Emulation"), QStringLiteral("Emulation:"),
                        QStringLiteral("Terminal-Emulation"), 1560);
    // How long the port has been open; empty while it is closed.
    sbrStatus->addPanel(QStringLiteral("ConnectTime"), QString(),
                        QStringLiteral("Verbindungsdauer"), 1000);
    // Whether what arrives is being captured to a file.
    sbrStatus->addPanel(QStringLiteral("Capture"), QString(),
                        QStringLiteral("Mitschnitt der empfangenen Bytes"), 1000);
    // Which device the port is, while it is open or waits for it.
    sbrStatus->addPanel(QStringLiteral("Device"), QString(), QStringLiteral("Gerät des Anschlusses"), 3000);
}

void frmKX_Display::bindPortController()
{
    connect(mnuOpen, &QAction::triggered, m_ports, [this] {
        // A checkable action flips its own mark when chosen; the mark belongs to the
        // settings dialog, so put it back before the flip.
        mnuOpen->setChecked(m_openChecked);
        m_ports->mnuOpen_Click();
    });
    connect(mnuClose, &QAction::triggered, m_ports, &PortController::mnuClose_Click);
    connect(m_ports, &PortController::stateChanged, this, [this](PortController::State s, const QString &caption) {
        // A waiting port is as good as open for the menus: it opens by itself.
        const bool open = s != PortController::State::Closed;
        mnuOpen->setEnabled(!open);
        mnuClose->setEnabled(open);
        mnuProperties->setEnabled(!open);
        m_terminal->setWaiting(s == PortController::State::Waiting);
        switch (s) {
        case PortController::State::Closed:
            lblComOpen->setForeColor(Colors::White);
            lblComOpen->setBackColor(Colors::Red);
            endCapture();
            break;
        case PortController::State::Open:
            // White, as start-up and every close leave it; the waiting look's dark text
            // must not stay.
            lblComOpen->setForeColor(Colors::White);
            lblComOpen->setBackColor(Colors::Green);
            break;
        case PortController::State::Waiting:
            lblComOpen->setForeColor(Colors::Black);
            lblComOpen->setBackColor(Colors::Amber);
            break;
        }
        lblComOpen->setText(caption);
    });
    connect(m_ports, &PortController::noteChanged, this, &frmKX_Display::setRestingStatus);
    connect(m_ports, &PortController::message, this, &frmKX_Display::showStatus);
    connect(m_ports, &PortController::deviceChanged, this, [this](const QString &words) {
        sbrStatus->setPanelText(QStringLiteral("Device"), words);
        sbrStatus->setPanelToolTip(QStringLiteral("Device"), words.isEmpty() ? QStringLiteral("Gerät des Anschlusses") : words);
    });
    connect(m_ports, &PortController::linesChanged, this, [this](const PortController::LineStates &l) {
        // The state is in the colour, and in words for those who cannot see it.
        const auto show = [](ColorLabel *label, bool on) {
            label->setForeColor(on ? Colors::White : Colors::Black);
            label->setBackColor(on ? Colors::Green : Colors::Grey);
            label->setAccessibleDescription(label->text() + (on ? QStringLiteral(" an") : QStringLiteral(" aus")));
        };
        show(lblDTR, l.dtr);
        show(lblDSR, l.dsr);
        show(lblRTS, l.rts);
        show(lblCTS, l.cts);
    });
    connect(m_ports, &PortController::connectTimeChanged, this, [this](const QString &text) {
        sbrStatus->setPanelText(QStringLiteral("ConnectTime"), text);
    });
}

// Capturing what arrives, offered in the terminal view's context menu: the menu
// bar is the controller's program as it always was.
void frmKX_Display::buildCapture()
{
    m_capture = new SessionCapture(*m_port, *m_clock, this);
    auto *start = new QAction(QStringLiteral("Mitschnitt starten…"), RichTextBox);
    start->setObjectName(QStringLiteral("mnuCaptureStart"));
    auto *stop = new QAction(QStringLiteral("Mitschnitt beenden"), RichTextBox);
    stop->setObjectName(QStringLiteral("mnuCaptureStop"));
    RichTextBox->addAction(start);
    RichTextBox->addAction(stop);
    const auto offer = [this, start, stop] {
        start->setEnabled(m_port->portOpen() && !m_capture->running());
        stop->setEnabled(m_capture->running());
        const QString path = m_capture->running() ? m_capture->fileName() : QString();
        sbrStatus->setPanelText(QStringLiteral("Capture"), QFileInfo(path).fileName());
        sbrStatus->setPanelToolTip(QStringLiteral("Capture"), path.isEmpty() ? QStringLiteral("Mitschnitt der empfangenen Bytes")
                                                                             : QStringLiteral("Mitschnitt nach ") + path);
    };
    offer();
    connect(m_port, &SerialComm::portOpenChanged, this, offer);
    connect(m_capture, &SessionCapture::runningChanged, this, offer);
    connect(start, &QAction::triggered, this, [this] {
        const QDir folder = !m_captureFolder.isEmpty() && QFileInfo(m_captureFolder).isDir() ? QDir(m_captureFolder) : QDir::home();
        const QString suggestion = folder.filePath(
            QStringLiteral("kx-mitschnitt-%1.txt").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))));
        const QString path = m_dialogs->saveFileName(QStringLiteral("Mitschnitt speichern"), suggestion);
        if (path.isEmpty())
            return;
        if (m_capture->start(path, *m_dialogs))
            m_captureFolder = QFileInfo(path).absolutePath();
    });
    connect(stop, &QAction::triggered, m_capture, &SessionCapture::stop);
    // Queued: a write fails inside the port's read, where no box may open.
    connect(m_capture, &SessionCapture::failed, this, [this](const QString &description) {
        m_dialogs->msgBox(description, Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
    }, Qt::QueuedConnection);
}

void frmKX_Display::endCapture()
{
    if (!m_capture->running())
        return;
    const QString path = m_capture->fileName();
    m_capture->stop();
    setRestingStatus(QStringLiteral("Mitschnitt gespeichert in ") + path);
}

// The gyro test's readings over time, offered in the terminal view's context menu
// and by a double click on the indicator row or the gyro label.
void frmKX_Display::buildGyroHistory()
{
    m_gyroSeries = std::make_unique<GyroSeries>(*m_clock);
    m_terminal->recordGyroReadings(*m_gyroSeries);
    auto *open = new QAction(QStringLiteral("Gyro-Verlauf…"), RichTextBox);
    open->setObjectName(QStringLiteral("mnuGyroVerlauf"));
    RichTextBox->addAction(open);
    connect(open, &QAction::triggered, this, &frmKX_Display::showGyroVerlauf);
    for (ColorLabel *cell : lbl_G1)
        connect(cell, &ColorLabel::doubleClicked, this, &frmKX_Display::showGyroVerlauf);
    connect(lbl_Check, &ColorLabel::doubleClicked, this, &frmKX_Display::showGyroVerlauf);
}

void frmKX_Display::showGyroVerlauf()
{
    if (!m_gyroVerlauf) {
        m_gyroVerlauf = new frmGyro_Verlauf(*m_gyroSeries, *m_clock, *m_dialogs, this);
        connect(RichTextBox, &RichTextView::frameDue, m_gyroVerlauf, &frmGyro_Verlauf::displayFrame);
    }
    m_gyroVerlauf->show();
    m_gyroVerlauf->raise();
    m_gyroVerlauf->activateWindow();
}

// The history of everything the terminal has shown, in a window of its own, offered
// in the terminal view's context menu like capturing.
void frmKX_Display::buildHistory()
{
    auto *open = new QAction(QStringLiteral("Verlauf…"), RichTextBox);
    open->setObjectName(QStringLiteral("mnuVerlauf"));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_H));
    RichTextBox->addAction(open);
    connect(open, &QAction::triggered, this, [this] {
        if (!m_history)
            m_history = new HistoryWindow(m_terminal->history(), *m_dialogs, RichTextBox->font(),
                                          RichTextBox->backColor(), this);
        m_history->open();
    });
}

void frmKX_Display::Form_Load()
{
    Stand = ProgramInfo::Stand;
    Version = ProgramInfo::Version;
    // The About box is made here, hidden, so it carries the program name that is
    // in force before the full title is set.
    aboutBox().setDatum(QStringLiteral("Stand: ") + Stand);
    aboutBox().setVersion(QStringLiteral("Version: ") + Version);
    setWindowTitle(ProgramInfo::title());
    QCoreApplication::setApplicationName(ProgramInfo::title());
    m_ports->showClosed(false);
    mnuMSComm->setEnabled(true);

    resize(Twips::toPx(4920, this), menuBar()->sizeHint().height() + Twips::toPx(4755, this));
    if (const QScreen *s = screen()) {
        const QRect area = s->geometry();
        move(area.x() + int((float(area.width()) - float(frameGeometry().width())) / 2.0f),
             area.y() + int((float(area.height()) - float(frameGeometry().height())) / 2.0f));
    }
    // Where the user left the window, if that can still be reached.
    const WindowState saved = WindowState::read(m_session.stateFile());
    QList<QRect> screens;
    for (const QScreen *each : QGuiApplication::screens())
        screens << each->availableGeometry();
    if (!saved.geometry.isNull() && WindowState::reachable(saved.geometry, screens)) {
        m_placeAtStart = saved.geometry;
        resize(saved.geometry.size());
        move(saved.geometry.topLeft());
    }
    m_captureFolder = saved.captureFolder;

    for (int i = 0; i < int(lbl_G1.size()); ++i) {
        Twips::place(lbl_G1[i], 140 + 120 * i, 480, 120, 390);
        lbl_G1[i]->setBackColor(Colors::LightGrey);
        lbl_G1[i]->setFrameStyle(QFrame::NoFrame);
    }

    // A stored value the port refuses is shown, and start-up ends where it stands.
    const StoredSettings::Loaded loaded = m_session.loadSettings();
    if (loaded.refused)
        m_dialogs->msgBox(*loaded.refused, Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
    m_ports->setComPort(loaded.comPort);
    if (loaded.refused)
        return;
    m_session.fixPortProperties();
    UpdateEinstellungen();
    m_ports->showClosed();
    m_ports->CheckUART();
    RichTextBox->model().setText(QString());
    m_terminal->resetLength();
    lbl_Check->setForeColor(Colors::Black);
    lbl_Check->setText(QString());
    m_terminal->clearPageFlags();
}

void frmKX_Display::UpdateEinstellungen()
{
    if (m_options.emulation == TerminalOptions::Emulation::Ascii) {
        mnuASCII->setChecked(true);
        mnuKestrix->setChecked(false);
        m_port->setInputLen(1);
    } else if (m_options.kestrix()) {
        mnuASCII->setChecked(false);
        mnuKestrix->setChecked(true);
        m_port->setInputLen(1);
    }
    m_ports->setComPort(QString::number(qint16(m_port->commPort())));
    sbrStatus->setPanelText(QStringLiteral("Settings"), QStringLiteral("COM ") + m_ports->ComPort()
                                                            + QStringLiteral(" - ") + m_port->settings());
    sbrStatus->setPanelText(QStringLiteral("Emulation"), m_options.emulationText());
}

void frmKX_Display::mnuASCII_Click()
{
    m_options.setEmulation(TerminalOptions::Emulation::Ascii);
    UpdateEinstellungen();
}

void frmKX_Display::mnuKestrix_Click()
{
    m_options.setEmulation(TerminalOptions::Emulation::Kestrix);
    UpdateEinstellungen();
}

void frmKX_Display::Timer2_Timer()
{
    sbrStatus->setPanelText(QStringLiteral("Status"), m_restingStatus);
    Timer2->stop();
}

void frmKX_Display::setRestingStatus(const QString &text)
{
    m_restingStatus = text.isEmpty() ? QStringLiteral("Status") : text;
    // A passing message keeps its two seconds.
    if (!Timer2->isActive())
        sbrStatus->setPanelText(QStringLiteral("Status"), m_restingStatus);
}

void frmKX_Display::showStatus(const QString &text)
{
    sbrStatus->setPanelText(QStringLiteral("Status"), text);
    Timer2->start();
}

void frmKX_Display::mnuProperties_Click()
{
    frmProperties::Services services;
    services.port = m_port;
    services.stored = &m_session.stored();
    services.options = &m_options;
    services.dialogs = m_dialogs;
    services.setOpenChecked = [this](bool open) {
        m_openChecked = open;
        mnuOpen->setCheckable(true);
        mnuOpen->setChecked(open);
    };
    services.deviceOf = [this](int port) { return m_session.deviceOf(port); };
    auto *dialog = new frmProperties(services, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->exec();

    UpdateEinstellungen();
    // A port number the port refused can leave a port that was open closed; the
    // commands and labels must not go on claiming it is open.
    m_ports->followPort();
}

frmAbout &frmKX_Display::aboutBox()
{
    if (!m_about)
        m_about = new frmAbout(this);
    return *m_about;
}

void frmKX_Display::mnuInfo_Click()
{
    frmAbout &box = aboutBox();
    box.setDatum(QStringLiteral("Stand: ") + Stand);
    box.setVersion(QStringLiteral("Version: ") + Version);
    box.exec();
}

void frmKX_Display::mnuEnde_Click()
{
    bool cancel = false;
    Form_Unload(cancel);
    // "&Beenden" ends the program whatever the answer; an open port is released
    // by the end of the program.
    m_ending = true;
    programEnding();
    if (m_quit)
        m_quit();
    else
        QCoreApplication::exit(0);
}

void frmKX_Display::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmKX_Display::Form_Resize()
{
    // The view fills the room below the labels and the indicator row, which keep
    // their places. A window too small for it gets a view of size zero rather
    // than a negative one; it grows back when the window does.
    const QWidget *client = centralWidget();
    if (!client || !RichTextBox)
        return;
    const int statusHeight = statusBar() && statusBar()->isVisible() ? statusBar()->height() : 0;
    const int innerWidth = client->width();
    const int innerHeight = client->height() + statusHeight;   // the area below the menu bar
    const int left = Twips::toPx(45, this);
    const int top = Twips::toPx(1230, this);
    const int width = qMax(0, innerWidth - Twips::toPx(90, this));
    const int height = qMax(0, innerHeight - statusHeight - top);
    RichTextBox->setGeometry(left, top, width, height);
}

void frmKX_Display::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowStateChange)
        m_ports->setClockShown(!isMinimized());
    QMainWindow::changeEvent(event);
}

void frmKX_Display::closeEvent(QCloseEvent *event)
{
    if (m_ending) {
        event->accept();
        return;
    }
    bool cancel = false;
    Form_Unload(cancel);
    if (cancel) {
        event->ignore();
        return;
    }
    event->accept();
    programEnding();
}

void frmKX_Display::programEnding()
{
    endCapture();
    // A maximised or minimised window keeps the place it had at start-up.
    const bool placed = !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    // Nothing to do if it cannot be written: the next start is as designed.
    WindowState{placed ? QRect(pos(), size()) : m_placeAtStart, m_captureFolder}.write(m_session.stateFile());
}

void frmKX_Display::Form_Unload(bool &cancel)
{
    // A second close request while the wait runs is refused: the running wait
    // decides, and it must not be started twice on the same port.
    if (m_unloading) {
        cancel = true;
        return;
    }
    m_unloading = true;
    DrainWait wait(*m_port, *m_clock, *m_dialogs, [] {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        // Received data and window events keep flowing; the short pause keeps the
        // wait from occupying a whole core.
        QThread::msleep(2);
    });
    cancel = !wait.run();
    m_unloading = false;
}
