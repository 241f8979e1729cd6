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

    void setCellBackColor(int index, quint32 bgr) override { set(backColor, index, bgr); }
    void setCellForeColor(int index, quint32 bgr) override { set(foreColor, index, bgr); }
    void setCheckForeColor(quint32 bgr) override { checkForeColor = bgr; }
    void setCheckCaption(const QString &caption) override { checkCaption = caption; }

    std::array<quint32, CellCount> backColor{};
    std::array<quint32, CellCount> foreColor{};
    quint32 checkForeColor = 0;
    QString checkCaption;

private:
    // A cell the row does not have fails the test that made the engine name it,
    // and the test goes on.
    static void set(std::array<quint32, CellCount> &cells, int index, quint32 bgr)
    {
        if (index >= 0 && index < CellCount)
            cells[size_t(index)] = bgr;
        else
            QTest::qFail(qPrintable(QStringLiteral("no cell %1 in the indicator row").arg(index)), __FILE__, __LINE__);
    }
};
