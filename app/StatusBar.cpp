#include "app/StatusBar.h"

#include "platform/Twips.h"

#include <QLabel>

StatusBar::StatusBar(QWidget *parent) : QStatusBar(parent)
{
    setSizeGripEnabled(true);
}

namespace {
// A panel asks for its designed width but gives way down to its text when the
// window is narrower than all panels together, so every panel stays readable.
class StatusPanel : public QLabel
{
public:
    StatusPanel(const QString &text, int widthTwips, QWidget *parent)
        : QLabel(text, parent), m_widthTwips(widthTwips) {}
    QSize sizeHint() const override
    {
        const QSize text = QLabel::sizeHint();
        return {qMax(text.width(), Twips::toPx(m_widthTwips, this)), text.height()};
    }

private:
    int m_widthTwips;
};
} // namespace

void StatusBar::addPanel(const QString &key, const QString &text, const QString &toolTip,
                         int widthTwips)
{
    auto *label = new StatusPanel(text, widthTwips, this);
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
