#pragma once

#include <QAccessible>
#include <QAccessibleWidget>

// A text view as screen readers see it: a text of its own name, whose Value is all
// of its text, with the text interface its subclass gives.
class TextAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    TextAccessible(QWidget *view, const QString &name, bool editable);

    void *interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    using QAccessibleTextInterface::text;

    // Lets screen readers reach every view of type View as an Accessible.
    template <class View, class Accessible>
    static void install()
    {
        static const bool installed = [] {
            QAccessible::installFactory([](const QString &, QObject *object) -> QAccessibleInterface * {
                auto *view = qobject_cast<View *>(object);
                return view ? new Accessible(view) : nullptr;
            });
            return true;
        }();
        Q_UNUSED(installed);
    }

protected:
    // Text in a colour on a background (both 0x00BBGGRR), as Qt's own text widgets
    // report a run of one colour.
    static QString colourAttributes(quint32 back, quint32 colour);

private:
    bool m_editable;
};
