#include "terminal/TextAppender.h"

#include "terminal/RichTextModel.h"
#include "platform/Colors.h"

namespace {
constexpr QChar BS(8);
constexpr QChar FF(12);
} // namespace

void TextAppender::measureAndCut()
{
    m_textLen = m_view.length();
    if (m_textLen > m_maxTextLen) {
        // Once per call, however long the view is: the view shrinks by 14 per
        // append until it is back under the cap. What stays keeps its colours: the
        // cursors and titles are what the view is for, and at line rate a cut comes
        // every few characters.
        m_view.keep(CutLength, m_textLen - CutLength);
        m_textLen = m_view.length();
    }
    m_view.setSelStart(m_textLen);
}

void TextAppender::appendChar(QChar c)
{
    measureAndCut();
    m_view.setSelText(QStringView(&c, 1));
}

void TextAppender::appendPlain(QStringView run)
{
    while (!run.isEmpty()) {
        measureAndCut();
        // One by one, characters go in without a cut until the view holds one more
        // than its cap; the next one cuts again.
        const qsizetype take = qMin(run.size(), qMax<qsizetype>(1, m_maxTextLen + 1 - m_textLen));
        m_view.setSelText(run.first(take));
        run = run.sliced(take);
    }
}

void TextAppender::AppendText(QString &text)
{
    measureAndCut();

    // TextLen is not measured again: leading backspaces all select the same last
    // character, so one call erases at most one character of the view.
    const bool single = text.size() == 1;
    for (qsizetype p = single ? (text.at(0) == BS ? 0 : -1) : text.indexOf(BS); p >= 0;
         p = text.indexOf(BS)) {
        if (p == 0) {
            if (m_textLen > 0) {
                m_view.setSelStart(m_textLen - 1);
                m_view.setSelLength(1);
            }
            text.remove(0, 1);
        } else {
            text.remove(p - 1, 2);
        }
    }

    if (text.size() == 1 && text.at(0) == FF) {
        m_view.setText(QString());
        m_view.setSelColor(Colors::Black);
        if (RichTextModel::LineSink *lines = m_view.lineSink())
            lines->pageCleared();
        return;
    }
    m_view.setSelText(text);
}
