#include "app/StatusBar.h"

#include "platform/Twips.h"

#include "platform/ElidedLabel.h"

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
