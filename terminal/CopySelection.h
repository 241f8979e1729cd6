#pragma once

#include <QString>

class RichTextModel;

// The terminal view's selection for copying, apart from the model's caret and
// selection, which the terminal writes with: [from, to) in positions of the text,
// empty when from == to. While text arrives it stays on its text, moves up with
// the cuts at the top and ends where its text has gone.
//
// What the user chose is kept as the text it held then: copying copies that, even
// after arriving text has cut the selection down or away, as the X primary
// selection keeps it too. At line rate a selection leaves the view within a second.
class CopySelection
{
public:
    explicit CopySelection(const RichTextModel &text) : m_text(text) {}

    int from() const { return m_from; }
    int to() const { return m_to; }
    // Places it, clamped to the text, its ends in either order; false when it
    // stood there already.
    bool place(int from, int to);
    // The user's choice: what it holds now is what copying copies.
    bool choose(int from, int to);
    const QString &chosen() const { return m_chosen; }

    // A selection made with the mouse starts where the button went down.
    void press(int pos) { m_anchor = pos; }
    void release() { m_anchor = -1; }
    // Where the mouse went down; -1 while no button is down.
    int anchor() const { return m_anchor; }

    // Only [from, from + count) of the text is left.
    void kept(int from, int count);
    // The text has changed: the selection ends at its end. False when it did already.
    bool clamp();

    // What it holds now, or the whole text, with a line break for each CR LF.
    QString text() const;
    QString allText() const;

private:
    const RichTextModel &m_text;
    int m_from = 0;
    int m_to = 0;
    int m_anchor = -1;
    QString m_chosen;
};
