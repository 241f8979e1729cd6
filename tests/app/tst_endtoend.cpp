// The main window with the real serial component on a pseudo-terminal named in the
// settings store, as a user's adapter would be: the test plays the controller.
#include "terminal/RichTextView.h"
#include "tests/support/core/PtyPair.h"
#include "tests/support/ui/MainWindowFixture.h"

#include <QKeyEvent>
#include <QTest>

class EndToEndTest : public QObject
{
    Q_OBJECT

private slots:
    void menuDiagnosisAndKeys()
    {
        PtyPair pty;
        if (!pty.isOpen())
            QSKIP(qPrintable(pty.errorString()));
        MemoryStore store;
        StoredSettings(store, ProgramInfo::title()).setDevice(1, pty.slavePath());
        ScriptedDialogs dialogs;
        frmKX_Display w(frmKX_Display::Services{nullptr, &store, &dialogs, nullptr});
        w.show();
        w.findChild<QAction *>(QStringLiteral("mnuKestrix"))->trigger();
        w.findChild<QAction *>(QStringLiteral("mnuOpen"))->trigger();
        QCOMPARE(dialogs.messages(), QStringList());
        auto *view = w.findChild<RichTextView *>(QStringLiteral("RichTextBox"));
        const RichTextModel &model = view->model();

        // A menu: blue title, red cursor.
        const QByteArray menu = "KONFIGURATIONSMENUE \r\n> DIAGNOSE\r\n  AKKU\r\n";
        QVERIFY(pty.writeMaster(menu));
        QTRY_COMPARE(model.text(), QString::fromLatin1(menu));
        QCOMPARE(model.colorAt(19), 0xFF0000u);
        QCOMPARE(model.colorAt(22), 0x0000FFu);
        QCOMPARE(model.colorAt(24), 0u);

        // The diagnosis page, roll selected, a reading in column 6.
        QVERIFY(pty.writeMaster("KONFIGURATIONSMENUE > DIAGNOSE\r\n> Roll\r\n     *\r\n"));
        auto *cell5 = w.findChild<ColorLabel *>(QStringLiteral("lbl_G1_5"));
        QTRY_COMPARE(cell5->backColor(), 0x0000FFu);
        QCOMPARE(w.findChild<ColorLabel *>(QStringLiteral("lbl_G1_6"))->backColor(), 0xFFC0C0u);
        QCOMPARE(w.findChild<ColorLabel *>(QStringLiteral("lbl_Check"))->text(), QStringLiteral("Roll Gyro"));

        // Typed keys reach the controller as bytes and show only when it answers.
        const int before = model.length();
        view->setFocus();
        QTest::keyClick(view, Qt::Key_2);
        QTest::keyClick(view, Qt::Key_Return);
        QTest::keyClick(view, Qt::Key_Up);
        QKeyEvent umlaut(QEvent::KeyPress, Qt::Key_Adiaeresis, Qt::NoModifier, QStringLiteral("ä"));
        QCoreApplication::sendEvent(view, &umlaut);
        QCOMPARE(pty.readMaster(5000, 3), QByteArray("2\r\xe4"));
        QCOMPARE(model.length(), before);

        w.findChild<QAction *>(QStringLiteral("mnuClose"))->trigger();
        QCOMPARE(dialogs.messages(), QStringList());
        QVERIFY(w.findChild<QAction *>(QStringLiteral("mnuOpen"))->isEnabled());
    }
};

QTEST_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
