#include "app/frmKX_Display.h"

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/SettingsStore.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KX_Display"));
    frmKX_Display window;
    window.show();
    return app.exec();
}
