#include "app/frmKX_Display.h"

#include "platform/QtDialogs.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QtDialogs::loadGermanQtTexts(app);
    QApplication::setApplicationName(QStringLiteral("KX_Display"));
    QApplication::setDesktopFileName(QStringLiteral("org.kxdisplay.KX_Display"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.kxdisplay.KX_Display")));
    frmKX_Display window;
    window.show();
    return app.exec();
}
