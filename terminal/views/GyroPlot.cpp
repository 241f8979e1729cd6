#include "terminal/views/GyroPlot.h"

#include "platform/Twips.h"

#include <QPainter>
#include <QPaintEvent>

#include <algorithm>
#include <cmath>

namespace {
constexpr int Ticks[] = {1, 10, GyroSeries::Centre, 30, GyroSeries::Columns};
const QColor GridColor(0xE0, 0xE0, 0xE0);
const QColor CentreColor(0x90, 0x90, 0x90);

// The time axis' step for a span: five or six ticks whatever the span.
qint64 tickStep(qint64 span)
{
    for (qint64 step : {1000, 2000, 5000, 10000, 20000, 30000, 60000})
        if (span / step <= 6)
            return step;
    return span / 6;
}

// Pixel row of a column (1 at the bottom) in an area of the given height.
double rowOf(double column, int height)
{
    return (height - 1) - (column - 1) * (height - 1) / double(GyroSeries::Columns - 1);
}

qint64 floorMod(qint64 a, qint64 b)
{
    return ((a % b) + b) % b;
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
    span = std::max<qint64>(span, 1);
    m_right = right;
    if (span != m_span || selected != m_selected) {
        m_span = span;
        m_selected = selected;
        m_backdropStale = m_stripStale = true;
        update();
        return;
    }
    if (m_stripStale || columnOf(right) != m_stripRight || m_series.recorded() != m_stripRecorded)
        update(traceArea());
}

QRect GyroPlot::plotArea() const
{
    if (m_plotArea.isNull()) {
        const QFontMetrics fm(font());
        const int left = fm.horizontalAdvance(QStringLiteral("Mitte")) + fm.averageCharWidth() * 2;
        const int top = fm.height() * 2;
        const int bottom = fm.height() + fm.averageCharWidth();
        const int right = fm.horizontalAdvance(QStringLiteral("0 s")) / 2 + fm.averageCharWidth();
        m_plotArea = rect().adjusted(left, top, -right, -bottom);
    }
    return m_plotArea;
}

QRect GyroPlot::traceArea() const
{
    return plotArea().adjusted(1, 1, -1, -1);
}

qint64 GyroPlot::columnOf(qint64 ms) const
{
    return qint64(std::floor(double(ms) / m_msPerColumn));
}

void GyroPlot::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_plotArea = QRect();
        m_backdropStale = m_stripStale = true;
    }
}

void GyroPlot::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_plotArea = QRect();
}

void GyroPlot::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const QRect area = traceArea();
    // Most frames change the traces alone, which cover their area whole.
    if (!area.contains(event->rect()))
        p.drawPixmap(0, 0, backdrop());
    if (area.width() < 1 || area.height() < 1)
        return;
    bringStripUpToDate();
    // The ring of columns, oldest first: from the one after the right edge's on.
    const qreal ratio = m_strip.devicePixelRatio();
    const int width = area.width();
    const int start = int(floorMod(m_stripRight + 1, width));
    const auto source = [&](int x, int w) { return QRectF(x * ratio, 0, w * ratio, m_strip.height()); };
    p.drawImage(QRectF(area.left(), area.top(), width - start, area.height()), m_strip, source(start, width - start));
    if (start > 0)
        p.drawImage(QRectF(area.left() + width - start, area.top(), start, area.height()), m_strip, source(0, start));
}

const QPixmap &GyroPlot::backdrop()
{
    const qreal ratio = devicePixelRatioF();
    if (!m_backdropStale && m_backdrop.size() == size() * ratio && m_backdrop.devicePixelRatio() == ratio)
        return m_backdrop;
    m_backdropStale = false;
    m_backdrop = QPixmap(size() * ratio);
    m_backdrop.setDevicePixelRatio(ratio);
    m_backdrop.fill(Qt::white);
    if (traceArea().width() >= 1 && traceArea().height() >= 1) {
        QPainter p(&m_backdrop);
        p.setFont(font());
        drawAxes(p);
        drawTitleAndLegend(p);
    }
    return m_backdrop;
}

void GyroPlot::drawAxes(QPainter &p) const
{
    const QFontMetrics fm(font());
    const QRect frame = plotArea(), area = traceArea();
    for (int column : Ticks) {
        const int y = area.top() + int(std::lround(rowOf(column, area.height())));
        const bool centre = column == GyroSeries::Centre;
        p.setPen(centre ? Qt::black : Qt::darkGray);
        p.drawText(QRect(0, y - fm.height() / 2, frame.left() - fm.averageCharWidth(), fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, centre ? QStringLiteral("Mitte") : QString::number(column));
        p.drawLine(frame.left() - fm.averageCharWidth() / 2, y, frame.left(), y);
    }
    // Seconds back from the right edge: the ticks stay put and the readings move.
    const qint64 step = tickStep(m_span);
    p.setPen(Qt::darkGray);
    for (qint64 back = 0; back <= m_span; back += step) {
        const int x = area.right() - int(back * (area.width() - 1) / m_span);
        p.drawLine(x, frame.bottom(), x, frame.bottom() + fm.averageCharWidth() / 2);
        const QString label = back == 0 ? QStringLiteral("0 s") : QStringLiteral("\u2212%1 s").arg(back / 1000);
        const int w = fm.horizontalAdvance(label);
        p.drawText(QRect(x - w / 2 - 1, frame.bottom() + fm.averageCharWidth() / 2, w + 2, fm.height()),
                   Qt::AlignCenter, label);
    }
    p.drawRect(frame.adjusted(0, 0, -1, -1));
}

void GyroPlot::drawTitleAndLegend(QPainter &p) const
{
    const QRect area = plotArea();
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

void GyroPlot::bringStripUpToDate()
{
    const QRect area = traceArea();
    const qreal ratio = devicePixelRatioF();
    const int width = area.width();
    if (m_stripStale || m_strip.size() != area.size() * ratio || m_strip.devicePixelRatio() != ratio) {
        m_stripStale = false;
        m_strip = QImage(area.size() * ratio, QImage::Format_RGB32);
        m_strip.setDevicePixelRatio(ratio);
        m_msPerColumn = double(m_span) / width;
        m_stripRight = columnOf(m_right);
        m_complete = m_stripRight - width;   // nothing drawn yet
    }
    const qint64 right = columnOf(m_right);
    if (right < m_stripRight)                // the picture went back in time: all afresh
        m_complete = right - width;
    m_stripRight = right;
    // What scrolled out of the picture to the left is never drawn.
    m_complete = std::max(m_complete, right - width);
    if (m_complete < right)
        drawColumns(m_complete, right);
    // The newest reading's column can still gain readings, and the columns after
    // it the line to the next reading.
    m_complete = m_series.isEmpty() ? right : std::min(right, columnOf(m_series.newest().ms) - 1);
    m_stripRecorded = m_series.recorded();
}

void GyroPlot::drawColumns(qint64 from, qint64 to)
{
    const int width = int(m_strip.deviceIndependentSize().width());
    const int height = int(m_strip.deviceIndependentSize().height());
    // The traces through these columns, from the reading before them. Pixel columns
    // count from `origin`, so that they stay small numbers.
    const qint64 origin = from;
    const double left = -double(width);
    for (Trace &t : m_traces)
        t.clear();
    const qint64 firstMs = qint64(std::floor((from + 1) * m_msPerColumn)) - 1;
    qsizetype i = std::max<qsizetype>(0, m_series.firstAfter(firstMs) - 1);
    std::optional<GyroSeries::Gyro> previous;
    for (const qsizetype end = m_series.firstAfter(m_right); i < end; ++i) {
        const GyroSeries::Reading r = m_series.at(i);
        Trace &t = m_traces[size_t(r.gyro)];
        // A change of gyro breaks the trace: the time between had no readings of it.
        if (r.gyro != previous)
            t.gap();
        previous = r.gyro;
        if (r.column == 0)
            t.gap();
        else
            t.add({std::max(r.ms / m_msPerColumn - double(origin), left), rowOf(r.column, height)});
    }
    for (Trace &t : m_traces)
        t.close();

    QPainter p(&m_strip);
    // The columns as they lie in the ring: one stretch, or two where it wraps.
    for (qint64 c = from + 1; c <= to;) {
        const int x = int(floorMod(c, width));
        const int n = int(std::min<qint64>(to - c + 1, width - x));
        const QRect stretch(x, 0, n, height);
        p.setClipRect(stretch);
        p.fillRect(stretch, Qt::white);
        for (int column : Ticks) {
            const int y = int(std::lround(rowOf(column, height)));
            p.setPen(column == GyroSeries::Centre ? CentreColor : GridColor);
            p.drawLine(x, y, x + n - 1, y);
        }
        p.save();
        p.translate(x - double(c - origin), 0);
        drawTraces(p, m_traces);
        p.restore();
        c += n;
    }
}

void GyroPlot::drawTraces(QPainter &p, const std::array<Trace, 3> &traces) const
{
    p.setRenderHint(QPainter::Antialiasing);
    // The selected gyro last, on top of the others.
    std::vector<GyroSeries::Gyro> order;
    for (GyroSeries::Gyro g : GyroSeries::Gyros)
        if (g != m_selected)
            order.push_back(g);
    if (m_selected)
        order.push_back(*m_selected);
    for (GyroSeries::Gyro g : order) {
        const Trace &t = traces[size_t(g)];
        // Hair lines are drawn by a quick path of their own; the selected trace is
        // made bolder by drawing it once more, half a pixel to the side and down.
        p.setPen(QPen(colorOf(g), 0));
        p.setBrush(colorOf(g));
        for (const QPointF offset : {QPointF(0, 0), QPointF(0.5, 0.5)}) {
            if (offset != QPointF(0, 0) && g != m_selected)
                break;
            p.translate(offset);
            for (size_t run = 0; run < t.runStarts.size(); ++run) {
                const size_t from = t.runStarts[run];
                const size_t to = run + 1 < t.runStarts.size() ? t.runStarts[run + 1] : t.points.size();
                if (to - from == 1)   // a reading alone between gaps: a dot
                    p.drawEllipse(t.points[from], 1.0, 1.0);
                else
                    p.drawPolyline(t.points.data() + from, int(to - from));
            }
            p.translate(-offset);
        }
    }
}

void GyroPlot::Trace::clear()
{
    points.clear();
    runStarts.clear();
    open = false;
    count = 0;
}

void GyroPlot::Trace::add(QPointF point)
{
    const qint64 x = qint64(std::floor(point.x()));
    if (open && x == column) {
        ++count;
        low = std::min(low, point.y());
        high = std::max(high, point.y());
        last = point;
        return;
    }
    close();
    if (!open)
        runStarts.push_back(points.size());
    points.push_back(point);
    open = true;
    column = x;
    count = 1;
    low = high = point.y();
}

void GyroPlot::Trace::gap()
{
    close();
    open = false;
}

void GyroPlot::Trace::close()
{
    if (count > 1) {
        points.push_back({last.x(), low});
        points.push_back({last.x(), high});
        points.push_back(last);
    }
    count = 0;
}
