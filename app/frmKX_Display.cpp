#include "app/frmKX_Display.h"

#include "about/frmAbout.h"
#include "serial/DrainWait.h"
#include "app/Module1.h"
#include "platform/Clock.h"
#include "platform/ColorLabel.h"
#include "platform/Conversions.h"
#include "serial/PortDirectory.h"
#include "platform/QtDialogs.h"
#include "serial/QtSerialComm.h"
#include "terminal/RichTextView.h"
#include "platform/SettingsStore.h"
#include "app/StatusBar.h"
#include "platform/Twips.h"
#include "serial/SerialTuning.h"
#include "settings/frmProperties.h"
#include "terminal/GyroWindows.h"
#include "terminal/LabelIndicatorRow.h"
#include "terminal/TerminalEngine.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QThread>
#include <QMenuBar>
#include <QScreen>

namespace {
constexpr quint32 White = 0xFFFFFF;
constexpr quint32 Black = 0x000000;
constexpr quint32 Red = 0x0000FF;
constexpr quint32 Green = 0x00C000;
constexpr quint32 Grey = 0x808080;
constexpr quint32 LightGrey = 0xC0C0C0;
constexpr quint32 LightBlue = 0xFFC0C0;

const QString Section = QStringLiteral("Einstellungen");

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
    p.setColor(QPalette::WindowText, fromBgr(Grey));
    f->setPalette(p);
    return f;
}
} // namespace

frmKX_Display::frmKX_Display(QWidget *parent) : frmKX_Display(Services{}, parent) {}

frmKX_Display::frmKX_Display(const Services &services, QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmKX_Display"));
    if (!services.store)
        m_ownStore = std::make_unique<SettingsStore>();
    if (!services.dialogs)
        m_ownDialogs = std::make_unique<QtDialogs>(this);
    if (!services.clock)
        m_ownClock = std::make_unique<SteadyClock>();
    m_store = services.store ? services.store : m_ownStore.get();
    m_dialogs = services.dialogs ? services.dialogs : m_ownDialogs.get();
    m_clock = services.clock ? services.clock : m_ownClock.get();
    m_directory = std::make_shared<PortDirectory>(*m_store, Title + ProgramVersion);
    if (services.port)
        m_port = services.port;
    else
        m_port = new QtSerialComm([this](int n) { return m_directory->device(n); }, this);

    buildMenus();
    buildControls();
    buildStatusBar();

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(2000);
    Timer2->setSingleShot(true);
    connect(Timer2, &QTimer::timeout, this, &frmKX_Display::Timer2_Timer);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &frmKX_Display::Timer1_Timer);
    // Queued, so that the message never opens inside the component's own read handler.
    connect(m_port, &SerialComm::portLost, this, &frmKX_Display::MSComm1_Lost, Qt::QueuedConnection);
    m_indicators = std::make_unique<LabelIndicatorRow>(
        QList<ColorLabel *>(lbl_G1.begin(), lbl_G1.end()), lbl_Check);
    m_terminal = std::make_unique<TerminalEngine>(*m_port, RichTextBox->model(), *m_indicators);
    connect(m_terminal.get(), &TerminalEngine::statusMessage, this, &frmKX_Display::showStatus);
    connect(m_port, &SerialComm::OnComm, this, &frmKX_Display::MSComm1_OnComm);
    connect(RichTextBox, &RichTextView::KeyPress, this, &frmKX_Display::RichTextBox_KeyPress);

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

    m_gyroWindows = new GyroWindows(this);
    connect(mnuGyro_Diagnose, &QAction::triggered, m_gyroWindows, &GyroWindows::mnuGyro_Diagnose_Click);
    connect(mnuGyro_Scale, &QAction::triggered, m_gyroWindows, &GyroWindows::mnuGyro_Scale_Click);

    Form_Load();
}

frmKX_Display::~frmKX_Display() = default;

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
    connect(mnuOpen, &QAction::triggered, this, [this] {
        // A checkable action flips its own mark when chosen; the mark belongs to the
        // settings dialog, so put it back before the flip.
        mnuOpen->setChecked(m_openChecked);
        mnuOpen_Click();
    });
    connect(mnuClose, &QAction::triggered, this, &frmKX_Display::mnuClose_Click);
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
    lbl_Check->setBackColor(LightBlue);
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
    RichTextBox->setBackColor(LightBlue);
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
}

void frmKX_Display::Form_Load()
{
    // Up to reading the echo setting, a failing step is skipped and remembered; the
    // latest failure is shown after the line settings and after the handshaking,
    // and once the user has confirmed it, start-up ends where it stands.
    FailureRecorder failure;
    Stand = QStringLiteral("26.12.09");
    Version = ProgramVersion;
    // The About box is made here, hidden, so it carries the program name that is
    // in force before the full title is set.
    aboutBox().lblDatum->setText(QStringLiteral("Stand: ") + Stand);
    aboutBox().lblVersion->setText(QStringLiteral("Version: ") + Version);
    setWindowTitle(Title + Version);
    QCoreApplication::setApplicationName(Title + Version);
    mnuOpen->setEnabled(true);
    mnuClose->setEnabled(false);
    lblComOpen->setForeColor(White);
    lblComOpen->setBackColor(Red);
    mnuMSComm->setEnabled(true);

    resize(Twips::toPx(4920, this), menuBar()->sizeHint().height() + Twips::toPx(4755, this));
    if (const QScreen *s = screen()) {
        const QRect area = s->geometry();
        move(area.x() + int((float(area.width()) - float(frameGeometry().width())) / 2.0f),
             area.y() + int((float(area.height()) - float(frameGeometry().height())) / 2.0f));
    }

    for (int i = 0; i < int(lbl_G1.size()); ++i) {
        Twips::place(lbl_G1[i], 140 + 120 * i, 480, 120, 390);
        lbl_G1[i]->setBackColor(LightGrey);
        lbl_G1[i]->setFrameStyle(QFrame::NoFrame);
    }

    const QString app = QCoreApplication::applicationName();
    const QString settings = m_store->getSetting(app, Section, QStringLiteral("Einstellungen"));
    const auto check = [&] {
        if (!failure.failed())
            return true;
        m_dialogs->msgBox(failure.description(), Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        return false;
    };
    if (!settings.isEmpty()) {
        failure.run([&] { m_port->setSettings(settings); });
        if (!check())
            return;
    }
    ComPort = m_store->getSetting(app, Section, QStringLiteral("COM-Anschluß"));
    if (!ComPort.isEmpty())
        failure.run([&] { m_port->setCommPort(Conversions::toInt16(ComPort)); });
    const QString handshaking = m_store->getSetting(app, Section, QStringLiteral("Handshaking"));
    if (!handshaking.isEmpty()) {
        failure.run([&] { m_port->setHandshaking(Conversions::toInt32(handshaking)); });
        if (!check())
            return;
    }
    const QString echo = m_store->getSetting(app, Section, QStringLiteral("Echo"));
    failure.run([&] { Module1::LocalEcho = Conversions::toBoolean(echo); });

    Module1::EmulationMode = m_store->getSetting(app, Section, QStringLiteral("TermEmu"));
    if (Module1::EmulationMode.isEmpty())
        Module1::EmulationMode = Module1::AsciiMode;
    // Neither can fail on a port object that exists: both values are in range.
    m_port->setInputLen(1);
    m_port->setOutBufferSize(2048);
    UpdateEinstellungen();
    lblComOpen->setText(QStringLiteral("Com ") + ComPort + QStringLiteral("  closed"));
    CheckUART();
    RichTextBox->model().setText(QString());
    m_terminal->resetLength();
    lbl_Check->setForeColor(Black);
    lbl_Check->setText(QString());
    m_terminal->clearPageFlags();
}

void frmKX_Display::UpdateEinstellungen()
{
    if (Module1::EmulationMode == Module1::AsciiMode) {
        mnuASCII->setChecked(true);
        mnuKestrix->setChecked(false);
        m_port->setInputLen(1);
    } else if (Module1::EmulationMode == Module1::KestrixMode) {
        mnuASCII->setChecked(false);
        mnuKestrix->setChecked(true);
        m_port->setInputLen(1);
    }
    ComPort = QString::number(qint16(m_port->commPort()));
    sbrStatus->setPanelText(QStringLiteral("Settings"),
                            QStringLiteral("COM ") + ComPort + QStringLiteral(" - ") + m_port->settings());
    sbrStatus->setPanelText(QStringLiteral("Emulation"), Module1::EmulationMode);
}

void frmKX_Display::mnuASCII_Click()
{
    Module1::EmulationMode = Module1::AsciiMode;
    UpdateEinstellungen();
}

void frmKX_Display::mnuKestrix_Click()
{
    Module1::EmulationMode = Module1::KestrixMode;
    UpdateEinstellungen();
}

void frmKX_Display::Timer2_Timer()
{
    sbrStatus->setPanelText(QStringLiteral("Status"), QStringLiteral("Status"));
    Timer2->stop();
}

void frmKX_Display::showStatus(const QString &text)
{
    sbrStatus->setPanelText(QStringLiteral("Status"), text);
    Timer2->start();
}

void frmKX_Display::mnuOpen_Click()
{
    FailureRecorder failure;
    failure.run([&] { m_port->setPortOpen(!m_port->portOpen()); });
    if (failure.failed())
        m_dialogs->msgBox(failure.description(), Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
    showPortState();
    CheckUART();
}

void frmKX_Display::showPortState()
{
    if (m_port->portOpen()) {
        mnuOpen->setEnabled(false);
        mnuClose->setEnabled(true);
        mnuProperties->setEnabled(false);
        lblComOpen->setBackColor(Green);
        lblComOpen->setText(QStringLiteral("Com ") + ComPort + QStringLiteral("  open "));
        StartConnectTime();
    } else {
        mnuOpen->setEnabled(true);
        lblComOpen->setForeColor(White);
        lblComOpen->setBackColor(Red);
        lblComOpen->setText(QStringLiteral("Com ") + ComPort + QStringLiteral("  closed"));
        mnuClose->setEnabled(false);
        mnuProperties->setEnabled(true);
        StopConnectTime();
    }
}

void frmKX_Display::MSComm1_Lost(const QString &description)
{
    // The component has closed the port already; show the user what happened the
    // same way a failed flip does: the closed look and one message.
    showPortState();
    CheckUART();
    m_dialogs->msgBox(description, Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
}

void frmKX_Display::StartConnectTime()
{
    ConnectStart = m_clock->msecs();
    sbrStatus->setPanelText(QStringLiteral("ConnectTime"), QStringLiteral("00:00:00 "));
    Timer1->start();
}

void frmKX_Display::StopConnectTime()
{
    Timer1->stop();
    sbrStatus->setPanelText(QStringLiteral("ConnectTime"), QString());
}

void frmKX_Display::Timer1_Timer()
{
    const qint64 seconds = qMax<qint64>(0, (m_clock->msecs() - ConnectStart) / 1000);
    sbrStatus->setPanelText(QStringLiteral("ConnectTime"),
                            QStringLiteral("%1:%2:%3 ")
                                .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
                                .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                                .arg(seconds % 60, 2, 10, QLatin1Char('0')));
}

void frmKX_Display::mnuClose_Click()
{
    mnuOpen_Click();
    CheckUART();
    lblComOpen->setForeColor(White);
}

void frmKX_Display::CheckUART()
{
    const auto show = [](ColorLabel *label, bool on) {
        label->setForeColor(on ? White : Black);
        label->setBackColor(on ? Green : Grey);
    };
    show(lblDTR, m_port->dtrEnable());
    show(lblDSR, m_port->dsrHolding());
    show(lblRTS, m_port->rtsEnable());
    show(lblCTS, m_port->ctsHolding());
}

void frmKX_Display::MSComm1_OnComm()
{
    m_terminal->MSComm1_OnComm();
}

void frmKX_Display::RichTextBox_KeyPress(int &keyAscii)
{
    m_terminal->RichTextBox_KeyPress(keyAscii);
}

void frmKX_Display::mnuProperties_Click()
{
    const bool wasOpen = m_port->portOpen();
    frmProperties::Services services;
    services.port = m_port;
    services.store = m_store;
    services.dialogs = m_dialogs;
    services.setOpenChecked = [this](bool open) {
        m_openChecked = open;
        mnuOpen->setCheckable(true);
        mnuOpen->setChecked(open);
    };
    services.deviceOf = [this](int port) { return m_directory->device(port); };
    auto *dialog = new frmProperties(services, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->exec();

    UpdateEinstellungen();
    // A port number the port refused can leave a port that was open closed; the
    // commands and labels must not go on claiming it is open.
    if (wasOpen && !m_port->portOpen()) {
        showPortState();
        CheckUART();
    }
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
    box.lblDatum->setText(QStringLiteral("Stand: ") + Stand);
    box.lblVersion->setText(QStringLiteral("Version: ") + Version);
    box.exec();
}

void frmKX_Display::mnuEnde_Click()
{
    bool cancel = false;
    Form_Unload(cancel);
    // "&Beenden" ends the program whatever the answer; an open port is released
    // by the end of the program.
    m_ending = true;
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

void frmKX_Display::closeEvent(QCloseEvent *event)
{
    if (m_ending) {
        event->accept();
        return;
    }
    bool cancel = false;
    Form_Unload(cancel);
    if (cancel)
        event->ignore();
    else
        event->accept();
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
