#include "platform/RichTextView.h"

#include "platform/Twips.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStringDecoder>
#include <QStringEncoder>

RichTextView::RichTextView(QWidget *parent) : QAbstractScrollArea(parent)
{
    QFont f(QStringLiteral("Fixedsys"));
    if (!QFontInfo(f).fixedPitch())
        f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    setFont(f);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    m_frame.setSingleShot(true);
    m_frame.setInterval(16);
    connect(&m_frame, &QTimer::timeout, viewport(), qOverload<>(&QWidget::update));
    connect(&m_model, &RichTextModel::changed, this, &RichTextView::scheduleRepaint);
}

void RichTextView::setBackColor(quint32 bgr)
{
    m_back = bgr;
    viewport()->update();
}

void RichTextView::scheduleRepaint()
{
    if (!m_frame.isActive())
        m_frame.start();
}

void RichTextView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    scheduleRepaint();
}

void RichTextView::paintEvent(QPaintEvent *)
{
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), fromBgr(m_back));
    const QFontMetrics fm(font());
    const int lineH = fm.lineSpacing();
    const int charW = qMax(1, fm.horizontalAdvance(QLatin1Char('M')));
    const int cols = qMax(1, viewport()->width() / charW);
    const QString &t = m_model.text();

    // Lay out in rows of at most `cols` characters, breaking at CR LF.
    struct Run { int row, col, start, len; };
    std::vector<Run> runs;
    int row = 0, col = 0;
    for (int i = 0; i < t.size();) {
        if (t[i] == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n') { ++row; col = 0; i += 2; continue; }
        if (t[i] == u'\n') { ++row; col = 0; ++i; continue; }
        if (col == cols) { ++row; col = 0; }
        int j = i;
        while (j < t.size() && col + (j - i) < cols && t[j] != u'\r' && t[j] != u'\n'
               && m_model.colorAt(j) == m_model.colorAt(i))
            ++j;
        if (j == i) j = i + 1;
        runs.push_back({row, col, i, j - i});
        col += j - i;
        i = j;
    }
    const int rows = row + 1;
    const int visible = qMax(1, viewport()->height() / lineH);
    verticalScrollBar()->setRange(0, qMax(0, rows - visible));
    verticalScrollBar()->setPageStep(visible);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    const int first = verticalScrollBar()->value();
    for (const Run &r : runs) {
        if (r.row < first || r.row >= first + visible + 1)
            continue;
        QString s = t.mid(r.start, r.len);
        for (QChar &c : s)
            if (c.unicode() < 0x20)
                c = QChar(0x2400 + c.unicode());  // control pictures, never interpreted
        p.setPen(fromBgr(m_model.colorAt(r.start)));
        p.drawText(r.col * charW, (r.row - first) * lineH + fm.ascent(), s);
    }
}

void RichTextView::keyPressEvent(QKeyEvent *event)
{
    const QString typed = event->text();
    if (typed.size() != 1) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    QStringEncoder toAnsi("windows-1252");
    const QByteArray bytes = toAnsi.encode(typed);
    if (toAnsi.hasError() || bytes.size() != 1 || bytes[0] == 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    int keyAscii = quint8(bytes[0]);
    emit KeyPress(keyAscii);
    if (keyAscii != 0)
        insertTyped(keyAscii);
    event->accept();
}

void RichTextView::insertTyped(int keyAscii)
{
    if (keyAscii == 8) {
        const int at = m_model.selStart();
        if (m_model.selLength() == 0 && at > 0) {
            const QString &t = m_model.text();
            const bool crlf = at >= 2 && t[at - 2] == u'\r' && t[at - 1] == u'\n';
            m_model.setSelStart(at - (crlf ? 2 : 1));
            m_model.setSelLength(crlf ? 2 : 1);
        }
        m_model.setSelText(QString());
        return;
    }
    if (keyAscii == 13) {
        m_model.setSelText(QStringLiteral("\r\n"));
        return;
    }
    const char byte = char(keyAscii);
    m_model.setSelText(QStringDecoder("windows-1252").decode(QByteArrayView(&byte, 1)));
}
