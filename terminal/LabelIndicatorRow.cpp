#include "terminal/LabelIndicatorRow.h"

#include "platform/ColorLabel.h"

void LabelIndicatorRow::setCellBackColor(int index, quint32 bgr)
{
    if (ColorLabel *cell = m_cells.value(index))
        cell->setBackColor(bgr);
}

void LabelIndicatorRow::setCellForeColor(int index, quint32 bgr)
{
    if (ColorLabel *cell = m_cells.value(index))
        cell->setForeColor(bgr);
}

void LabelIndicatorRow::setCheckForeColor(quint32 bgr)
{
    m_check->setForeColor(bgr);
}

void LabelIndicatorRow::setCheckCaption(const QString &caption)
{
    m_check->setText(caption);
}
