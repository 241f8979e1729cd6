#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What a replay sends and when. It is worked out in full before the first byte
// goes out, so that a bad timing file is refused as a whole rather than halfway.
class ReplayPlan
{
public:
    struct Step
    {
        qint64 pauseUs = 0;            // wait this long before sending the bytes
        QByteArray bytes;
    };

    // Without timing: all of `data` in one step, for the writer to pace; a capture
    // by `script` starts with a "Script started on ..." line, which is left out.
    //
    // With timing, `data` and `timing` are a pair as `script --log-timing` writes
    // them and scriptreplay reads them: the first line of `data` is script's own,
    // and each timing line "SECONDS BYTES" gives the pause before the next chunk of
    // the rest. What follows the last chunk (script's closing line) is not sent.
    //
    // Returns false with a message naming the timing line in *error when the pair
    // does not fit together.
    static bool build(const QByteArray &data, const std::optional<QByteArray> &timing, QList<Step> *steps,
                      QString *error);
};
