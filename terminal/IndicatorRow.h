#pragma once

#include <QString>


// The row of 39 indicator cells and the label that names the selected gyro, as the
// terminal logic sees them. The main window implements it over its labels.
class IndicatorRow
{
public:
    static constexpr int CellCount = 39;

    virtual ~IndicatorRow() = default;
    virtual void setCellBackColor(int index, quint32 bgr) = 0;
    virtual void setCellForeColor(int index, quint32 bgr) = 0;
    virtual void setCheckForeColor(quint32 bgr) = 0;
    virtual void setCheckCaption(const QString &caption) = 0;
};
