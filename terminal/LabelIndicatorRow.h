#pragma once

#include "terminal/IndicatorRow.h"

#include <QList>

class ColorLabel;

// The indicator row on the main window's labels.
class LabelIndicatorRow : public IndicatorRow
{
public:
    LabelIndicatorRow(QList<ColorLabel *> cells, ColorLabel *check)
        : m_cells(std::move(cells)), m_check(check) {}

    void setCellBackColor(int index, quint32 bgr) override;
    void setCellForeColor(int index, quint32 bgr) override;
    void setCheckForeColor(quint32 bgr) override;
    void setCheckCaption(const QString &caption) override;

private:
    QList<ColorLabel *> m_cells;
    ColorLabel *m_check;
};
