// The window "Verlauf": the terminal's history read back while more arrives,
// looked through, copied and saved, and as screen readers reach it.
#include "platform/Fonts.h"
#include "terminal/History.h"
#include "terminal/views/HistoryView.h"
#include "terminal/views/HistoryWindow.h"
#include "terminal/views/ViewAccessibility.h"
#include "tests/support/core/Files.h"
#include "tests/support/core/ScriptedDialogs.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
// A history fed as the terminal feeds it, through its text, shown in its window.
struct HistoryRig
{
    History history;
    RichTextModel text;
    ScriptedDialogs dialogs;
    HistoryWindow window{history, dialogs, Fonts::fixedsys(), 0xFFC0C0, nullptr};
    HistoryView *view = window.findChild<HistoryView *>(QStringLiteral("txtVerlauf"));
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(view);
    QAccessibleTextInterface *a11y = accessible->textInterface();

    HistoryRig() { text.setLineSink(&history); }
    ~HistoryRig() { text.setLineSink(nullptr); }
    bool open()
    {
        window.resize(500, 300);
        window.open();
        return QTest::qWaitForWindowExposed(&window);
    }
    // Lines "Zeile from" to "Zeile to - 1" end in the terminal; with red, the
    // first character of each is red.
    void arrive(int from, int to, bool red = false)
    {
        text.setSelStart(text.length());
        for (int i = from; i < to; ++i) {
            text.setSelColor(red ? 0x0000FF : 0);
            text.setSelText(u"Z");
            text.setSelColor(0);
            text.setSelText(QStringLiteral("eile %1\r\n").arg(i));
        }
        text.keep(text.length(), 0);
    }
    // The next frame that shows lines that came or went.
    bool frame() { return QSignalSpy(view, &HistoryView::linesChanged).wait(1000); }
    // The line shown at a height of the view, as screen readers find it.
    QString lineAt(int y) const
    {
        int start = 0, end = 0;
        return a11y->textAtOffset(a11y->offsetAtPoint(view->viewport()->mapToGlobal(QPoint(1, y))),
                                  QAccessible::LineBoundary, &start, &end);
    }
    QString top() const { return lineAt(1); }
    QString bottom() const { return lineAt(view->viewport()->height() - 1); }
    template <typename T>
    T *find(const char *name) const { return window.findChild<T *>(QLatin1StringView(name)); }
};
} // namespace

class HistoryTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ViewAccessibility::install(); }
    // It follows new lines only while at the end. Scrolled up, it stays on its
    // lines while more arrive and the oldest fall out, and says how many wait
    // below; a selection stays on its text. Hidden, it draws nothing.
    void readingBack()
    {
        HistoryRig rig;
        rig.arrive(0, History::MaxLines);
        QVERIFY(rig.open());
        QCOMPARE(rig.bottom(), QStringLiteral("Zeile 99999"));
        QScrollBar *bar = rig.view->verticalScrollBar();
        bar->setValue(bar->value() - 50);
        const QString read = rig.top();
        for (const auto [from, to] : {std::pair{0, 100}, std::pair{100, 150}}) {
            rig.arrive(History::MaxLines + from, History::MaxLines + to);
            QVERIFY(rig.frame());
            QCOMPARE(rig.top(), read);
        }
        QCOMPARE(rig.history.first(), 150);
        bar->setValue(bar->value() - 1);   // one line up, whether the bar has caught up or not
        QCOMPARE(rig.top(), QStringLiteral("Zeile %1").arg(read.mid(6).toInt() - 1));
        auto *below = rig.find<QPushButton>("cmdNeueZeilen");
        QVERIFY(below->isVisible());
        QCOMPARE(below->text(), QStringLiteral("▼ 150 neue Zeilen"));
        below->click();
        QCOMPARE(rig.bottom(), QStringLiteral("Zeile 100149"));
        QVERIFY(!below->isVisible());

        const QFontMetrics fm(rig.view->font());
        QTest::mousePress(rig.view->viewport(), Qt::LeftButton, {}, QPoint(1, 2));
        QTest::mouseMove(rig.view->viewport(), QPoint(9 * fm.horizontalAdvance(u'M') + 1, 2));
        QTest::mouseRelease(rig.view->viewport(), Qt::LeftButton, {}, QPoint(9 * fm.horizontalAdvance(u'M') + 1, 2));
        const auto selected = [&] {
            int start = 0, end = 0;
            rig.a11y->selection(0, &start, &end);
            return rig.a11y->text(start, end);
        };
        const QString made = selected();
        QCOMPARE(made, rig.top().left(9));
        rig.arrive(0, 30);
        QVERIFY(rig.frame());
        QCOMPARE(selected(), made);
        QTest::keyClick(rig.view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), made);

        rig.window.close();
        rig.arrive(0, 5);
        QVERIFY(!rig.frame());
        rig.window.open();
        QVERIFY(rig.frame());
    }

    // Ctrl+F: all matches counted, case-insensitive unless asked; Enter and F3 go
    // to the next, Shift+F3 to the one before; the count follows arriving lines.
    void find()
    {
        HistoryRig rig;
        rig.text.setSelText(QStringLiteral("> Roll\r\nNick\r\nROLL\r\nroll links\r\n"));
        QVERIFY(rig.open());
        QTest::keyClick(rig.view, Qt::Key_F, Qt::ControlModifier);
        auto *text = rig.find<QLineEdit>("txtSuchen");
        auto *count = rig.find<QLabel>("lblTreffer");
        QVERIFY(text->isVisible() && text->hasFocus());
        QTest::keyClicks(text, QStringLiteral("roll"));
        QCOMPARE(count->text(), QStringLiteral("3 Treffer"));
        const auto caretLine = [&] {
            int start = 0, end = 0;
            const QString line = rig.a11y->textAtOffset(rig.a11y->cursorPosition(), QAccessible::LineBoundary, &start, &end);
            return line + QStringLiteral(" @%1").arg(rig.a11y->cursorPosition() - start);
        };
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(caretLine(), QStringLiteral("> Roll @2"));
        const auto back = [v = rig.view->viewport(), &rig](int at) {   // a character's background as drawn
            return v->grab().toImage().pixel(v->mapFromGlobal(rig.a11y->characterRect(at).topLeft())); };
        QTRY_VERIFY(back(2) != back(12) && back(12) != back(7));   // the current match, another, none
        QTest::keyClick(text, Qt::Key_F3);
        QCOMPARE(caretLine(), QStringLiteral("ROLL @0"));
        QTest::keyClick(text, Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(caretLine(), QStringLiteral("> Roll @2"));
        rig.find<QCheckBox>("chkGrossKlein")->click();
        QCOMPARE(count->text(), QStringLiteral("1 Treffer"));
        QTest::keyClick(text, Qt::Key_F3);
        QCOMPARE(caretLine(), QStringLiteral("roll links @0"));
        rig.text.setSelText(QStringLiteral("roll\r\n"));
        QTRY_COMPARE(count->text(), QStringLiteral("2 Treffer"));
        QTest::keyClick(text, Qt::Key_Escape);
        QVERIFY(!rig.find<QWidget>("fraSuchen")->isVisible());
    }

    // "Alles kopieren" copies every line; "Speichern…" writes text or HTML in the
    // colours as the file type chosen says, or says why it could not.
    void copyAndSave_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("written");   // the file written, and how it begins
        QTest::newRow("text") << "verlauf" << 0 << "verlauf.txt:Zeile 0\n";
        QTest::newRow("HTML") << "verlauf" << 1 << "verlauf.html:<!DOCTYPE html>";
        QTest::newRow("HTML named so") << "v.htm" << 1 << "v.htm:<!DOCTYPE html>";
        QTest::newRow("nowhere") << "no/such/folder/v" << 0 << "";
    }
    void copyAndSave()
    {
        QFETCH(QString, name);
        HistoryRig rig;
        rig.arrive(0, 2, true);
        QVERIFY(rig.open());
        QTimer::singleShot(0, [] {
            QApplication::activePopupWidget()->findChild<QAction *>(QStringLiteral("mnuCopyAll"))->trigger();
            QApplication::activePopupWidget()->close();
        });
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), rig.view->viewport()->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(rig.view->viewport(), &menu);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Zeile 0\nZeile 1"));

        QTemporaryDir dir;
        rig.dialogs.files << dir.filePath(name);
        QFETCH(int, type);
        rig.dialogs.fileTypes << type;
        rig.find<QAction>("mnuSpeichern")->trigger();
        QFETCH(QString, written);
        QCOMPARE(rig.dialogs.offeredTypes.size(), 2);
        if (written.isEmpty()) {
            QCOMPARE(rig.dialogs.messages().size(), 1);
            QVERIFY(rig.dialogs.messages().constFirst().startsWith(QStringLiteral("! Der Verlauf kann nicht nach \"")));
            return;
        }
        const QByteArray content = readAll(dir.filePath(written.section(u':', 0, 0)));
        QVERIFY(content.startsWith(written.section(u':', 1).toUtf8()));
        QCOMPARE(content.contains("<span style=\"color:#ff0000\">Z</span>"), type == 1);
        QCOMPARE(rig.dialogs.messages(), QStringList());
    }

    // What screen readers are told: role, name, text, caret, colours.
    void accessible()
    {
        HistoryRig rig;
        rig.arrive(0, 3, true);
        QVERIFY(rig.open());
        QCOMPARE(rig.accessible->role(), QAccessible::EditableText);
        QCOMPARE(rig.accessible->text(QAccessible::Name), QStringLiteral("Verlauf"));
        QVERIFY(rig.accessible->state().readOnly);
        QCOMPARE(rig.a11y->text(0, rig.a11y->characterCount()), QStringLiteral("Zeile 0\nZeile 1\nZeile 2"));
        int start = 0, end = 0;
        QCOMPARE(rig.a11y->attributes(8, &start, &end), QStringLiteral("background-color:rgb(192,192,255);color:rgb(255,0,0);"));
        QCOMPARE(QPoint(start, end), QPoint(8, 9));
        QCOMPARE(rig.a11y->attributes(10, &start, &end), QStringLiteral("background-color:rgb(192,192,255);color:rgb(0,0,0);"));
        QCOMPARE(QPoint(start, end), QPoint(9, 16));
        QTest::mouseClick(rig.view->viewport(), Qt::LeftButton, {}, rig.view->viewport()->mapFromGlobal(rig.a11y->characterRect(11).center()));
        QCOMPARE(rig.a11y->cursorPosition(), 11);
    }
};

QTEST_MAIN(HistoryTest)
#include "tst_history.moc"
