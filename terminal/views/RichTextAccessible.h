#pragma once

#include "terminal/views/TextAccessible.h"

#include <QString>

#include <optional>

class RichTextModel;
class RichTextView;

// The terminal view as screen readers see it: an editable text named "Terminal"
// with its caret, its selection for copying, and the colour of every character. A
// row as the view shows it is a line.
class RichTextAccessible : public TextAccessible
{
public:
    explicit RichTextAccessible(RichTextView *view);

    void selection(int, int *start, int *end) const override;
    int selectionCount() const override;
    void addSelection(int start, int end) override;
    void removeSelection(int) override;
    void setSelection(int, int start, int end) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int start, int end) const override;
    using TextAccessible::text;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int start, int) override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int *start, int *end) const override;
    QString attributes(int offset, int *start, int *end) const override;

private:
    RichTextView *m_view;
};

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
