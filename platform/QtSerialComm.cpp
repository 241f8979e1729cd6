#include "platform/QtSerialComm.h"

QtSerialComm::QtSerialComm(Resolver resolver, QObject *parent)
    : SerialComm(parent), m_resolver(std::move(resolver)) {}
QtSerialComm::~QtSerialComm() = default;
void QtSerialComm::deviceOpen() { throw CommError(QStringLiteral("noch nicht verfügbar")); }
void QtSerialComm::deviceClose() {}
void QtSerialComm::deviceApplyLine() {}
void QtSerialComm::deviceWrite(const QByteArray &) {}
qint64 QtSerialComm::deviceBytesToWrite() const { return 0; }
void QtSerialComm::deviceSetDtr(bool) {}
void QtSerialComm::deviceSetRts(bool) {}
SerialComm::ModemLines QtSerialComm::deviceLines() const { return {}; }
