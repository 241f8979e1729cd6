#include "about/frmAbout.h"

#include "platform/Fonts.h"
#include "platform/Twips.h"
#include "platform/Colors.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {

// Labels are as high as one line of text; the layout gives only left, top and width.
QLabel *label(QWidget *parent, const QString &name, const QString &text, int left, int top,
              int width, bool bold = false)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setFont(Fonts::msSansSerif(bold));
    Twips::place(l, left, top, width, 240);
    return l;
}
} // namespace

frmAbout::frmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(Twips::toPx(5535, this), Twips::toPx(3360, this));

    label(this, QStringLiteral("lblDescription"),
          QStringLiteral("Display  für die Kestrix II / LT  ab  V 1.00"), 240, 120, 5085, true);
    label(this, QStringLiteral("lbl_Zusatz"),
          QStringLiteral("mit Beiträgen vieler Anwender"), 1080, 480, 3615);
    label(this, QStringLiteral("lbl_1"),
          QStringLiteral("Hinweis : Sie benutzen die Software auf eigene Gefahr."), 240, 960, 5055);
    label(this, QStringLiteral("lbl_2"),
          QStringLiteral("Es wird keine Haftung für Schäden übernommen, die angeblich durch die"),
          240, 1200, 5055);
    label(this, QStringLiteral("lbl_3"),
          QStringLiteral("die Benutzung der Software entstanden sein sollen."), 240, 1440, 5055);
    lblDatum = label(this, QStringLiteral("lblDatum"), QString(), 840, 1800, 1695, true);
    lblVersion = label(this, QStringLiteral("lblVersion"), QString(), 3000, 1800, 1335, true);

    auto *line1 = new QFrame(this);
    line1->setObjectName(QStringLiteral("Line1"));
    line1->setFrameShape(QFrame::HLine);
    line1->setFrameShadow(QFrame::Plain);
    QPalette p = line1->palette();
    p.setColor(QPalette::WindowText, QColor(Colors::toArgb(Colors::Grey)));
    line1->setPalette(p);
    Twips::place(line1, 120, 2160, 5400 - 120, 15);

    label(this, QStringLiteral("lblCopyright"),
          QStringLiteral("Copyright © 2009 der Autor. Alle Rechte vorbehalten."), 320, 2280, 4980);
    label(this, QStringLiteral("lblDisclaimer"),
          QStringLiteral("Kontakt: über die Homepage des Autors"), 320, 2640, 3735);
    label(this, QStringLiteral("lbl_Homepage"),
          QStringLiteral("Homepage: www.example.org"), 315, 3000, 2535);

    auto *cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setFont(Fonts::msSansSerif(false));
    cmdOK->setDefault(true);
    Twips::place(cmdOK, 4680, 2880, 660, 345);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    Fonts::fitCaptions(this);
    Form_Load();
}

void frmAbout::Form_Load()
{
    setWindowTitle(QStringLiteral("Info zu ") + QCoreApplication::applicationName());
}

void frmAbout::setDatum(const QString &caption)
{
    lblDatum->setText(caption);
}

void frmAbout::setVersion(const QString &caption)
{
    lblVersion->setText(caption);
}

void frmAbout::cmdOK_Click()
{
    // Closing deletes the box; the next showing makes a new one.
    close();
}
