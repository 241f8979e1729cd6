#include "about/frmAbout.h"
#include "app/Module1.h"
#include "app/frmKX_Display.h"
#include "platform/SettingsStore.h"
#include "platform/Twips.h"
#include "tests/settings/ModalDriver.h"
#include "tests/support/FakeSerialComm.h"
#include "tests/support/ScriptedDialogs.h"

#include <QApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <memory>

// The About box: made hidden by start-up, shown modally by "&Info", gone after
// closing and made afresh with the then current title.
class AboutTest : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        FakeSerialComm port;
        SettingsStore store;
        ScriptedDialogs dialogs;
        std::unique_ptr<frmKX_Display> window;

        Fixture()
        {
            // What the program is called before start-up sets the full title.
            QCoreApplication::setApplicationName(QStringLiteral("KX_Display"));
            window = std::make_unique<frmKX_Display>(
                frmKX_Display::Services{&port, &store, &dialogs, nullptr});
        }
    };

    struct Seen
    {
        bool modal = false;
        QString caption;
        QString datum;
        QString version;
    };

    // Runs "&Info", records what the box shows while it is up and closes it.
    static Seen info(frmKX_Display &w, bool byCloseButton)
    {
        Seen seen;
        onModal([&](QWidget *m) {
            auto *box = qobject_cast<frmAbout *>(m);
            if (!box)
                return;
            seen.modal = box->isModal() && QApplication::activeModalWidget() == box && box->isVisible();
            seen.caption = box->windowTitle();
            seen.datum = box->findChild<QLabel *>(QStringLiteral("lblDatum"))->text();
            seen.version = box->findChild<QLabel *>(QStringLiteral("lblVersion"))->text();
            if (byCloseButton)
                box->close();
            else
                box->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
        });
        w.mnuInfo_Click();
        return seen;
    }

private slots:
    void init()
    {
        Module1::EmulationMode.clear();
        Module1::LocalEcho = false;
    }

    void madeHiddenAtStartUp()
    {
        Fixture f;
        auto *box = f.window->findChild<frmAbout *>();
        QVERIFY(box);
        QVERIFY(!box->isVisible());
        QCOMPARE(box->windowTitle(), QStringLiteral("Info zu KX_Display"));
        QCOMPARE(box->lblDatum->text(), QStringLiteral("Stand: 26.12.09"));
        QCOMPARE(box->lblVersion->text(), QStringLiteral("Version: 1.1.2"));
    }

    void openings_data()
    {
        QTest::addColumn<int>("openings");
        QTest::addColumn<bool>("byCloseButton");
        QTest::addColumn<QString>("caption");
        QTest::newRow("first, OK") << 1 << false << "Info zu KX_Display";
        QTest::newRow("first, close button") << 1 << true << "Info zu KX_Display";
        QTest::newRow("second, OK") << 2 << false << "Info zu Kestrix II/LT - Display  V 1.1.2";
        QTest::newRow("third, close button") << 3 << true << "Info zu Kestrix II/LT - Display  V 1.1.2";
    }

    void openings()
    {
        QFETCH(int, openings);
        QFETCH(bool, byCloseButton);
        Fixture f;
        Seen seen;
        for (int i = 0; i < openings; ++i) {
            seen = info(*f.window, byCloseButton);
            // Closing destroys the box, whichever way it was closed.
            QVERIFY(!f.window->findChild<frmAbout *>());
        }
        QVERIFY(seen.modal);
        QTEST(seen.caption, "caption");
        // The same texts every time, never the design placeholders.
        QCOMPARE(seen.datum, QStringLiteral("Stand: 26.12.09"));
        QCOMPARE(seen.version, QStringLiteral("Version: 1.1.2"));
        QVERIFY(!seen.datum.startsWith(QStringLiteral("Stand :")));
        QVERIFY(!seen.version.startsWith(QStringLiteral("Version :")));
    }

    void texts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");   // "" where the wording is ours: only non-empty is checked
        QTest::addColumn<QRect>("twips");    // height 0: not checked
        QTest::addColumn<bool>("bold");

        QTest::newRow("lblDescription") << "lblDescription" << "Display  für die Kestrix II / LT  ab  V 1.00"
                                        << QRect(240, 120, 5085, 0) << true;
        QTest::newRow("lbl_Zusatz") << "lbl_Zusatz" << "" << QRect(1080, 480, 3615, 0) << false;
        QTest::newRow("lbl_1") << "lbl_1" << "Hinweis : Sie benutzen die Software auf eigene Gefahr."
                               << QRect(240, 960, 5055, 0) << false;
        QTest::newRow("lbl_2") << "lbl_2"
                               << "Es wird keine Haftung für Schäden übernommen, die angeblich durch die"
                               << QRect(240, 1200, 5055, 0) << false;
        QTest::newRow("lbl_3") << "lbl_3" << "die Benutzung der Software entstanden sein sollen."
                               << QRect(240, 1440, 5055, 0) << false;
        QTest::newRow("lblDatum") << "lblDatum" << "Stand: 26.12.09" << QRect(840, 1800, 1695, 0) << true;
        QTest::newRow("lblVersion") << "lblVersion" << "Version: 1.1.2" << QRect(3000, 1800, 1335, 0) << true;
        QTest::newRow("lblCopyright") << "lblCopyright" << "" << QRect(320, 2280, 4980, 0) << false;
        QTest::newRow("lblDisclaimer") << "lblDisclaimer" << "" << QRect(320, 2640, 3735, 0) << false;
        QTest::newRow("lbl_Homepage") << "lbl_Homepage" << "" << QRect(315, 3000, 2535, 0) << false;
        QTest::newRow("cmdOK") << "cmdOK" << "OK" << QRect(4680, 2880, 660, 345) << false;
    }

    void texts()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QRect, twips);
        QFETCH(bool, bold);

        Fixture f;
        auto *box = f.window->findChild<frmAbout *>();
        QVERIFY(box);
        QWidget *w = box->findChild<QWidget *>(name);
        QVERIFY(w);
        QString shown;
        if (auto *l = qobject_cast<QLabel *>(w))
            shown = l->text();
        else if (auto *b = qobject_cast<QPushButton *>(w))
            shown = b->text();
        if (text.isEmpty())
            QVERIFY2(!shown.trimmed().isEmpty(), qPrintable(name));
        else
            QCOMPARE(shown, text);
        QCOMPARE(w->font().bold(), bold);
        // Whatever font the system offers, no line is cut off.
        QVERIFY2(QFontMetrics(w->font()).horizontalAdvance(shown) <= w->width(), qPrintable(name));
        QCOMPARE(w->x(), Twips::toPx(twips.x(), box));
        QCOMPARE(w->y(), Twips::toPx(twips.y(), box));
        QCOMPARE(w->width(), Twips::toPx(twips.width(), box));
        if (twips.height() > 0)
            QCOMPARE(w->height(), Twips::toPx(twips.height(), box));
    }

    void boxShape()
    {
        Fixture f;
        auto *box = f.window->findChild<frmAbout *>();
        QVERIFY(box);
        QCOMPARE(box->size(), QSize(Twips::toPx(5535, box), Twips::toPx(3360, box)));
        auto *line = box->findChild<QFrame *>(QStringLiteral("Line1"));
        QVERIFY(line);
        QCOMPARE(line->frameShape(), QFrame::HLine);
        QCOMPARE(line->x(), Twips::toPx(120, box));
        QCOMPARE(line->width(), Twips::toPx(5400 - 120, box));
        QCOMPARE(line->palette().color(QPalette::WindowText), QColor(0x80, 0x80, 0x80));
        // The rights notice names a year and carries the copyright sign.
        const QString rights = box->findChild<QLabel *>(QStringLiteral("lblCopyright"))->text();
        QVERIFY(rights.contains(QStringLiteral("©")));
        QVERIFY(rights.contains(QStringLiteral("2009")));
    }

    // Closing the main window takes the hidden box with it.
    void goesWithTheMainWindow()
    {
        QPointer<frmAbout> box;
        {
            Fixture f;
            box = f.window->findChild<frmAbout *>();
            QVERIFY(box);
        }
        QVERIFY(box.isNull());
    }
};

QTEST_MAIN(AboutTest)
#include "tst_about.moc"
