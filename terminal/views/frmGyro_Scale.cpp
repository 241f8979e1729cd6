#include "terminal/views/frmGyro_Scale.h"

#include "platform/ColorLabel.h"
#include "terminal/views/RichTextView.h"
#include "platform/Twips.h"
#include "platform/Colors.h"
#include "terminal/views/GyroDock.h"

#include <QScopedValueRollback>
#include <QVBoxLayout>

frmGyro_Scale::frmGyro_Scale(QWidget *mainWindow) : QWidget(mainWindow, Qt::Window), m_main(mainWindow)
{
    setObjectName(QStringLiteral("frmGyro_Scale"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Gyro Display"));

    lbl_Check = new ColorLabel(QString(), this);
    lbl_Check->setObjectName(QStringLiteral("lbl_Check"));
    lbl_Check->setBackColor(Colors::LightBlue);
    lbl_Check->setAlignment(Qt::AlignCenter);
    lbl_Check->setFixedSize(Twips::toPx(1100, this), Twips::toPx(330, this));

    RichText_Gyro = new RichTextView(this);
    RichText_Gyro->setObjectName(QStringLiteral("RichText_Gyro"));
    RichText_Gyro->setBackColor(Colors::LightGreen);

    // The user may size this window; the view takes whatever room there is.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(Twips::toPx(120, this), Twips::toPx(120, this),
                               Twips::toPx(120, this), Twips::toPx(120, this));
    layout->addWidget(lbl_Check, 0, Qt::AlignLeft);
    layout->addWidget(RichText_Gyro, 1);

    resize(Twips::toPx(FormWidth, this), Twips::toPx(FormHeight, this));
    Form_Load();
}

void frmGyro_Scale::Form_Load()
{
    RichTextModel &view = RichText_Gyro->model();
    view.setSelColor(Colors::Red);
    view.setText(QString());
    view.setSelStart(0);
}

void frmGyro_Scale::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmGyro_Scale::Form_Resize()
{
    if (m_placing)
        return;
    const QScopedValueRollback guard(m_placing, true);
    GyroDock::place(this, m_main, TopBelowMain, std::nullopt);
}
