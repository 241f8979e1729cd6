#include "app/frmKX_Display.h"
#include "platform/ColorLabel.h"
#include "terminal/RichTextView.h"
#include "platform/Twips.h"
#include "terminal/frmGyro_Diag.h"
#include "terminal/frmGyro_Scale.h"
#include "tests/support/MainWindowFixture.h"

#include <QAction>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QTest>

#include <memory>

// The development menu's gyro windows, chosen through their menu items on a real
// main window.
class GyroWindowsTest : public QObject
{
    Q_OBJECT

    struct Fixture : MainWindowFixture
    {
        Fixture()
        {
            start();
            window->show();
            // Let the main window settle at its shown size first: the gyro windows
            // take their place from it.
            QCoreApplication::processEvents();
        }
        void choose(const char *name)
        {
            action(name)->trigger();
            QCoreApplication::processEvents();
        }
        template <typename W> QList<W *> windows() const { return window->findChildren<W *>(); }
        template <typename W> W *only() const
        {
            const auto all = windows<W>();
            return all.size() == 1 ? all.first() : nullptr;
        }
        // Where a gyro window belongs: under the main window's left edge, its top
        // at the main window's inner width plus the offset (twips).
        QPoint dockedAt(const QWidget *w, int topOffset) const
        {
            return QPoint(window->frameGeometry().x(),
                          Twips::toPx(Twips::fromPx(window->width(), window.get()) + topOffset, w));
        }
    };

    static void deleteClosed() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

private slots:
    void oneWindowPerCommand_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("choices");
        for (const char *c : {"mnuGyro_Diagnose", "mnuGyro_Scale"})
            for (int n : {1, 2, 3})
                QTest::addRow("%s chosen %d times", c, n) << QString::fromLatin1(c) << n;
    }
    void oneWindowPerCommand()
    {
        QFETCH(QString, command);
        QFETCH(int, choices);
        Fixture f;
        for (int i = 0; i < choices; ++i)
            f.choose(qPrintable(command));

        const bool diag = command == QStringLiteral("mnuGyro_Diagnose");
        QCOMPARE(f.windows<frmGyro_Diag>().size(), diag ? 1 : 0);
        QCOMPARE(f.windows<frmGyro_Scale>().size(), diag ? 0 : 1);
        QWidget *w = diag ? static_cast<QWidget *>(f.only<frmGyro_Diag>())
                          : static_cast<QWidget *>(f.only<frmGyro_Scale>());
        QVERIFY(w);
        QVERIFY(w->isWindow());
        QVERIFY(w->isVisible());
        QVERIFY(!w->isModal());
        QCOMPARE(w->windowTitle(), diag ? QStringLiteral("Gyro-Sensor - Diagnose")
                                        : QStringLiteral("Gyro Display"));
    }

    void closedWindowComesBackFresh()
    {
        Fixture f;
        f.choose("mnuGyro_Scale");
        frmGyro_Scale *first = f.only<frmGyro_Scale>();
        QVERIFY(first);
        first->richTextGyro()->model().setText(QStringLiteral("Roll 12"));

        // Chosen again while open: the same window with what it shows.
        f.choose("mnuGyro_Scale");
        QCOMPARE(f.only<frmGyro_Scale>(), first);
        QCOMPARE(first->richTextGyro()->model().text(), QStringLiteral("Roll 12"));

        // Closed and chosen again: one new window, loaded afresh.
        first->close();
        deleteClosed();
        QCOMPARE(f.windows<frmGyro_Scale>().size(), 0);
        f.choose("mnuGyro_Scale");
        QCOMPARE(f.windows<frmGyro_Scale>().size(), 1);
        QVERIFY(f.only<frmGyro_Scale>()->isVisible());
        QVERIFY(f.only<frmGyro_Scale>()->richTextGyro()->model().text().isEmpty());
    }

    void diagnosisDecorations()
    {
        Fixture f;
        f.choose("mnuGyro_Diagnose");
        frmGyro_Diag *w = f.only<frmGyro_Diag>();
        QVERIFY(w);
        for (int i = 1; i <= 5; ++i)
            QVERIFY2(w->findChild<QFrame *>(QStringLiteral("Line%1").arg(i)), qPrintable(QString::number(i)));
        const struct { const char *name, *caption; } labels[] = {
            {"lbl_Max", "Max"}, {"lbl_Hub", "Hub"}, {"lbl_Min", "Min"}, {"lbl_Gyro_Achse", "Gyro Achse"}};
        for (const auto &l : labels) {
            auto *label = w->findChild<QLabel *>(QLatin1StringView(l.name));
            QVERIFY2(label, l.name);
            QCOMPARE(label->text(), QLatin1StringView(l.caption));
        }
        auto *rx = w->findChild<ColorLabel *>(QStringLiteral("lbl_RxString"));
        QVERIFY(rx);
        QCOMPARE(rx->backColor(), 0xFFC0C0u);
        const QString family = rx->font().family();
        QVERIFY2(family == QStringLiteral("Fixedsys")
                     || family == QFontDatabase::systemFont(QFontDatabase::FixedFont).family(),
                 qPrintable(family));
    }

    void diagnosisSnapsBack_data()
    {
        QTest::addColumn<QSize>("userSize");   // pixels
        QTest::addColumn<QPoint>("mainAt");
        QTest::newRow("smaller") << QSize(60, 40) << QPoint(20, 10);
        QTest::newRow("larger") << QSize(900, 700) << QPoint(20, 10);
        QTest::newRow("only wider") << QSize(500, 211) << QPoint(0, 0);
        QTest::newRow("main window moved") << QSize(120, 300) << QPoint(73, 41);
    }
    void diagnosisSnapsBack()
    {
        QFETCH(QSize, userSize);
        QFETCH(QPoint, mainAt);
        Fixture f;
        f.window->move(mainAt);
        f.choose("mnuGyro_Diagnose");
        frmGyro_Diag *w = f.only<frmGyro_Diag>();
        QVERIFY(w);
        const QSize designed(Twips::toPx(frmGyro_Diag::FormWidth, w), Twips::toPx(frmGyro_Diag::FormHeight, w));
        // Placed when first shown.
        QCOMPARE(w->frameGeometry().topLeft(), f.dockedAt(w, frmGyro_Diag::TopBelowMain));
        QCOMPARE(w->frameGeometry().size(), designed);

        w->move(5, 5);
        w->resize(userSize);
        QCoreApplication::processEvents();
        QCOMPARE(w->frameGeometry().size(), designed);
        QCOMPARE(w->frameGeometry().topLeft(), f.dockedAt(w, frmGyro_Diag::TopBelowMain));
    }

    void movingAloneDoesNotSnapBack()
    {
        Fixture f;
        f.choose("mnuGyro_Diagnose");
        frmGyro_Diag *w = f.only<frmGyro_Diag>();
        QVERIFY(w);
        const QPoint elsewhere = f.dockedAt(w, frmGyro_Diag::TopBelowMain) + QPoint(37, -23);
        w->move(elsewhere);
        QCoreApplication::processEvents();
        QCOMPARE(w->frameGeometry().topLeft(), elsewhere);
    }

    void displayWindowAfterLoad()
    {
        Fixture f;
        f.choose("mnuGyro_Scale");
        frmGyro_Scale *w = f.only<frmGyro_Scale>();
        QVERIFY(w);
        auto *view = w->findChild<RichTextView *>(QStringLiteral("RichText_Gyro"));
        QVERIFY(view);
        QCOMPARE(view->backColor(), 0xC0FFC0u);
        QVERIFY(view->model().text().isEmpty());
        QCOMPARE(view->model().selColor(), 0x0000FFu);
        QCOMPARE(view->model().selStart(), 0);

        // Its own check label, not the main window's.
        auto *check = w->findChild<ColorLabel *>(QStringLiteral("lbl_Check"));
        QVERIFY(check);
        QCOMPARE(check->backColor(), 0xFFC0C0u);
        QCOMPARE(check->window(), static_cast<QWidget *>(w));
        QVERIFY(f.window->centralWidget()->findChild<ColorLabel *>(QStringLiteral("lbl_Check")) != check);

        // What the view receives next is written red.
        view->model().setSelText(QStringLiteral("x"));
        QCOMPARE(view->model().colorAt(0), 0x0000FFu);
    }

    void displayWindowKeepsUserSize_data()
    {
        QTest::addColumn<QSize>("userSize");
        QTest::addColumn<QPoint>("mainAt");
        QTest::newRow("smaller") << QSize(200, 150) << QPoint(20, 10);
        QTest::newRow("larger") << QSize(700, 500) << QPoint(20, 10);
        QTest::newRow("main window moved") << QSize(300, 260) << QPoint(90, 0);
    }
    void displayWindowKeepsUserSize()
    {
        QFETCH(QSize, userSize);
        QFETCH(QPoint, mainAt);
        Fixture f;
        f.window->move(mainAt);
        f.choose("mnuGyro_Scale");
        frmGyro_Scale *w = f.only<frmGyro_Scale>();
        QVERIFY(w);
        QCOMPARE(w->frameGeometry().topLeft(), f.dockedAt(w, frmGyro_Scale::TopBelowMain));

        w->move(5, 5);
        w->resize(userSize);
        QCoreApplication::processEvents();
        QCOMPARE(w->size(), userSize);
        QCOMPARE(w->frameGeometry().topLeft(), f.dockedAt(w, frmGyro_Scale::TopBelowMain));
    }
};

QTEST_MAIN(GyroWindowsTest)
#include "tst_gyrowindows.moc"
