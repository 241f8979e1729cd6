#include "platform/Fonts.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

namespace {

// How many pixels a widget's caption lacks; zero or less when it fits.
int shortfall(const QWidget *w)
{
    const auto advance = [w](const QString &caption) {
        return w->fontMetrics().size(Qt::TextShowMnemonic, caption).width();
    };
    // A label's own size hint knows its margins and indent, and an eliding
    // label's asks for no more than it has.
    if (const auto *l = qobject_cast<const QLabel *>(w))
        return l->text().isEmpty() ? 0 : l->minimumSizeHint().width() - l->width();
    // The title must not run past the frame's sides, whatever the style draws there.
    if (const auto *g = qobject_cast<const QGroupBox *>(w))
        return g->title().isEmpty() ? 0 : advance(g->title()) - g->contentsRect().width();
    // A button's text is drawn in the room its style leaves beside the indicator
    // or inside the bevel; the style's wish for a wider button is no need of the text.
    QStyle::SubElement room;
    if (qobject_cast<const QRadioButton *>(w))
        room = QStyle::SE_RadioButtonContents;
    else if (qobject_cast<const QCheckBox *>(w))
        room = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<const QPushButton *>(w))
        room = QStyle::SE_PushButtonContents;
    else
        return 0;
    const auto *b = static_cast<const QAbstractButton *>(w);
    if (b->text().isEmpty())
        return 0;
    QStyleOptionButton option;
    option.initFrom(b);
    return advance(b->text()) - w->style()->subElementRect(room, &option, w).width();
}

} // namespace

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

void Fonts::fitCaptions(QWidget *window)
{
    // The places are made for a narrow font. A wider substitute would cut
    // captions short, so all texts shrink together, keeping the window of one
    // look. Font widths do not scale exactly with the point size, hence the
    // measured steps.
    const QList<QWidget *> widgets = window->findChildren<QWidget *>();
    const auto allFit = [&widgets] {
        return std::all_of(widgets.begin(), widgets.end(), [](const QWidget *w) { return shortfall(w) <= 0; });
    };
    // Each widget is given its own font, measured from where it started: a size
    // handed down from the parent would otherwise shrink a child twice.
    QList<QFont> start;
    for (const QWidget *w : widgets)
        start.append(w->font());
    for (qreal less = 0.25; !allFit(); less += 0.25) {
        for (qsizetype i = 0; i < widgets.size(); ++i) {
            QFont f = start.at(i);
            if (f.pointSizeF() - less < 5.0)
                return;
            f.setPointSizeF(f.pointSizeF() - less);
            widgets.at(i)->setFont(f);
        }
    }
}
