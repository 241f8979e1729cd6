#include "terminal/TerminalEngine.h"

#include "serial/CommError.h"
#include "terminal/RichTextModel.h"

TerminalEngine::TerminalEngine(SerialComm &port, RichTextModel &view, IndicatorRow &row,
                               const TerminalOptions &options, QObject *parent)
    : QObject(parent), m_view(view), m_appender(view), m_gyro(row),
      m_pages(m_appender, m_line, m_gyro, row, options),
      m_receive(port, m_appender, m_line, m_pages, options,
                [this](const QString &t) { emit statusMessage(t); }),
      m_keys(port, view, options, [this](const QString &t) { emit statusMessage(t); },
             [this] { emit keyNotSent(); })
{
    view.setLineSink(&m_history);
}

TerminalEngine::~TerminalEngine()
{
    m_view.setLineSink(nullptr);
}

void TerminalEngine::MSComm1_OnComm()
{
    // Runs from the port's notification: nothing may leave it.
    try {
        m_receive.MSComm1_OnComm();
    } catch (const CommError &e) {
        emit statusMessage(QStringLiteral("Error: ") + e.description());
    }
}

void TerminalEngine::RichTextBox_KeyPress(int &keyAscii)
{
    m_keys.RichTextBox_KeyPress(keyAscii);
}

void TerminalEngine::resetLength()
{
    m_appender.setMaxTextLen(TextAppender::DefaultMaxTextLen);
    m_appender.setTextLen(m_view.length());
}

void TerminalEngine::clearPageFlags()
{
    m_pages.clearDiagnose();
    m_gyro.clearSelection();
    m_receive.clearCursorMark();
}
