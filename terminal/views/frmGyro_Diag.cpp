#include "terminal/views/frmGyro_Diag.h"

#include "platform/Fonts.h"
#include "platform/ColorLabel.h"
#include "platform/Twips.h"
#include "platform/Colors.h"
#include "terminal/views/GyroDock.h"

#include <QFrame>
#include <QScopedValueRollback>
#include <QSize>

namespace {
QFrame *addLine(QWidget *parent, const QString &name, QFrame::Shape shape,
                int left, int top, int width, int height)
{
    auto *f = new QFrame(parent);
    f->setObjectName(name);
    f->setFrameShape(shape);
    f->setFrameShadow(QFrame::Plain);
    Twips::place(f, left, top, width, height);
    return f;
}

QLabel *addLabel(QWidget *parent, const QString &name, const QString &caption,
                 int left, int top, int width, int height)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(name);
    Twips::place(l, left, top, width, height);
    return l;
}

} // namespace

frmGyro_Diag::frmGyro_Diag(QWidget *mainWindow) : QWidget(mainWindow, Qt::Window), m_main(mainWindow)
{
    setObjectName(QStringLiteral("frmGyro_Diag"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Gyro-Sensor - Diagnose"));

    lbl_Gyro_Achse = addLabel(this, QStringLiteral("lbl_Gyro_Achse"), QStringLiteral("Gyro Achse"),
                              120, 120, 1695, 255);
    lbl_RxString = new ColorLabel(QString(), this);
    lbl_RxString->setObjectName(QStringLiteral("lbl_RxString"));
    lbl_RxString->setBackColor(Colors::LightBlue);
    lbl_RxString->setFont(Fonts::fixedsys());
    Twips::place(lbl_RxString, 120, 480, 4695, 330);

    // The axis scale: a bar with end and centre ticks, and the travel beneath it.
    Line1 = addLine(this, QStringLiteral("Line1"), QFrame::HLine, 240, 1200, 4440, 15);
    Line2 = addLine(this, QStringLiteral("Line2"), QFrame::VLine, 240, 1080, 15, 255);
    Line3 = addLine(this, QStringLiteral("Line3"), QFrame::VLine, 2452, 1080, 15, 255);
    Line4 = addLine(this, QStringLiteral("Line4"), QFrame::VLine, 4665, 1080, 15, 255);
    Line5 = addLine(this, QStringLiteral("Line5"), QFrame::HLine, 240, 2040, 4440, 15);
    lbl_Min = addLabel(this, QStringLiteral("lbl_Min"), QStringLiteral("Min"), 120, 1440, 600, 255);
    lbl_Hub = addLabel(this, QStringLiteral("lbl_Hub"), QStringLiteral("Hub"), 2160, 1440, 600, 255);
    lbl_Max = addLabel(this, QStringLiteral("lbl_Max"), QStringLiteral("Max"), 4200, 1440, 600, 255);
    lbl_Min->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lbl_Hub->setAlignment(Qt::AlignCenter);
    lbl_Max->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    resize(Twips::toPx(FormWidth, this), Twips::toPx(FormHeight, this));
}

void frmGyro_Diag::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmGyro_Diag::Form_Resize()
{
    // Placing the window resizes it, which comes back here.
    if (m_placing)
        return;
    const QScopedValueRollback guard(m_placing, true);
    GyroDock::place(this, m_main, TopBelowMain, QSize(FormWidth, FormHeight));
}
