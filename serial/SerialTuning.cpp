#include "serial/SerialTuning.h"

#include "platform/Dialogs.h"
#include "platform/SerialComm.h"

SerialTuning::SerialTuning(SerialComm &port, Dialogs &dialogs,
                           std::function<void(bool)> setDtrCheck, QObject *parent)
    : QObject(parent), m_port(port), m_dialogs(dialogs), m_setDtrCheck(std::move(setDtrCheck)) {}

void SerialTuning::mnuInputLen_Click() {}
void SerialTuning::mnuRThreshold_Click() {}
void SerialTuning::mnuSThreshold_Click() {}
void SerialTuning::mnuParRep_Click() {}
void SerialTuning::mnuDTREnable_Click() {}
void SerialTuning::mnuHCD_Click() {}
void SerialTuning::mnuHCTS_Click() {}
void SerialTuning::mnuHDSR_Click() {}
