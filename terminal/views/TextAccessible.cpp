#include "terminal/views/TextAccessible.h"

TextAccessible::TextAccessible(QWidget *view, const QString &name, bool editable)
    : QAccessibleWidget(view, QAccessible::EditableText, name), m_editable(editable)
{
}

void *TextAccessible::interface_cast(QAccessible::InterfaceType type)
{
    return type == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface *>(this)
                                              : QAccessibleWidget::interface_cast(type);
}

QString TextAccessible::text(QAccessible::Text t) const
{
    return t == QAccessible::Value ? text(0, characterCount()) : QAccessibleWidget::text(t);
}

QAccessible::State TextAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.editable = m_editable;
    s.readOnly = !m_editable;
    s.multiLine = s.selectableText = true;
    return s;
}

QString TextAccessible::colourAttributes(quint32 back, quint32 colour)
{
    const auto rgb = [](quint32 bgr) {
        return QStringLiteral("rgb(%1,%2,%3)").arg(bgr & 0xFF).arg(bgr >> 8 & 0xFF).arg(bgr >> 16 & 0xFF);
    };
    return QStringLiteral("background-color:%1;color:%2;").arg(rgb(back), rgb(colour));
}
