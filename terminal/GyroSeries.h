#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <vector>

class Clock;

// The gyro test's readings over time, as the gyro panel takes them: each one is the
// column of the "*" (1 to 39) or a gap (a line of the test without a reading), with
// when it came and which gyro was selected. The plot and the figures of the gyro
// history window are drawn from it, and it is written out as CSV.
//
// Readings are kept in a ring of fixed capacity, oldest first; when it is full,
// each new reading replaces the oldest. The capacity holds a minute of the
// densest stream the settings dialog's fastest speed allows: 256000 baud sends at
// most 25,600 lines a second of one character (8N1, a CR alone), fewer of "*" and
// CR in any frame that can carry a "*" (16,000 at 6N1). 2^21 readings of 8 bytes
// keep 82 s of the first, 131 s of the second, in 16 MB at most; the ring grows as
// readings come, so a session at the controller's own pace uses a few kilobytes.
class GyroSeries
{
public:
    enum class Gyro { Roll, Nick, Gier };
    static constexpr std::array<Gyro, 3> Gyros{Gyro::Roll, Gyro::Nick, Gyro::Gier};
    static constexpr int Columns = 39;
    static constexpr int Centre = 20;
    static constexpr qsizetype Capacity = qsizetype(1) << 21;   // a power of two: the ring wraps by a mask

    struct Reading
    {
        qint64 ms;        // by the clock the series was made with
        Gyro gyro;
        int column;       // 1 to 39; 0 for a gap
    };

    // What the readings of one gyro say over a stretch of time. Minimum, maximum,
    // mean and deviation are over the readings with a column; the deviation is that
    // of the readings themselves (divided by their number), the noise at rest.
    struct Figures
    {
        qsizetype readings = 0;   // with a column
        qsizetype gaps = 0;
        int current = 0;          // the gyro's newest reading in the stretch; 0: a gap or none
        int minimum = 0;
        int maximum = 0;
        double mean = 0;
        double deviation = 0;
        int span() const { return maximum - minimum; }
    };

    explicit GyroSeries(const Clock &clock) : m_clock(clock) {}

    // A reading of the selected gyro, now; a column outside 1 to 39 is a gap.
    void record(Gyro gyro, int column);

    qsizetype size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    // The i-th reading kept, 0 the oldest.
    Reading at(qsizetype i) const
    {
        const Entry &e = m_ring[size_t(m_oldest + i) & size_t(Capacity - 1)];
        return {e.ms, Gyro(e.gyro), int(e.column)};
    }
    Reading newest() const { return at(m_size - 1); }
    // How many readings were ever recorded: changes with every one, even when the
    // ring is full.
    quint64 recorded() const { return m_recorded; }
    // The first reading kept that came after ms (size() if none).
    qsizetype firstAfter(qint64 ms) const;

    // The figures of one gyro over the readings that came after from and not after to.
    Figures figures(Gyro gyro, qint64 from, qint64 to) const;

    // Every reading kept, as UTF-8 text for spreadsheets: a header "zeit_s;gyro;spalte",
    // then a row per reading with the seconds since the first one (three decimals,
    // decimal point), the gyro's name and the column (empty for a gap).
    QByteArray csv() const;

    static QString name(Gyro gyro);

private:
    // Time in 48 bits (thousands of years of milliseconds), so that the ring
    // holds twice as many readings in the same memory.
    struct Entry
    {
        qint64 ms : 48;
        qint64 gyro : 8;
        qint64 column : 8;
    };
    static_assert(sizeof(Entry) == 8);

    const Clock &m_clock;
    std::vector<Entry> m_ring;
    qsizetype m_oldest = 0;   // where the oldest reading stands once the ring is full
    qsizetype m_size = 0;
    quint64 m_recorded = 0;
};
