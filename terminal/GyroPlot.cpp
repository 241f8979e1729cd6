#include "terminal/GyroPlot.h"

#include "platform/Twips.h"

#include <QPainter>
#include <QPaintEvent>

#include <algorithm>
#include <cmath>

namespace {
constexpr int Ticks[] = {1, 10, GyroSeries::Centre, 30, GyroSeries::Columns};

// The time grid's step for a span: five or six lines whatever the span.
qint64 tickStep(qint64 span)
{
    for (qint64 step : {1000, 2000, 5000, 10000, 20000, 30000, 60000})
        if (span / step <= 6)
            return step;
    return span / 6;
}
} // namespace

GyroPlot::GyroPlot(const GyroSeries &series, QWidget *parent) : QWidget(parent), m_series(series)
{
    // The plot fills its whole area itself, every time.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("Gyro-Verlauf"));
}

QSize GyroPlot::sizeHint() const
{
    return {Twips::toPx(7200, this), Twips::toPx(3600, this)};
}

// Room for the title and the legend side by side above the plot.
QSize GyroPlot::minimumSizeHint() const
{
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics fm(font());
    int width = QFontMetrics(bold).horizontalAdvance(QStringLiteral("Keine Messwerte")) + fm.averageCharWidth() * 4;
    for (GyroSeries::Gyro g : GyroSeries::Gyros)
        width += fm.horizontalAdvance(GyroSeries::name(g)) + fm.averageCharWidth() * 6;
    return {width + rect().width() - plotArea().width(), Twips::toPx(2160, this)};
}

QColor GyroPlot::colorOf(GyroSeries::Gyro gyro)
{
    // Told apart also by those who do not see red and green apart.
    switch (gyro) {
    case GyroSeries::Gyro::Roll: return QColor(0x00, 0x72, 0xB2);
    case GyroSeries::Gyro::Nick: return QColor(0xD5, 0x5E, 0x00);
    case GyroSeries::Gyro::Gier: return QColor(0x00, 0x9E, 0x73);
    }
    return Qt::black;
}

void GyroPlot::setPicture(qint64 right, qint64 span, std::optional<GyroSeries::Gyro> selected)
{
    m_right = right;
    m_span = std::max<qint64>(span, 1);
    m_selected = selected;
    update();
}

QRect GyroPlot::plotArea() const
{
    const QFontMetrics fm(font());
    const int left = fm.horizontalAdvance(QStringLiteral("Mitte")) + fm.averageCharWidth() * 2;
    const int top = fm.height() * 2;
    const int bottom = fm.height() + fm.averageCharWidth();
    const int right = fm.horizontalAdvance(QStringLiteral("0 s")) / 2 + fm.averageCharWidth();
    return rect().adjusted(left, top, -right, -bottom);
}

void GyroPlot::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const QRect area = plotArea();
    if (area.width() < 2 || area.height() < 2)
        return;
    drawAxes(p, area);
    drawTraces(p, area);
    drawTitleAndLegend(p, area);
}

void GyroPlot::drawAxes(QPainter &p, const QRect &area) const
{
    const QFontMetrics fm(font());
    const auto y = [&](int column) {
        return area.bottom() - int(std::lround((column - 1) * (area.height() - 1) / double(GyroSeries::Columns - 1)));
    };
    for (int column : Ticks) {
        const bool centre = column == GyroSeries::Centre;
        p.setPen(centre ? QPen(Qt::darkGray, 1, Qt::DashLine) : QPen(QColor(0xE0, 0xE0, 0xE0)));
        p.drawLine(area.left(), y(column), area.right(), y(column));
        p.setPen(centre ? Qt::black : Qt::darkGray);
        const QString label = centre ? QStringLiteral("Mitte") : QString::number(column);
        p.drawText(QRect(0, y(column) - fm.height() / 2, area.left() - fm.averageCharWidth(), fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, label);
    }
    // Seconds back from the right edge; the lines stay put and the readings move.
    const qint64 step = tickStep(m_span);
    for (qint64 back = 0; back <= m_span; back += step) {
        const int x = area.right() - int(back * (area.width() - 1) / m_span);
        p.setPen(QColor(0xE0, 0xE0, 0xE0));
        p.drawLine(x, area.top(), x, area.bottom());
        p.setPen(Qt::darkGray);
        const QString label = back == 0 ? QStringLiteral("0 s") : QStringLiteral("\u2212%1 s").arg(back / 1000);
        const int w = fm.horizontalAdvance(label);
        p.drawText(QRect(x - w / 2 - 1, area.bottom() + 2, w + 2, fm.height()), Qt::AlignCenter, label);
    }
    p.setPen(Qt::darkGray);
    p.drawRect(area.adjusted(0, 0, -1, -1));
}

void GyroPlot::Trace::clear()
{
    points.clear();
    runStarts.clear();
    bucket = -1;
    open = false;
}

void GyroPlot::Trace::add(double x, double y)
{
    const int column = int(std::floor(x));
    if (!open || column != bucket) {
        if (!open)
            runStarts.push_back(points.size());
        points.push_back({x, y});
        bucket = column;
        open = true;
        return;
    }
    // Same pixel column as the point before: that column keeps its first point and
    // then at most its lowest, highest and last.
    size_t first = points.size() - 1;
    while (first > runStarts.back() && int(std::floor(points[first - 1].x())) == column)
        --first;
    double lo = y, hi = y;
    for (size_t i = first + 1; i < points.size(); ++i) {
        lo = std::min(lo, points[i].y());
        hi = std::max(hi, points[i].y());
    }
    lo = std::min(lo, points[first].y());
    hi = std::max(hi, points[first].y());
    points.resize(first + 1);
    points.push_back({x, lo});
    points.push_back({x, hi});
    points.push_back({x, y});
}

void GyroPlot::drawTraces(QPainter &p, const QRect &area)
{
    for (Trace &t : m_traces)
        t.clear();
    const qint64 left = m_right - m_span;
    const double xScale = (area.width() - 1) / double(m_span);
    const double yScale = (area.height() - 1) / double(GyroSeries::Columns - 1);
    // From the last reading before the left edge, so that the trace enters the
    // picture from there.
    qsizetype i = std::max<qsizetype>(0, m_series.firstAfter(left) - 1);
    for (const qsizetype end = m_series.firstAfter(m_right); i < end; ++i) {
        const GyroSeries::Reading r = m_series.at(i);
        Trace &t = m_traces[size_t(r.gyro)];
        if (r.column == 0)
            t.gap();
        else
            t.add(area.left() + (r.ms - left) * xScale, area.bottom() - (r.column - 1) * yScale);
    }

    p.save();
    p.setClipRect(area.adjusted(1, 1, -1, -1));
    p.setRenderHint(QPainter::Antialiasing);
    // The selected gyro last, on top of the others.
    std::vector<GyroSeries::Gyro> order;
    for (GyroSeries::Gyro g : GyroSeries::Gyros)
        if (g != m_selected)
            order.push_back(g);
    if (m_selected)
        order.push_back(*m_selected);
    for (GyroSeries::Gyro g : order) {
        const Trace &t = m_traces[size_t(g)];
        const qreal width = g == m_selected ? 2.0 : 1.0;
        p.setPen(QPen(colorOf(g), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(colorOf(g));
        for (size_t run = 0; run < t.runStarts.size(); ++run) {
            const size_t from = t.runStarts[run];
            const size_t to = run + 1 < t.runStarts.size() ? t.runStarts[run + 1] : t.points.size();
            if (to - from == 1)   // a reading alone between gaps: a dot
                p.drawEllipse(t.points[from], width, width);
            else
                p.drawPolyline(t.points.data() + from, int(to - from));
        }
    }
    p.restore();
}

void GyroPlot::drawTitleAndLegend(QPainter &p, const QRect &area) const
{
    const QFontMetrics fm(font());
    const int line = fm.height();
    const int baseY = area.top() - line / 2 - line / 4;
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(m_selected ? colorOf(*m_selected) : Qt::darkGray);
    const QString title = m_selected ? GyroSeries::name(*m_selected) + QStringLiteral(" Gyro")
                                     : QStringLiteral("Keine Messwerte");
    p.drawText(QRect(area.left(), baseY - line / 2, area.width(), line), Qt::AlignLeft | Qt::AlignVCenter, title);
    p.setFont(font());
    // The legend at the right, one swatch and name per gyro.
    const int swatch = fm.averageCharWidth() * 3;
    int x = area.right();
    for (auto it = GyroSeries::Gyros.rbegin(); it != GyroSeries::Gyros.rend(); ++it) {
        const QString name = GyroSeries::name(*it);
        x -= fm.horizontalAdvance(name);
        p.setPen(Qt::black);
        p.drawText(QRect(x, baseY - line / 2, fm.horizontalAdvance(name), line), Qt::AlignVCenter, name);
        x -= swatch + fm.averageCharWidth() / 2;
        p.setPen(QPen(colorOf(*it), *it == m_selected ? 2 : 1));
        p.drawLine(x, baseY, x + swatch, baseY);
        x -= fm.averageCharWidth() * 2;
    }
}
