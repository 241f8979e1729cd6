#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// The flight controller's text menus as the simulator plays them: a pure state
// machine without any I/O. Each key typed on the line gives the bytes the
// controller answers with; tick() gives what it prints on its own (gyro readings,
// the end of the stick centring), and is meant to be called a few times a second.
//
// Keys: w / s move the cursor up / down, + / - change the value under the cursor,
// Enter chooses, x or Esc goes back, h or ? prints the help text, j / n answer
// the reset question. Before the first key the controller is silent.
class ControllerMenu
{
public:
    enum class Screen { Idle, Menu, Page, Settings, Centring, ResetQuestion, Diagnose };
    enum class LineEnd { CrLf, LfCr };

    // The entries of the configuration menu, in menu order.
    static const QStringList &menuEntries();
    // The entries of the gyro test selection, in order.
    enum Gyro { Roll, Nick, Gier, Fernbedienung, Zurueck, GyroEntries };

    explicit ControllerMenu(LineEnd lineEnd = LineEnd::CrLf);

    QByteArray key(char c);
    QByteArray tick();

    Screen screen() const { return m_screen; }
    // The entry the cursor marks on the current screen.
    int cursor() const { return m_cursor; }
    // Which menu page is shown (index into menuEntries()), -1 on the menu itself.
    int page() const { return m_page; }
    // Ticks the stick centring takes before it reports " OK".
    static constexpr int CentringTicks = 8;

    QByteArray helpText() const;

private:
    struct Value
    {
        QString label;
        QStringList options;
        int chosen = 0;
        int initial = 0;
    };

    QByteArray line(const QString &text) const;
    QByteArray showMenu();
    QByteArray showPage();
    QByteArray showSettings();
    QByteArray showDiagnose();
    QByteArray gyroSelectionLine() const;
    QByteArray reading();
    QByteArray moveCursor(int delta, int entries);
    QByteArray pageKey(char c);
    QByteArray settingsKey(char c);
    QByteArray diagnoseKey(char c);
    QByteArray questionKey(char c);
    QByteArray menuKey(char c);
    std::vector<Value> &values();

    LineEnd m_lineEnd;
    Screen m_screen = Screen::Idle;
    int m_cursor = 0;
    int m_page = -1;
    int m_countdown = 0;
    int m_ticks = 0;
    std::vector<std::vector<Value>> m_values;   // per menu page
};
