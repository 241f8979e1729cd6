#include "platform/StatusBar.h"

#include "platform/Twips.h"

#include <QLabel>

StatusBar::StatusBar(QWidget *parent) : QStatusBar(parent)
{
    setSizeGripEnabled(true);
}

void StatusBar::addPanel(const QString &key, const QString &text, const QString &toolTip,
                         int widthTwips)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(QStringLiteral("sbrStatus_") + key);
    label->setToolTip(toolTip);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(Twips::toPx(widthTwips, this));
    addPermanentWidget(label);
    m_panels.insert(key, label);
}

QString StatusBar::panelText(const QString &key) const
{
    const QLabel *label = m_panels.value(key);
    return label ? label->text() : QString();
}

void StatusBar::setPanelText(const QString &key, const QString &text)
{
    if (QLabel *label = m_panels.value(key))
        label->setText(text);
}
