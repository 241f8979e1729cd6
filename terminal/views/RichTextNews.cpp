#include "terminal/views/RichTextNews.h"

#include "terminal/RichTextModel.h"

#include <QAccessible>

#include <algorithm>
#include <limits>

std::optional<RichTextNews::Change> RichTextNews::change(const QString &before, const QString &now, qsizetype cut)
{
    cut = std::min(cut, before.size());
    const QStringView kept = QStringView(before).mid(cut);
    if (!now.startsWith(kept))
        return std::nullopt;
    return Change{cut, now.mid(kept.size())};
}

void RichTextNews::kept(int from, int count)
{
    m_cutSinceTold = count == 0 ? std::numeric_limits<qsizetype>::max() / 2 : m_cutSinceTold + from;
}

void RichTextNews::tell(QObject *view, const RichTextModel &model)
{
    if (!QAccessible::isActive())
        return;
    const QString &text = model.text();
    if (m_toldText != text) {
        // Usually the text lost some characters at the top and gained some at the
        // end: told as such, a screen reader can read out just what is new.
        if (const auto told = change(m_toldText, text, m_cutSinceTold)) {
            if (told->removed > 0) {
                QAccessibleTextRemoveEvent removed(view, 0, m_toldText.left(told->removed));
                QAccessible::updateAccessibility(&removed);
            }
            if (!told->added.isEmpty()) {
                QAccessibleTextInsertEvent inserted(view, int(text.size() - told->added.size()), told->added);
                QAccessible::updateAccessibility(&inserted);
            }
        } else {
            QAccessibleTextUpdateEvent update(view, 0, m_toldText, text);
            QAccessible::updateAccessibility(&update);
        }
        m_toldText = text;
    }
    m_cutSinceTold = 0;
    if (m_toldCaret != model.selStart()) {
        m_toldCaret = model.selStart();
        QAccessibleTextCursorEvent caret(view, m_toldCaret);
        QAccessible::updateAccessibility(&caret);
    }
}
