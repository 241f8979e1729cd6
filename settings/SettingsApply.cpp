#include "settings/SettingsApply.h"

#include "serial/CommError.h"
#include "platform/Dialogs.h"
#include "serial/SerialComm.h"
#include "settings/SettingsString.h"
#include "settings/StoredSettings.h"
#include "terminal/TerminalOptions.h"

SettingsApply::SettingsApply(SerialComm &port, StoredSettings &stored, TerminalOptions &options,
                             Dialogs &dialogs, std::function<void(bool)> setOpenChecked)
    : m_port(port), m_stored(stored), m_options(options), m_dialogs(dialogs),
      m_setOpenChecked(std::move(setOpenChecked))
{
}

bool SettingsApply::cmdOK_Click(const Choice &choice)
{
    // Record-and-continue: a refused step is skipped and remembered; the checkpoints
    // below show the latest refusal and end the handler there.
    FailureRecorder failure;

    // Echo is in force at once, whatever the later steps do.
    m_options.localEcho = choice.pendingEcho;

    const int oldPort = m_port.commPort();
    const int newPort = choice.portIndex + 1;
    if (newPort != oldPort) {
        const bool wasOpen = m_port.portOpen();
        if (wasOpen)
            failure.run([&] { m_port.setPortOpen(false); });
        failure.run([&] { m_port.setCommPort(newPort); });
        if (!failure.failed() && wasOpen) {
            failure.run([&] { m_port.setPortOpen(true); });
            if (m_setOpenChecked)
                m_setOpenChecked(m_port.portOpen());
        }
        if (failure.failed()) {
            show(failure.description());
            // The old number was accepted before; should it be refused now, there
            // is nothing better left to do than keep what the port holds.
            FailureRecorder restore;
            restore.run([&] { m_port.setCommPort(oldPort); });
            return false;
        }
    }

    failure.run([&] {
        m_port.setSettings(SettingsString::build(choice.speed, choice.parity, choice.dataBits,
                                                 choice.stopBits));
    });
    if (failure.failed()) {
        show(failure.description());
        return false;
    }

    failure.run([&] { m_port.setHandshaking(choice.pendingHandshaking); });
    if (failure.failed()) {
        show(failure.description());
        return false;
    }

    // A store that cannot be written must not keep the dialog open.
    m_stored.save(m_port, m_options);
    return true;
}

void SettingsApply::show(const QString &description)
{
    m_dialogs.msgBox(description, Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
}
