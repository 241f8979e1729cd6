#pragma once

#include <QList>
#include <QString>
#include <Qt>

#include <functional>

class RichTextModel;
class SerialComm;
struct TerminalOptions;

// Sends every character typed into the terminal view to the controller.
class KeySender
{
public:
    using Report = std::function<void(const QString &)>;

    // The character codes (1 to 255) a key press types: key is its Qt::Key, text
    // what the keyboard made of it. Composed text types each of its characters;
    // a key without a character stands for the code a terminal sends for it.
    // Alt combinations are commands, and keys without a code type nothing.
    static QList<int> codesOf(int key, Qt::KeyboardModifiers modifiers, const QString &text);

    KeySender(SerialComm &port, RichTextModel &view, const TerminalOptions &options, Report report,
              std::function<void()> notSent)
        : m_port(port), m_view(view), m_options(options), m_report(std::move(report)),
          m_notSent(std::move(notSent)) {}

    // The port is closed because its device went away, and the program waits for
    // it: typing goes on as if it were open, but nothing can be sent.
    void setWaiting(bool waiting) { m_waiting = waiting; }

    // keyAscii is the typed character's ANSI code; set to 0 when the view must
    // not insert it itself.
    void RichTextBox_KeyPress(int &keyAscii);

private:
    SerialComm &m_port;
    RichTextModel &m_view;
    const TerminalOptions &m_options;
    Report m_report;
    std::function<void()> m_notSent;
    bool m_waiting = false;
};
