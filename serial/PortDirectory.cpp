#include "serial/PortDirectory.h"

#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

namespace {

QString baseName(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

bool isAdapter(const QString &path)
{
    const QString name = baseName(path);
    return name.startsWith(QLatin1StringView("ttyUSB")) || name.startsWith(QLatin1StringView("ttyACM"))
           || name.contains(QLatin1StringView("usb"), Qt::CaseInsensitive);
}

// Name order with runs of digits compared as numbers.
bool naturalLess(const QString &a, const QString &b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            qsizetype ei = i;
            qsizetype ej = j;
            while (ei < a.size() && a.at(ei).isDigit())
                ++ei;
            while (ej < b.size() && b.at(ej).isDigit())
                ++ej;
            // Compare without leading zeros: first by length, then digit by digit.
            QStringView da = QStringView(a).mid(i, ei - i);
            QStringView db = QStringView(b).mid(j, ej - j);
            while (da.size() > 1 && da.front() == u'0')
                da = da.mid(1);
            while (db.size() > 1 && db.front() == u'0')
                db = db.mid(1);
            if (da.size() != db.size())
                return da.size() < db.size();
            const int c = da.compare(db);
            if (c != 0)
                return c < 0;
            i = ei;
            j = ej;
        } else {
            if (a.at(i) != b.at(j))
                return a.at(i) < b.at(j);
            ++i;
            ++j;
        }
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    return a < b;   // equal by nature ("ttyS01" / "ttyS1"): keep a stable order
}

} // namespace

PortDirectory::PortDirectory(Stored stored, Lister lister)
    : m_stored(std::move(stored)), m_lister(std::move(lister)) {}

QString PortDirectory::device(int port) const
{
#ifdef Q_OS_WIN
    return port > 0 ? QStringLiteral("COM%1").arg(port) : QString();
#else
    if (port < 1)
        return {};
    const QString stored = m_stored(port);
    if (!stored.isEmpty())
        return stored;
    const QStringList ports = orderPorts(m_lister ? m_lister() : presentPorts());
    return port <= ports.size() ? ports.at(port - 1) : QString();
#endif
}

QStringList PortDirectory::orderPorts(const QStringList &ports)
{
    QStringList adapters;
    QStringList builtIn;
    for (const QString &p : ports) {
        const QString name = baseName(p);
        if (name.isEmpty())
            continue;
        // macOS lists each device twice, as cu.X (for calling out) and tty.X.
        if (name.startsWith(QLatin1StringView("tty."))) {
            const QString twin = p.left(p.size() - name.size()) + QLatin1StringView("cu.") + name.mid(4);
            if (ports.contains(twin))
                continue;
        }
        if (adapters.contains(p) || builtIn.contains(p))
            continue;
        (isAdapter(p) ? adapters : builtIn).append(p);
    }
    const auto byName = [](const QString &a, const QString &b) {
        return naturalLess(baseName(a), baseName(b)) || (baseName(a) == baseName(b) && a < b);
    };
    std::sort(adapters.begin(), adapters.end(), byName);
    std::sort(builtIn.begin(), builtIn.end(), byName);
    return adapters + builtIn;
}

QStringList PortDirectory::presentPorts()
{
    QStringList list;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos)
        list.append(info.systemLocation());
    return list;
}

QString PortDirectory::describe(const QString &device, const QList<QSerialPortInfo> &ports)
{
    if (device.isEmpty())
        return QStringLiteral("kein Gerät");
    const QString target = QFileInfo(device).canonicalFilePath();
    const auto same = [&](const QSerialPortInfo &p) {
        return p.systemLocation() == device || p.portName() == device
               || (!target.isEmpty() && p.systemLocation() == target);
    };
    const auto info = std::find_if(ports.begin(), ports.end(), same);
    if (info == ports.end() || !info->hasVendorIdentifier())
        return device;
    // Products often carry the maker's name already.
    QString name = info->description();
    const QString maker = info->manufacturer();
    if (!maker.isEmpty() && !name.startsWith(maker, Qt::CaseInsensitive))
        name = (maker + u' ' + name).trimmed();
    QStringList parts{name};
    if (!info->serialNumber().isEmpty())
        parts << QStringLiteral("Seriennummer ") + info->serialNumber();
    parts.removeAll(QString());
    return parts.isEmpty() ? device : device + QStringLiteral(" – ") + parts.join(QStringLiteral(", "));
}
