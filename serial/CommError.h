#pragma once

#include <QString>
#include <exception>

// A refused operation of the serial port component. Carries the component's own
// German description, which callers show unchanged, and what kind of refusal it is,
// so that a port tried again and again can tell a new reason from the old one.
class CommError : public std::exception
{
public:
    enum class Cause {
        Other,        // no sentence of its own: the system's words are added
        Missing,      // no device at that path
        NoHardware,   // a device node without a device behind it
        Permission,   // the user may not open it
        Busy,         // another program holds it
        Settings,     // the device refuses the line settings
        Io,           // the device stopped answering
        NotSerial,    // the path is no serial line
    };

    explicit CommError(QString description, Cause cause = Cause::Other)
        : m_description(std::move(description)), m_utf8(m_description.toUtf8()), m_cause(cause) {}
    const QString &description() const { return m_description; }
    Cause cause() const { return m_cause; }

    // A text from outside the program, as a description quotes it: a pasted wall
    // of characters is cut to its start, so that no message box outgrows the screen.
    static QString quote(const QString &text, qsizetype most = 24)
    {
        return text.size() <= most ? text : text.left(most - 1) + QChar(0x2026);
    }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_description;
    QByteArray m_utf8;
    Cause m_cause;
};

// Record-and-continue: runs each step, keeps the latest failure, and lets the
// handler look at it at its checkpoints.
class FailureRecorder
{
public:
    template <typename Step>
    bool run(Step &&step)
    {
        try {
            step();
            return true;
        } catch (const CommError &e) {
            m_failure = e.description();
            m_failed = true;
            return false;
        }
    }
    bool failed() const { return m_failed; }
    const QString &description() const { return m_failure; }

private:
    bool m_failed = false;
    QString m_failure;
};
