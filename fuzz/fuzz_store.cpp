// Any bytes as the program's settings file, through the store and every reader
// behind start-up: the settings string, port number, handshaking, echo, mode and
// the device of every Com number. Whatever the file holds, start-up either
// completes or ends with one short message, the port object
// holds only values it accepts, and nothing read from the file is longer than the
// program lets a stored value be. The file's text, once read and written again,
// reads and writes the same from then on.
#include "platform/IniText.h"
#include "platform/SettingsStore.h"
#include "serial/PortDirectory.h"
#include "settings/StoredSettings.h"
#include "terminal/TerminalOptions.h"
#include "tests/support/core/FakeSerialComm.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {
[[noreturn]] void fail(const char *what, long long a)
{
    std::fprintf(stderr, "start-up outcome not allowed: %s (%lld)\n", what, a);
    std::abort();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // A settings folder of the fuzzer's own; the user's is never touched.
    static QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    static QCoreApplication app(*argc, *argv);
    // A refused file is the expected outcome here, not news.
    QLoggingCategory::setFilterRules(QStringLiteral("kx.*=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    QSettings::SettingsMap read;
    if (IniText::parse(bytes, &read)) {
        QByteArray written, rewritten;
        QSettings::SettingsMap reread;
        if (!IniText::compose(read, &written) || !IniText::parse(written, &reread)
            || !IniText::compose(reread, &rewritten) || rewritten != written)
            fail("text written is not read as it was written", written.size());
    }

    // A file of its own for every input: the store caches what it has read by name.
    static int run = 0;
    const QString application = QStringLiteral("fuzz-%1").arg(++run);
    SettingsStore store;
    QFile file(SettingsStore::fileName(application));
    QDir().mkpath(QFileInfo(file).path());
    if (!file.open(QIODevice::WriteOnly))
        fail("cannot write the settings file", 0);
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();

    StoredSettings stored(store, application);
    FakeSerialComm port;
    TerminalOptions options;
    const StoredSettings::Loaded loaded = stored.load(port, options);
    if (loaded.refused && loaded.refused->size() > 300)
        fail("message length", loaded.refused->size());
    if (port.commPort() < 1 || port.commPort() > 255 || port.handshaking() < 0 || port.handshaking() > 3)
        fail("port number or handshaking", port.commPort() * 10 + port.handshaking());
    if (!LineSettings::parse(port.settings()))
        fail("settings", 0);
    if (loaded.comPort.size() > StoredSettings::MaxValueLength + 1
        || options.emulationText().size() > StoredSettings::MaxValueLength + 1)
        fail("stored text length", qMax(loaded.comPort.size(), options.emulationText().size()));
    const PortDirectory directory([&](int n) { return stored.device(n); }, [] { return QStringList(); });
    for (int com = 1; com <= 16; ++com)
        if (directory.device(com).size() > StoredSettings::MaxDeviceLength + 6)
            fail("device path length", com);
    QFile::remove(file.fileName());
    return 0;
}
