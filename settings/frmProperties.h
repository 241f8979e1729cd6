#pragma once

#include "settings/SettingsApply.h"

#include <QDialog>

#include <array>
#include <functional>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class Dialogs;
class SerialComm;
class StoredSettings;
struct TerminalOptions;

// The settings dialog: port, speed, data format, flow control, echo and emulation.
// It is made for one opening: it fills and presets its controls from the port
// object and the two program-wide values when it is created, and is thrown away
// when closed. Emulation choices take effect at once; everything else waits for OK.
class frmProperties : public QDialog
{
    Q_OBJECT

public:
    struct Services
    {
        SerialComm *port = nullptr;
        StoredSettings *stored = nullptr;
        TerminalOptions *options = nullptr;
        Dialogs *dialogs = nullptr;
        // Shows the port's state as the check mark of the main window's open command.
        std::function<void(bool)> setOpenChecked;
        // The device a port number stands for; empty when there is none.
        std::function<QString(int)> deviceOf;
    };

    explicit frmProperties(const Services &services, QWidget *parent = nullptr);
    ~frmProperties() override;

    // The choices waiting for OK.
    int PendingHandshaking = 0;
    bool PendingEcho = false;

public slots:
    void cmdOK_Click();
    void cmdCancel_Click();
    void optFlow_Click(int index);
    void optEcho_Click(int index);
    void optEmulation_Click(int index);

private:
    void buildControls();
    // Looks the ports' devices up again when adapters are plugged in or out.
    void watchDevices();
    void Form_Load();
    void LoadPropertySettings();
    // Names the device of every port in its tooltip, and the selected one beside the list.
    void showDevices();
    void showDevice();

    SerialComm &m_port;
    TerminalOptions &m_options;
    std::function<QString(int)> m_deviceOf;
    SettingsApply m_apply;

    QTabWidget *tabSettings = nullptr;
    QGroupBox *fraSettings = nullptr;
    QComboBox *cboPort = nullptr;
    QLabel *lblDevice = nullptr;
    QComboBox *cboSpeed = nullptr;
    QComboBox *cboDataBits = nullptr;
    QComboBox *cboParity = nullptr;
    QComboBox *cboStopBits = nullptr;
    std::array<QRadioButton *, 2> optEcho{};
    std::array<QRadioButton *, 4> optFlow{};
    std::array<QRadioButton *, 2> optEmulation{};
    QButtonGroup *m_echoGroup = nullptr;
    QButtonGroup *m_flowGroup = nullptr;
    QButtonGroup *m_emulationGroup = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
};
