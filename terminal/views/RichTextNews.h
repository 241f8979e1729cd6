#pragma once

#include <QString>

#include <optional>

class QObject;
class RichTextModel;

// What screen readers have heard of the terminal view's text and caret: they hear
// of new text and a moved caret once a frame, like the screen.
class RichTextNews
{
public:
    // How the text went from before to now when `cut` characters were cut at its
    // top in between: so many characters gone at the top and these added at the
    // end; nothing when it changed otherwise.
    struct Change
    {
        qsizetype removed;
        QString added;
    };
    static std::optional<Change> change(const QString &before, const QString &now, qsizetype cut);

    // Only [from, from + count) of the text is left.
    void kept(int from, int count);
    // Tells them what changed in the view's text since they last heard.
    void tell(QObject *view, const RichTextModel &text);

private:
    QString m_toldText;   // the text screen readers last heard of
    int m_toldCaret = -1;
    qsizetype m_cutSinceTold = 0;   // characters cut at the top since then
};
