#pragma once

#include <QObject>
#include <QString>
#include <functional>

class SerialComm;
class Dialogs;

// The service menu "&MSComm": hand adjustments of the serial port component and
// reports of its input lines. Nothing set here is stored.
class SerialTuning : public QObject
{
    Q_OBJECT

public:
    // setDtrCheck sets the check mark of the DTR command; the menu owns it.
    SerialTuning(SerialComm &port, Dialogs &dialogs, std::function<void(bool)> setDtrCheck,
                 QObject *parent = nullptr);

    // A number as the input boxes show it: a leading blank when zero or positive,
    // the minus sign otherwise.
    static QString numberText(int value);

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
    struct NumberDialogue
    {
        QString title;
        QString prompt;
        std::function<int()> get;
        std::function<void(int)> set;
    };
    // Shows the current value, writes the answer read as a number and reports the
    // latest failure. Returns false when the answer was empty.
    bool adjustNumber(const NumberDialogue &d);
    void reportLine(const QString &label, const std::function<bool()> &read);
    void showFailure(const QString &description);

    SerialComm &m_port;
    Dialogs &m_dialogs;
    std::function<void(bool)> m_setDtrCheck;
    // The answer of the last input box or the text of the last line report.
    QString m_answer;
};
