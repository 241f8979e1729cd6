#include "settings/SettingsLists.h"

QStringList SettingsLists::ports()
{
    QStringList items;
    for (int port = 1; port <= 16; ++port)
        items << QStringLiteral("Com%1").arg(port);
    return items;
}

QStringList SettingsLists::speeds()
{
    return {QStringLiteral("110"),    QStringLiteral("300"),    QStringLiteral("600"),
            QStringLiteral("1200"),   QStringLiteral("2400"),   QStringLiteral("4800"),
            QStringLiteral("9600"),   QStringLiteral("14400"),  QStringLiteral("19200"),
            QStringLiteral("28800"),  QStringLiteral("38400"),  QStringLiteral("56000"),
            QStringLiteral("57600"),  QStringLiteral("115200"), QStringLiteral("128000"),
            QStringLiteral("256000")};
}

QStringList SettingsLists::dataBits()
{
    return {QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"),
            QStringLiteral("8")};
}

QStringList SettingsLists::parities()
{
    return {QStringLiteral("Even"), QStringLiteral("Odd"), QStringLiteral("None"),
            QStringLiteral("Mark"), QStringLiteral("Space")};
}

QStringList SettingsLists::stopBits()
{
    return {QStringLiteral("1"), QStringLiteral("1.5"), QStringLiteral("2")};
}
