#pragma once

#include "platform/Dialogs.h"

class QWidget;

// Dialogs shown with QMessageBox and QInputDialog.
class QtDialogs : public Dialogs
{
public:
    explicit QtDialogs(QWidget *parent) : m_parent(parent) {}
    Answer msgBox(const QString &prompt, Buttons buttons, Icon icon, const QString &title) override;
    QString inputBox(const QString &prompt, const QString &title, const QString &defaultText) override;

private:
    QWidget *m_parent;
};
