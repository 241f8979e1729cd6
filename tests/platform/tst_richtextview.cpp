#include "terminal/RichTextView.h"

#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTest>

namespace {
// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// Shows the view sized so that exactly `cols` character cells fit in a row.
bool showWithColumns(RichTextView &view, int cols)
{
    const int charW = QFontMetrics(view.font()).horizontalAdvance(QLatin1Char('M'));
    view.resize(400, 300);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view))
        return false;
    const int extra = view.width() - view.viewport()->width();
    view.resize(cols * charW + extra + charW / 2, 300);
    return view.columns() == cols;
}

// A key press on a text with the caret at `caret`, and the text and caret after it.
struct KeyEdit
{
    QString initial;
    int caret;
    int key;
    QString text;   // empty: a key without text, which raises no KeyPress
    QString expected;
    int expectedCaret;
    int modifiers = Qt::NoModifier;
    bool suppress = false;
};

QStringList rows(const RichTextView &view)
{
    QStringList out;
    for (int i = 0; i < view.rowCount(); ++i)
        out << view.rowText(i);
    return out;
}
} // namespace

class tst_RichTextView : public QObject
{
    Q_OBJECT

private slots:
    void keyPressCodes_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QList<int>>("codes");

        const int none = Qt::NoModifier;
        const int ctrl = Qt::ControlModifier;
        QTest::newRow("a") << int(Qt::Key_A) << "a" << none << QList<int>{'a'};
        QTest::newRow("A") << int(Qt::Key_A) << "A" << int(Qt::ShiftModifier) << QList<int>{'A'};
        QTest::newRow("blank") << int(Qt::Key_Space) << " " << none << QList<int>{32};
        QTest::newRow("a umlaut") << int(Qt::Key_Adiaeresis) << "ä" << none << QList<int>{0xE4};
        QTest::newRow("euro") << int(Qt::Key_E) << "€" << int(Qt::AltModifier | Qt::ControlModifier)
                              << QList<int>{0x80};
        QTest::newRow("euro plain") << int(Qt::Key_unknown) << "€" << none << QList<int>{0x80};
        QTest::newRow("Enter") << int(Qt::Key_Return) << "\r" << none << QList<int>{13};
        QTest::newRow("keypad Enter without text") << int(Qt::Key_Enter) << "" << int(Qt::KeypadModifier)
                                                   << QList<int>{13};
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << "\b" << none << QList<int>{8};
        QTest::newRow("Escape") << int(Qt::Key_Escape) << "\x1b" << none << QList<int>{27};
        QTest::newRow("Escape without text") << int(Qt::Key_Escape) << "" << none << QList<int>{27};
        QTest::newRow("Tab") << int(Qt::Key_Tab) << "\t" << none << QList<int>{9};
        QTest::newRow("Ctrl+C with text") << int(Qt::Key_C) << "\x03" << ctrl << QList<int>{3};
        QTest::newRow("Ctrl+C without text") << int(Qt::Key_C) << "" << ctrl << QList<int>{3};
        QTest::newRow("Ctrl+Shift+Z") << int(Qt::Key_Z) << "" << int(ctrl | Qt::ShiftModifier) << QList<int>{26};
        QTest::newRow("Ctrl+[") << int(Qt::Key_BracketLeft) << "" << ctrl << QList<int>{27};
        QTest::newRow("Alt+x is a command") << int(Qt::Key_X) << "x" << int(Qt::AltModifier) << QList<int>{};
        QTest::newRow("Ctrl+1 has no code") << int(Qt::Key_1) << "1" << ctrl << QList<int>{};
        QTest::newRow("composed text") << int(Qt::Key_unknown) << "äö" << none << QList<int>{0xE4, 0xF6};
        QTest::newRow("char outside the code page") << int(Qt::Key_unknown) << "ł" << none << QList<int>{};
        QTest::newRow("Left") << int(Qt::Key_Left) << "" << none << QList<int>{};
        QTest::newRow("F1") << int(Qt::Key_F1) << "" << none << QList<int>{};
        QTest::newRow("Delete with DEL text") << int(Qt::Key_Delete) << "\x7f" << none << QList<int>{};
        QTest::newRow("Shift alone") << int(Qt::Key_Shift) << "" << int(Qt::ShiftModifier) << QList<int>{};
    }
    void keyPressCodes()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(int, modifiers);
        QFETCH(QList<int>, codes);

        RichTextView view;
        QList<int> raised;
        connect(&view, &RichTextView::KeyPress, &view, [&](int &code) {
            raised << code;
            code = 0;
        });
        QTest::sendKeyEvent(QTest::Press, &view, Qt::Key(key), text,
                            Qt::KeyboardModifiers(modifiers));
        QCOMPARE(raised, codes);
        // The handler suppressed every insertion.
        QCOMPARE(view.model().text(), QString());
    }

    // Typed keys (with text) raise KeyPress once and edit unless suppressed;
    // navigation and Delete (without text) raise nothing.
    void editingKeys_data()
    {
        QTest::addColumn<KeyEdit>("c");
        auto row = [](const char *name, const KeyEdit &c) { QTest::newRow(name) << c; };
        row("letter in the middle", {"ac", 1, Qt::Key_B, "b", "abc", 2});
        row("euro", {"", 0, Qt::Key_unknown, "€", "€", 1});
        row("suppressed", {"ab", 1, Qt::Key_X, "x", "ab", 1, 0, true});
        row("Enter inserts CR LF", {"ab", 1, Qt::Key_Return, "\r", "a\r\nb", 3});
        row("Enter suppressed", {"ab", 2, Qt::Key_Return, "\r", "ab", 2, 0, true});
        row("Backspace erases", {"abc", 3, Qt::Key_Backspace, "\b", "ab", 2});
        row("Backspace erases CR LF at once", {"ab\r\n", 4, Qt::Key_Backspace, "\b", "ab", 2});
        row("Backspace at start", {"ab", 0, Qt::Key_Backspace, "\b", "ab", 0});
        row("Backspace suppressed", {"abc", 3, Qt::Key_Backspace, "\b", "abc", 3, 0, true});
        row("Escape inserts nothing", {"ab", 2, Qt::Key_Escape, "\x1b", "ab", 2});
        row("Tab inserted", {"ab", 2, Qt::Key_Tab, "\t", "ab\t", 3});

        const QString two = QStringLiteral("abcd\r\nefgh");
        const int ctrl = Qt::ControlModifier;
        row("Left over CR LF", {two, 6, Qt::Key_Left, "", two, 4});
        row("Left at start", {two, 0, Qt::Key_Left, "", two, 0});
        row("Right over CR LF", {two, 4, Qt::Key_Right, "", two, 6});
        row("Right at end", {two, 10, Qt::Key_Right, "", two, 10});
        row("Down", {two, 2, Qt::Key_Down, "", two, 8});
        row("Up", {two, 9, Qt::Key_Up, "", two, 3});
        row("Up on first row", {two, 2, Qt::Key_Up, "", two, 2});
        row("Down to shorter row", {"abcdef\r\nx", 5, Qt::Key_Down, "", "abcdef\r\nx", 9});
        row("Home", {two, 8, Qt::Key_Home, "", two, 6});
        row("End", {two, 1, Qt::Key_End, "", two, 4});
        row("Ctrl+Home", {two, 8, Qt::Key_Home, "", two, 0, ctrl});
        row("Ctrl+End", {two, 1, Qt::Key_End, "", two, 10, ctrl});
        row("Delete", {two, 0, Qt::Key_Delete, "", "bcd\r\nefgh", 0});
        row("Delete CR LF", {two, 4, Qt::Key_Delete, "", "abcdefgh", 4});
        row("Delete at end", {two, 10, Qt::Key_Delete, "", two, 10});
        row("Down on empty text", {"", 0, Qt::Key_Down, "", "", 0});
        row("PageDown", {"a\r\nb\r\nc", 0, Qt::Key_PageDown, "", "a\r\nb\r\nc", 6});
    }
    void editingKeys()
    {
        QFETCH(KeyEdit, c);
        RichTextView view;
        QVERIFY(showWithColumns(view, 40));
        view.model().setText(c.initial);
        view.model().setSelStart(c.caret);
        view.model().setSelColor(0x0000FF);
        int raised = 0;
        connect(&view, &RichTextView::KeyPress, &view, [&](int &code) {
            ++raised;
            if (c.suppress)
                code = 0;
        });
        QTest::sendKeyEvent(QTest::Press, &view, Qt::Key(c.key), c.text,
                            Qt::KeyboardModifiers(c.modifiers));
        QCOMPARE(raised, c.text.isEmpty() ? 0 : 1);
        QCOMPARE(view.model().text(), c.expected);
        QCOMPARE(view.model().selStart(), c.expectedCaret);
        // Typed text takes the current colour.
        if (c.expected.size() > c.initial.size())
            QCOMPARE(view.model().colorAt(c.caret), 0x0000FFu);
    }

    void layout_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("cols");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("empty") << "" << 10 << QStringList{""};
        QTest::newRow("CR LF breaks") << "ab\r\ncd" << 10 << QStringList{"ab", "cd"};
        QTest::newRow("lone LF breaks") << "ab\ncd" << 10 << QStringList{"ab", "cd"};
        QTest::newRow("lone CR is a placeholder") << "ab\rcd" << 10 << QStringList{"ab\u240Dcd"};
        QTest::newRow("LF CR") << "ab\n\rcd" << 10 << QStringList{"ab", "\u240Dcd"};
        QTest::newRow("break at end opens a row") << "ab\r\n" << 10 << QStringList{"ab", ""};
        QTest::newRow("empty lines") << "\r\n\r\n" << 10 << QStringList{"", "", ""};
        QTest::newRow("wrapped") << "abcdefghij" << 4 << QStringList{"abcd", "efgh", "ij"};
        QTest::newRow("full row at end") << "abcd" << 4 << QStringList{"abcd", ""};
        QTest::newRow("full row then break") << "abcd\r\nef" << 4 << QStringList{"abcd", "ef"};
        QTest::newRow("controls shown") << "a\x1b[0m\t\a\b\f" << 20
                                        << QStringList{"a\u241B[0m\u2409\u2407\u2408\u240C"};
        QTest::newRow("DEL shown") << "x\x7f" << 10 << QStringList{"x\u2421"};
        QTest::newRow("direction mark neutralised") << "a\u202Eb" << 10 << QStringList{"a\uFFFDb"};
        // Terminal output is never taken for markup, entities or mnemonics.
        const QString html = QStringLiteral("<html><b>bold</b> <font color=red>x</font> &amp; &#62;");
        QTest::newRow("html shown literally") << html << 80 << QStringList{html};
        const QString rtf = QStringLiteral("{\\rtf1\\ansi {\\b bold}} &Datei");
        QTest::newRow("rtf and mnemonic shown literally") << rtf << 80 << QStringList{rtf};
    }
    void layout()
    {
        QFETCH(QString, text);
        QFETCH(int, cols);
        QFETCH(QStringList, expected);

        RichTextView view;
        QVERIFY(showWithColumns(view, cols));
        view.model().setSelText(text);
        QCOMPARE(view.model().length(), text.size());
        QCOMPARE(rows(view), expected);
        // Painting the layout works for every shape.
        QImage image(view.viewport()->size(), QImage::Format_RGB32);
        view.viewport()->render(&image);
    }

    void coloursPainted()
    {
        RichTextView view;
        view.setBackColor(0xFFC0C0);
        view.setFrameInterval(0);
        QVERIFY(showWithColumns(view, 20));
        view.model().setSelColor(0x0000FF);
        view.model().setSelText(QStringLiteral("MMMM"));
        QTRY_COMPARE(view.rowText(0), QStringLiteral("MMMM"));
        QCoreApplication::processEvents();

        const QImage image = view.viewport()->grab().toImage();
        // Colours are stored as BGR: 0xFFC0C0 is light blue.
        const QColor back = image.pixelColor(image.width() - 2, image.height() - 2);
        QCOMPARE(back, QColor(0xC0, 0xC0, 0xFF));
        const int lineH = QFontMetrics(view.font()).lineSpacing();
        int redPixels = 0;
        for (int y = 0; y < lineH; ++y)
            for (int x = 0; x < image.width() / 2; ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 200 && c.green() < 60 && c.blue() < 60)
                    ++redPixels;
            }
        QVERIFY(redPixels > 0);
    }

    void repaintsCoalesced_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("spread");

        QTest::newRow("text writes") << 1 << false;
        QTest::newRow("colour changes") << 2 << false;
        QTest::newRow("caret moves") << 3 << false;
        QTest::newRow("append and cut like the terminal") << 4 << false;
        QTest::newRow("terminal over many event-loop turns") << 4 << true;
    }
    void repaintsCoalesced()
    {
        QFETCH(int, kind);
        QFETCH(bool, spread);

        RichTextView view;
        QVERIFY(showWithColumns(view, 40));
        view.setFocus();
        QTRY_VERIFY(view.hasFocus());
        view.model().setText(QStringLiteral("start\r\n"));
        PaintCounter counter;
        view.viewport()->installEventFilter(&counter);
        QTRY_VERIFY(counter.paints > 0);
        counter.paints = 0;

        // Spread over many turns of the event loop, changes still wait for the frame:
        // with a frame far away nothing may be painted before it.
        if (spread)
            view.setFrameInterval(600000);
        RichTextModel &m = view.model();
        for (int i = 0; i < 1000; ++i) {
            if (spread && i % 5 == 0)
                QCoreApplication::processEvents();
            switch (kind) {
            case 1:
                m.setText(QStringLiteral("line %1\r\n").arg(i));
                break;
            case 2:
                m.setSelStart(0);
                m.setSelLength(3);
                m.setSelColor(i % 2 ? 0x0000FF : 0xFF0000);
                break;
            case 3:
                m.setSelStart(i % 5);
                break;
            case 4:
                if (m.length() > 585)
                    m.setText(m.text().mid(14));
                m.setSelStart(m.length());
                m.setSelColor(i % 7 ? 0 : 0x0000FF);
                m.setSelText(i % 30 == 29 ? QStringLiteral("\r\n") : QStringLiteral(">"));
                break;
            }
        }
        if (spread) {
            QCOMPARE(counter.paints, 0);
            view.setFrameInterval(0);
        }
        QTRY_VERIFY(counter.paints >= 1);
        // Nothing more is pending once the frame has been painted.
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        QVERIFY2(counter.paints <= 2, qPrintable(QString::number(counter.paints)));
    }

    void followsTheEnd()
    {
        RichTextView view;
        view.setFrameInterval(0);
        QVERIFY(showWithColumns(view, 20));
        RichTextModel &m = view.model();
        for (int i = 0; i < 200; ++i) {
            m.setSelStart(m.length());
            m.setSelText(QStringLiteral("line %1\r\n").arg(i));
        }
        m.setSelText(QStringLiteral("last"));
        QTRY_VERIFY(view.verticalScrollBar()->maximum() > 0);
        const int visible = view.viewport()->height() / QFontMetrics(view.font()).lineSpacing();
        QTRY_COMPARE(view.firstVisibleRow(), view.rowCount() - visible);
        QCOMPARE(view.rowText(view.rowCount() - 1), QStringLiteral("last"));

        // Moving the caret to the top brings the top into view.
        m.setSelStart(0);
        QTRY_COMPARE(view.firstVisibleRow(), 0);
    }

    void clickPlacesCaret_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("expected");

        // Text "abcd\r\nef\r\nghijk": rows "abcd", "ef", "ghijk".
        QTest::newRow("inside first row") << 0 << 2 << 2;
        QTest::newRow("beyond the end of a row") << 0 << 30 << 4;
        QTest::newRow("second row") << 1 << 1 << 7;
        QTest::newRow("third row end") << 2 << 5 << 15;
        QTest::newRow("below the text") << 12 << 1 << 11;
    }
    void clickPlacesCaret()
    {
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(int, expected);

        RichTextView view;
        QVERIFY(showWithColumns(view, 40));
        view.model().setText(QStringLiteral("abcd\r\nef\r\nghijk"));
        const QFontMetrics fm(view.font());
        const int charW = fm.horizontalAdvance(QLatin1Char('M'));
        const QPoint at(col * charW + 1, row * fm.lineSpacing() + fm.lineSpacing() / 2);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(view.model().selStart(), expected);
        QCOMPARE(view.model().selLength(), 0);
    }

    void ansiRoundTrip()
    {
        for (int code = 1; code < 256; ++code)
            QCOMPARE(RichTextView::ansiCode(RichTextView::fromAnsi(code)), code);
        QCOMPARE(RichTextView::fromAnsi(0x80), QChar(0x20AC));
        QCOMPARE(RichTextView::fromAnsi(0x9F), QChar(0x0178));
        QCOMPARE(RichTextView::ansiCode(QChar(0x20AC)), 0x80);
        QCOMPARE(RichTextView::ansiCode(QChar(0x0142)), 0);
    }
};

QTEST_MAIN(tst_RichTextView)
#include "tst_richtextview.moc"
