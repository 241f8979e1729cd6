#include "terminal/views/CopyCommands.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QWidget>

void CopyCommands::copy() const
{
    const QString text = m_selected();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

void CopyCommands::copyAll() const
{
    QGuiApplication::clipboard()->setText(m_all());
}

void CopyCommands::showMenu(const QContextMenuEvent *event) const
{
    QMenu menu(m_view);
    QAction *copySelection = menu.addAction(QStringLiteral("Kopieren"), m_view, [this] { copy(); });
    copySelection->setObjectName(QStringLiteral("mnuCopy"));
    copySelection->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    copySelection->setEnabled(!m_selected().isEmpty());
    menu.addAction(QStringLiteral("Alles kopieren"), m_view, [this] { copyAll(); })
        ->setObjectName(QStringLiteral("mnuCopyAll"));
    if (!m_view->actions().isEmpty()) {
        menu.addSeparator();
        menu.addActions(m_view->actions());
    }
    menu.exec(event->globalPos());
}

void CopyCommands::offerPrimary() const
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection())
        return;
    const QString text = m_selected();
    if (!text.isEmpty())
        clipboard->setText(text, QClipboard::Selection);
}

bool CopyCommands::isCopyKey(const QKeyEvent *event, bool ctrlC)
{
    const auto mods = event->modifiers() & ~Qt::KeypadModifier;
    return (event->key() == Qt::Key_C
            && (mods == (Qt::ControlModifier | Qt::ShiftModifier) || (ctrlC && mods == Qt::ControlModifier)))
           || (event->key() == Qt::Key_Insert && mods == Qt::ControlModifier);
}
