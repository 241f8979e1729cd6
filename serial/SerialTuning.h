#pragma once

#include <QObject>
#include <functional>

class SerialComm;
class Dialogs;

// The service menu "&MSComm": hand adjustments of the serial port component.
class SerialTuning : public QObject
{
    Q_OBJECT

public:
    SerialTuning(SerialComm &port, Dialogs &dialogs, std::function<void(bool)> setDtrCheck,
                 QObject *parent = nullptr);

public slots:
    void mnuInputLen_Click();
    void mnuRThreshold_Click();
    void mnuSThreshold_Click();
    void mnuParRep_Click();
    void mnuDTREnable_Click();
    void mnuHCD_Click();
    void mnuHCTS_Click();
    void mnuHDSR_Click();

private:
    SerialComm &m_port;
    Dialogs &m_dialogs;
    std::function<void(bool)> m_setDtrCheck;
};
