#pragma once

#include "terminal/Colors.h"

#include <QString>

#include <array>

// The row of 39 indicator cells and the label that names the selected gyro, as the
// terminal logic sees them. The main window implements it over its labels; tests,
// benchmarks and the fuzzer use IndicatorRowState.
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

// An indicator row that only remembers what it was told.
class IndicatorRowState : public IndicatorRow
{
public:
    IndicatorRowState() { backColor.fill(Colors::LightGrey); foreColor.fill(Colors::Black); }

    void setCellBackColor(int index, quint32 bgr) override { backColor.at(size_t(index)) = bgr; }
    void setCellForeColor(int index, quint32 bgr) override { foreColor.at(size_t(index)) = bgr; }
    void setCheckForeColor(quint32 bgr) override { checkForeColor = bgr; }
    void setCheckCaption(const QString &caption) override { checkCaption = caption; }

    std::array<quint32, CellCount> backColor{};
    std::array<quint32, CellCount> foreColor{};
    quint32 checkForeColor = 0;
    QString checkCaption;
};
