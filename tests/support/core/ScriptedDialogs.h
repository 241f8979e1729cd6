#pragma once

#include "platform/Clock.h"
#include "platform/Dialogs.h"

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
        QString defaultText;   // an input box's default
        bool input;
        qint64 at;             // when it was shown, by `clock`
    };

    QList<Answer> answers;     // the next message boxes' answers; Ok (or Cancel) when empty
    QStringList inputs;        // the next input boxes' answers; Cancel (empty) when empty
    QStringList files;         // the next files chosen; Cancel (empty) when empty
    QStringList suggestions;   // the files suggested, in order
    QList<int> fileTypes;      // the types chosen with them; the first offered when empty
    QStringList offeredTypes;  // the types the last file dialog offered
    QList<Shown> shown;
    const Clock *clock = nullptr;

    Answer msgBox(const QString &prompt, Buttons buttons, Icon icon, const QString &) override
    {
        shown.append({prompt, buttons, icon, {}, false, clock ? clock->msecs() : 0});
        return !answers.isEmpty() ? answers.takeFirst() : buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    }
    QString inputBox(const QString &prompt, const QString &, const QString &defaultText) override
    {
        shown.append({prompt, Buttons::OkCancel, Icon::None, defaultText, true, clock ? clock->msecs() : 0});
        return inputs.isEmpty() ? QString() : inputs.takeFirst();
    }
    QString saveFileName(const QString &, const QString &suggestion, const QStringList &types, int *type) override
    {
        suggestions << suggestion;
        offeredTypes = types;
        const int chosen = fileTypes.isEmpty() ? 0 : fileTypes.takeFirst();
        if (type)
            *type = chosen;
        return files.isEmpty() ? QString() : files.takeFirst();
    }
    // The message boxes shown, as "! prompt" with an exclamation icon, "- prompt" without.
    QStringList messages() const
    {
        QStringList out;
        for (const Shown &s : shown)
            if (!s.input)
                out << (s.icon == Icon::Exclamation ? QStringLiteral("! ") : QStringLiteral("- ")) + s.prompt;
        return out;
    }
};
