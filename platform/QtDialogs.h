#pragma once

#include "platform/Dialogs.h"

class QCoreApplication;
class QWidget;

// Dialogs shown with QMessageBox and QInputDialog.
class QtDialogs : public Dialogs
{
public:
    explicit QtDialogs(QWidget *parent = nullptr) : m_parent(parent) {}
    // The window the boxes stand over, once it is made.
    void setParent(QWidget *parent) { m_parent = parent; }

    // Qt's own texts (standard buttons, file dialogs) in German, whatever the
    // user's locale, like the rest of the program. False when the translation
    // (Debian: qt6-translations-l10n) is not installed.
    static bool loadGermanQtTexts(QCoreApplication &app);
    Answer msgBox(const QString &prompt, Buttons buttons, Icon icon, const QString &title) override;
    QString inputBox(const QString &prompt, const QString &title, const QString &defaultText) override;
    QString saveFileName(const QString &title, const QString &suggestion, const QStringList &types = {},
                         int *type = nullptr) override;

private:
    QWidget *m_parent;
};
