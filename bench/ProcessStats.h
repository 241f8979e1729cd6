#pragma once

#include <QByteArray>
#include <QFile>

// A figure of this process's /proc/self/status in kB ("VmRSS:", "VmHWM:"), -1 if
// there is none.
inline long statusKb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').first().toLong();
    return -1;
}
