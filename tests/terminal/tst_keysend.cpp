#include "app/frmKX_Display.h"
#include "terminal/RichTextView.h"
#include "platform/SettingsStore.h"
#include "tests/support/ScriptedDialogs.h"
#include "tst_receive_rig.h"

#include <QAction>
#include <QSettings>
#include <QTest>

namespace {
// A port whose device refuses every write.
class RefusingPort : public FakeSerialComm
{
protected:
    void deviceWrite(const QByteArray &) override
    {
        throw CommError(QStringLiteral("Schreiben nicht möglich"));
    }
};
} // namespace

class tst_keysend : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void keyPress_data();
    void keyPress();
    void refusedWriteIsReported();
    void fullTransmitBufferIsReported();
    void typing_data();
    void typing();
};

void tst_keysend::init()
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope,
                QString::fromLatin1(SettingsStore::Organisation),
                frmKX_Display::Title + frmKX_Display::ProgramVersion);
    s.clear();
    s.sync();
    Module1::LocalEcho = false;
}

void tst_keysend::keyPress_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("echo");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<int>("codeAfter");
    QTest::addColumn<int>("caretAfter");   // -1: caret where it was (2)

    QTest::newRow("closed: nothing sent, view inserts") << false << false << int('a') << QByteArray() << int('a') << -1;
    QTest::newRow("closed with echo") << false << true << int('a') << QByteArray() << int('a') << -1;
    QTest::newRow("open, echo off: sent, caret to end, code 0") << true << false << int('a') << QByteArray("a") << 0 << 6;
    QTest::newRow("open, echo on: sent, code kept") << true << true << int('a') << QByteArray("a") << int('a') << -1;
    QTest::newRow("enter sends CR") << true << false << 13 << QByteArray("\r") << 0 << 6;
    QTest::newRow("backspace sends BS") << true << false << 8 << QByteArray("\b") << 0 << 6;
    QTest::newRow("escape sends ESC") << true << false << 27 << QByteArray("\x1b") << 0 << 6;
    QTest::newRow("ctrl-c sends ETX") << true << false << 3 << QByteArray("\x03") << 0 << 6;
    QTest::newRow("umlaut sends one byte") << true << false << 0xE4 << QByteArray("\xe4") << 0 << 6;
    QTest::newRow("code 255") << true << true << 255 << QByteArray("\xff") << 255 << -1;
    QTest::newRow("no character code sends nothing") << true << false << 0 << QByteArray() << 0 << -1;
    QTest::newRow("out of range sends nothing") << true << false << 0x1234 << QByteArray() << 0x1234 << -1;
}

void tst_keysend::keyPress()
{
    QFETCH(bool, open);
    QFETCH(bool, echo);
    QFETCH(int, code);
    QFETCH(QByteArray, sent);
    QFETCH(int, codeAfter);
    QFETCH(int, caretAfter);

    TerminalRig rig;
    Module1::LocalEcho = echo;
    if (!open)
        rig.port.setPortOpen(false);
    rig.view.setText(QStringLiteral("ab\r\ncd"));
    rig.view.setSelStart(2);
    int keyAscii = code;
    rig.engine.RichTextBox_KeyPress(keyAscii);
    QCOMPARE(rig.port.written, sent);
    QCOMPARE(keyAscii, codeAfter);
    QCOMPARE(rig.view.selStart(), caretAfter < 0 ? 2 : caretAfter);
    QCOMPARE(rig.view.text(), QStringLiteral("ab\r\ncd"));   // the engine never inserts
    QCOMPARE(rig.engine.line().RxLen(), qint16(0));          // nor buffers what is typed
    QCOMPARE(rig.reports, QStringList());
}

void tst_keysend::refusedWriteIsReported()
{
    RefusingPort port;
    RichTextModel view;
    IndicatorRowState row;
    TerminalEngine engine(port, view, row);
    QStringList reports;
    connect(&engine, &TerminalEngine::statusMessage, this, [&](const QString &t) { reports << t; });
    port.setPortOpen(true);
    int keyAscii = 'x';
    engine.RichTextBox_KeyPress(keyAscii);   // must not throw
    QCOMPARE(reports, QStringList{QStringLiteral("Error: Schreiben nicht möglich")});
    QCOMPARE(keyAscii, 0);
}

void tst_keysend::fullTransmitBufferIsReported()
{
    TerminalRig rig;
    rig.port.drains = false;
    rig.port.setOutBufferSize(2);
    for (char c : QByteArray("abc")) {
        int keyAscii = c;
        rig.engine.RichTextBox_KeyPress(keyAscii);
    }
    QCOMPARE(rig.port.written, QByteArray("ab"));
    QCOMPARE(rig.reports, QStringList{QStringLiteral("Error: Sendepuffer voll, Zeichen nicht gesendet")});
}

void tst_keysend::typing_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("echo");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("shown");

    QTest::newRow("closed: a plain text box") << false << false << QByteArray() << "ab\r\nc";
    QTest::newRow("open, echo off: only sent") << true << false << QByteArray("ab\rx\bc") << "";
    QTest::newRow("open, echo on: sent and shown") << true << true << QByteArray("ab\rx\bc") << "ab\r\nc";
}

void tst_keysend::typing()
{
    QFETCH(bool, open);
    QFETCH(bool, echo);
    QFETCH(QByteArray, sent);
    QFETCH(QString, shown);

    FakeSerialComm port;
    ScriptedDialogs dialogs;
    frmKX_Display w(frmKX_Display::Services{&port, nullptr, &dialogs, nullptr});
    w.show();
    Module1::LocalEcho = echo;
    if (open)
        w.findChild<QAction *>(QStringLiteral("mnuOpen"))->trigger();
    QCOMPARE(port.portOpen(), open);

    RichTextView *view = w.findChild<RichTextView *>(QStringLiteral("RichTextBox"));
    QVERIFY(view);
    view->setFocus();
    QTest::keyClick(view, Qt::Key_A);
    QTest::keyClick(view, Qt::Key_B);
    QTest::keyClick(view, Qt::Key_Return);
    if (open) {   // with the port closed the view's backspace is its own business
        QTest::keyClick(view, Qt::Key_X);
        QTest::keyClick(view, Qt::Key_Backspace);
    }
    QTest::keyClick(view, Qt::Key_C);
    QTest::keyClick(view, Qt::Key_Left);    // no character: nothing to send
    QTest::keyClick(view, Qt::Key_F5);
    QCOMPARE(port.written, sent);
    QCOMPARE(view->model().text(), shown);
    QCOMPARE(dialogs.messageCount(), 0);
}

QTEST_MAIN(tst_keysend)
#include "tst_keysend.moc"
