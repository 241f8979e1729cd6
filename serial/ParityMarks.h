#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Turns the marks of a POSIX serial line in PARMRK mode into plain bytes.
//
// With INPCK and PARMRK set (and IGNPAR, ISTRIP clear) the kernel hands a byte
// X received with a parity or framing error over as the three bytes \377 \0 X,
// and a correctly received 0xFF as \377 \377. The decoder gives the replacement
// byte for each marked byte, a single 0xFF for \377 \377, and every other byte
// unchanged. A mark cut across two reads is held back until the next call.
// Anything else after \377 (which a conforming driver never sends) is passed on
// as received.
class ParityMarkDecoder
{
public:
    explicit ParityMarkDecoder(char replacement = '?') : m_replacement(replacement) {}

    void setReplacement(char replacement) { m_replacement = replacement; }

    QByteArray decode(QByteArrayView bytes);

    // Forgets a mark that is held back (the line settings changed, port closed).
    void reset() { m_state = State::Plain; }
    // True while the start of a mark is held back.
    bool pending() const { return m_state != State::Plain; }
    // Marked (replaced) bytes so far: a line error worth asking the driver about.
    qint64 markedBytes() const { return m_marked; }

private:
    enum class State { Plain, SawFF, SawFF00 };
    char m_replacement;
    State m_state = State::Plain;
    qint64 m_marked = 0;
};
