// Renders the program's SVG icon into PNG files of the sizes the desktop's icon
// theme wants, so the one drawing stays the only source of the icon.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        QTextStream(stderr) << "usage: kx_icon ICON.svg OUTPUT.png SIZE\n";
        return 2;
    }
    QSvgRenderer svg(args[1]);
    if (!svg.isValid()) {
        QTextStream(stderr) << "kx_icon: cannot read " << args[1] << "\n";
        return 1;
    }
    const int size = args[3].toInt();
    if (size < 8 || size > 1024) {
        QTextStream(stderr) << "kx_icon: size out of range: " << args[3] << "\n";
        return 2;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    svg.render(&p);
    p.end();
    return image.save(args[2], "PNG") ? 0 : 1;
}
