// Writes the fuzzers' seed corpora: what the controller simulator prints for a
// walk through its menus (for the receive loop), and settings files as the program
// and a user write them (for the store).
#include "ControllerMenu.h"

#include <QDir>
#include <QFile>

namespace {
void write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}
} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3)
        return 2;
    const QDir receive(QString::fromLocal8Bit(argv[1])), store(QString::fromLocal8Bit(argv[2]));
    QDir().mkpath(receive.path());
    QDir().mkpath(store.path());

    // Header: mode (Ascii, Kestrix, other, changing), then how many bytes arrive at once.
    const unsigned char headers[][2] = {{1, 63}, {0, 0}, {2, 15}, {3, 40}, {1 | 0x10 | 0x20, 7}, {1 | 4, 9}};
    const char *walks[] = {"a", "as\r+-x", "assss\r", "asss\rsss\rw\rj", "aw\r", "aw\rssss", "asss\r\r", "ah"};
    int n = 0;
    for (const char *keys : walks) {
        ControllerMenu menu;
        QByteArray out;
        for (const char *k = keys; *k; ++k)
            out += menu.key(*k);
        for (int i = 0; i < 20; ++i)
            out += menu.tick();
        for (const auto &h : headers)
            write(receive.filePath(QStringLiteral("sim-%1").arg(n++)), QByteArray(reinterpret_cast<const char *>(h), 2) + out.left(2000));
    }

    write(store.filePath(QStringLiteral("program")),
          "[Einstellungen]\nEinstellungen=\"19200,o,7,1.5\"\nCOM-Anschlu%DF=3\nHandshaking=2\nEcho=True\nTermEmu=Kestrix\n"
          "[Anschl%FCsse]\nCom3=/dev/ttyUSB0\nCom1=ttyACM0\n");
    write(store.filePath(QStringLiteral("by-hand")),
          "[Einstellungen]\nEinstellungen=9600,N,8,1\nCOM-Anschlu%DF=&H2\nEcho=1\nTermEmu=Ascii-Modus\n");
    write(store.filePath(QStringLiteral("odd")),
          "[Einstellungen]\nEinstellungen=9600,X,8,1\nHandshaking=\" 7 \"\nTermEmu=@Variant(\\0\\0\\0\\x7f)\n");
    write(store.filePath(QStringLiteral("escaped")),
          "[Einstellungen]\nTermEmu=\"\"\\x40Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\nEcho=a, @@b\n"
          "[Anschl%FCsse]\nCom1=\\\n@DateTime(\\0)\nCom2=\"x=@y\"\n");
    // Qt's typed values behind escapes that stand for nothing, an escaped comma, a
    // quoted key, and lists nested inside lists.
    write(store.filePath(QStringLiteral("nested")),
          "[Einstellungen]\nx=\\;@Variant(\\0\\0\\0\\t\\0\\0\\0\\0\\x1\\0\\0\\0\\t\\0\\0\\0\\0\\x1\\0\\0\\0\\t\\0\\0\\0\\0\\x1)\n");
    write(store.filePath(QStringLiteral("hidden")),
          "[Einstellungen]\r\nTermEmu=\\;@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\r\nEcho=\\,@Variant(\\0\\0\\0\\x1\\x1)\r\n"
          "\"x=y\"=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\r\nHandshaking=@String(2)\r\n");
    // Every shape of value the program writes, and keys and sections of others.
    write(store.filePath(QStringLiteral("shapes")),
          "; von Hand\n[General]\ng=2\n\n[Gr%FC%DFe]\nAt=@@home\nBlanks=\" 7 \"\nKomma=\"9600,N,8,1\"\nLeer=\n"
          "Pfad=C:\\\\Pfad\\\\\nStra%DFe=Gr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac\nT%FCr=\"x=y;z\"\nZeilen=Tab\\tNeu\\nZeile\n"
          "Zitat=\\\"q\\\"\nNul=@String(a\\0\\x62)\n[Anschl%FCsse]\rCom4=/dev/tty\xfc\r");
    return 0;
}
