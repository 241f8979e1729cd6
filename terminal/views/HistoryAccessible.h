#pragma once

#include "terminal/views/TextAccessible.h"

class HistoryView;

// The history as screen readers see it: a read-only text named "Verlauf", its lines
// each ended by a line feed, with the caret, the selection and the colours.
class HistoryAccessible : public TextAccessible
{
public:
    explicit HistoryAccessible(HistoryView *view);

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
    HistoryView *m_view;
};
