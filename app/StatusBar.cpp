#include "app/StatusBar.h"

#include "platform/Twips.h"

#include "platform/ElidedLabel.h"

#include <QEvent>

StatusBar::StatusBar(QWidget *parent) : QStatusBar(parent)
{
    setSizeGripEnabled(true);
}

void StatusBar::addPanel(const QString &key, const QString &text, const QString &toolTip,
                         int widthTwips)
{
    // Panels show what the store and the line give them: as plain text, cut short to
    // their designed width, so that no text can widen the window.
    auto *label = new ElidedLabel(text, this);
    label->setDesignedWidth(Twips::toPx(widthTwips, label));
    label->setObjectName(QStringLiteral("sbrStatus_") + key);
    label->setToolTip(toolTip);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    addPermanentWidget(label);
    m_panels.insert(key, label);
}

void StatusBar::setPanelText(const QString &key, const QString &text)
{
    if (QLabel *label = m_panels.value(key))
        label->setText(text);
}

void StatusBar::setPanelToolTip(const QString &key, const QString &toolTip)
{
    // Tooltips take markup when a text looks like it; paths and device names must
    // show as they are.
    if (QLabel *label = m_panels.value(key))
        label->setToolTip(QStringLiteral("<p style='white-space:pre'>%1</p>").arg(toolTip.toHtmlEscaped()));
}

// A panel's new text asks for a new layout, and QStatusBar answers every such
// request by repainting all its panels. With the connect clock ticking each
// second, that was most of what the program did while idle; the panels need the
// repaint only when the layout (which has run by now) moved them.
bool StatusBar::event(QEvent *event)
{
    if (event->type() == QEvent::LayoutRequest) {
        QList<QRect> places;
        for (const QLabel *label : std::as_const(m_panels))
            places << label->geometry();
        if (places == m_places)
            return QWidget::event(event);
        m_places = places;
    }
    return QStatusBar::event(event);
}
