#pragma once

#include <QString>
#include <QStringList>

// Message boxes and input boxes, behind one interface so that tests can answer
// them without a human.
class Dialogs
{
public:
    enum class Icon { None, Exclamation, Question, Information, Critical };
    enum class Buttons { Ok, OkCancel, AbortRetryIgnore };
    enum class Answer { Ok, Cancel, Abort, Retry, Ignore };

    virtual ~Dialogs() = default;
    // An empty title means the application title.
    virtual Answer msgBox(const QString &prompt, Buttons buttons = Buttons::Ok,
                          Icon icon = Icon::None, const QString &title = {}) = 0;
    // Cancel gives the empty text.
    virtual QString inputBox(const QString &prompt, const QString &title,
                             const QString &defaultText) = 0;
    // A file to write, chosen by the user; empty when cancelled. Offered `types`
    // (such as "Text (*.txt)"), the user also picks one, whose index goes to *type.
    virtual QString saveFileName(const QString &title, const QString &suggestion,
                                 const QStringList &types = {}, int *type = nullptr) = 0;
};
