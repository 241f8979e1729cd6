#pragma once

#include "terminal/GyroSeries.h"

#include <QPointF>
#include <QWidget>

#include <optional>
#include <vector>

// The gyro readings against time: the 39 columns upwards with the centre marked
// "Mitte", the last seconds from left to right with the newest at the right edge,
// one trace per gyro in its own colour with a legend, the selected gyro's trace on
// top and named in the title. A reading without a column is a gap in its trace.
//
// It draws what it is told to show (setPicture) and nothing on its own: the owner
// decides when a new picture is due.
class GyroPlot : public QWidget
{
    Q_OBJECT

public:
    explicit GyroPlot(const GyroSeries &series, QWidget *parent = nullptr);

    // Shows the span (ms) of readings that ends at right (ms, by the series' clock).
    void setPicture(qint64 right, qint64 span, std::optional<GyroSeries::Gyro> selected);

    static QColor colorOf(GyroSeries::Gyro gyro);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // One gyro's trace in pixels: runs of points, a gap between runs. Where many
    // readings fall on one pixel column, only their lowest, highest and last are kept.
    struct Trace
    {
        std::vector<QPointF> points;
        std::vector<size_t> runStarts;
        int bucket = -1;               // pixel column of the point last added
        bool open = false;             // the last reading had a column
        void clear();
        void add(double x, double y);
        void gap() { open = false; }
    };

    QRect plotArea() const;
    void drawAxes(QPainter &p, const QRect &area) const;
    void drawTraces(QPainter &p, const QRect &area);
    void drawTitleAndLegend(QPainter &p, const QRect &area) const;

    const GyroSeries &m_series;
    qint64 m_right = 0;
    qint64 m_span = 30000;
    std::optional<GyroSeries::Gyro> m_selected;
    std::array<Trace, 3> m_traces;   // kept between paints to spare allocations
};
