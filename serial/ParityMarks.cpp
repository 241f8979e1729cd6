#include "serial/ParityMarks.h"

QByteArray ParityMarkDecoder::decode(QByteArrayView bytes)
{
    QByteArray out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        switch (m_state) {
        case State::Plain:
            if (b == 0xFF)
                m_state = State::SawFF;
            else
                out.append(c);
            break;
        case State::SawFF:
            if (b == 0xFF) {              // \377 \377: a literal 0xFF
                out.append(char(0xFF));
                m_state = State::Plain;
            } else if (b == 0x00) {       // \377 \0: the marked byte follows
                m_state = State::SawFF00;
            } else {                      // not a mark: pass on as received
                out.append(char(0xFF));
                out.append(c);
                m_state = State::Plain;
            }
            break;
        case State::SawFF00:              // \377 \0 X: X had a parity or framing error
            out.append(m_replacement);
            ++m_marked;
            m_state = State::Plain;
            break;
        }
    }
    return out;
}
