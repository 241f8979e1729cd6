#include "settings/frmProperties.h"

#include "platform/ElidedLabel.h"
#include "platform/Fonts.h"
#include "serial/PortDirectory.h"
#include "serial/SerialComm.h"
#include "platform/Twips.h"
#include "settings/SettingsLists.h"
#include "settings/SettingsPresets.h"
#include "terminal/TerminalOptions.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>

namespace {
template <typename W>
W *make(QWidget *parent, const QString &name, int left, int top, int width, int height)
{
    auto *w = new W(parent);
    w->setObjectName(name);
    Twips::place(w, left, top, width, height);
    return w;
}

QGroupBox *frame(QWidget *parent, const QString &name, const QString &caption, int left, int top,
                 int width, int height)
{
    auto *f = make<QGroupBox>(parent, name, left, top, width, height);
    f->setTitle(caption);
    // Unnamed, a frame is read out by the title of the frame around it.
    f->setAccessibleName(QString(caption).remove(u'&'));
    return f;
}

QLabel *label(QWidget *parent, const QString &name, const QString &caption, int left, int top,
              int width, int height)
{
    auto *l = make<QLabel>(parent, name, left, top, width, height);
    l->setText(caption);
    return l;
}

// A drop-down list: the user picks an item and cannot type other text. Its label
// names it to screen readers and takes the label's access key.
QComboBox *list(QWidget *parent, QLabel *label, const QString &name, int left, int top, int width,
                int height)
{
    auto *c = make<QComboBox>(parent, name, left, top, width, height);
    c->setEditable(false);
    if (label)
        label->setBuddy(c);
    return c;
}

QRadioButton *option(QWidget *parent, QButtonGroup *group, const QString &array, int index,
                     const QString &caption, int left, int top, int width, int height)
{
    auto *b = make<QRadioButton>(parent, array + u'_' + QString::number(index), left, top, width,
                                 height);
    b->setText(caption);
    group->addButton(b, index);
    return b;
}

// The places were made for frames whose title sits on the border line. Where the
// style draws the title above the border instead, a frame's controls move down
// together, by just as much as it takes to clear title and border.
void keepBelowTitle(QGroupBox *frame)
{
    const QList<QWidget *> inside = frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    int top = frame->height();
    for (const QWidget *w : inside)
        top = std::min(top, w->y());
    const int shift = frame->contentsRect().top() - top;
    if (shift <= 0)
        return;
    for (QWidget *w : inside)
        w->move(w->x(), w->y() + shift);
}

// Tooltips guess whether their text is markup; text from the host (device paths,
// a maker's words) is escaped and marked as markup so that it shows as written,
// on one line.
QString plainToolTip(const QString &text)
{
    return QStringLiteral("<p style='white-space:pre'>%1</p>").arg(text.toHtmlEscaped());
}

// Selects the item with exactly this text, or nothing when there is none.
void selectText(QComboBox *box, const QString &text)
{
    box->setCurrentIndex(text.isEmpty() ? -1 : box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void fill(QComboBox *box, const QStringList &items)
{
    box->clear();
    box->addItems(items);
    // Filling selects the first item; the presets decide what is selected.
    box->setCurrentIndex(-1);
}
} // namespace

frmProperties::frmProperties(const Services &services, QWidget *parent)
    : QDialog(parent),
      m_port(*services.port),
      m_options(*services.options),
      m_deviceOf(services.deviceOf),
      m_apply(*services.port, *services.stored, *services.options, *services.dialogs,
              services.setOpenChecked)
{
    setObjectName(QStringLiteral("frmProperties"));
    setWindowTitle(QStringLiteral("COM-Port  Einstellungen"));
    setModal(true);
    buildControls();
    watchDevices();
    Form_Load();
}

frmProperties::~frmProperties() = default;

void frmProperties::buildControls()
{
    setFont(Fonts::msSansSerif());
    setFixedSize(Twips::toPx(6510, this), Twips::toPx(4215, this));

    tabSettings = make<QTabWidget>(this, QStringLiteral("tabSettings"), 100, 105, 6345, 4035);
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tabSettings_page"));
    tabSettings->addTab(page, QStringLiteral("Einstellungen"));

    fraSettings = frame(page, QStringLiteral("fraSettings"), QStringLiteral("Einstellungen"),
                        200, 450, 6195, 3615);

    QLabel *portLabel = label(fraSettings, QStringLiteral("Label1"), QStringLiteral("Anschluß:"),
                              330, 180, 735, 315);
    cboPort = list(fraSettings, portLabel, QStringLiteral("cboPort"), 1080, 150, 1425, 315);
    // A device path comes from the store or the host: plain text, cut to the room.
    lblDevice = make<ElidedLabel>(fraSettings, QStringLiteral("lblDevice"), 2600, 180, 3500, 285);

    auto *frame1 = frame(fraSettings, QStringLiteral("Frame1"),
                         QStringLiteral("Maximale Geschwindigkeit"), 100, 600, 2280, 870);
    cboSpeed = list(frame1, nullptr, QStringLiteral("cboSpeed"), 320, 330, 1695, 315);
    // The speed list has no label of its own; its frame says what it is.
    cboSpeed->setAccessibleName(frame1->accessibleName());

    auto *connection = frame(fraSettings, QStringLiteral("fraConnection"),
                             QStringLiteral("Übertragungsformat"), 100, 1635, 2280, 1770);
    QLabel *dataBitsLabel = label(connection, QStringLiteral("Label3"), QStringLiteral("Datenbits:"),
                                  140, 375, 825, 285);
    cboDataBits = list(connection, dataBitsLabel, QStringLiteral("cboDataBits"), 980, 330, 1140, 315);
    QLabel *parityLabel = label(connection, QStringLiteral("Label4"), QStringLiteral("Parität:"),
                                140, 855, 615, 285);
    cboParity = list(connection, parityLabel, QStringLiteral("cboParity"), 980, 800, 1140, 315);
    QLabel *stopBitsLabel = label(connection, QStringLiteral("Label5"), QStringLiteral("Stopbits:"),
                                  140, 1320, 885, 285);
    cboStopBits = list(connection, stopBitsLabel, QStringLiteral("cboStopBits"), 980, 1260, 1140, 315);

    auto *frame7 = frame(fraSettings, QStringLiteral("Frame7"), QStringLiteral("&Echo"),
                         2540, 600, 1540, 870);
    m_echoGroup = new QButtonGroup(this);
    const QString echo = QStringLiteral("optEcho");
    optEcho[0] = option(frame7, m_echoGroup, echo, 0, QStringLiteral("Aus"), 135, 360, 615, 315);
    optEcho[1] = option(frame7, m_echoGroup, echo, 1, QStringLiteral("Ein"), 795, 420, 555, 195);

    auto *frame5 = frame(fraSettings, QStringLiteral("Frame5"), QStringLiteral("&Protokoll"),
                         2540, 1635, 1540, 1770);
    m_flowGroup = new QButtonGroup(this);
    const QString flow = QStringLiteral("optFlow");
    optFlow[0] = option(frame5, m_flowGroup, flow, 0, QStringLiteral("Kein"), 180, 360, 855, 255);
    optFlow[1] = option(frame5, m_flowGroup, flow, 1, QStringLiteral("Xon/Xoff"), 180, 645, 1095, 255);
    optFlow[2] = option(frame5, m_flowGroup, flow, 2, QStringLiteral("RTS"), 180, 945, 735, 255);
    optFlow[3] = option(frame5, m_flowGroup, flow, 3, QStringLiteral("Xon/RTS"), 180, 1245, 1155, 255);

    auto *emulation = frame(fraSettings, QStringLiteral("Emulation"), QStringLiteral("&Emulation"),
                            4240, 600, 1800, 1215);
    m_emulationGroup = new QButtonGroup(this);
    const QString emu = QStringLiteral("optEmulation");
    optEmulation[0] = option(emulation, m_emulationGroup, emu, 0, QStringLiteral("ASCII"),
                             120, 360, 1540, 255);
    optEmulation[1] = option(emulation, m_emulationGroup, emu, 1, QStringLiteral("Kestrix II"),
                             120, 720, 1540, 255);

    cmdOK = make<QPushButton>(fraSettings, QStringLiteral("cmdOK"), 4600, 2400, 1080, 420);
    cmdOK->setText(QStringLiteral("OK"));
    cmdOK->setDefault(true);
    cmdCancel = make<QPushButton>(fraSettings, QStringLiteral("cmdCancel"), 4600, 3000, 1080, 420);
    cmdCancel->setText(QStringLiteral("Abbrechen"));

    // A choice handler runs whenever a button becomes selected, by the user or by
    // the presets, so presetting records a choice exactly as a click does.
    const auto onSelect = [this](QButtonGroup *group, void (frmProperties::*handler)(int)) {
        connect(group, &QButtonGroup::idToggled, this, [this, handler](int id, bool checked) {
            if (checked)
                (this->*handler)(id);
        });
    };
    onSelect(m_flowGroup, &frmProperties::optFlow_Click);
    onSelect(m_echoGroup, &frmProperties::optEcho_Click);
    onSelect(m_emulationGroup, &frmProperties::optEmulation_Click);

    Fonts::fitCaptions(this);
    for (QGroupBox *f : findChildren<QGroupBox *>())
        keepBelowTitle(f);

    connect(cboPort, &QComboBox::currentIndexChanged, this, &frmProperties::showDevice);
    connect(cmdOK, &QPushButton::clicked, this, &frmProperties::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmProperties::cmdCancel_Click);
}

void frmProperties::watchDevices()
{
    // Adapters come and go while the dialog is open: a device node appearing or
    // leaving changes /dev. The host needs a moment to learn an adapter's maker and
    // serial number, so the ports are looked up again once /dev has been quiet a while.
    // Hosts without /dev (Windows) name their ports COM1 to COM16 whatever is plugged in.
    auto *settle = new QTimer(this);
    settle->setObjectName(QStringLiteral("tmrDevices"));
    settle->setSingleShot(true);
    settle->setInterval(700);
    connect(settle, &QTimer::timeout, this, &frmProperties::showDevices);
    const QString devices = QStringLiteral("/dev");
    if (!QFileInfo(devices).isDir())
        return;
    auto *watcher = new QFileSystemWatcher({devices}, this);
    watcher->setObjectName(QStringLiteral("fswDevices"));
    connect(watcher, &QFileSystemWatcher::directoryChanged, settle, qOverload<>(&QTimer::start));
}

void frmProperties::Form_Load()
{
    if (const QScreen *s = screen()) {
        const QRect area = s->geometry();
        move(area.x() + (area.width() - frameGeometry().width()) / 2,
             area.y() + (area.height() - frameGeometry().height()) / 2);
    }
    // The frame is the tab's page: it sits at the top-left of the tab's client area.
    fraSettings->move(0, 0);
    fraSettings->raise();
    LoadPropertySettings();
}

void frmProperties::LoadPropertySettings()
{
    fill(cboPort, SettingsLists::ports());
    fill(cboSpeed, SettingsLists::speeds());
    fill(cboDataBits, SettingsLists::dataBits());
    fill(cboParity, SettingsLists::parities());
    fill(cboStopBits, SettingsLists::stopBits());

    const SettingsPresets presets = SettingsPresets::fromSettings(m_port.settings());
    selectText(cboSpeed, presets.speed);
    selectText(cboParity, presets.parity);
    selectText(cboDataBits, presets.dataBits);
    selectText(cboStopBits, presets.stopBits);
    cboPort->setCurrentIndex(SettingsPresets::portIndex(m_port.commPort()));
    showDevices();

    const int handshaking = m_port.handshaking();
    if (handshaking >= 0 && handshaking < int(optFlow.size()))
        optFlow[handshaking]->setChecked(true);
    optEcho[m_options.localEcho ? 1 : 0]->setChecked(true);
    if (m_options.emulation == TerminalOptions::Emulation::Ascii)
        optEmulation[0]->setChecked(true);
    else if (m_options.emulation == TerminalOptions::Emulation::Kestrix)
        optEmulation[1]->setChecked(true);
}

void frmProperties::showDevices()
{
    const QList<QSerialPortInfo> present = QSerialPortInfo::availablePorts();
    for (int i = 0; i < cboPort->count(); ++i) {
        const QString device = m_deviceOf ? m_deviceOf(i + 1) : QString();
        cboPort->setItemData(i, plainToolTip(PortDirectory::describe(device, present)), Qt::ToolTipRole);
    }
    showDevice();
}

void frmProperties::showDevice()
{
    const int index = cboPort->currentIndex();
    const QString device = index >= 0 && m_deviceOf ? m_deviceOf(index + 1) : QString();
    lblDevice->setText(device.isEmpty() ? QStringLiteral("kein Gerät") : device);
}

void frmProperties::optFlow_Click(int index)
{
    PendingHandshaking = index;
}

void frmProperties::optEcho_Click(int index)
{
    PendingEcho = index == 1;
}

void frmProperties::optEmulation_Click(int index)
{
    if (index == 0)
        m_options.setEmulation(TerminalOptions::Emulation::Ascii);
    else if (index == 1)
        m_options.setEmulation(TerminalOptions::Emulation::Kestrix);
}

void frmProperties::cmdOK_Click()
{
    SettingsApply::Choice choice;
    choice.portIndex = cboPort->currentIndex();
    choice.speed = cboSpeed->currentText();
    choice.parity = cboParity->currentText();
    choice.dataBits = cboDataBits->currentText();
    choice.stopBits = cboStopBits->currentText();
    choice.pendingHandshaking = PendingHandshaking;
    choice.pendingEcho = PendingEcho;
    if (m_apply.cmdOK_Click(choice))
        accept();
}

void frmProperties::cmdCancel_Click()
{
    reject();
}
