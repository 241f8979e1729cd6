#pragma once

#include "app/Module1.h"
#include "platform/SettingsStore.h"
#include "settings/SettingsApply.h"
#include "settings/frmProperties.h"
#include "tests/support/FakeSerialComm.h"
#include "tests/support/ScriptedDialogs.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QRadioButton>
#include <QSettings>
#include <QTest>

#include <memory>

// One opening of the settings dialog on a scriptable port, with its controls
// found by name as a user sees them.
struct DialogFixture
{
    FakeSerialComm port;
    SettingsStore store;
    ScriptedDialogs dialogs;
    QList<bool> openChecks;   // every check mark the dialog set on the open command
    std::unique_ptr<frmProperties> dialog;

    frmProperties &open()
    {
        frmProperties::Services s;
        s.port = &port;
        s.store = &store;
        s.dialogs = &dialogs;
        s.setOpenChecked = [this](bool on) { openChecks << on; };
        s.deviceOf = [](int n) { return n == 3 ? QStringLiteral("/dev/ttyUSB0") : QString(); };
        dialog = std::make_unique<frmProperties>(s);
        return *dialog;
    }

    template <typename W>
    W *child(const QString &name) const
    {
        auto *w = dialog->findChild<W *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    QComboBox *list(const char *name) const { return child<QComboBox>(QLatin1StringView(name)); }
    QRadioButton *option(const char *array, int index) const
    {
        return child<QRadioButton>(QLatin1StringView(array) + u'_' + QString::number(index));
    }
    // Index of the selected button of an array, -1 when none is.
    int selected(const char *array, int count) const
    {
        int found = -1;
        for (int i = 0; i < count; ++i)
            if (option(array, i)->isChecked()) {
                if (found >= 0)
                    return -2;   // two at once: never right
                found = i;
            }
        return found;
    }
    void choose(const char *listName, const QString &text) const
    {
        QComboBox *box = list(listName);
        box->setCurrentIndex(text.isEmpty() ? -1 : box->findText(text));
        if (!text.isEmpty() && box->currentText() != text)
            qFatal("%s has no item %s", listName, qPrintable(text));
    }
};

inline QString stored(const QString &key)
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope,
                QString::fromLatin1(SettingsStore::Organisation), QCoreApplication::applicationName());
    return s.value(SettingsApply::Section + u'/' + key).toString();
}

inline QStringList storedKeys()
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope,
                QString::fromLatin1(SettingsStore::Organisation), QCoreApplication::applicationName());
    return s.allKeys();
}

inline void clearStored()
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope,
                QString::fromLatin1(SettingsStore::Organisation), QCoreApplication::applicationName());
    s.clear();
    s.sync();
}

inline void resetGlobals()
{
    Module1::EmulationMode = Module1::AsciiMode;
    Module1::LocalEcho = false;
}
