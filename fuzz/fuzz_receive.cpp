// Random bytes, with random switches of the emulation mode and random port events,
// through the receive loop into the view model. After every read event the view may
// hold at most 585 characters plus one append (the longest is a 39-character title
// line redrawn in blue), and the open line must match what arrived since the last CR.
#include "terminal/RichTextModel.h"
#include "serial/SerialComm.h"
#include "terminal/TerminalEngine.h"
#include "terminal/TerminalOptions.h"
#include "terminal/Windows1252.h"
#include "tests/support/core/FakeSerialComm.h"
#include "tests/support/core/IndicatorRowState.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdlib>
#include <cstdio>

namespace {

// What the open line must be: every character since the last CR, LF excluded,
// cleared when the stick-centring message completes at the start of a line in
// device emulation; only its newest 32767 characters are kept.
struct ShadowLine
{
    QString text;
    bool headLost = false;

    void take(char byte, bool kestrix)
    {
        const QChar c = Windows1252::toChar(static_cast<unsigned char>(byte));
        if (c == QChar(10))
            return;
        if (c == QChar(13)) {
            text.clear();
            headLost = false;
            return;
        }
        text += c;
        if (text.size() > 32767)
            headLost = true;
        if (text.size() > 2 * 32767)   // trimmed in steps, so that long lines stay cheap
            text.remove(0, text.size() - 32767);
        if (kestrix && !headLost && text.startsWith(QLatin1StringView("Erkenne Mittelpositionen der Hebel..."))) {
            text.clear();
        }
    }
};

[[noreturn]] void fail(const char *what, long long a, long long b)
{
    std::fprintf(stderr, "invariant broken: %s (%lld, %lld)\n", what, a, b);
    std::abort();
}

const QString Modes[] = {TerminalOptions::AsciiText, TerminalOptions::KestrixText, QStringLiteral("kestrix")};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

// Input: a sequence of records. A record starts with a control byte c:
//   c < 0xF0           : c & 0x3F bytes of data follow and are received at once
//   0xF0 .. 0xF2       : emulation mode Ascii-Modus / Kestrix / another text
//   0xF3               : the next data record is received 1000 times (long lines)
//   0xF4, next byte k  : the port raises event k * 8 + (k & 7), also line errors
//   0xF5               : a line error event (framing)
//   other              : the rest of the input is received as one block
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FakeSerialComm port;
    RichTextModel view;
    IndicatorRowState row;
    TerminalOptions options;
    options.setEmulation(TerminalOptions::Emulation::Ascii);
    TerminalEngine engine(port, view, row, options);
    QObject::connect(&port, &SerialComm::OnComm, &engine, &TerminalEngine::MSComm1_OnComm);
    port.setPortOpen(true);
    ShadowLine shadow;
    int repeat = 1;

    const auto receive = [&](const QByteArray &bytes) {
        const bool kestrix = options.kestrix();
        port.feed(bytes);
        for (char b : bytes)
            shadow.take(b, kestrix);

        const int len = view.length();
        if (len > 585 + 39)
            fail("view longer than its cap plus one append", len, 585 + 39);
        if (view.selStart() < 0 || view.selStart() > len)
            fail("caret outside the view", view.selStart(), len);
        const RxLine &line = engine.line();
        if (line.RxLen() < 0 || line.RxLen() != line.text().size())
            fail("RxLen does not match the open line", line.RxLen(), line.text().size());
        if (line.text() != QStringView(shadow.text).right(32767))
            fail("open line differs from what arrived", line.text().size(), shadow.text.size());
        if (len > 0)
            (void)view.colorAt(len - 1);
    };

    size_t at = 0;
    while (at < size) {
        const uint8_t c = data[at++];
        if (c < 0xF0) {
            const size_t n = std::min<size_t>(c & 0x3F, size - at);
            const QByteArray bytes(reinterpret_cast<const char *>(data + at), qsizetype(n));
            at += n;
            for (int i = 0; i < repeat; ++i)
                receive(bytes);
            repeat = 1;
        } else if (c <= 0xF2) {
            options.setEmulationText(Modes[c - 0xF0]);
        } else if (c == 0xF3) {
            repeat = 1000;
        } else if (c == 0xF4 && at < size) {
            const int k = data[at++];
            port.signalEvent(k * 8 + (k & 7));
            port.signalEvent(1000 + (k & 15));
        } else if (c == 0xF5) {
            port.signalEvent(SerialComm::comEventFrame);
        } else {
            receive(QByteArray(reinterpret_cast<const char *>(data + at), qsizetype(size - at)));
            at = size;
        }
    }
    return 0;
}
