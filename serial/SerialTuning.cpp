#include "serial/SerialTuning.h"

#include "platform/Dialogs.h"
#include "serial/SerialComm.h"
#include "serial/LenientNumber.h"

SerialTuning::SerialTuning(SerialComm &port, Dialogs &dialogs,
                           std::function<void(bool)> setDtrCheck, QObject *parent)
    : QObject(parent), m_port(port), m_dialogs(dialogs), m_setDtrCheck(std::move(setDtrCheck)) {}

QString SerialTuning::numberText(int value)
{
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

void SerialTuning::showFailure(const QString &description)
{
    m_dialogs.msgBox(description, Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
}

bool SerialTuning::adjustNumber(const NumberDialogue &d)
{
    FailureRecorder failure;
    int current = 0;
    failure.run([&] { current = d.get(); });
    m_answer = m_dialogs.inputBox(d.prompt, d.title, numberText(current));
    if (m_answer.isEmpty())
        return false;
    qint16 value = 0;
    // A number out of range is never written: the property keeps its value.
    const auto read = [&] { value = LenientNumber::read(m_answer); };
    if (failure.run([&] { LenientNumber::refusedAs<CommError>(read); }))
        failure.run([&] { d.set(value); });
    if (failure.failed())
        showFailure(failure.description());
    return true;
}

void SerialTuning::mnuInputLen_Click()
{
    adjustNumber({QStringLiteral("InputLen"),
                  QStringLiteral("Die Eingabelänge ist auf 'ein Byte' für alle Emulationen voreingestellt."),
                  [this] { return m_port.inputLen(); },
                  [this](int v) { m_port.setInputLen(v); }});
    // The receive loop takes one character per read, so whatever was entered or
    // refused, the length goes back to 1.
    FailureRecorder().run([this] { m_port.setInputLen(1); });
}

void SerialTuning::mnuRThreshold_Click()
{
    adjustNumber({QStringLiteral("Empfangslimit (RThreshold)"),
                  QStringLiteral("Geben Sie einen neuen Wert für die maximal gepufferte Anzahl "
                                 "der empfangenen Bytes ein:"),
                  [this] { return m_port.rThreshold(); },
                  [this](int v) { m_port.setRThreshold(v); }});
}

void SerialTuning::mnuSThreshold_Click()
{
    adjustNumber({QStringLiteral("Sendelimit (SThreshold)"),
                  QStringLiteral("Geben Sie einen neuen Wert für die maximal gepufferte Anzahl "
                                 "der Sendebytes ein:"),
                  [this] { return m_port.sThreshold(); },
                  [this](int v) { m_port.setSThreshold(v); }});
}

void SerialTuning::mnuParRep_Click()
{
    FailureRecorder failure;
    QString current;
    failure.run([&] { current = m_port.parityReplace(); });
    m_answer = m_dialogs.inputBox(QStringLiteral("Geben Sie das Ersetzungszeichen ein:"),
                                  QStringLiteral("Ersetzen bei Paritätsfehler"), current);
    // An empty answer, Cancel included, switches the replacement off.
    failure.run([&] { m_port.setParityReplace(m_answer.left(1)); });
    if (failure.failed())
        showFailure(failure.description());
}

void SerialTuning::mnuDTREnable_Click()
{
    // The port answers DTR in both states; should a device layer still refuse,
    // the user hears of it instead of the program ending in an uncaught error.
    FailureRecorder failure;
    failure.run([this] { m_port.setDTREnable(!m_port.dtrEnable()); });
    if (m_setDtrCheck)
        m_setDtrCheck(m_port.dtrEnable());
    if (failure.failed())
        showFailure(failure.description());
}

void SerialTuning::reportLine(const QString &label, const std::function<bool()> &read)
{
    m_answer = read() ? QStringLiteral("True") : QStringLiteral("False");
    m_dialogs.msgBox(label + m_answer, Dialogs::Buttons::Ok, Dialogs::Icon::None);
}

void SerialTuning::mnuHCD_Click()
{
    reportLine(QStringLiteral("CDHolding = "), [this] { return m_port.cdHolding(); });
}

void SerialTuning::mnuHCTS_Click()
{
    reportLine(QStringLiteral("CTSHolding = "), [this] { return m_port.ctsHolding(); });
}

void SerialTuning::mnuHDSR_Click()
{
    reportLine(QStringLiteral("DSRHolding = "), [this] { return m_port.dsrHolding(); });
}
