#pragma once

#include "terminal/TerminalOptions.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QFrame;
class QMenu;
class QTimer;
class Clock;
class ColorLabel;
class DeviceInfoSource;
class Dialogs;
class DirectoryWatcher;
class GyroSeries;
class GyroWindows;
class HistoryWindow;
class LabelIndicatorRow;
class PortController;
class PortDirectory;
class RichTextView;
class SerialComm;
class SerialTuning;
class SessionCapture;
class SettingsStore;
class StatusBar;
class StoredSettings;
class TerminalEngine;
class frmAbout;
class frmGyro_Verlauf;

// The main window: owns the controls, the serial port object and the terminal
// options, composes the subsystems and binds its menus, labels and status bar to
// what they report. Start-up, the status bar and shut-down are its own.
class frmKX_Display : public QMainWindow
{
    Q_OBJECT

public:
    // What the window works with. Anything left null is made by the window itself
    // (the host's serial ports, the user's settings store, real dialogs, a steady
    // clock, the host's devices and a watch on their folders).
    struct Services
    {
        SerialComm *port = nullptr;
        SettingsStore *store = nullptr;
        Dialogs *dialogs = nullptr;
        Clock *clock = nullptr;
        DeviceInfoSource *devices = nullptr;
        DirectoryWatcher *watcher = nullptr;
        QString stateFile;   // where the window's place is kept; empty: the user's state folder
        // The folder in which the window's own serial component keeps its locks
        // (see QtSerialComm): for tests on pseudo-terminals.
        QString serialLocks;
    };

    frmKX_Display();
    explicit frmKX_Display(const Services &services, QWidget *parent = nullptr);
    ~frmKX_Display() override;

    QString Version;
    QString Stand;

    // What ends the program after "&Beenden"; by default QCoreApplication::exit(0).
    void setQuitHook(std::function<void()> quit) { m_quit = std::move(quit); }

public slots:
    void mnuASCII_Click();
    void mnuKestrix_Click();
    void mnuProperties_Click();
    void mnuInfo_Click();
    void mnuEnde_Click();
    void Timer2_Timer();
    // Shows a transient message in the "Status" panel until Timer2 restores it.
    void showStatus(const QString &text);
    // What the "Status" panel rests at: "Status", or what lasts of the link's fate.
    void setRestingStatus(const QString &text);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildMenus();
    void buildControls();
    void buildStatusBar();
    void bindPortController();
    void buildCapture();
    // Ends a running capture and says where it is.
    void endCapture();
    // The program ends: the window's place and the capture folder are kept for the
    // next start, and a running capture is ended.
    void programEnding();
    void buildGyroHistory();
    // The gyro history window, made on first use and kept while the program runs.
    void showGyroVerlauf();
    void buildHistory();

    void Form_Load();
    void UpdateEinstellungen();
    void Form_Resize();
    void Form_Unload(bool &cancel);
    // The About box, made on first use; it deletes itself when closed.
    frmAbout &aboutBox();

    std::unique_ptr<SettingsStore> m_ownStore;
    std::unique_ptr<Dialogs> m_ownDialogs;
    std::unique_ptr<Clock> m_ownClock;
    std::unique_ptr<DeviceInfoSource> m_ownDevices;
    std::unique_ptr<DirectoryWatcher> m_ownWatcher;
    SettingsStore *m_store;
    Dialogs *m_dialogs;
    Clock *m_clock;
    SerialComm *m_port;
    TerminalOptions m_options;
    std::unique_ptr<StoredSettings> m_stored;
    std::unique_ptr<PortDirectory> m_directory;
    bool m_openChecked = false;

    // Menus
    QAction *mnuEnde = nullptr;
    QMenu *mnuPort = nullptr;
    QAction *mnuOpen = nullptr;
    QAction *mnuClose = nullptr;
    QAction *mnuProperties = nullptr;
    QMenu *mnuEmu = nullptr;
    QAction *mnuASCII = nullptr;
    QAction *mnuKestrix = nullptr;
    QMenu *mnuMSComm = nullptr;
    QAction *mnuInputLen = nullptr;
    QAction *mnuRThreshold = nullptr;
    QAction *mnuSThreshold = nullptr;
    QAction *mnuParRep = nullptr;
    QAction *mnuDTREnable = nullptr;
    QAction *mnuHCD = nullptr;
    QAction *mnuHCTS = nullptr;
    QAction *mnuHDSR = nullptr;
    QAction *mnuInfo = nullptr;
    QMenu *mnuEntwicklung = nullptr;
    QAction *mnuGyro_Scale = nullptr;
    QAction *mnuGyro_Diagnose = nullptr;

    // Controls
    ColorLabel *lblComOpen = nullptr;
    ColorLabel *lblDTR = nullptr;
    ColorLabel *lblDSR = nullptr;
    ColorLabel *lblRTS = nullptr;
    ColorLabel *lblCTS = nullptr;
    std::array<ColorLabel *, 39> lbl_G1{};
    ColorLabel *lbl_Check = nullptr;
    QFrame *Line1 = nullptr;
    QFrame *Line2 = nullptr;
    QFrame *Line3 = nullptr;
    RichTextView *RichTextBox = nullptr;
    StatusBar *sbrStatus = nullptr;
    QTimer *Timer2 = nullptr;
    QString m_restingStatus = QStringLiteral("Status");
    QString m_statePath;
    QRect m_placeAtStart;    // the place start-up took from the state file, if any
    QString m_captureFolder;

    PortController *m_ports = nullptr;
    SessionCapture *m_capture = nullptr;
    SerialTuning *m_tuning = nullptr;
    GyroWindows *m_gyroWindows = nullptr;
    std::unique_ptr<GyroSeries> m_gyroSeries;
    frmGyro_Verlauf *m_gyroVerlauf = nullptr;
    HistoryWindow *m_history = nullptr;   // made on first use, hidden when closed
    std::unique_ptr<LabelIndicatorRow> m_indicators;
    std::unique_ptr<TerminalEngine> m_terminal;
    QPointer<frmAbout> m_about;
    std::function<void()> m_quit;
    bool m_unloading = false;   // a drain wait is running
    bool m_ending = false;      // "&Beenden" has ended the program
};
