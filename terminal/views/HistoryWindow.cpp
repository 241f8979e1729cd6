#include "terminal/views/HistoryWindow.h"

#include "platform/Dialogs.h"
#include "serial/CommError.h"
#include "terminal/History.h"
#include "terminal/HistoryExport.h"
#include "terminal/views/HistoryView.h"

#include <QAction>
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

namespace {
template <typename T>
T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1StringView(name));
    return widget;
}

QAction *addCommand(QWidget *to, const char *name, const QString &text, const QKeySequence &keys)
{
    auto *action = named(new QAction(text, to), name);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    to->addAction(action);
    return action;
}
} // namespace

HistoryWindow::HistoryWindow(History &history, Dialogs &dialogs, const QFont &font, quint32 back, QWidget *parent)
    : QWidget(parent, Qt::Window), m_history(history), m_dialogs(dialogs), m_back(back), m_search(history)
{
    setObjectName(QStringLiteral("frmVerlauf"));
    setWindowTitle(QStringLiteral("Verlauf"));

    m_view = named(new HistoryView(history, this), "txtVerlauf");
    m_view->setFont(font);
    m_view->setBackColor(back);
    m_view->setSearch(&m_search);

    m_newLines = named(new QPushButton(this), "cmdNeueZeilen");
    m_newLines->hide();
    connect(m_newLines, &QPushButton::clicked, m_view, &HistoryView::scrollToEnd);
    connect(m_view, &HistoryView::newLinesChanged, this, [this](qint64 count) {
        m_newLines->setText(count == 1 ? QStringLiteral("▼ 1 neue Zeile") : QStringLiteral("▼ %1 neue Zeilen").arg(count));
        m_newLines->setVisible(count > 0);
    });

    m_findBar = named(new QWidget(this), "fraSuchen");
    m_findText = named(new QLineEdit(m_findBar), "txtSuchen");
    m_findText->setPlaceholderText(QStringLiteral("Suchen"));
    m_findText->setClearButtonEnabled(true);
    m_findText->setMinimumWidth(m_findText->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 16);
    m_matchCase = named(new QCheckBox(QStringLiteral("Groß-/Kleinschreibung beachten"), m_findBar), "chkGrossKlein");
    auto *previous = named(new QPushButton(QStringLiteral("Vorheriger"), m_findBar), "cmdVorheriger");
    auto *next = named(new QPushButton(QStringLiteral("Nächster"), m_findBar), "cmdNaechster");
    m_count = named(new QLabel(m_findBar), "lblTreffer");
    m_count->setTextFormat(Qt::PlainText);
    auto *close = named(new QPushButton(QStringLiteral("Schließen"), m_findBar), "cmdSucheSchliessen");
    auto *bar = new QHBoxLayout(m_findBar);
    bar->setContentsMargins(0, 0, 0, 0);
    for (QWidget *w : std::initializer_list<QWidget *>{m_findText, m_matchCase, previous, next, m_count, close})
        bar->addWidget(w, w == m_findText ? 1 : 0);
    m_findBar->hide();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_newLines, 0, Qt::AlignRight);
    layout->addWidget(m_findBar);

    connect(m_findText, &QLineEdit::textChanged, this, &HistoryWindow::lookFor);
    connect(m_matchCase, &QCheckBox::toggled, this, &HistoryWindow::lookFor);
    connect(m_findText, &QLineEdit::returnPressed, this, [this] {
        QGuiApplication::keyboardModifiers() & Qt::ShiftModifier ? findPrevious() : findNext();
    });
    connect(previous, &QPushButton::clicked, this, &HistoryWindow::findPrevious);
    connect(next, &QPushButton::clicked, this, &HistoryWindow::findNext);
    connect(close, &QPushButton::clicked, this, [this] {
        m_findBar->hide();
        m_view->setFocus();
    });
    connect(m_view, &HistoryView::linesChanged, this, [this] {
        if (m_findBar->isVisible())
            showCount();
    });

    // In the view's context menu and on their keys anywhere in the window.
    connect(addCommand(m_view, "mnuSuchen", QStringLiteral("Suchen…"), QKeySequence(Qt::CTRL | Qt::Key_F)),
            &QAction::triggered, this, &HistoryWindow::openFind);
    connect(addCommand(m_view, "mnuSpeichern", QStringLiteral("Speichern…"), QKeySequence(Qt::CTRL | Qt::Key_S)),
            &QAction::triggered, this, &HistoryWindow::save);
    connect(addCommand(this, "mnuWeiter", QStringLiteral("Weitersuchen"), QKeySequence(Qt::Key_F3)),
            &QAction::triggered, this, &HistoryWindow::findNext);
    connect(addCommand(this, "mnuZurueck", QStringLiteral("Rückwärts suchen"), QKeySequence(Qt::SHIFT | Qt::Key_F3)),
            &QAction::triggered, this, &HistoryWindow::findPrevious);
    auto *escape = addCommand(m_findBar, "mnuSucheSchliessen", QStringLiteral("Suche schließen"), QKeySequence(Qt::Key_Escape));
    escape->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QAction::triggered, close, &QPushButton::click);

    resize(m_view->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 84, m_view->fontMetrics().lineSpacing() * 30);
}

void HistoryWindow::open()
{
    if (!m_geometry.isEmpty())
        restoreGeometry(m_geometry);
    show();
    raise();
    activateWindow();
}

void HistoryWindow::hideEvent(QHideEvent *event)
{
    // A window shown again can be put somewhere else by the window manager.
    m_geometry = saveGeometry();
    QWidget::hideEvent(event);
}

void HistoryWindow::openFind()
{
    m_findBar->show();
    m_findText->setFocus();
    m_findText->selectAll();
    showCount();
}

void HistoryWindow::lookFor()
{
    m_search.setNeedle(m_findText->text(), m_matchCase->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive);
    m_view->searchChanged();
    showCount();
}

void HistoryWindow::showCount()
{
    if (m_search.needle().isEmpty()) {
        m_count->clear();
        return;
    }
    const qint64 count = m_search.count();
    m_count->setText(count == 0 ? QStringLiteral("Kein Treffer")
                     : count == 1 ? QStringLiteral("1 Treffer")
                                  : QStringLiteral("%1 Treffer").arg(count));
}

void HistoryWindow::findNext()
{
    find(false);
}

void HistoryWindow::findPrevious()
{
    find(true);
}

void HistoryWindow::find(bool backwards)
{
    if (!m_findBar->isVisible()) {
        openFind();
        return;
    }
    if (const auto match = m_search.next(m_view->searchFrom(), backwards))
        m_view->showMatch(*match);
}

void HistoryWindow::save()
{
    const QStringList types{QStringLiteral("Text (*.txt)"), QStringLiteral("HTML mit Farben (*.html *.htm)")};
    const QString suggestion = QDir::home().filePath(
        QStringLiteral("kx-verlauf-%1").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))));
    int type = 0;
    QString path = m_dialogs.saveFileName(QStringLiteral("Verlauf speichern"), suggestion, types, &type);
    if (path.isEmpty())
        return;
    const auto format = type == 1 ? HistoryExport::Format::Html : HistoryExport::Format::Text;
    // A name without an ending gets the one of the type chosen.
    if (QFileInfo(path).suffix().isEmpty())
        path += format == HistoryExport::Format::Html ? QStringLiteral(".html") : QStringLiteral(".txt");
    // Written whole or not at all: a file that was there stays as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !HistoryExport::write(m_history, format, m_back, file) || !file.commit())
        m_dialogs.msgBox(QStringLiteral("Der Verlauf kann nicht nach \"%1\" geschrieben werden: %2")
                             .arg(CommError::quote(path, 100), file.errorString()),
                         Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
}
