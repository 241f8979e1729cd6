#pragma once

#include <QString>

class GyroSeries;
class IndicatorRow;

// Mirrors the controller's gyro test on the indicator row: which gyro is selected,
// and under which column of a reading line the "*" stands.
class GyroPanel
{
public:
    explicit GyroPanel(IndicatorRow &row) : m_row(row) {}

    // One completed line of the diagnosis page.
    void Gyro_Diagnose(const QString &RxZeile);

    // No gyro selected any more (the configuration menu came back). The cells keep
    // their picture and the panel stays armed or not.
    void clearSelection() { m_roll = m_nick = m_gier = false; }

    // Every reading the panel takes from now on goes to series as well.
    void recordTo(GyroSeries &series) { m_series = &series; }

    bool RollGyro() const { return m_roll; }
    bool NickGyro() const { return m_nick; }
    bool GierGyro() const { return m_gier; }
    bool GyroDiag() const { return m_armed; }
    qint16 GyroPos() const { return m_pos; }

private:
    void ShowGyroPos(const QString &RxZeile);
    void ClearGyroPos();
    void select(bool roll, bool nick, bool gier, quint32 color, const QString &caption);

    IndicatorRow &m_row;
    GyroSeries *m_series = nullptr;
    bool m_roll = false;
    bool m_nick = false;
    bool m_gier = false;
    bool m_armed = false;
    qint16 m_pos = 0;
};
