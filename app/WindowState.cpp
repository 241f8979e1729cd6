#include "app/WindowState.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <cerrno>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QByteArray Header = "# KX_Display: Fensterlage und Mitschnittordner\n";
constexpr int MinSide = 100;
constexpr int MaxSide = 16384;
constexpr int MaxPlace = 100000;

// The file's bytes if it is a regular file of at most MaxBytes; read without
// waiting on anything (a FIFO or a device there is not read at all), and never
// more than one byte beyond the limit.
std::optional<QByteArray> smallRegularFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    std::optional<QByteArray> bytes;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        QByteArray buffer(WindowState::MaxBytes + 1, Qt::Uninitialized);
        qsizetype got = 0;
        bool failed = false;
        // One byte more than allowed tells a file too big.
        while (got < buffer.size()) {
            const ssize_t n = ::read(fd, buffer.data() + got, size_t(buffer.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                failed = n < 0;
                break;
            }
            got += n;
        }
        if (!failed && got <= WindowState::MaxBytes)
            bytes = buffer.left(got);
    }
    ::close(fd);
    return bytes;
}

// Whole decimal numbers, nothing else.
std::optional<QList<int>> numbers(const QString &text, int count)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != count)
        return std::nullopt;
    QList<int> out;
    for (const QString &p : parts) {
        bool ok = false;
        const int n = p.toInt(&ok);
        if (!ok || p != QString::number(n) || n < -MaxPlace || n > MaxPlace)
            return std::nullopt;
        out << n;
    }
    return out;
}
} // namespace

QString WindowState::defaultPath()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    // The XDG rule: a relative path there is to be ignored.
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/KX_Display/fenster");
}

WindowState WindowState::read(const QString &path)
{
    const std::optional<QByteArray> bytes = smallRegularFile(path);
    if (!bytes || !bytes->startsWith(Header))
        return {};
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes->mid(Header.size()));
    if (utf8.hasError())
        return {};
    WindowState state;
    for (const QString &line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const QString key = line.section(u'=', 0, 0);
        const QString value = line.section(u'=', 1);
        if (key == u"geometry") {
            const auto n = numbers(value, 4);
            if (!n || n->at(2) < MinSide || n->at(3) < MinSide || n->at(2) > MaxSide || n->at(3) > MaxSide)
                return {};
            state.geometry = QRect(n->at(0), n->at(1), n->at(2), n->at(3));
        } else if (key == u"captureFolder" && QDir::isAbsolutePath(value)) {
            state.captureFolder = value;
        } else {
            return {};
        }
    }
    return state;
}

bool WindowState::write(const QString &path) const
{
    QByteArray text = Header;
    if (!geometry.isNull())
        text += QStringLiteral("geometry=%1,%2,%3,%4\n").arg(geometry.x()).arg(geometry.y())
                    .arg(geometry.width()).arg(geometry.height()).toUtf8();
    // A folder whose name would break the line is not kept.
    if (QDir::isAbsolutePath(captureFolder) && !captureFolder.contains(u'\n'))
        text += "captureFolder=" + captureFolder.toUtf8() + '\n';
    // Only a regular file is replaced: never a link (to a device, say) or a FIFO
    // that someone put there.
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return false;
    QSaveFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly)
           && file.write(text) == text.size() && file.commit();
}

bool WindowState::reachable(const QRect &geometry, const QList<QRect> &screens)
{
    for (const QRect &screen : screens) {
        const QRect seen = geometry.intersected(screen);
        if (geometry.top() >= screen.top() && geometry.top() < screen.bottom() - 20
            && seen.width() >= qMin(geometry.width(), MinSide) && seen.height() >= qMin(geometry.height(), 50))
            return true;
    }
    return false;
}
