#pragma once

#include "platform/Colors.h"
#include "terminal/IndicatorRow.h"

#include <QTest>

#include <array>

// An indicator row that only remembers what it was told.
class IndicatorRowState : public IndicatorRow
{
public:
    IndicatorRowState() { backColor.fill(Colors::LightGrey); foreColor.fill(Colors::Black); }

    // A cell the row does not have fails the test that made the engine name it, and
    // the test goes on.
    void setCellBackColor(int index, quint32 bgr) override { cell(backColor, index) = bgr; }
    void setCellForeColor(int index, quint32 bgr) override { cell(foreColor, index) = bgr; }
    quint32 &cell(std::array<quint32, CellCount> &cells, int index)
    {
        if (index >= 0 && index < CellCount)
            return cells[size_t(index)];
        QTest::qFail(qPrintable(QStringLiteral("no cell %1 in the indicator row").arg(index)), __FILE__, __LINE__);
        return noCell;
    }
    void setCheckForeColor(quint32 bgr) override { checkForeColor = bgr; }
    void setCheckCaption(const QString &caption) override { checkCaption = caption; }

    std::array<quint32, CellCount> backColor{};
    std::array<quint32, CellCount> foreColor{};
    quint32 checkForeColor = 0;
    QString checkCaption;
    quint32 noCell = 0;
};
