#pragma once

#include "terminal/IndicatorRow.h"

#include <QList>
#include <QObject>
#include <QTimer>

#include <array>
#include <optional>

class ColorLabel;

// The indicator row on the main window's labels.
//
// At line rate the gyro test prints hundreds of readings a second and each one
// recolours the row; a label's colour change costs a palette change and a repaint.
// The row therefore keeps what it was told and hands it to the labels at most once
// per display frame, like the terminal view does with its text; flushed on the
// view's frame, both are drawn in one pass. flush() hands it over at once.
class LabelIndicatorRow : public QObject, public IndicatorRow
{
    Q_OBJECT

public:
    LabelIndicatorRow(QList<ColorLabel *> cells, ColorLabel *check, QObject *parent = nullptr);

    void setCellBackColor(int index, quint32 bgr) override;
    void setCellForeColor(int index, quint32 bgr) override;
    void setCheckForeColor(quint32 bgr) override;
    void setCheckCaption(const QString &caption) override;

    void flush();

private:
    void schedule();

    QList<ColorLabel *> m_cells;
    ColorLabel *m_check;
    std::array<std::optional<quint32>, CellCount> m_back{};
    std::array<std::optional<quint32>, CellCount> m_fore{};
    std::optional<quint32> m_checkFore;
    std::optional<QString> m_checkCaption;
    QTimer m_frame;
    bool m_pending = false;   // cheaper to ask than the timer: asked per cell and reading
};
