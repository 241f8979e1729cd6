#pragma once

#include <QString>

#include <functional>

class QContextMenuEvent;
class QKeyEvent;
class QWidget;

// Copying out of a text view: "Kopieren" copies what is selected, "Alles kopieren"
// all of it; both stand in the view's context menu, followed by the actions added
// to the view. Pasting is not offered: in the terminal a paste would type many keys
// into the controller's menus at once. A selection made with the mouse is also the
// X11 primary selection, as in X terminals.
class CopyCommands
{
public:
    using Text = std::function<QString()>;

    // selected: what "Kopieren" copies, empty when nothing is selected.
    CopyCommands(QWidget *view, Text selected, Text all)
        : m_view(view), m_selected(std::move(selected)), m_all(std::move(all)) {}

    void copy() const;
    void copyAll() const;
    void showMenu(const QContextMenuEvent *event) const;
    // Offers what is selected to be pasted elsewhere with the middle button.
    void offerPrimary() const;

    // Ctrl+Shift+C and Ctrl+Insert copy; Ctrl+C too where it sends nothing.
    static bool isCopyKey(const QKeyEvent *event, bool ctrlC);

private:
    QWidget *m_view;
    Text m_selected;
    Text m_all;
};
