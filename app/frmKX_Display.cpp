#include "app/frmKX_Display.h"

#include "app/Module1.h"
#include "platform/Clock.h"
#include "platform/ColorLabel.h"
#include "platform/Conversions.h"
#include "platform/PortDirectory.h"
#include "platform/QtDialogs.h"
#include "platform/QtSerialComm.h"
#include "platform/RichTextView.h"
#include "platform/SettingsStore.h"
#include "platform/StatusBar.h"
#include "platform/Twips.h"
#include "serial/SerialTuning.h"
#include "terminal/GyroWindows.h"

#include <QApplication>
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
    if (services.port) {
        m_port = services.port;
    } else {
        auto directory = std::make_shared<PortDirectory>(*m_store, Title + ProgramVersion);
        m_port = new QtSerialComm([directory](int n) { return directory->device(n); }, this);
    }

    buildMenus();
    buildControls();
    buildStatusBar();

    Timer2.setInterval(2000);
    Timer2.setSingleShot(true);
    connect(&Timer2, &QTimer::timeout, this, &frmKX_Display::Timer2_Timer);
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
    mnuMSComm->menuAction()->setVisible(false);
    mnuMSComm->menuAction()->setEnabled(false);

    mnuInfo = bar->addAction(QStringLiteral("&Info"));
    mnuInfo->setObjectName(QStringLiteral("mnuInfo"));

    mnuEntwicklung = addMenu(bar, QStringLiteral("mnuEntwicklung"), QStringLiteral("&Entwicklung"));
    mnuGyro_Scale = addCommand(mnuEntwicklung, QStringLiteral("mnuGyro_Scale"), QStringLiteral("Gyro Display"));
    mnuGyro_Diagnose = addCommand(mnuEntwicklung, QStringLiteral("mnuGyro_Diagnose"), QStringLiteral("Gyro Diagnose"));
    mnuEntwicklung->menuAction()->setVisible(false);
    mnuEntwicklung->menuAction()->setEnabled(false);

    connect(mnuEnde, &QAction::triggered, this, &frmKX_Display::mnuEnde_Click);
    connect(mnuOpen, &QAction::triggered, this, &frmKX_Display::mnuOpen_Click);
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

    for (int i = 0; i < int(lbl_G1.size()); ++i) {
        lbl_G1[i] = addLabel(client, QStringLiteral("lbl_G1_%1").arg(i), QString());
        Twips::place(lbl_G1[i], 140 + 120 * i, 480, 120, 390);
    }
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
}

void frmKX_Display::Form_Load()
{
    // Steps 1 to 13 tolerate failures: the latest one is kept and shown at the two
    // checks; when the user has confirmed it, start-up ends where it stands.
    FailureRecorder failure;
    Stand = QStringLiteral("26.12.09");
    Version = ProgramVersion;
    // Step 3 (About box) goes here.
    setWindowTitle(Title + Version);
    QCoreApplication::setApplicationName(Title + Version);
    mnuOpen->setEnabled(true);
    mnuClose->setEnabled(false);
    lblComOpen->setForeColor(White);
    lblComOpen->setBackColor(Red);
    mnuMSComm->menuAction()->setEnabled(true);

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
    // Steps 21 to 23 (the terminal's length cap and page flags) go here.
    lbl_Check->setForeColor(Black);
    lbl_Check->setText(QString());
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
    Timer2.stop();
}

void frmKX_Display::showStatus(const QString &text)
{
    sbrStatus->setPanelText(QStringLiteral("Status"), text);
    Timer2.start();
}

void frmKX_Display::mnuOpen_Click()
{
    FailureRecorder failure;
    failure.run([&] { m_port->setPortOpen(!m_port->portOpen()); });
    if (failure.failed())
        m_dialogs->msgBox(failure.description(), Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
    if (m_port->portOpen()) {
        mnuOpen->setEnabled(false);
        mnuClose->setEnabled(true);
        mnuProperties->setEnabled(false);
        lblComOpen->setBackColor(Green);
        lblComOpen->setText(QStringLiteral("Com ") + ComPort + QStringLiteral("  open "));
    } else {
        mnuOpen->setEnabled(true);
        lblComOpen->setForeColor(White);
        lblComOpen->setBackColor(Red);
        lblComOpen->setText(QStringLiteral("Com ") + ComPort + QStringLiteral("  closed"));
        mnuClose->setEnabled(false);
        mnuProperties->setEnabled(true);
    }
    CheckUART();
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

void frmKX_Display::MSComm1_OnComm() {}

void frmKX_Display::RichTextBox_KeyPress(int &) {}

void frmKX_Display::mnuProperties_Click() {}

void frmKX_Display::mnuInfo_Click() {}

void frmKX_Display::mnuEnde_Click()
{
    QApplication::quit();
}
