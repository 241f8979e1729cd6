#include "platform/Fonts.h"

#include <QFontDatabase>
#include <QStringList>

QFont Fonts::fixedsys()
{
    QFont f = QFontDatabase::families().contains(QStringLiteral("Fixedsys"), Qt::CaseInsensitive)
                  ? QFont(QStringLiteral("Fixedsys"))
                  : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setStyleHint(QFont::TypeWriter);
    return f;
}

QFont Fonts::msSansSerif(bool bold)
{
    QFont f;
    const QString family = QStringLiteral("MS Sans Serif");
    if (QFontDatabase::families().contains(family))
        f.setFamily(family);
    if (f.pointSizeF() > 8.0)
        f.setPointSizeF(8.0);
    f.setBold(bold);
    return f;
}
