#include "WindowProbe.h"

#include "platform/RichTextView.h"
#include "tests/support/FakeSerialComm.h"
#include "tests/support/ScriptedDialogs.h"

#include <QFontMetrics>

// Runs once at scale factor 1 and once at 2 (QT_SCALE_FACTOR): the twips layout
// must grow with the screen's scale, without overlaps or clipped captions.
class HighDpiTest : public QObject
{
    Q_OBJECT

    FakeSerialComm *port = nullptr;
    SettingsStore store;
    ScriptedDialogs dialogs;
    std::unique_ptr<frmKX_Display> window;
    double factor = 1.0;

    WindowProbe probe() { return WindowProbe{*window}; }
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
        port = new FakeSerialComm;
        frmKX_Display::Services s;
        s.port = port;
        s.store = &store;
        s.dialogs = &dialogs;
        window = std::make_unique<frmKX_Display>(s);
        port->setParent(window.get());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup() { window.reset(); }

    void scaleFactorApplies()
    {
        QCOMPARE(window->devicePixelRatioF(), factor);
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
        const ColorLabel *l = probe().label(name);
        // At 96 dpi logical a twip is 1/15 pixel; the scale multiplies it on the device.
        const double perTwip = l->logicalDpiX() / 1440.0 * factor;
        QVERIFY(qAbs(devicePx(l, l->width()) - widthTwips * perTwip) <= factor);
        QVERIFY(qAbs(devicePx(l, l->height()) - heightTwips * perTwip) <= factor);
    }

    void nothingOverlaps()
    {
        const QString row[] = {"lblComOpen", "lblDTR", "lblDSR", "lblRTS", "lblCTS"};
        for (int i = 1; i < 5; ++i)
            QVERIFY2(probe().label(row[i - 1])->geometry().right() < probe().label(row[i])->geometry().left(),
                     qPrintable(row[i]));
        for (int i = 1; i < 39; ++i)
            QVERIFY(probe().label(QStringLiteral("lbl_G1_%1").arg(i - 1))->geometry().right()
                    < probe().label(QStringLiteral("lbl_G1_%1").arg(i))->geometry().left());
        const QRect cells = probe().label(QStringLiteral("lbl_G1_0"))->geometry()
                                .united(probe().label(QStringLiteral("lbl_G1_38"))->geometry());
        QVERIFY(probe().label(QStringLiteral("lblCTS"))->geometry().bottom() < cells.top());
        QVERIFY(cells.bottom() < window->richTextBox()->geometry().top());
        QVERIFY(window->centralWidget()->rect().contains(cells));
    }

    void captionsFit()
    {
        window->MSComm1().setCommPort(16);
        probe().action("mnuASCII")->trigger();
        probe().action("mnuOpen")->trigger();
        for (const char *name : {"lblComOpen", "lblDTR", "lblDSR", "lblRTS", "lblCTS"}) {
            const ColorLabel *l = probe().label(QLatin1StringView(name));
            const QFontMetrics fm(l->font());
            QVERIFY2(fm.horizontalAdvance(l->text()) <= l->contentsRect().width(), name);
            QVERIFY2(fm.height() <= l->contentsRect().height() + 2, name);
        }
    }

    void windowImageScales()
    {
        const QPixmap image = window->grab();
        QCOMPARE(image.width(), qRound(window->width() * factor));
    }
};

QTEST_MAIN(HighDpiTest)
#include "tst_highdpi.moc"
