#pragma once

#include <QByteArrayView>
#include <QString>

#include <array>

// A file the program reads or writes by a name that the user or the user's
// settings gave. What stands at the name is found out without opening it, and it
// is opened only as a regular file, without waiting: a FIFO without a peer, a
// device or a directory never makes the program hang or read without end.
class RegularFile
{
public:
    enum class Kind { Missing, Regular, Directory, Pipe, Device, Other, Dangling, Unknown };
    struct Look
    {
        Kind kind = Kind::Missing;
        bool link = false;   // the name is a symbolic link, to what `kind` says
        qint64 size = 0;
        // Changes whenever the file is written or replaced, or the link turned elsewhere.
        std::array<qint64, 6> stamp{};
        QString reason;      // the system's reason when it could not be looked at
        bool operator==(const Look &) const = default;
    };
    static Look look(const QString &path);
    // What stands at the name, in German, for a refusal: "ein Ordner".
    static QString describe(Kind kind);

    RegularFile() = default;
    ~RegularFile() { close(); }
    RegularFile(const RegularFile &) = delete;
    RegularFile &operator=(const RegularFile &) = delete;

    // Opens `path` for writing, emptied: creates it when nothing is there, or takes
    // the regular file that is; a symbolic link only with followLink. Nothing else
    // is opened or emptied. False with the reason in German.
    bool create(const QString &path, bool followLink, QString *why);
    bool isOpen() const { return m_fd >= 0; }
    void close();
    // Whether both are the same file, under whatever names.
    bool sameFileAs(const RegularFile &other) const;

    // Writes all of `bytes` unless the system refuses; returns how many went in
    // and, when not all did, the reason in German in *why.
    qint64 write(QByteArrayView bytes, QString *why);
    // Cuts the file back to `size` bytes.
    bool truncate(qint64 size);

    // The reason for an error number, in German where it is one the user can do
    // something about, the system's words otherwise.
    static QString reason(int error);

private:
    int m_fd = -1;
};
