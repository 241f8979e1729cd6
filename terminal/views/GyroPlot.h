#pragma once

#include "terminal/GyroSeries.h"

#include <QImage>
#include <QPixmap>
#include <QPointF>
#include <QWidget>

#include <array>
#include <optional>
#include <vector>

// The gyro readings against time: the 39 columns upwards with the centre marked
// "Mitte", the last seconds from left to right with the newest at the right edge,
// one trace per gyro in its own colour with a legend, the selected gyro's trace on
// top and named in the title. A reading without a column is a gap in its trace,
// and so is a change of gyro.
//
// It draws what it is told to show (setPicture) and nothing on its own: the owner
// decides when a new picture is due.
//
// At line rate the test prints hundreds of readings a second, tens of thousands in
// a span. So the traces are kept as an image of pixel columns, one column per
// slice of time, used as a ring: as the picture moves on, only the columns that are
// new, or that the newest readings still change, are drawn; the rest is copied.
// A picture that stands still is not drawn again.
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
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // One gyro's trace in pixels: runs of points, a gap between runs. Where many
    // readings fall on one pixel column, only its first, lowest, highest and last
    // are drawn.
    struct Trace
    {
        std::vector<QPointF> points;
        std::vector<size_t> runStarts;
        bool open = false;             // the last reading had a column
        qint64 column = 0;             // pixel column of the readings gathered
        int count = 0;                 // readings gathered in it
        double low = 0, high = 0;
        QPointF last;
        void clear();
        void add(QPointF point);
        void gap();
        void close();                  // what is gathered goes to the points
    };

    QRect plotArea() const;            // with its frame; measured once per size and font
    QRect traceArea() const;           // inside the frame
    qint64 columnOf(qint64 ms) const;
    // What does not move: background, labels, frame, title and legend; drawn again
    // only when the size, the font, the span or the selected gyro change.
    const QPixmap &backdrop();
    void drawAxes(QPainter &p) const;
    void drawTitleAndLegend(QPainter &p) const;
    void bringStripUpToDate();
    // Draws the columns after `from` up to `to` afresh (absolute column numbers).
    void drawColumns(qint64 from, qint64 to);
    void drawTraces(QPainter &p, const std::array<Trace, 3> &traces) const;

    const GyroSeries &m_series;
    qint64 m_right = 0;
    qint64 m_span = 30000;
    std::optional<GyroSeries::Gyro> m_selected;
    std::array<Trace, 3> m_traces;   // kept between paints to spare allocations

    mutable QRect m_plotArea;          // null: to be measured
    QPixmap m_backdrop;
    bool m_backdropStale = true;

    // Column c of time (c * m_msPerColumn and on) is pixel column c mod width.
    QImage m_strip;
    bool m_stripStale = true;
    double m_msPerColumn = 1;
    qint64 m_stripRight = 0;        // the column at the right edge
    qint64 m_complete = 0;          // columns up to this one no reading can change
    quint64 m_stripRecorded = 0;    // the series' count when the strip was drawn
};
