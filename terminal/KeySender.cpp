#include "terminal/KeySender.h"

#include "serial/CommError.h"
#include "terminal/RichTextModel.h"
#include "terminal/TerminalOptions.h"
#include "serial/SerialComm.h"

void KeySender::RichTextBox_KeyPress(int &keyAscii)
{
    // Keys without a character code have nothing to send.
    if (keyAscii < 1 || keyAscii > 255)
        return;
    // With the port closed the view is a plain text box.
    if (!m_port.portOpen() && !m_waiting)
        return;

    if (m_waiting) {
        // Not sent, and the user must know it: the controller will not have seen it.
        if (m_notSent)
            m_notSent();
    } else {
        try {
            m_port.output(QByteArray(1, char(keyAscii)));
        } catch (const CommError &e) {
            // Called from a key event: the failure must not leave the handler, and a
            // refused key is worth a word in the status panel, not a modal box.
            if (m_report)
                m_report(QStringLiteral("Error: ") + e.description());
        }
    }

    if (!m_options.localEcho) {
        // Only the controller's answer shows, and it goes to the end of the view.
        m_view.setSelStart(m_view.length());
        keyAscii = 0;
    }
}
