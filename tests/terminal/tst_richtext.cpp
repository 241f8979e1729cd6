// The terminal's text: the model that keeps characters and colours, and the view
// that shows it and takes typed keys.
#include "terminal/views/RichTextView.h"
#include "terminal/views/RichTextNews.h"
#include "terminal/views/ViewAccessibility.h"
#include "tests/support/core/ColourLetters.h"

#include <QAccessible>
#include <QClipboard>
#include <QAction>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QApplication>
#include <QTimer>

namespace {
void fill(RichTextModel &m, const QString &text, const QString &paint)
{
    m.setText(QString());
    for (int i = 0; i < text.size(); ++i) {
        m.setSelColor(paint[i] == u'r' ? 0x0000FF : paint[i] == u'b' ? 0xFF0000 : 0);
        m.setSelText(text.mid(i, 1));
    }
}

// Puts the view on screen at the size given.
bool shown(RichTextView &view, int width, int height)
{
    view.resize(width, height);
    view.show();
    return QTest::qWaitForWindowExposed(&view);
}

struct KeyEdit
{
    QString initial;
    int caret;
    int key;
    QString text;   // empty: a key without text
    QString expected;
    int expectedCaret;
};

} // namespace
Q_DECLARE_METATYPE(KeyEdit)

class RichTextTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ViewAccessibility::install(); }
    // The selection [start, start + length) replaced by text in a colour; positions
    // count a line break as two characters.
    void replaceSelection_data()
    {
        QTest::addColumn<QString>("initial");
        QTest::addColumn<QString>("paint");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("inserted");   // written blue
        QTest::addColumn<QString>("expected");   // text, colours and caret
        QTest::newRow("last char erased") << "abc" << "kkr" << 2 << 1 << "" << "ab kk 2";
        QTest::newRow("middle replaced") << "abcd" << "rrrr" << 1 << 2 << "XYZ" << "aXYZd rbbbr 4";
        QTest::newRow("insert without selection") << "abcd" << "kkkk" << 2 << 0 << ">" << "ab>cd kkbkk 3";
        QTest::newRow("append") << "abc" << "kkk" << 3 << 0 << "\r\n" << "abc\r\n kkkbb 5";
        QTest::newRow("line break removed") << "ab\r\ncd" << "kkkkkk" << 2 << 2 << "" << "abcd kkkk 2";
        QTest::newRow("start beyond the end") << "abc" << "kkk" << 99 << 1 << "#" << "abc# kkkb 4";
        QTest::newRow("negative start, long length") << "abc" << "rrr" << -5 << 99 << "#" << "# b 1";
    }
    void replaceSelection()
    {
        QFETCH(QString, initial);
        QFETCH(QString, paint);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(QString, inserted);
        RichTextModel m;
        fill(m, initial, paint);
        m.setSelStart(start);
        m.setSelColor(0xFF0000);   // with the selection collapsed: recolours nothing
        m.setSelLength(length);
        m.setSelText(inserted);
        QTEST(QStringLiteral("%1 %2 %3").arg(m.text(), colourLetters(m)).arg(m.selStart()), "expected");
        QCOMPARE(m.selLength(), 0);
    }

    // Cutting keeps what stays in the colours it had, whether written whole
    // (black) or appended in colour.
    void keep_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("expected");
        QTest::newRow("cut inside the black part") << 1 << 5 << "bcdXY kkkrb";
        QTest::newRow("cut into the colours") << 4 << 2 << "XY rb";
        QTest::newRow("cut past the black part") << 5 << 1 << "Y b";
        QTest::newRow("end taken away") << 0 << 4 << "abcd kkkk";
        QTest::newRow("everything") << 0 << 0 << " ";
    }
    void keep()
    {
        QFETCH(int, from);
        QFETCH(int, count);
        RichTextModel m;
        fill(m, QStringLiteral("abcdXY"), QStringLiteral("kkkkrb"));
        QVERIFY(!m.type(127));   // DEL is no text
        m.keep(from, count);
        QTEST(m.text() + u' ' + colourLetters(m), "expected");
    }

    void keyCodes_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QList<int>>("codes");
        const int ctrl = Qt::ControlModifier;
        QTest::newRow("a") << int(Qt::Key_A) << "a" << 0 << QList<int>{'a'};
        QTest::newRow("a umlaut") << int(Qt::Key_Adiaeresis) << "ä" << 0 << QList<int>{0xE4};
        QTest::newRow("the code page's last") << int(Qt::Key_ydiaeresis) << "ÿ" << 0 << QList<int>{0xFF};
        QTest::newRow("the last of its upper half") << int(Qt::Key_unknown) << "Ÿ" << 0 << QList<int>{0x9F};
        QTest::newRow("euro with AltGr") << int(Qt::Key_E) << "€" << int(Qt::AltModifier | ctrl) << QList<int>{0x80};
        QTest::newRow("keypad Enter without text") << int(Qt::Key_Enter) << "" << int(Qt::KeypadModifier) << QList<int>{13};
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << "\b" << 0 << QList<int>{8};
        QTest::newRow("Tab") << int(Qt::Key_Tab) << "\t" << 0 << QList<int>{9};
        QTest::newRow("Escape without text") << int(Qt::Key_Escape) << "" << 0 << QList<int>{27};
        QTest::newRow("Ctrl+C without text") << int(Qt::Key_C) << "" << ctrl << QList<int>{3};
        QTest::newRow("Ctrl+[") << int(Qt::Key_BracketLeft) << "" << ctrl << QList<int>{27};
        QTest::newRow("Ctrl+]") << int(Qt::Key_BracketRight) << "" << ctrl << QList<int>{29};
        QTest::newRow("Ctrl+Backspace") << int(Qt::Key_Backspace) << "" << ctrl << QList<int>{127};
        QTest::newRow("Alt+x is a command") << int(Qt::Key_X) << "x" << int(Qt::AltModifier) << QList<int>{};
        QTest::newRow("Ctrl+1 has no code") << int(Qt::Key_1) << "1" << ctrl << QList<int>{};
        QTest::newRow("composed text") << int(Qt::Key_unknown) << "äłö" << 0 << QList<int>{0xE4, 0xF6};
        QTest::newRow("composed with Ctrl: the key") << int(Qt::Key_A) << "ab" << ctrl << QList<int>{1};
        QTest::newRow("outside the code page") << int(Qt::Key_unknown) << "ł" << 0 << QList<int>{};
        QTest::newRow("F1") << int(Qt::Key_F1) << "" << 0 << QList<int>{};
        QTest::newRow("Delete with DEL text") << int(Qt::Key_Delete) << "\x7f" << 0 << QList<int>{};
    }
    void keyCodes()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(int, modifiers);
        RichTextView view;
        QList<int> raised;
        connect(&view, &RichTextView::KeyPress, &view, [&](int &code) {
            raised << code;
            code = 0;
        });
        QTest::sendKeyEvent(QTest::Press, &view, Qt::Key(key), text, Qt::KeyboardModifiers(modifiers));
        QTEST(raised, "codes");
        QCOMPARE(view.model().text(), QString());   // the handler suppressed every insertion
    }

    // What a key does to the text when the handler lets the view insert it.
    void editingKeys_data()
    {
        QTest::addColumn<KeyEdit>("c");
        const QString two = QStringLiteral("abcd\r\nefgh");
        const auto row = [](const char *name, const KeyEdit &c) { QTest::newRow(name) << c; };
        row("letter in the middle, in the current colour", {"ac", 1, Qt::Key_B, "b", "abc", 2});
        row("Enter inserts CR LF", {"ab", 1, Qt::Key_Return, "\r", "a\r\nb", 3});
        row("Tab inserts a tab", {"ab", 1, Qt::Key_Tab, "\t", "a\tb", 2});
        row("Backspace erases CR LF at once", {"ab\r\n", 4, Qt::Key_Backspace, "\b", "ab", 2});
        row("Left over CR LF", {two, 6, Qt::Key_Left, "", two, 4});
        row("Down", {two, 2, Qt::Key_Down, "", two, 8});
        row("Down to a shorter row", {"abcdef\r\nx", 5, Qt::Key_Down, "", "abcdef\r\nx", 9});
        row("Delete CR LF", {two, 4, Qt::Key_Delete, "", "abcdefgh", 4});
    }
    void editingKeys()
    {
        QFETCH(KeyEdit, c);
        RichTextView view;
        view.resize(400, 300);
        view.model().setText(c.initial);
        view.model().setSelStart(c.caret);
        view.model().setSelColor(0x0000FF);
        QTest::sendKeyEvent(QTest::Press, &view, Qt::Key(c.key), c.text, Qt::NoModifier);
        QCOMPARE(view.model().text(), c.expected);
        QCOMPARE(view.model().selStart(), c.expectedCaret);
        QCOMPARE(view.model().colorAt(c.caret), c.expected.size() > c.initial.size() ? 0x0000FFu : 0u);
    }

    // Frames come only while the view can be seen; one asked for meanwhile comes
    // as soon as it is back.
    void framesOnScreenOnly()
    {
        RichTextView view;
        QVERIFY(shown(view, 300, 200));
        QSignalSpy frames(&view, &RichTextView::frameDue);
        view.model().setSelText(u"a");
        QVERIFY(frames.wait(1000));
        for (bool minimise : {true, false}) {
            frames.clear();
            minimise ? view.setWindowState(Qt::WindowMinimized) : view.hide();
            view.model().setSelText(u"b");
            QVERIFY(!frames.wait(300));
            minimise ? view.setWindowState(Qt::WindowNoState) : view.show();
            QVERIFY(frames.wait(1000));
            QCOMPARE(frames.count(), 1);
        }
    }

    // While the user reads (scrolled up, or a selection made) the view does not move
    // as text arrives and is cut at the top; at the bottom again, or after a key,
    // it follows the text.
    void readingStaysPut_data()
    {
        QTest::addColumn<QString>("reading");   // up: scrolled 3 rows up; select: a mouse selection
        QTest::addColumn<QString>("back");      // bottom: scrolled down again; key: a key typed
        QTest::addColumn<bool>("follows");
        QTest::newRow("at the bottom") << "" << "" << true;
        QTest::newRow("scrolled up") << "up" << "" << false;
        QTest::newRow("a selection") << "select" << "" << false;
        QTest::newRow("scrolled down again") << "up" << "bottom" << true;
        QTest::newRow("a key after a selection") << "select" << "key" << true;
    }
    void readingStaysPut()
    {
        QFETCH(QString, reading);
        QFETCH(QString, back);
        QFETCH(bool, follows);
        RichTextView view;
        RichTextModel &m = view.model();
        QScrollBar *bar = view.verticalScrollBar();
        QSignalSpy frames(&view, &RichTextView::frameDue);
        int lines = 0;
        const auto arrive = [&](int n) {   // as the terminal writes: cut at the top, appended at the end
            frames.clear();
            m.keep(20, m.length() - 20);
            m.setSelStart(m.length());
            for (int i = 0; i < n; ++i)
                m.setSelText(QStringLiteral("line %1\r\n").arg(lines++));
            return frames.wait(1000);
        };
        QAccessibleTextInterface *t = QAccessible::queryAccessibleInterface(&view)->textInterface();
        const auto topRow = [&] {
            int start = 0, end = 0;
            return t->textAtOffset(t->offsetAtPoint(view.viewport()->mapToGlobal(QPoint(1, 1))),
                                   QAccessible::LineBoundary, &start, &end);
        };
        // The caret, which arriving text keeps at the end, is in view.
        const auto following = [&, v = view.viewport()] {
            return QRect(v->mapToGlobal(QPoint(0, 0)), v->size()).contains(t->characterRect(t->cursorPosition())); };
        connect(&view, &RichTextView::KeyPress, &view, [&](int &code) {
            code = 0;
            m.setSelStart(m.length());
        });
        arrive(40);
        QVERIFY(shown(view, 300, 120));
        if (reading == u"up") {
            bar->setValue(bar->maximum() - 3);
        } else if (reading == u"select") {
            const QFontMetrics fm(view.font());
            QTest::mousePress(view.viewport(), Qt::LeftButton, {}, QPoint(1, 2));
            QTest::mouseMove(view.viewport(), QPoint(3 * fm.horizontalAdvance(u'M'), 2));
            QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, QPoint(3 * fm.horizontalAdvance(u'M'), 2));
        }
        const QString read = topRow();
        if (back == u"bottom")
            bar->setValue(bar->maximum());
        else if (back == u"key")
            QTest::keyClick(&view, Qt::Key_A);
        for (int i = 0; i < 3; ++i) {
            QVERIFY(arrive(5));
            QCOMPARE(following(), follows);
            if (!follows)
                QCOMPARE(topRow(), read);
        }
        if (reading.isEmpty()) {   // the caret moved to the start: the view goes with it
            m.setSelStart(0);
            QTRY_COMPARE(bar->value(), 0);
        }
        if (reading == u"up" && !follows) {
            bar->setValue(bar->value() - 1);   // a row up, whether the bar has caught up or not
            QCOMPARE(topRow(), QStringLiteral("line %1").arg(read.mid(5).toInt() - 1));
        }
    }

    // A mouse selection of "d", a line break and "e" is copied by Ctrl+Shift+C and
    // Ctrl+Insert (Ctrl+C stays a key for the controller), everything by the context
    // menu. What the user selected is still what is copied after text arrives and
    // the top is cut, as the primary selection has it, even when it is gone from
    // the view; a click ends it.
    void copy_data()
    {
        QTest::addColumn<QString>("then");   // cut2: the top cut two at a time until the selection is
                                             // there; cut5: and three more; drag: cut while dragging
        QTest::addColumn<QString>("copy");   // the keys or the menu entry
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("copied");
        QTest::newRow("Ctrl+C is a key") << "" << "ctrl+c" << "d\ne" << "-";
        QTest::newRow("Ctrl+Shift+C") << "" << "ctrl+shift+c" << "d\ne" << "d\ne";
        QTest::newRow("Ctrl+Insert") << "" << "ctrl+insert" << "d\ne" << "d\ne";
        QTest::newRow("Alles kopieren") << "" << "mnuCopyAll" << "d\ne" << "ab\ncd\nef";
        QTest::newRow("cut into") << "cut2" << "ctrl+insert" << "\ne" << "d\ne";
        QTest::newRow("cut away") << "cut5" << "ctrl+insert" << "" << "d\ne";
        QTest::newRow("a click ends it") << "click" << "ctrl+insert" << "" << "-";
        QTest::newRow("cut while dragging") << "drag" << "ctrl+insert" << "d\ne" << "d\ne";
        QTest::newRow("dragged backwards") << "backwards" << "ctrl+insert" << "d\ne" << "d\ne";
        QTest::newRow("Kopieren needs a selection") << "click" << "mnuCopy" << "" << "-";
    }
    void copy()
    {
        QFETCH(QString, then);
        QFETCH(QString, copy);
        RichTextView view;
        QVERIFY(shown(view, 400, 300));
        RichTextModel &m = view.model();
        m.setSelText(QStringLiteral("ab\r\ncd\r\nef"));
        const QFontMetrics fm(view.font());
        const auto cell = [&](int col, int row) { return QPoint(col * fm.horizontalAdvance(u'M') + 1, row * fm.lineSpacing() + 2); };
        const int back = then == u"backwards";   // dragged from the end to the start
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, cell(1, 1 + back));
        if (then == u"drag")   // the top line cut away while the mouse is down: the same text ends it
            m.keep(4, m.length() - 4);
        const QPoint end = cell(1, then == u"drag" ? 1 : 2 - back);
        QTest::mouseMove(view.viewport(), end);
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, end);
        QList<int> keys;
        connect(&view, &RichTextView::KeyPress, &view, [&](int &code) { keys << code; });
        if (then.startsWith(u"cut")) {
            m.setSelStart(m.length());
            m.setSelText(QString(570, u'x'));
            while (view.selectedFrom() > 0)   // as the terminal cuts while text arrives
                m.keep(2, m.length() - 2);
            if (then == u"cut5")
                m.keep(3, m.length() - 3);
        } else if (then == u"click") {
            QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cell(0, 0));
        }
        QGuiApplication::clipboard()->setText(QStringLiteral("-"));
        if (copy.startsWith(u"mnu")) {
            bool offered = false;   // Kopieren offered with a selection only
            QTimer::singleShot(0, [&] {
                QWidget *menu = QApplication::activePopupWidget();
                offered = menu->findChild<QAction *>(QStringLiteral("mnuCopy"))->isEnabled() == !view.selectedText().isEmpty();
                menu->findChild<QAction *>(copy)->trigger();
                menu->close();
            });
            QContextMenuEvent menu(QContextMenuEvent::Mouse, cell(0, 0), view.viewport()->mapToGlobal(cell(0, 0)));
            QCoreApplication::sendEvent(view.viewport(), &menu);
            QVERIFY(offered);
        } else {
            QTest::keyClick(&view, copy.endsWith(u"insert") ? Qt::Key_Insert : Qt::Key_C,
                            copy.contains(u"shift") ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
        }
        QCOMPARE(keys, copy == u"ctrl+c" ? QList<int>{3} : QList<int>{});
        QTEST(view.selectedText(), "selected");
        QTEST(QGuiApplication::clipboard()->text(), "copied");
    }

    // What screen readers are told: name, role, text, caret, colours, rows.
    void accessible()
    {
        RichTextView view;
        QVERIFY(shown(view, 10 * QFontMetrics(view.font()).horizontalAdvance(u'M') + 40, 200));
        view.model().setSelText(QStringLiteral("ab\r\n"));
        view.model().setSelColor(0x0000FF);
        view.model().setSelText(QStringLiteral(">123456789012345"));
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(&view);
        QCOMPARE(a->role(), QAccessible::EditableText);
        QCOMPARE(a->text(QAccessible::Name), QStringLiteral("Terminal"));
        QAccessibleTextInterface *text = a->textInterface();
        QCOMPARE(text->text(0, text->characterCount()), view.model().text());
        QCOMPARE(text->cursorPosition(), 20);
        int start = 0, end = 0;
        QCOMPARE(text->attributes(5, &start, &end), QStringLiteral("background-color:rgb(255,255,255);color:rgb(255,0,0);"));
        QCOMPARE(QPoint(start, end), QPoint(4, 20));
        // A row ends at a line break or at the view's width.
        QCOMPARE(text->textAtOffset(1, QAccessible::LineBoundary, &start, &end), QStringLiteral("ab"));
        QVERIFY(text->textAtOffset(5, QAccessible::LineBoundary, &start, &end).startsWith(u'>'));
        QCOMPARE(end - start, view.viewport()->width() / QFontMetrics(view.font()).horizontalAdvance(u'M'));
        view.model().setText(QStringLiteral("a\nbc"));   // a line feed alone ends a row too
        QCOMPARE(text->textAtOffset(3, QAccessible::LineBoundary, &start, &end), QStringLiteral("bc"));

    }

    // What screen readers hear when text arrives: the characters cut at the top
    // and those added at the end, or else the whole text anew.
    void textChange_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("now");
        QTest::addColumn<int>("cut");
        QTest::addColumn<QString>("told");
        QTest::newRow("appended") << "ab" << "abcd" << 0 << "-0 +cd";
        QTest::newRow("cut and appended") << "abcdef" << "cdefxy" << 2 << "-2 +xy";
        QTest::newRow("cut only") << "abcdef" << "def" << 3 << "-3 +";
        QTest::newRow("written anew") << "abc" << "xy" << 1 << "all";
        QTest::newRow("cut past the end") << "abc" << "x" << 99 << "-3 +x";
        QTest::newRow("erased at the end") << "abcd" << "abc" << 0 << "all";
    }
    void textChange()
    {
        QFETCH(QString, before);
        QFETCH(QString, now);
        QFETCH(int, cut);
        const auto change = RichTextNews::change(before, now, cut);
        QTEST(change ? QStringLiteral("-%1 +%2").arg(change->removed).arg(change->added) : QStringLiteral("all"),
              "told");
    }

    // Control characters show as placeholders that differ from each other and from
    // a blank, whatever the font has.
    void placeholders()
    {
        RichTextView view;
        QVERIFY(shown(view, 300, 100));
        const QImage blank = view.viewport()->grab().toImage();
        view.model().setSelText(QString::fromLatin1("\t\a\0 ", 4));
        QImage image;
        QTRY_VERIFY((image = view.viewport()->grab().toImage()) != blank);
        const QFontMetrics fm(view.font());
        QList<QImage> cells;
        for (int i = 0; i < 4; ++i)
            cells << image.copy(i * fm.horizontalAdvance(u'M'), 0, fm.horizontalAdvance(u'M'), fm.lineSpacing());
        for (int i = 0; i < 4; ++i)
            for (int j = i + 1; j < 4; ++j)
                QVERIFY2(cells[i] != cells[j], qPrintable(QStringLiteral("%1 %2").arg(i).arg(j)));
        const QImage onScreen = view.screen()->grabWindow(view.winId()).toImage();
        view.model().setText(QStringLiteral("xxxx"));   // the same row, other text: drawn anew on the screen
        QTRY_VERIFY(view.screen()->grabWindow(view.winId()).toImage() != onScreen);
    }
};

QTEST_MAIN(RichTextTest)
#include "tst_richtext.moc"
