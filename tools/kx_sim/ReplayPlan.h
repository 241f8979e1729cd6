#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

// What a replay sends and when, read from its files step by step, so that memory
// stays bounded whatever their size. A timing file is checked whole against the
// data file, line by line, before the first byte goes out, so that a bad one is
// refused as a whole rather than halfway.
class ReplayPlan
{
public:
    struct Step
    {
        qint64 pauseUs = 0;            // wait this long before sending the bytes
        QByteArray bytes;
    };
    // No step holds more; a longer chunk goes out in several, the later ones
    // without a pause.
    static constexpr qsizetype MaxStepBytes = 64 * 1024;

    // Without timing: all of `data`, for the writer to pace; a capture by `script`
    // starts with a "Script started on ..." line, which is left out.
    //
    // With timing, `data` and `timing` are a pair as `script --log-timing` writes
    // them and scriptreplay reads them: the first line of `data` is script's own,
    // and each timing line "SECONDS BYTES" gives the pause before the next chunk of
    // the rest. What follows the last chunk (script's closing line) is not sent.
    //
    // Both devices are open, seekable and stay so while steps are taken. Returns
    // false with a message naming the timing line in *error when the pair does not
    // fit together.
    bool open(QIODevice *data, QIODevice *timing, QString *error);
    // The next step; false when there is none.
    bool next(Step *step);

private:
    // The pause and byte count of the timing file's next line; false at its end,
    // and with *error set when the line is no "SECONDS BYTES".
    bool timingLine(qint64 *pauseUs, qint64 *count, QString *error);

    QIODevice *m_data = nullptr;
    QIODevice *m_timing = nullptr;
    qint64 m_line = 0;
    qint64 m_chunkLeft = 0;            // bytes of the current timing line still to send
};
