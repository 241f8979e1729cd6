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
class Dialogs;
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

// The main window: owns the controls, the serial port object and the terminal
// options, composes the subsystems and binds its menus, labels and status bar to
// what they report. Start-up, the status bar and shut-down are its own.
class frmKX_Display : public QMainWindow
{
    Q_OBJECT

public:
    // What the window works with. Anything left null is made by the window itself
    // (the host's serial ports, the user's settings store, real dialogs, a steady clock).
    struct Services
    {
        SerialComm *port = nullptr;
        SettingsStore *store = nullptr;
        Dialogs *dialogs = nullptr;
        Clock *clock = nullptr;
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

    PortController *m_ports = nullptr;
    SessionCapture *m_capture = nullptr;
    SerialTuning *m_tuning = nullptr;
    GyroWindows *m_gyroWindows = nullptr;
    HistoryWindow *m_history = nullptr;   // made on first use, hidden when closed
    std::unique_ptr<LabelIndicatorRow> m_indicators;
    std::unique_ptr<TerminalEngine> m_terminal;
    QPointer<frmAbout> m_about;
    std::function<void()> m_quit;
    bool m_unloading = false;   // a drain wait is running
    bool m_ending = false;      // "&Beenden" has ended the program
};
