#include "tests/support/ScriptedDialogs.h"

#include <algorithm>

Dialogs::Answer ScriptedDialogs::msgBox(const QString &prompt, Buttons buttons, Icon icon,
                                        const QString &title)
{
    shown.append({prompt, buttons, icon, title, {}, false});
    if (!answers.isEmpty())
        return answers.takeFirst();
    return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
}

QString ScriptedDialogs::inputBox(const QString &prompt, const QString &title,
                                  const QString &defaultText)
{
    shown.append({prompt, Buttons::OkCancel, Icon::None, title, defaultText, true});
    return inputs.isEmpty() ? QString() : inputs.takeFirst();
}

int ScriptedDialogs::messageCount() const
{
    return int(std::count_if(shown.begin(), shown.end(), [](const Shown &s) { return !s.input; }));
}
