#include "terminal/KeySender.h"

#include "platform/Windows1252.h"
#include "serial/CommError.h"
#include "serial/SerialComm.h"
#include "terminal/RichTextModel.h"
#include "terminal/TerminalOptions.h"

namespace {
// The code a key stands for, given one character of its text (or a null character
// when it has none); 0 when it stands for none.
int codeOf(int key, Qt::KeyboardModifiers mods, QChar typed)
{
    // Alt combinations are commands (menu mnemonics), not typing. Ctrl+Alt is
    // AltGr on some keyboards and types its character.
    if ((mods & Qt::AltModifier) && !(mods & Qt::ControlModifier))
        return 0;
    if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier)) {
        // Some platforms give Ctrl combinations an empty text; the code follows
        // from the key as on a terminal.
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            return key - Qt::Key_A + 1;
        switch (key) {
        case Qt::Key_BracketLeft: return 27;
        case Qt::Key_Backslash: return 28;
        case Qt::Key_BracketRight: return 29;
        case Qt::Key_AsciiCircum: return 30;
        case Qt::Key_Underscore: return 31;
        case Qt::Key_Return:
        case Qt::Key_Enter: return 10;
        case Qt::Key_Backspace: return 127;
        default: break;
        }
        return !typed.isNull() && typed.unicode() < 0x20 ? typed.unicode() : 0;
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    default: break;
    }
    return typed.isNull() ? 0 : Windows1252::fromChar(typed);
}
} // namespace

QList<int> KeySender::codesOf(int key, Qt::KeyboardModifiers modifiers, const QString &text)
{
    QList<int> codes;
    if (text.size() > 1 && !(modifiers & (Qt::ControlModifier | Qt::AltModifier))) {
        // Composed input: each character is typed on its own.
        for (QChar c : text)
            if (int code = Windows1252::fromChar(c))
                codes.push_back(code);
    } else if (int code = codeOf(key, modifiers, text.isEmpty() ? QChar() : text[0])) {
        codes.push_back(code);
    }
    return codes;
}

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
