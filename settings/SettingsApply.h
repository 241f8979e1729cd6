#pragma once

#include <QString>
#include <functional>

class Dialogs;
class SerialComm;
class StoredSettings;
struct TerminalOptions;

// What happens when the settings dialog is confirmed: the echo choice, the port
// number, the settings string and the handshaking go to the port object, each
// refusal is shown once and stops there, and only a fully applied choice is
// stored, read back from the port object so the store holds what it accepted.
class SettingsApply
{
public:
    // The dialog's selections.
    struct Choice
    {
        int portIndex = -1;     // cboPort index; -1 when nothing is selected
        QString speed;
        QString parity;         // list text, e.g. "Odd"
        QString dataBits;
        QString stopBits;
        int pendingHandshaking = 0;
        bool pendingEcho = false;
    };

    // setOpenChecked shows the port's open state as the check mark of the open command.
    SettingsApply(SerialComm &port, StoredSettings &stored, TerminalOptions &options,
                  Dialogs &dialogs, std::function<void(bool)> setOpenChecked);

    // True when everything was applied and stored and the dialog may close.
    bool cmdOK_Click(const Choice &choice);

private:
    void show(const QString &description);

    SerialComm &m_port;
    StoredSettings &m_stored;
    TerminalOptions &m_options;
    Dialogs &m_dialogs;
    std::function<void(bool)> m_setOpenChecked;
};
