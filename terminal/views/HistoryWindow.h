#pragma once

#include "terminal/HistorySearch.h"

#include <QWidget>

class Dialogs;
class History;
class HistoryView;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The window "Verlauf": the terminal's history, to read back, look through, copy
// and save while the controller goes on sending. It is made once and closing only
// hides it, so it keeps its place and size while the program runs.
//
// Ctrl+F opens the find bar: Enter or F3 goes to the next match, Shift+Enter or
// Shift+F3 to the one before, Escape closes the bar; all matches are highlighted
// and counted, case-insensitive unless asked. "Speichern…" (Ctrl+S) writes the
// history as UTF-8 text or as an HTML page in its colours, as the user picks the
// file type.
class HistoryWindow : public QWidget
{
    Q_OBJECT

public:
    HistoryWindow(History &history, Dialogs &dialogs, const QFont &font, quint32 back, QWidget *parent);

    // Shows it where it was, in front.
    void open();

public slots:
    void openFind();
    void findNext();
    void findPrevious();
    void save();

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void find(bool backwards);
    void lookFor();
    void showCount();

    History &m_history;
    Dialogs &m_dialogs;
    quint32 m_back;
    HistorySearch m_search;
    HistoryView *m_view;
    QWidget *m_findBar;
    QLineEdit *m_findText;
    QCheckBox *m_matchCase;
    QLabel *m_count;
    QPushButton *m_newLines;
    QByteArray m_geometry;
};
