#include "terminal/views/LabelIndicatorRow.h"

#include "platform/ColorLabel.h"
#include "terminal/views/DisplayFrame.h"

LabelIndicatorRow::LabelIndicatorRow(QList<ColorLabel *> cells, ColorLabel *check, QObject *parent)
    : QObject(parent), m_cells(std::move(cells)), m_check(check)
{
    m_frame.setSingleShot(true);
    m_frame.setInterval(DisplayFrame::Ms);
    connect(&m_frame, &QTimer::timeout, this, &LabelIndicatorRow::flush);
}

void LabelIndicatorRow::setCellBackColor(int index, quint32 bgr)
{
    if (index < 0 || index >= CellCount)
        return;
    m_back[size_t(index)] = bgr;
    schedule();
}

void LabelIndicatorRow::setCellForeColor(int index, quint32 bgr)
{
    if (index < 0 || index >= CellCount)
        return;
    m_fore[size_t(index)] = bgr;
    schedule();
}

void LabelIndicatorRow::setCheckForeColor(quint32 bgr)
{
    m_checkFore = bgr;
    schedule();
}

void LabelIndicatorRow::setCheckCaption(const QString &caption)
{
    m_checkCaption = caption;
    schedule();
}

void LabelIndicatorRow::schedule()
{
    if (!m_pending) {
        m_pending = true;
        m_frame.start();
    }
}

void LabelIndicatorRow::flush()
{
    m_frame.stop();
    m_pending = false;
    for (int i = 0; i < CellCount && i < m_cells.size(); ++i) {
        ColorLabel *cell = m_cells[i];
        if (m_back[size_t(i)])
            cell->setBackColor(*m_back[size_t(i)]);
        if (m_fore[size_t(i)])
            cell->setForeColor(*m_fore[size_t(i)]);
        m_back[size_t(i)].reset();
        m_fore[size_t(i)].reset();
    }
    if (m_checkFore)
        m_check->setForeColor(*m_checkFore);
    if (m_checkCaption && m_check->text() != *m_checkCaption)
        m_check->setText(*m_checkCaption);
    m_checkFore.reset();
    m_checkCaption.reset();
}
