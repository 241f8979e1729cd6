#include "tests/support/MainWindowFixture.h"

#include <QTest>

#include "terminal/RichTextView.h"

#include <QFontMetrics>

// Runs once at scale factor 1 and once at 2 (QT_SCALE_FACTOR): the twips layout
// must grow with the screen's scale, without overlaps or clipped captions.
class HighDpiTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f;
    double factor = 1.0;

    int devicePx(const QWidget *w, int logical) const { return qRound(logical * w->devicePixelRatioF()); }

private slots:
    void initTestCase()
    {
        bool ok = false;
        factor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
        if (!ok)
            factor = 1.0;
    }

    void init()
    {
        clearStore();
        f = std::make_unique<MainWindowFixture>();
        f->start();
        f->window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f->window.get()));
    }
    void cleanup() { f.reset(); }

    void scaleFactorApplies()
    {
        QCOMPARE(f->window->devicePixelRatioF(), factor);
    }

    void geometryInDevicePixels_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("widthTwips");
        QTest::addColumn<int>("heightTwips");
        QTest::newRow("first cell") << "lbl_G1_0" << 120 << 390;
        QTest::newRow("last cell") << "lbl_G1_38" << 120 << 390;
        QTest::newRow("port label") << "lblComOpen" << 1540 << 209;
        QTest::newRow("CTS label") << "lblCTS" << 495 << 209;
    }

    void geometryInDevicePixels()
    {
        QFETCH(QString, name);
        QFETCH(int, widthTwips);
        QFETCH(int, heightTwips);
        const ColorLabel *l = f->label(name);
        // At 96 dpi logical a twip is 1/15 pixel; the scale multiplies it on the device.
        const double perTwip = l->logicalDpiX() / 1440.0 * factor;
        QVERIFY(qAbs(devicePx(l, l->width()) - widthTwips * perTwip) <= factor);
        QVERIFY(qAbs(devicePx(l, l->height()) - heightTwips * perTwip) <= factor);
    }

    void nothingOverlaps()
    {
        const QString row[] = {"lblComOpen", "lblDTR", "lblDSR", "lblRTS", "lblCTS"};
        for (int i = 1; i < 5; ++i)
            QVERIFY2(f->label(row[i - 1])->geometry().right() < f->label(row[i])->geometry().left(),
                     qPrintable(row[i]));
        for (int i = 1; i < 39; ++i)
            QVERIFY(f->label(QStringLiteral("lbl_G1_%1").arg(i - 1))->geometry().right()
                    < f->label(QStringLiteral("lbl_G1_%1").arg(i))->geometry().left());
        const QRect cells = f->label(QStringLiteral("lbl_G1_0"))->geometry()
                                .united(f->label(QStringLiteral("lbl_G1_38"))->geometry());
        QVERIFY(f->label(QStringLiteral("lblCTS"))->geometry().bottom() < cells.top());
        QVERIFY(cells.bottom() < f->window->richTextBox()->geometry().top());
        QVERIFY(f->window->centralWidget()->rect().contains(cells));
    }

    void captionsFit()
    {
        f->window->MSComm1().setCommPort(16);
        f->action("mnuASCII")->trigger();
        f->action("mnuOpen")->trigger();
        for (const char *name : {"lblComOpen", "lblDTR", "lblDSR", "lblRTS", "lblCTS"}) {
            const ColorLabel *l = f->label(QLatin1StringView(name));
            const QFontMetrics fm(l->font());
            QVERIFY2(fm.horizontalAdvance(l->text()) <= l->contentsRect().width(), name);
            QVERIFY2(fm.height() <= l->contentsRect().height() + 2, name);
        }
    }

    void windowImageScales()
    {
        const QPixmap image = f->window->grab();
        QCOMPARE(image.width(), qRound(f->window->width() * factor));
    }
};

QTEST_MAIN(HighDpiTest)
#include "tst_highdpi.moc"
