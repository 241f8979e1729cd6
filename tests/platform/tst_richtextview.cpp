#include "platform/RichTextView.h"

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
    void keyPressCodes_data();
    void keyPressCodes();
    void typedInsertion_data();
    void typedInsertion();
    void navigation_data();
    void navigation();
    void layout_data();
    void layout();
    void shownLiterally_data();
    void shownLiterally();
    void coloursPainted();
    void repaintsCoalesced_data();
    void repaintsCoalesced();
    void followsTheEnd();
    void clickPlacesCaret_data();
    void clickPlacesCaret();
    void ansiRoundTrip();
};

void tst_RichTextView::keyPressCodes_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QList<int>>("codes");

    const int none = Qt::NoModifier;
    const int ctrl = Qt::ControlModifier;
    QTest::newRow("a") << int(Qt::Key_A) << "a" << none << QList<int>{'a'};
    QTest::newRow("A") << int(Qt::Key_A) << "A" << int(Qt::ShiftModifier) << QList<int>{'A'};
    QTest::newRow("digit") << int(Qt::Key_5) << "5" << none << QList<int>{'5'};
    QTest::newRow("blank") << int(Qt::Key_Space) << " " << none << QList<int>{32};
    QTest::newRow("greater") << int(Qt::Key_Greater) << ">" << none << QList<int>{'>'};
    QTest::newRow("a umlaut") << int(Qt::Key_Adiaeresis) << "ä" << none << QList<int>{0xE4};
    QTest::newRow("sharp s") << int(Qt::Key_ssharp) << "ß" << none << QList<int>{0xDF};
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
    QTest::newRow("Up") << int(Qt::Key_Up) << "" << none << QList<int>{};
    QTest::newRow("F1") << int(Qt::Key_F1) << "" << none << QList<int>{};
    QTest::newRow("Delete with DEL text") << int(Qt::Key_Delete) << "\x7f" << none << QList<int>{};
    QTest::newRow("Shift alone") << int(Qt::Key_Shift) << "" << int(Qt::ShiftModifier) << QList<int>{};
}

void tst_RichTextView::keyPressCodes()
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

void tst_RichTextView::typedInsertion_data()
{
    QTest::addColumn<QString>("initial");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("suppress");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("expectedCaret");

    QTest::newRow("letter at end") << "ab" << 2 << int(Qt::Key_C) << "c" << false << "abc" << 3;
    QTest::newRow("letter in the middle") << "ac" << 1 << int(Qt::Key_B) << "b" << false << "abc" << 2;
    QTest::newRow("umlaut") << "" << 0 << int(Qt::Key_Adiaeresis) << "ä" << false << "ä" << 1;
    QTest::newRow("euro") << "" << 0 << int(Qt::Key_unknown) << "€" << false << "€" << 1;
    QTest::newRow("suppressed") << "ab" << 1 << int(Qt::Key_X) << "x" << true << "ab" << 1;
    QTest::newRow("Enter inserts CR LF") << "ab" << 1 << int(Qt::Key_Return) << "\r" << false
                                         << "a\r\nb" << 3;
    QTest::newRow("Enter suppressed") << "ab" << 2 << int(Qt::Key_Return) << "\r" << true << "ab" << 2;
    QTest::newRow("Backspace erases") << "abc" << 3 << int(Qt::Key_Backspace) << "\b" << false << "ab" << 2;
    QTest::newRow("Backspace erases CR LF at once") << "ab\r\n" << 4 << int(Qt::Key_Backspace) << "\b"
                                                    << false << "ab" << 2;
    QTest::newRow("Backspace at start") << "ab" << 0 << int(Qt::Key_Backspace) << "\b" << false << "ab" << 0;
    QTest::newRow("Backspace suppressed") << "abc" << 3 << int(Qt::Key_Backspace) << "\b" << true
                                          << "abc" << 3;
    QTest::newRow("Escape inserts nothing") << "ab" << 2 << int(Qt::Key_Escape) << "\x1b" << false
                                            << "ab" << 2;
    QTest::newRow("Tab inserted") << "ab" << 2 << int(Qt::Key_Tab) << "\t" << false << "ab\t" << 3;
}

void tst_RichTextView::typedInsertion()
{
    QFETCH(QString, initial);
    QFETCH(int, caret);
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(bool, suppress);
    QFETCH(QString, expected);
    QFETCH(int, expectedCaret);

    RichTextView view;
    view.model().setText(initial);
    view.model().setSelStart(caret);
    view.model().setSelColor(0x0000FF);
    int raised = 0;
    connect(&view, &RichTextView::KeyPress, &view, [&](int &code) {
        ++raised;
        if (suppress)
            code = 0;
    });
    QTest::sendKeyEvent(QTest::Press, &view, Qt::Key(key), text, Qt::NoModifier);
    QCOMPARE(raised, 1);
    QCOMPARE(view.model().text(), expected);
    QCOMPARE(view.model().selStart(), expectedCaret);
    // Typed text takes the current colour.
    if (expected.size() > initial.size())
        QCOMPARE(view.model().colorAt(caret), 0x0000FFu);
}

void tst_RichTextView::navigation_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<int>("expectedCaret");

    const QString two = QStringLiteral("abcd\r\nefgh");
    QTest::newRow("Left") << two << 2 << int(Qt::Key_Left) << 0 << two << 1;
    QTest::newRow("Left over CR LF") << two << 6 << int(Qt::Key_Left) << 0 << two << 4;
    QTest::newRow("Left at start") << two << 0 << int(Qt::Key_Left) << 0 << two << 0;
    QTest::newRow("Right over CR LF") << two << 4 << int(Qt::Key_Right) << 0 << two << 6;
    QTest::newRow("Right at end") << two << 10 << int(Qt::Key_Right) << 0 << two << 10;
    QTest::newRow("Down") << two << 2 << int(Qt::Key_Down) << 0 << two << 8;
    QTest::newRow("Up") << two << 9 << int(Qt::Key_Up) << 0 << two << 3;
    QTest::newRow("Up on first row") << two << 2 << int(Qt::Key_Up) << 0 << two << 2;
    QTest::newRow("Down to shorter row") << "abcdef\r\nx" << 5 << int(Qt::Key_Down) << 0 << "abcdef\r\nx" << 9;
    QTest::newRow("Home") << two << 8 << int(Qt::Key_Home) << 0 << two << 6;
    QTest::newRow("End") << two << 1 << int(Qt::Key_End) << 0 << two << 4;
    QTest::newRow("Ctrl+Home") << two << 8 << int(Qt::Key_Home) << int(Qt::ControlModifier) << two << 0;
    QTest::newRow("Ctrl+End") << two << 1 << int(Qt::Key_End) << int(Qt::ControlModifier) << two << 10;
    QTest::newRow("Delete") << two << 0 << int(Qt::Key_Delete) << 0 << "bcd\r\nefgh" << 0;
    QTest::newRow("Delete CR LF") << two << 4 << int(Qt::Key_Delete) << 0 << "abcdefgh" << 4;
    QTest::newRow("Delete at end") << two << 10 << int(Qt::Key_Delete) << 0 << two << 10;
    QTest::newRow("Down on empty text") << "" << 0 << int(Qt::Key_Down) << 0 << "" << 0;
    QTest::newRow("PageDown") << "a\r\nb\r\nc" << 0 << int(Qt::Key_PageDown) << 0 << "a\r\nb\r\nc" << 6;
}

void tst_RichTextView::navigation()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, expectedText);
    QFETCH(int, expectedCaret);

    RichTextView view;
    QVERIFY(showWithColumns(view, 40));
    view.model().setText(text);
    view.model().setSelStart(caret);
    int raised = 0;
    connect(&view, &RichTextView::KeyPress, &view, [&](int &) { ++raised; });
    QTest::sendKeyEvent(QTest::Press, &view, Qt::Key(key), QString(),
                        Qt::KeyboardModifiers(modifiers));
    QCOMPARE(raised, 0);
    QCOMPARE(view.model().text(), expectedText);
    QCOMPARE(view.model().selStart(), expectedCaret);
}

void tst_RichTextView::layout_data()
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
}

void tst_RichTextView::layout()
{
    QFETCH(QString, text);
    QFETCH(int, cols);
    QFETCH(QStringList, expected);

    RichTextView view;
    QVERIFY(showWithColumns(view, cols));
    view.model().setText(text);
    QCOMPARE(rows(view), expected);
    // Painting the layout works for every shape.
    QImage image(view.viewport()->size(), QImage::Format_RGB32);
    view.viewport()->render(&image);
}

void tst_RichTextView::shownLiterally_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("html") << "<b>bold</b> <font color=red>x</font>";
    QTest::newRow("whole document") << "<html><body><h1>Title</h1></body></html>";
    QTest::newRow("entity") << "&amp; &lt; &#62;";
    QTest::newRow("rtf") << "{\\rtf1\\ansi {\\b bold}}";
    QTest::newRow("mnemonic") << "&Datei";
    QTest::newRow("menu line") << "> ROTORANORDNUNG";
}

void tst_RichTextView::shownLiterally()
{
    QFETCH(QString, text);

    RichTextView view;
    QVERIFY(showWithColumns(view, 80));
    view.model().setSelText(text);
    QCOMPARE(view.model().text(), text);
    QCOMPARE(view.model().length(), text.size());
    QCOMPARE(view.rowCount(), 1);
    QCOMPARE(view.rowText(0), text);
    QImage image(view.viewport()->size(), QImage::Format_RGB32);
    view.viewport()->render(&image);
    QVERIFY(!image.isNull());
}

void tst_RichTextView::coloursPainted()
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
    // The background is light blue: red and green C0, blue FF.
    const QColor back = image.pixelColor(image.width() - 2, image.height() - 2);
    QCOMPARE(back, QColor(0xC0, 0xC0, 0xFF));
    // The text is red, and nothing of the first row is another colour than the
    // background, red, or a blend of the two.
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

void tst_RichTextView::repaintsCoalesced_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("spread");

    QTest::newRow("appends") << 0 << false;
    QTest::newRow("text writes") << 1 << false;
    QTest::newRow("colour changes") << 2 << false;
    QTest::newRow("caret moves") << 3 << false;
    QTest::newRow("append and cut like the terminal") << 4 << false;
    QTest::newRow("appends over many event-loop turns") << 0 << true;
    QTest::newRow("terminal over many event-loop turns") << 4 << true;
}

void tst_RichTextView::repaintsCoalesced()
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
        case 0:
            m.setSelStart(m.length());
            m.setSelText(i % 40 == 39 ? QStringLiteral("\r\n") : QStringLiteral("x"));
            break;
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

void tst_RichTextView::followsTheEnd()
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

void tst_RichTextView::clickPlacesCaret_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("expected");

    // Text "abcd\r\nef\r\nghijk": rows "abcd", "ef", "ghijk".
    QTest::newRow("first char") << 0 << 0 << 0;
    QTest::newRow("inside first row") << 0 << 2 << 2;
    QTest::newRow("beyond the end of a row") << 0 << 30 << 4;
    QTest::newRow("second row") << 1 << 1 << 7;
    QTest::newRow("third row end") << 2 << 5 << 15;
    QTest::newRow("below the text") << 12 << 1 << 11;
}

void tst_RichTextView::clickPlacesCaret()
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

void tst_RichTextView::ansiRoundTrip()
{
    for (int code = 1; code < 256; ++code)
        QCOMPARE(RichTextView::ansiCode(RichTextView::fromAnsi(code)), code);
    QCOMPARE(RichTextView::fromAnsi(0x80), QChar(0x20AC));
    QCOMPARE(RichTextView::fromAnsi(0x9F), QChar(0x0178));
    QCOMPARE(RichTextView::ansiCode(QChar(0x20AC)), 0x80);
    QCOMPARE(RichTextView::ansiCode(QChar(0x0142)), 0);
}

QTEST_MAIN(tst_RichTextView)
#include "tst_richtextview.moc"
