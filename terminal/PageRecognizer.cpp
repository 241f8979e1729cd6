#include "terminal/PageRecognizer.h"

#include "terminal/RichTextModel.h"
#include "terminal/GyroPanel.h"
#include "terminal/IndicatorRow.h"
#include "terminal/RxLine.h"
#include "platform/Colors.h"
#include "terminal/TerminalOptions.h"
#include "terminal/TextAppender.h"

namespace {
const QString GyroTestTitle = QStringLiteral("  Gyro Test (verlassen mit Roll links!)");
const QString MenuTitle = QStringLiteral("KONFIGURATIONSMENUE ");
const QString DiagnosisTitle = QStringLiteral("KONFIGURATIONSMENUE > DIAGNOSE");
const QString PageTitles[] = {
    QStringLiteral("KONFIGURATIONSMENUE > ROTORANORDNUNG"),
    QStringLiteral("KONFIGURATIONSMENUE > AKKU"),
    QStringLiteral("KONFIGURATIONSMENUE > MOTOREN"),
    QStringLiteral("KONFIGURATIONSMENUE > SETTINGS"),
    QStringLiteral("KONFIGURATIONSMENUE > NOTLANDUNG"),
    QStringLiteral("Wirklich in den Grundzustand versetzen?"),
};
} // namespace

void PageRecognizer::CheckRxZeile(QString &RxZeile)
{
    const bool kestrix = m_options.kestrix();

    if (kestrix && RxZeile == GyroTestTitle) {
        // An empty line sets the title apart; the title is no gyro reading.
        QString lineBreak = QStringLiteral("\r\n");
        m_appender.AppendText(lineBreak);
        return;
    }

    if (RxZeile == MenuTitle) {
        if (kestrix)
            ColorRxZeile();
        leaveDiagnosis();
    } else if (RxZeile == DiagnosisTitle) {
        if (kestrix)
            ColorRxZeile();
        enterDiagnosis();
    } else if (kestrix) {
        for (const QString &title : PageTitles) {
            if (RxZeile == title) {
                ColorRxZeile();
                break;
            }
        }
    }

    if (m_diagnose)
        m_gyro.Gyro_Diagnose(RxZeile);
}

void PageRecognizer::ColorRxZeile()
{
    RichTextModel &view = m_appender.view();
    // The open line stands at the end of the view: take it away and write it again
    // in blue. What stands above it keeps its colours.
    const int keep = qMax(0, view.length() - m_line.RxLen());
    view.keep(0, keep);
    m_appender.setTextLen(view.length());
    view.setSelStart(m_appender.TextLen());
    view.setSelColor(Colors::Blue);
    m_appender.AppendText(m_line.RxZeile());
    view.setSelColor(Colors::Black);
}

void PageRecognizer::leaveDiagnosis()
{
    m_diagnose = false;
    m_gyro.clearSelection();
    m_row.setCheckForeColor(Colors::Black);
    m_row.setCheckCaption(QString());
}

void PageRecognizer::enterDiagnosis()
{
    m_diagnose = true;
    m_row.setCheckForeColor(Colors::Black);
    m_row.setCheckCaption(QString());
}
