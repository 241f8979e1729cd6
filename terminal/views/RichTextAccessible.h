#pragma once

#include "terminal/views/TextAccessible.h"

#include <QString>

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
