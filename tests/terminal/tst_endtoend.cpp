#include "app/Module1.h"
#include "app/frmKX_Display.h"
#include "platform/ColorLabel.h"
#include "terminal/RichTextView.h"
#include "serial/SerialComm.h"
#include "platform/SettingsStore.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScriptedDialogs.h"

#include <QAction>
#include <QKeyEvent>
#include <QSettings>
#include <QTest>

// The main window with the real serial component on a pseudo-terminal: the test
// plays the controller on the master side.
class tst_endtoend : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void menuDiagnosisAndKeys();

private:
    static QString title() { return frmKX_Display::Title + frmKX_Display::ProgramVersion; }
};

void tst_endtoend::initTestCase()
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope,
                QString::fromLatin1(SettingsStore::Organisation), title());
    s.clear();
    s.sync();
}

void tst_endtoend::menuDiagnosisAndKeys()
{
    PtyPair pty;
    if (!pty.isOpen())
        QSKIP(qPrintable(pty.errorString()));

    SettingsStore store;
    QVERIFY(store.saveSetting(title(), QStringLiteral("Anschlüsse"), QStringLiteral("Com1"),
                              pty.slavePath()));
    ScriptedDialogs dialogs;
    frmKX_Display w(frmKX_Display::Services{nullptr, &store, &dialogs, nullptr});
    w.show();
    Module1::LocalEcho = false;

    w.findChild<QAction *>(QStringLiteral("mnuKestrix"))->trigger();
    w.findChild<QAction *>(QStringLiteral("mnuOpen"))->trigger();
    QCOMPARE(dialogs.messageCount(), 0);
    QVERIFY(w.MSComm1().portOpen());

    RichTextView *view = w.findChild<RichTextView *>(QStringLiteral("RichTextBox"));
    QVERIFY(view);
    const RichTextModel &model = view->model();

    // A menu: blue title, red cursor.
    const QByteArray menu = "KONFIGURATIONSMENUE \r\n> DIAGNOSE\r\n  AKKU\r\n";
    QVERIFY(pty.writeMaster(menu));
    QTRY_VERIFY_WITH_TIMEOUT(model.text().endsWith(QStringLiteral("  AKKU\r\n")), 5000);
    QCOMPARE(model.text(), QString::fromLatin1(menu));
    QCOMPARE(model.colorAt(0), 0xFF0000u);
    QCOMPARE(model.colorAt(19), 0xFF0000u);
    QCOMPARE(model.colorAt(20), 0u);
    const int cursor = model.text().indexOf(u'>');
    QCOMPARE(model.colorAt(cursor), 0x0000FFu);
    QCOMPARE(model.colorAt(cursor + 2), 0u);

    // The diagnosis page, roll selected, a reading in column 6.
    QVERIFY(pty.writeMaster("KONFIGURATIONSMENUE > DIAGNOSE\r\n"
                            "  Gyro Test (verlassen mit Roll links!)\r\n"
                            "> Roll\r\n"
                            "     *\r\n"));
    auto *check = w.findChild<ColorLabel *>(QStringLiteral("lbl_Check"));
    auto *cell5 = w.findChild<ColorLabel *>(QStringLiteral("lbl_G1_5"));
    auto *cell6 = w.findChild<ColorLabel *>(QStringLiteral("lbl_G1_6"));
    QVERIFY(check && cell5 && cell6);
    QTRY_COMPARE_WITH_TIMEOUT(cell5->backColor(), 0x0000FFu, 5000);
    QCOMPARE(cell6->backColor(), 0xFFC0C0u);
    QCOMPARE(check->text(), QStringLiteral("Roll Gyro"));
    QCOMPARE(check->foreColor(), 0x0000FFu);
    QVERIFY(model.text().contains(QStringLiteral("(verlassen mit Roll links!)\r\n\r\n> Roll")));

    // Typed keys reach the controller as bytes, and show only when it answers.
    const int before = model.length();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_2);
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClick(view, Qt::Key_Escape);
    QTest::keyClick(view, Qt::Key_Up);
    QKeyEvent umlaut(QEvent::KeyPress, Qt::Key_Adiaeresis, Qt::NoModifier, QStringLiteral("ä"));
    QCoreApplication::sendEvent(view, &umlaut);
    QCOMPARE(pty.readMaster(5000, 4), QByteArray("2\r\x1b\xe4"));
    QCOMPARE(model.length(), before);

    w.findChild<QAction *>(QStringLiteral("mnuClose"))->trigger();
    QVERIFY(!w.MSComm1().portOpen());
    QCOMPARE(dialogs.messageCount(), 0);
}

QTEST_MAIN(tst_endtoend)
#include "tst_endtoend.moc"
