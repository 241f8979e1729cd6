#pragma once

#include "terminal/GyroPanel.h"
#include "terminal/History.h"
#include "terminal/KeySender.h"
#include "terminal/PageRecognizer.h"
#include "terminal/ReceiveLoop.h"
#include "terminal/RxLine.h"
#include "terminal/TextAppender.h"

#include <QObject>

class GyroSeries;
class IndicatorRow;
class RichTextModel;
class SerialComm;
struct TerminalOptions;

// The terminal: what the port receives goes into the view, completed lines are
// recognised, the gyro test drives the indicator row, typed keys go to the port.
class TerminalEngine : public QObject
{
    Q_OBJECT

public:
    TerminalEngine(SerialComm &port, RichTextModel &view, IndicatorRow &row,
                   const TerminalOptions &options, QObject *parent = nullptr);
    ~TerminalEngine() override;

    void MSComm1_OnComm();
    void RichTextBox_KeyPress(int &keyAscii);
    // Whether the port waits for its device to come back: typed keys are not sent.
    void setWaiting(bool waiting) { m_keys.setWaiting(waiting); }

    // Start-up: the view's length cap and its measured length.
    void resetLength();
    // Start-up: no page, no gyro, no pending cursor colour.
    void clearPageFlags();

    // Every reading of the gyro test goes to series too.
    void recordGyroReadings(GyroSeries &series) { m_gyro.recordTo(series); }

    // The open line: what has arrived since the last CR.
    const RxLine &line() const { return m_line; }
    // Every line the view has shown, as it showed it.
    History &history() { return m_history; }

signals:
    // A message for the "Status" panel, such as "Error: Rahmenfehler (Framing)".
    void statusMessage(const QString &text);
    // A key was typed while the port waits for its device, and not sent.
    void keyNotSent();

private:
    RichTextModel &m_view;
    History m_history;
    TextAppender m_appender;
    RxLine m_line;
    GyroPanel m_gyro;
    PageRecognizer m_pages;
    ReceiveLoop m_receive;
    KeySender m_keys;
};
