// The controller's kind of bytes (the seeds are the simulator's output) through the
// receive loop into the view model, in every emulation mode, read one byte or a
// block at a time, with line errors and typed keys in between. After every chunk
// the caret stays inside the view, and read byte by byte the view holds no more than
// its cap of 585 characters plus one append; at the end the open line must be what arrived since the
// last CR, and reading one byte or a block at a time must have shown the same: the
// same view in the same colours, and the same history of lines.
#include "terminal/RichTextModel.h"
#include "serial/SerialComm.h"
#include "terminal/TerminalEngine.h"
#include "terminal/TerminalOptions.h"
#include "platform/Windows1252.h"
#include "tests/support/core/FakeSerialComm.h"
#include "tests/support/core/IndicatorRowState.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdlib>
#include <cstdio>

namespace {

const QString StickCentring = QStringLiteral("Erkenne Mittelpositionen der Hebel...");

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
        if (kestrix && !headLost && text.front() == u'E' && text.startsWith(StickCentring))
            text.clear();
    }
};

[[noreturn]] void fail(const char *what, long long a, long long b)
{
    std::fprintf(stderr, "invariant broken: %s (%lld, %lld)\n", what, a, b);
    std::abort();
}

const QString Modes[] = {TerminalOptions::AsciiText, TerminalOptions::KestrixText, QStringLiteral("kestrix")};

// The terminal engine on an open port, configured by the input's first byte.
struct Rig
{
    FakeSerialComm port;
    RichTextModel view;
    IndicatorRowState row;
    TerminalOptions options;
    TerminalEngine engine{port, view, row, options};

    explicit Rig(uint8_t flags)
    {
        options.setEmulationText(Modes[(flags & 3) == 3 ? 0 : flags & 3]);
        QObject::connect(&port, &SerialComm::OnComm, &engine, &TerminalEngine::MSComm1_OnComm);
        port.setPortOpen(true);
        constexpr int inputLengths[] = {1, 1, 2, 0};
        port.setInputLen(inputLengths[flags >> 2 & 3]);
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

// Input: two header bytes, then the bytes the controller sends.
//   byte 0, bits 0-1: mode Ascii-Modus, Kestrix, another text, or a new mode per chunk
//           bits 2-3: InputLen 1, 1, 2 or 0 (all waiting bytes in one read)
//           bit 4:    a framing error after every chunk
//           bit 5:    the chunk's first byte typed as a key after it
//   byte 1: chunk size - 1: how many bytes arrive at once
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t flags = data[0];
    const qsizetype chunk = qsizetype(data[1]) + 1;
    // Lines beyond the 32767 characters the open line keeps take longer inputs than
    // are worth fuzzing at speed; the engine's tests cover them.
    const QByteArray bytes(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));

    // The same input twice: as it comes, and one byte per read, which must show
    // exactly the same.
    Rig rig(flags), bytewise(flags);
    ShadowLine shadow;
    for (qsizetype at = 0; at < bytes.size(); at += chunk) {
        const QByteArray piece = bytes.mid(at, chunk);
        for (Rig *r : {&rig, &bytewise}) {
            if ((flags & 3) == 3)
                r->options.setEmulationText(Modes[uchar(piece[0]) % 3]);
            if (r == &rig)
                r->port.feed(piece);
            else
                for (char b : piece)
                    r->port.feed(QByteArray::fromRawData(&b, 1));
            if (flags & 0x10)
                r->port.signalEvent(SerialComm::comEventFrame);
            if (flags & 0x20) {
                int key = uchar(piece[0]);
                r->engine.RichTextBox_KeyPress(key);
            }
        }
        if (rig.port.inputLen() == 1)
            for (char b : piece)
                shadow.take(b, rig.options.kestrix());
        // Byte by byte, as the program reads, one append is at most a 39-character
        // title. (Blocks of a read, which the program never asks for, outgrow the
        // cut of 14 characters per append.)
        const int len = rig.view.length();
        if (rig.port.inputLen() == 1 && len > 586 + 39)
            fail("view longer than its cap plus one append", len, 586 + 39);
        if (rig.view.selStart() < 0 || rig.view.selStart() > len)
            fail("caret outside the view", rig.view.selStart(), len);
    }
    const RxLine &line = rig.engine.line();
    if (line.RxLen() != line.text().size())
        fail("RxLen does not match the open line", line.RxLen(), line.text().size());
    if (rig.port.inputLen() == 1) {
        if (line.text() != QStringView(shadow.text).right(32767))
            fail("open line differs from what arrived", line.text().size(), shadow.text.size());
        if (rig.view.text() != bytewise.view.text())
            fail("the view differs from one byte per read", rig.view.length(), bytewise.view.length());
        for (int i = 0; i < rig.view.length(); ++i)
            if (rig.view.colorAt(i) != bytewise.view.colorAt(i))
                fail("a colour differs from one byte per read", i, rig.view.colorAt(i));
        const History &h = rig.engine.history(), &b = bytewise.engine.history();
        if (h.first() != b.first() || h.end() != b.end())
            fail("the history differs from one byte per read", h.end(), b.end());
        for (qint64 n = h.first(); n < h.end(); ++n)
            if (h.text(n) != b.text(n) || h.runs(n) != b.runs(n) || h.text(n).size() > History::MaxLineLength)
                fail("a line of the history differs from one byte per read", n, h.text(n).size());
    }
    return 0;
}
