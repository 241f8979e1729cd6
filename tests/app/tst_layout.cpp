#include "app/Module1.h"
#include "app/frmKX_Display.h"
#include "terminal/RichTextView.h"
#include "platform/SettingsStore.h"
#include "platform/Twips.h"
#include "tests/support/FakeSerialComm.h"
#include "tests/support/ScriptedDialogs.h"

#include <QApplication>
#include <QStatusBar>
#include <QTest>

#include <memory>

// The terminal view follows the window's size; everything above it stays put.
class LayoutTest : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        FakeSerialComm port;
        SettingsStore store;
        ScriptedDialogs dialogs;
        std::unique_ptr<frmKX_Display> w;

        Fixture()
        {
            w = std::make_unique<frmKX_Display>(frmKX_Display::Services{&port, &store, &dialogs, nullptr});
            w->setQuitHook([] {});
            w->show();
            QCoreApplication::processEvents();
        }
        QWidget *view() const { return w->findChild<QWidget *>(QStringLiteral("RichTextBox")); }
        QWidget *client() const { return w->centralWidget(); }
        void resizeBy(int dxTwips, int dyTwips)
        {
            w->resize(w->width() + Twips::toPx(dxTwips, w.get()), w->height() + Twips::toPx(dyTwips, w.get()));
            QCoreApplication::processEvents();
        }
    };

    static QList<QRect> fixedPlaces(const frmKX_Display &w)
    {
        QList<QRect> out;
        for (const char *name : {"lblComOpen", "lblDTR", "lblCTS", "lbl_G1_0", "lbl_G1_38", "lbl_Check", "Line2"})
            if (auto *c = w.findChild<QWidget *>(QLatin1StringView(name)))
                out << c->geometry();
        return out;
    }

private slots:
    void init()
    {
        Module1::EmulationMode.clear();
        Module1::LocalEcho = false;
    }

    void placedWhenShown()
    {
        Fixture f;
        const QRect v = f.view()->geometry();
        QCOMPARE(v.x(), Twips::toPx(45, f.w.get()));
        QCOMPARE(v.y(), Twips::toPx(1230, f.w.get()));
        QCOMPARE(v.width(), f.client()->width() - Twips::toPx(90, f.w.get()));
        QCOMPARE(v.height(), f.client()->height() - Twips::toPx(1230, f.w.get()));
        QVERIFY(v.width() > 0);
        QVERIFY(v.height() > 0);
    }

    void followsTheWindow_data()
    {
        QTest::addColumn<int>("dx");   // twips
        QTest::addColumn<int>("dy");
        QTest::newRow("1000 wider") << 1000 << 0;
        QTest::newRow("1000 higher") << 0 << 1000;
        QTest::newRow("both") << 1500 << 750;
        QTest::newRow("narrower") << -600 << 0;
        QTest::newRow("lower") << 0 << -600;
    }

    void followsTheWindow()
    {
        QFETCH(int, dx);
        QFETCH(int, dy);
        Fixture f;
        f.w->resize(f.w->width() + Twips::toPx(1500, f.w.get()), f.w->height() + Twips::toPx(1500, f.w.get()));
        QCoreApplication::processEvents();
        const QRect before = f.view()->geometry();
        const QList<QRect> fixedBefore = fixedPlaces(*f.w);

        f.resizeBy(dx, dy);
        const QRect after = f.view()->geometry();
        QCOMPARE(after.topLeft(), before.topLeft());
        // One pixel of rounding between twips and pixels is allowed.
        QVERIFY2(qAbs(after.width() - before.width() - Twips::toPx(dx, f.w.get())) <= 1,
                 qPrintable(QStringLiteral("%1 -> %2").arg(before.width()).arg(after.width())));
        QVERIFY2(qAbs(after.height() - before.height() - Twips::toPx(dy, f.w.get())) <= 1,
                 qPrintable(QStringLiteral("%1 -> %2").arg(before.height()).arg(after.height())));
        QCOMPARE(fixedPlaces(*f.w), fixedBefore);
        // The status bar stays docked along the bottom edge across the full width.
        const QStatusBar *bar = f.w->statusBar();
        QCOMPARE(bar->geometry().bottom(), f.w->height() - 1);
        QCOMPARE(bar->width(), f.w->width());
    }

    void tooSmallForTheView_data()
    {
        QTest::addColumn<QSize>("size");   // pixels asked for; the window may insist on more
        QTest::newRow("tiny") << QSize(1, 1);
        QTest::newRow("low") << QSize(600, 40);
        QTest::newRow("narrow") << QSize(3, 500);
    }

    void tooSmallForTheView()
    {
        QFETCH(QSize, size);
        Fixture f;
        f.w->resize(size);
        QCoreApplication::processEvents();
        const QRect v = f.view()->geometry();
        QVERIFY(v.width() >= 0);
        QVERIFY(v.height() >= 0);
        QCOMPARE(v.width(), qMax(0, f.client()->width() - Twips::toPx(90, f.w.get())));
        QCOMPARE(v.height(), qMax(0, f.client()->height() - Twips::toPx(1230, f.w.get())));

        // And it comes back when the window grows again.
        f.w->resize(Twips::toPx(6000, f.w.get()), Twips::toPx(6000, f.w.get()));
        QCoreApplication::processEvents();
        QVERIFY(f.view()->height() > 0);
        QCOMPARE(f.view()->width(), f.client()->width() - Twips::toPx(90, f.w.get()));
    }
};

QTEST_MAIN(LayoutTest)
#include "tst_layout.moc"
