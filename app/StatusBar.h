#pragma once

#include <QHash>
#include <QList>
#include <QRect>
#include <QStatusBar>

class QLabel;

// A status bar whose panels are addressed by key, never by position.
class StatusBar : public QStatusBar
{
    Q_OBJECT

public:
    explicit StatusBar(QWidget *parent = nullptr);

    // Appends a panel; its label is named "sbrStatus_" + key.
    void addPanel(const QString &key, const QString &text, const QString &toolTip, int widthTwips);
    void setPanelText(const QString &key, const QString &text);
    // The tooltip is shown as plain text.
    void setPanelToolTip(const QString &key, const QString &toolTip);

protected:
    bool event(QEvent *event) override;

private:
    QHash<QString, QLabel *> m_panels;
    QList<QRect> m_places;   // where the panels stood at the last repaint
};
