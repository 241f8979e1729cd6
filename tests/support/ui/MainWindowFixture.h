#pragma once

#include "app/ProgramInfo.h"
#include "app/Session.h"
#include "app/frmKX_Display.h"
#include "platform/ColorLabel.h"
#include "settings/StoredSettings.h"
#include "tests/support/core/FakeClock.h"
#include "tests/support/core/FakeDevices.h"
#include "tests/support/core/FakeSerialComm.h"
#include "tests/support/core/MemoryStore.h"
#include "tests/support/core/ScriptedDialogs.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QTest>
#include <QTemporaryDir>

#include <memory>

// A main window on a scripted port, a store in memory, scripted dialogs and a clock
// that moves only when told; its controls are read by name, as a user sees them.
struct MainWindowFixture
{
    FakeSerialComm port;
    MemoryStore store;
    ScriptedDialogs dialogs;
    FakeClock clock;
    FakeDevices devices;
    FakeWatcher watcher;
    QTemporaryDir stateDir{QDir::tempPath() + QStringLiteral("/kx-state-XXXXXX")};
    QString stateFile = stateDir.filePath(QStringLiteral("fenster"));
    std::unique_ptr<Session> session;
    std::unique_ptr<frmKX_Display> window;
    bool realPort = false;   // the program's own serial component, clock and devices instead
    QString serialLocks;     // where that component keeps its locks (see QtSerialComm)

    // Makes the session and the window, and runs start-up, as the program does; a
    // second start is the program started again.
    frmKX_Display &start()
    {
        window.reset();
        session = std::make_unique<Session>(
            dialogs, realPort ? Session::Services{nullptr, &store, nullptr, nullptr, nullptr, stateFile, serialLocks}
                              : Session::Services{&port, &store, &clock, &devices, &watcher, stateFile});
        window = std::make_unique<frmKX_Display>(*session);
        window->setQuitHook([] {});
        window->Form_Load();
        return *window;
    }
    void stored(const QString &key, const QString &value)
    {
        store.saveSetting(ProgramInfo::title(), StoredSettings::Section, key, value);
    }
    template <typename T = QAction>
    T *find(const QString &name) const
    {
        if (T *w = window->findChild<T *>(name))
            return w;
        // A stand-in fails the test and lets it run to its end, not the whole suite.
        QTest::qFail(qPrintable(QStringLiteral("the window has no ") + name), __FILE__, __LINE__);
        T *standIn = new T;
        standIn->setParent(window.get());
        return standIn;
    }
    QAction *action(const char *name) const { return find<QAction>(QLatin1StringView(name)); }
    ColorLabel *label(const QString &name) const { return find<ColorLabel>(name); }
    // A label as "caption fore/back", colours in hex.
    QString look(const QString &name) const
    {
        const ColorLabel *l = label(name);
        return QStringLiteral("%1 %2/%3").arg(l->text()).arg(l->foreColor(), 0, 16).arg(l->backColor(), 0, 16);
    }
    QString panel(const char *key) const
    {
        return find<QLabel>(QStringLiteral("sbrStatus_") + QLatin1StringView(key))->text();
    }
};
