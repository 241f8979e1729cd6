#include "tests/support/FakeSerialComm.h"

FakeSerialComm::FakeSerialComm(QObject *parent) : SerialComm(parent)
{
    for (int i = 1; i <= 16; ++i)
        presentPorts.insert(i);
}

void FakeSerialComm::deviceOpen()
{
    if (!openRefusal.isEmpty())
        throw CommError(openRefusal);
    if (!presentPorts.contains(commPort()))
        throw CommError(QStringLiteral("Com%1 ist nicht vorhanden.").arg(commPort()));
    if (refuseLine) {
        const QString why = refuseLine(lineSettings(), handshaking());
        if (!why.isEmpty())
            throw CommError(why);
    }
    ++opens;
    pending = 0;
}

void FakeSerialComm::deviceClose()
{
    ++closes;
    pending = 0;
}

void FakeSerialComm::deviceApplyLine()
{
    if (refuseLine) {
        const QString why = refuseLine(lineSettings(), handshaking());
        if (!why.isEmpty())
            throw CommError(why);
    }
    ++lineApplies;
}

void FakeSerialComm::deviceWrite(const QByteArray &bytes)
{
    written += bytes;
    if (!drains)
        pending += bytes.size();
}
