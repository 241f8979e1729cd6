#pragma once

#include "platform/Colors.h"
#include "terminal/IndicatorRow.h"

#include <array>

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
