#pragma once

#include "platform/Dialogs.h"

#include <QList>
#include <QStringList>

// Answers dialogs from a script and records every one that was shown.
class ScriptedDialogs : public Dialogs
{
public:
    struct Shown
    {
        QString prompt;
        Buttons buttons;
        Icon icon;
        QString title;       // for input boxes: their title
        QString defaultText; // for input boxes
        bool input = false;
    };

    QList<Answer> answers;     // next message box answers; Ok (or Cancel) when empty
    QStringList inputs;        // next input box answers; empty text (Cancel) when empty
    QList<Shown> shown;

    Answer msgBox(const QString &prompt, Buttons buttons, Icon icon, const QString &title) override;
    QString inputBox(const QString &prompt, const QString &title, const QString &defaultText) override;

    int messageCount() const;
    QString lastPrompt() const { return shown.isEmpty() ? QString() : shown.last().prompt; }
};
