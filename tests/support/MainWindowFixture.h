#pragma once

#include "app/frmKX_Display.h"
#include "platform/ColorLabel.h"
#include "platform/SettingsStore.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeSerialComm.h"
#include "tests/support/ScriptedDialogs.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSettings>

#include <memory>

inline QString applicationTitle()
{
    return frmKX_Display::Title + frmKX_Display::ProgramVersion;
}

// Empties the program's stored settings in this test's private settings folder.
inline void clearStore()
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope,
                QString::fromLatin1(SettingsStore::Organisation), applicationTitle());
    s.clear();
    s.sync();
}

// A main window on a scripted port, the test's own settings store, scripted
// dialogs and a clock that moves only when told; with its controls read by name,
// as a user sees them.
struct MainWindowFixture
{
    FakeSerialComm port;
    SettingsStore store;
    ScriptedDialogs dialogs;
    FakeClock clock;
    std::unique_ptr<frmKX_Display> window;

    // Creates the window (running its start-up) on the fake port, or on `real`,
    // which the window then owns.
    frmKX_Display &start(SerialComm *real = nullptr)
    {
        frmKX_Display::Services s;
        s.port = real ? real : &port;
        s.store = &store;
        s.dialogs = &dialogs;
        s.clock = &clock;
        window = std::make_unique<frmKX_Display>(s);
        if (real)
            real->setParent(window.get());
        return *window;
    }

    QAction *action(const QString &name) const
    {
        auto *a = window->findChild<QAction *>(name);
        if (!a)
            qFatal("no action %s", qPrintable(name));
        return a;
    }
    QAction *action(const char *name) const { return action(QString::fromLatin1(name)); }
    QMenu *menu(const char *name) const { return window->findChild<QMenu *>(QLatin1StringView(name)); }
    ColorLabel *label(const QString &name) const
    {
        auto *l = window->findChild<ColorLabel *>(name);
        if (!l)
            qFatal("no label %s", qPrintable(name));
        return l;
    }
    QString panel(const char *key) const
    {
        auto *l = window->findChild<QLabel *>(QStringLiteral("sbrStatus_") + QLatin1StringView(key));
        return l ? l->text() : QStringLiteral("<no panel>");
    }
};
