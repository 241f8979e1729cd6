#pragma once

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
class GyroSeries;
class GyroWindows;
class HistoryWindow;
class LabelIndicatorRow;
class PortController;
class RichTextView;
class SerialComm;
class SerialTuning;
class Session;
class SessionCapture;
class StatusBar;
class TerminalEngine;
struct TerminalOptions;
class frmAbout;
class frmGyro_Verlauf;

// The main window: owns the controls and the parts that drive them (the port
// controller, the terminal engine, the service menu, capture and history), binds
// its menus, labels and status bar to what they report, and shows start-up, the
// status bar and shut-down. The port, the stored settings and the terminal options
// are the session's.
class frmKX_Display : public QMainWindow
{
    Q_OBJECT

public:
    // The window works with the session's services, port and options; the session
    // outlives it.
    explicit frmKX_Display(Session &session, QWidget *parent = nullptr);
    ~frmKX_Display() override;

    // Start-up: runs once, after the window is made and before it is shown; apart
    // from making it, so that message boxes, start-up's own included, can be set
    // to stand over the window first.
    void Form_Load();

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

    void UpdateEinstellungen();
    void Form_Resize();
    void Form_Unload(bool &cancel);
    // The About box, made on first use; it deletes itself when closed.
    frmAbout &aboutBox();

    Session &m_session;
    Dialogs *m_dialogs;
    Clock *m_clock;
    SerialComm *m_port;
    TerminalOptions &m_options;
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
