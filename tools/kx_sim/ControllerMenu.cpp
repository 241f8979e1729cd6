#include "ControllerMenu.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr char Esc = 27;
constexpr char Cr = 13;
constexpr int SettingsPage = 3;
constexpr int DiagnosePage = 5;
// Entries of the settings page before its values.
constexpr int CentringEntry = 0;
constexpr int ResetEntry = 1;
constexpr int SettingsActions = 2;

const QString MenuTitle = QStringLiteral("KONFIGURATIONSMENUE ");
const QString Footer = QStringLiteral("Hilfe mit ?, zurueck zum HAUPTMENUE > x");
} // namespace

const QStringList &ControllerMenu::menuEntries()
{
    static const QStringList entries = {
        QStringLiteral("ROTORANORDNUNG"), QStringLiteral("AKKU"),       QStringLiteral("MOTOREN"),
        QStringLiteral("SETTINGS"),       QStringLiteral("NOTLANDUNG"), QStringLiteral("DIAGNOSE"),
    };
    return entries;
}

ControllerMenu::ControllerMenu(LineEnd lineEnd) : m_lineEnd(lineEnd)
{
    const auto v = [](const char *label, QStringList options, int chosen) {
        return Value{QString::fromLatin1(label), std::move(options), chosen, chosen};
    };
    m_values = {
        {v("Typ", {"Quadro +", "Quadro X", "Hexa +", "Hexa X", "Okto +"}, 1),
         v("Drehrichtung vorne links", {"rechts", "links"}, 0)},
        {v("Zellenzahl", {"2", "3", "4", "5", "6"}, 1),
         v("Unterspannung", {"3.0 V", "3.1 V", "3.2 V", "3.3 V", "3.4 V"}, 3),
         v("Warnung bei", {"3.4 V", "3.5 V", "3.6 V", "3.7 V"}, 1)},
        {v("Leerlaufgas", {"5 %", "8 %", "10 %", "12 %"}, 1),
         v("Maximalgas", {"85 %", "90 %", "95 %", "100 %"}, 2),
         v("Regler", {"PWM", "I2C"}, 1)},
        {v("Empfaenger", {"PPM", "Summensignal", "Spektrum"}, 0)},
        {v("Notlandung", {"aus", "ein"}, 1),
         v("Sinkgas", {"35 %", "40 %", "45 %", "50 %"}, 2),
         v("Verzoegerung", {"1 s", "2 s", "5 s"}, 1)},
        {},
    };
    // One value with an umlaut, sent as the controller's single-byte code.
    m_values[4][2].label = QStringLiteral("Verzögerung");
}

std::vector<ControllerMenu::Value> &ControllerMenu::values()
{
    return m_values[size_t(std::clamp(m_page, 0, int(m_values.size()) - 1))];
}

QByteArray ControllerMenu::line(const QString &text) const
{
    QByteArray out = text.toLatin1();
    out += m_lineEnd == LineEnd::CrLf ? "\r\n" : "\n\r";
    return out;
}

QByteArray ControllerMenu::helpText() const
{
    return line(QString()) + line(QStringLiteral("Tasten:"))
           + line(QStringLiteral("  w = nach oben, s = nach unten"))
           + line(QStringLiteral("  + / - = Wert aendern"))
           + line(QStringLiteral("  Enter = auswaehlen"))
           + line(QStringLiteral("  x oder Esc = zurueck"))
           + line(QStringLiteral("  j / n = Frage beantworten"))
           + line(QStringLiteral("  h oder ? = diese Hilfe"));
}

QByteArray ControllerMenu::showMenu()
{
    m_screen = Screen::Menu;
    m_page = -1;
    QByteArray out = line(QString()) + line(MenuTitle);
    const QStringList &entries = menuEntries();
    for (int i = 0; i < entries.size(); ++i)
        out += line((i == m_cursor ? QStringLiteral("> ") : QStringLiteral("  ")) + entries[i]);
    return out;
}

QByteArray ControllerMenu::showPage()
{
    m_screen = Screen::Page;
    QByteArray out = line(QString()) + line(MenuTitle + u'>' + u' ' + menuEntries()[m_page]);
    const auto &vals = values();
    for (int i = 0; i < int(vals.size()); ++i) {
        const Value &v = vals[size_t(i)];
        out += line((i == m_cursor ? QStringLiteral("> ") : QStringLiteral("  ")) + v.label
                    + QStringLiteral(" =>") + v.options[v.chosen]);
    }
    return out + line(Footer);
}

QByteArray ControllerMenu::showSettings()
{
    m_screen = Screen::Settings;
    QByteArray out = line(QString()) + line(MenuTitle + QStringLiteral("> SETTINGS"));
    const auto mark = [this](int entry) {
        return entry == m_cursor ? QStringLiteral("> ") : QStringLiteral("  ");
    };
    out += line(mark(CentringEntry) + QStringLiteral("Mittelpositionen erkennen"));
    out += line(mark(ResetEntry) + QStringLiteral("Grundzustand herstellen"));
    const auto &vals = values();
    for (int i = 0; i < int(vals.size()); ++i)
        out += line(mark(SettingsActions + i) + vals[size_t(i)].label + QStringLiteral(" =>")
                    + vals[size_t(i)].options[vals[size_t(i)].chosen]);
    return out + line(Footer);
}

QByteArray ControllerMenu::gyroSelectionLine() const
{
    switch (m_cursor) {
    case Roll: return line(QStringLiteral("Gyro Auswahl > Roll"));
    case Nick: return line(QStringLiteral("Gyro Auswahl > Nick"));
    case Gier: return line(QStringLiteral("Gyro Auswahl > Gier"));
    case Fernbedienung: return line(QStringLiteral("> Fernbedienung (Senderkanaele)"));
    default: return line(QStringLiteral("> ZURUECK zum Menue"));
    }
}

QByteArray ControllerMenu::showDiagnose()
{
    m_screen = Screen::Diagnose;
    m_cursor = Roll;
    m_ticks = 0;
    return line(QString()) + line(MenuTitle + QStringLiteral("> DIAGNOSE"))
           + line(QStringLiteral("  Gyro Test (verlassen mit Roll links!)"))
           + line(QStringLiteral("w / s = Auswahl, Enter auf ZURUECK oder x = Ende"))
           + gyroSelectionLine();
}

QByteArray ControllerMenu::moveCursor(int delta, int entries)
{
    m_cursor = ((m_cursor + delta) % entries + entries) % entries;
    return {};
}

QByteArray ControllerMenu::key(char c)
{
    if (c == '\n')
        return {};                       // a line end typed as CR LF counts once
    switch (m_screen) {
    case Screen::Idle:
        m_cursor = 0;
        return showMenu();
    case Screen::Centring:
        return {};                       // busy measuring
    case Screen::ResetQuestion:
        return questionKey(c);
    default:
        break;
    }
    if (c == 'h' || c == 'H' || c == '?')
        return helpText();
    switch (m_screen) {
    case Screen::Menu: return menuKey(c);
    case Screen::Page: return pageKey(c);
    case Screen::Settings: return settingsKey(c);
    case Screen::Diagnose: return diagnoseKey(c);
    default: return {};
    }
}

QByteArray ControllerMenu::menuKey(char c)
{
    const int entries = int(menuEntries().size());
    switch (c) {
    case 'w': case 'W':
        moveCursor(-1, entries);
        return showMenu();
    case 's': case 'S':
        moveCursor(1, entries);
        return showMenu();
    case Cr:
        m_page = m_cursor;
        m_cursor = 0;
        if (m_page == SettingsPage)
            return showSettings();
        if (m_page == DiagnosePage)
            return showDiagnose();
        return showPage();
    case 'x': case 'X': case Esc:
        return showMenu();
    default:
        return line(QStringLiteral("? = Hilfe"));
    }
}

QByteArray ControllerMenu::pageKey(char c)
{
    auto &vals = values();
    Value &v = vals[size_t(m_cursor)];
    const int options = int(v.options.size());
    switch (c) {
    case 'w': case 'W':
        moveCursor(-1, int(vals.size()));
        return showPage();
    case 's': case 'S':
        moveCursor(1, int(vals.size()));
        return showPage();
    case '+': case Cr:
        v.chosen = (v.chosen + 1) % options;
        return showPage();
    case '-':
        v.chosen = (v.chosen + options - 1) % options;
        return showPage();
    case 'x': case 'X': case Esc:
        m_cursor = m_page;
        return showMenu();
    default:
        return line(QStringLiteral("? = Hilfe"));
    }
}

QByteArray ControllerMenu::settingsKey(char c)
{
    auto &vals = values();
    const int entries = SettingsActions + int(vals.size());
    switch (c) {
    case 'w': case 'W':
        moveCursor(-1, entries);
        return showSettings();
    case 's': case 'S':
        moveCursor(1, entries);
        return showSettings();
    case '+': case '-': case Cr:
        if (m_cursor == CentringEntry && c == Cr) {
            m_screen = Screen::Centring;
            m_countdown = CentringTicks;
            // No line end: " OK" follows on the same line when the sticks are measured.
            return QByteArrayLiteral("Erkenne Mittelpositionen der Hebel...");
        }
        if (m_cursor == ResetEntry && c == Cr) {
            m_screen = Screen::ResetQuestion;
            return line(QStringLiteral("Wirklich in den Grundzustand versetzen?"))
                   + line(QStringLiteral("j = ja, n = nein"));
        }
        if (m_cursor >= SettingsActions) {
            Value &v = vals[size_t(m_cursor - SettingsActions)];
            const int options = int(v.options.size());
            v.chosen = (v.chosen + (c == '-' ? options - 1 : 1)) % options;
        }
        return showSettings();
    case 'x': case 'X': case Esc:
        m_cursor = m_page;
        return showMenu();
    default:
        return line(QStringLiteral("? = Hilfe"));
    }
}

QByteArray ControllerMenu::questionKey(char c)
{
    switch (c) {
    case 'j': case 'J':
        for (auto &page : m_values)
            for (Value &v : page)
                v.chosen = v.initial;
        m_cursor = ResetEntry;
        return line(QStringLiteral("Grundzustand hergestellt")) + showSettings();
    case 'n': case 'N': case 'x': case 'X': case Esc:
        m_cursor = ResetEntry;
        return line(QStringLiteral("Abgebrochen")) + showSettings();
    default:
        return {};
    }
}

QByteArray ControllerMenu::diagnoseKey(char c)
{
    switch (c) {
    case 'w': case 'W':
        moveCursor(-1, GyroEntries);
        return gyroSelectionLine();
    case 's': case 'S':
        moveCursor(1, GyroEntries);
        return gyroSelectionLine();
    case Cr:
        if (m_cursor != Zurueck)
            return gyroSelectionLine();
        m_cursor = DiagnosePage;
        return showMenu();
    case 'x': case 'X': case Esc: {
        QByteArray out;
        if (m_cursor != Zurueck) {
            m_cursor = Zurueck;
            out = gyroSelectionLine();
        }
        m_cursor = DiagnosePage;
        return out + showMenu();
    }
    default:
        return {};
    }
}

// One line of the gyro test: the "*" marks the reading by its column, 1 to 39,
// moving in a smooth wave; now and then the gyro is beyond the scale or a
// measurement ends.
QByteArray ControllerMenu::reading()
{
    const int n = ++m_ticks;
    if (n % 29 == 0)
        return line(QStringLiteral("Messung Ende *"));
    int column;
    if (n % 17 == 0) {
        column = 40 + n % 6;
    } else {
        const double phase = n * 0.25 + m_cursor * 2.0;
        column = std::clamp(int(std::lround(20.0 + 19.0 * std::sin(phase))), 1, 39);
    }
    // Only the marker: the controller's lines fit its 40-column screen.
    return line(QString(column - 1, u' ') + u'*');
}

QByteArray ControllerMenu::tick()
{
    switch (m_screen) {
    case Screen::Centring:
        if (--m_countdown > 0)
            return {};
        m_cursor = CentringEntry;
        return QByteArrayLiteral(" OK") + line(QString()) + showSettings();
    case Screen::Diagnose:
        if (m_cursor <= Gier)
            return reading();
        if (m_cursor == Fernbedienung && ++m_ticks % 3 == 0) {
            const int k = m_ticks % 40;
            return line(QStringLiteral("Kanal1 %1  Kanal2 %2  Kanal3 %3  Kanal4 %4")
                            .arg(1500 + k * 5).arg(1500 - k * 3).arg(1100 + k * 10).arg(1490));
        }
        return {};
    default:
        return {};
    }
}
