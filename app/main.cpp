#include "app/Session.h"
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
    QtDialogs dialogs;
    Session session(dialogs);
    frmKX_Display window(session);
    dialogs.setParent(&window);
    window.Form_Load();
    window.show();
    return app.exec();
}
