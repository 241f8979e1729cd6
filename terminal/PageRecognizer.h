#pragma once

#include <QString>

class GyroPanel;
class IndicatorRow;
class RxLine;
class TextAppender;
struct TerminalOptions;

// Looks at every completed line: redraws the controller's page titles in blue in
// device emulation, and follows the diagnosis page in every mode, handing its lines
// to the gyro panel.
class PageRecognizer
{
public:
    PageRecognizer(TextAppender &appender, RxLine &line, GyroPanel &gyro, IndicatorRow &row,
                   const TerminalOptions &options)
        : m_appender(appender), m_line(line), m_gyro(gyro), m_row(row), m_options(options) {}

    void CheckRxZeile(QString &RxZeile);

    bool Diagnose() const { return m_diagnose; }
    void clearDiagnose() { m_diagnose = false; }

private:
    void ColorRxZeile();
    void leaveDiagnosis();
    void enterDiagnosis();

    TextAppender &m_appender;
    RxLine &m_line;
    GyroPanel &m_gyro;
    IndicatorRow &m_row;
    const TerminalOptions &m_options;
    bool m_diagnose = false;
};
