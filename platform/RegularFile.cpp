#include "platform/RegularFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
RegularFile::Kind kindOf(mode_t mode)
{
    using Kind = RegularFile::Kind;
    if (S_ISREG(mode))
        return Kind::Regular;
    if (S_ISDIR(mode))
        return Kind::Directory;
    if (S_ISFIFO(mode))
        return Kind::Pipe;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return Kind::Device;
    return Kind::Other;
}
} // namespace

RegularFile::Look RegularFile::look(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    Look look;
    struct stat st{};
    if (::lstat(name.constData(), &st) != 0) {
        if (errno != ENOENT) {
            look.kind = Kind::Unknown;
            look.reason = reason(errno);
        }
        return look;
    }
    look.link = S_ISLNK(st.st_mode);
    if (look.link && ::stat(name.constData(), &st) != 0) {
        look.kind = errno == ENOENT ? Kind::Dangling : Kind::Unknown;
        look.reason = reason(errno);
        return look;
    }
    look.kind = kindOf(st.st_mode);
    look.size = st.st_size;
    look.stamp = {qint64(st.st_dev), qint64(st.st_ino), qint64(st.st_size), qint64(st.st_mtim.tv_sec),
                  qint64(st.st_mtim.tv_nsec), qint64(st.st_ctim.tv_nsec)};
    return look;
}

QString RegularFile::describe(Kind kind)
{
    switch (kind) {
    case Kind::Missing: return QStringLiteral("nicht vorhanden");
    case Kind::Regular: return QStringLiteral("eine Datei");
    case Kind::Directory: return QStringLiteral("ein Ordner");
    case Kind::Pipe: return QStringLiteral("eine benannte Pipe (FIFO)");
    case Kind::Device: return QStringLiteral("ein Gerät");
    case Kind::Dangling: return QStringLiteral("eine Verknüpfung, die ins Leere zeigt");
    case Kind::Other:
    case Kind::Unknown: break;
    }
    return QStringLiteral("keine gewöhnliche Datei");
}

bool RegularFile::create(const QString &path, bool followLink, QString *why)
{
    close();
    // Not blocking: a FIFO that got there after the look must not hold the window.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW), 0666);
    if (fd < 0) {
        *why = errno == ELOOP && !followLink ? QStringLiteral("Der Name ist eine Verknüpfung.") : reason(errno);
        return false;
    }
    struct stat st{};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *why = QStringLiteral("Das ist %1.").arg(describe(kindOf(st.st_mode)));
        ::close(fd);
        return false;
    }
    if (::ftruncate(fd, 0) != 0) {
        *why = reason(errno);
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_fd = fd;
    return true;
}

void RegularFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool RegularFile::sameFileAs(const RegularFile &other) const
{
    struct stat a{}, b{};
    return isOpen() && other.isOpen() && ::fstat(m_fd, &a) == 0 && ::fstat(other.m_fd, &b) == 0
           && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

qint64 RegularFile::write(QByteArrayView bytes, QString *why)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno != EINTR) {
            *why = reason(errno);
            break;
        } else if (n == 0) {
            *why = reason(EIO);
            break;
        }
    }
    return done;
}

bool RegularFile::truncate(qint64 size)
{
    return isOpen() && ::ftruncate(m_fd, off_t(size)) == 0 && ::lseek(m_fd, off_t(size), SEEK_SET) == off_t(size);
}

QString RegularFile::reason(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return QStringLiteral("Der Datenträger ist voll, oder die Datei ist so groß, wie er es zulässt.");
    case EACCES:
    case EPERM:
        return QStringLiteral("Keine Berechtigung.");
    case ENOENT:
        return QStringLiteral("Der Ordner ist nicht vorhanden.");
    case EROFS:
        return QStringLiteral("Der Datenträger ist schreibgeschützt.");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}
