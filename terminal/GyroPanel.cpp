#include "terminal/GyroPanel.h"

#include "platform/Colors.h"
#include "terminal/GyroSeries.h"
#include "terminal/IndicatorRow.h"

using namespace Colors;

void GyroPanel::Gyro_Diagnose(const QString &RxZeile)
{
    if (RxZeile.endsWith(u"> Roll"))
        select(true, false, false, Red, QStringLiteral("Roll Gyro"));
    else if (RxZeile.endsWith(u"> Nick"))
        select(false, true, false, Red, QStringLiteral("Nick Gyro"));
    else if (RxZeile.endsWith(u"> Gier"))
        select(false, false, true, Red, QStringLiteral("Gier Gyro"));
    else if (RxZeile.startsWith(u"> Fernbedienung"))
        select(false, false, false, Black, QStringLiteral("Sender"));
    else if (RxZeile.startsWith(u"> ZURUECK "))
        select(false, false, false, Black, QString());

    // The selecting line only arms the panel; the lines after it are readings.
    if (m_roll || m_nick || m_gier) {
        if (!m_armed)
            m_armed = true;
        else
            ShowGyroPos(RxZeile);
    } else {
        m_armed = false;
    }
}

void GyroPanel::select(bool roll, bool nick, bool gier, quint32 color, const QString &caption)
{
    m_row.setCheckForeColor(color);
    m_row.setCheckCaption(caption);
    m_roll = roll;
    m_nick = nick;
    m_gier = gier;
    ClearGyroPos();
}

void GyroPanel::ShowGyroPos(const QString &RxZeile)
{
    // The open line never exceeds 32767 characters, so the column fits; the
    // clamp only guards callers that pass a longer text.
    m_pos = qint16(qMin<qsizetype>(RxZeile.indexOf(u'*') + 1, 32767));
    // A line ending in "de *" is no reading, wherever its "*" stands; nor is a "*"
    // beyond the last cell. Every line of the armed test is a point in time of the
    // series: one the cells cannot show is a gap there, so that the trace breaks
    // instead of joining the readings around it.
    const bool shown = m_pos >= 1 && !RxZeile.endsWith(u"de *") && m_pos <= IndicatorRow::CellCount;
    if (m_series)
        m_series->record(m_roll ? GyroSeries::Gyro::Roll : m_nick ? GyroSeries::Gyro::Nick : GyroSeries::Gyro::Gier,
                         shown ? m_pos : 0);
    if (!shown)
        return;
    for (int i = 0; i < IndicatorRow::CellCount; ++i)
        m_row.setCellBackColor(i, LightBlue);
    m_row.setCellBackColor(m_pos - 1, Red);
}

void GyroPanel::ClearGyroPos()
{
    m_armed = false;
    for (int i = 0; i < IndicatorRow::CellCount; ++i) {
        m_row.setCellBackColor(i, LightGrey);
        m_row.setCellForeColor(i, LightGrey);
    }
}
