#pragma once

#include "app/frmKX_Display.h"
#include "platform/ColorLabel.h"
#include "platform/SettingsStore.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QTest>

// Reads the main window's controls by their names, as a user sees them.
struct WindowProbe
{
    frmKX_Display &w;

    QAction *action(const char *name) const
    {
        auto *a = w.findChild<QAction *>(QLatin1StringView(name));
        if (!a)
            qFatal("no action %s", name);
        return a;
    }
    QMenu *menu(const char *name) const { return w.findChild<QMenu *>(QLatin1StringView(name)); }
    ColorLabel *label(const QString &name) const
    {
        auto *l = w.findChild<ColorLabel *>(name);
        if (!l)
            qFatal("no label %s", qPrintable(name));
        return l;
    }
    QString panel(const char *key) const
    {
        auto *l = w.findChild<QLabel *>(QStringLiteral("sbrStatus_") + QLatin1StringView(key));
        return l ? l->text() : QStringLiteral("<no panel>");
    }
};

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
