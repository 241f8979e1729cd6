#include "terminal/RichTextModel.h"

#include <QSignalSpy>
#include <QTest>

namespace {
constexpr quint32 Red = 0x0000FF;
constexpr quint32 Blue = 0xFF0000;

// The colours of the text as one letter per character: k black, r red, b blue.
QString colours(const RichTextModel &m)
{
    QString s;
    for (int i = 0; i < m.length(); ++i) {
        switch (m.colorAt(i)) {
        case 0: s += u'k'; break;
        case Red: s += u'r'; break;
        case Blue: s += u'b'; break;
        default: s += u'?'; break;
        }
    }
    return s;
}

quint32 colourOf(QChar letter)
{
    return letter == u'r' ? Red : letter == u'b' ? Blue : 0;
}

// The selection [start, start + length) of `initial` replaced by `inserted`
// typed in `colour`.
struct Replace
{
    QString initial, paint;
    int start, length;
    QString colour, inserted, expected, expectedColours;
    int caret;
};

// Builds a model whose text is `text` and whose colours follow `paint`.
void fill(RichTextModel &m, const QString &text, const QString &paint)
{
    m.setText(QString());
    for (int i = 0; i < text.size(); ++i) {
        m.setSelColor(colourOf(i < paint.size() ? paint[i] : QChar(u'k')));
        m.setSelText(text.mid(i, 1));
    }
    m.setSelColor(0);
}
} // namespace

class tst_RichTextModel : public QObject
{
    Q_OBJECT

private slots:
    void textWriteDropsColours_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("paint");
        QTest::addColumn<QString>("written");

        QTest::newRow("red and blue become black") << "a>b TITLE" << "krkbbbbbb" << "new text";
        QTest::newRow("same text again") << "abc" << "rrr" << "abc";
        QTest::newRow("empty text empties") << "abc" << "bbb" << "";
        QTest::newRow("line breaks kept") << "x" << "r" << "one\r\ntwo\r\n";
    }
    void textWriteDropsColours()
    {
        QFETCH(QString, before);
        QFETCH(QString, paint);
        QFETCH(QString, written);

        RichTextModel m;
        fill(m, before, paint);
        QCOMPARE(colours(m), paint);
        m.setSelStart(1);
        m.setSelLength(1);
        m.setText(written);
        QCOMPARE(m.text(), written);
        QCOMPARE(colours(m), QString(written.size(), u'k'));
        QCOMPARE(m.selStart(), 0);
        QCOMPARE(m.selLength(), 0);
    }

    void replaceSelection_data()
    {
        QTest::addColumn<Replace>("c");
        QTest::newRow("last char erased") << Replace{"abc", "kkr", 2, 1, "k", "", "ab", "kk", 2};
        QTest::newRow("middle replaced") << Replace{"abcd", "rrrr", 1, 2, "b", "XYZ", "aXYZd", "rbbbr", 4};
        QTest::newRow("insert without selection")
            << Replace{"abcd", "kkkk", 2, 0, "r", ">", "ab>cd", "kkrkk", 3};
        QTest::newRow("at start") << Replace{"abc", "bbb", 0, 1, "k", "Z", "Zbc", "kbb", 1};
        QTest::newRow("whole text") << Replace{"abc", "rrr", 0, 3, "b", "xy", "xy", "bb", 2};
        QTest::newRow("line break removed")
            << Replace{"ab\r\ncd", "kkkkkk", 2, 2, "k", "", "abcd", "kkkk", 2};
        QTest::newRow("append to empty") << Replace{"", "", 0, 0, "r", "ab", "ab", "rr", 2};
        QTest::newRow("append red cursor") << Replace{"abc", "kkk", 3, 0, "r", ">", "abc>", "kkkr", 4};
        QTest::newRow("append line break") << Replace{"abc", "kkk", 3, 0, "b", "\r\n", "abc\r\n", "kkkbb", 5};
        QTest::newRow("append nothing") << Replace{"abc", "kkk", 3, 0, "r", "", "abc", "kkk", 3};
    }
    void replaceSelection()
    {
        QFETCH(Replace, c);
        RichTextModel m;
        fill(m, c.initial, c.paint);
        m.setSelStart(c.start);
        m.setSelLength(c.length);
        QCOMPARE(m.selText(), c.initial.mid(c.start, c.length));
        // Setting the colour with a selection would recolour it: set it first,
        // with the selection collapsed, as the program's callers do.
        m.setSelStart(c.start);
        m.setSelColor(colourOf(c.colour[0]));
        m.setSelLength(c.length);
        m.setSelText(c.inserted);
        QCOMPARE(m.text(), c.expected);
        QCOMPARE(colours(m), c.expectedColours);
        QCOMPARE(m.selStart(), c.caret);
        QCOMPARE(m.selLength(), 0);
    }

    void selectionBounds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("expectedStart");
        QTest::addColumn<int>("expectedLength");

        QTest::newRow("inside") << "abcdef" << 2 << 3 << 2 << 3;
        QTest::newRow("whole text") << "abc" << 0 << 3 << 0 << 3;
        QTest::newRow("start beyond end") << "abc" << 99 << 1 << 3 << 0;
        QTest::newRow("negative start") << "abc" << -5 << 2 << 0 << 2;
        QTest::newRow("length beyond end") << "abc" << 1 << 99 << 1 << 2;
        QTest::newRow("negative length") << "abc" << 1 << -1 << 1 << 0;
        QTest::newRow("empty text") << "" << 3 << 3 << 0 << 0;
        QTest::newRow("huge values") << "abc" << INT_MAX << INT_MAX << 3 << 0;
        // A line break is two characters, CR and LF, each addressed on its own.
        QTest::newRow("CR LF") << "ab\r\ncd" << 2 << 2 << 2 << 2;
        QTest::newRow("after CR LF") << "ab\r\ncd" << 4 << 9 << 4 << 2;
        QTest::newRow("LF CR between breaks") << "\r\n\r\n" << 1 << 2 << 1 << 2;
        QTest::newRow("beyond a break at the end") << "ab\r\n" << 9 << 1 << 4 << 0;
    }
    void selectionBounds()
    {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(int, expectedStart);
        QFETCH(int, expectedLength);

        RichTextModel m;
        m.setText(text);
        QCOMPARE(m.length(), text.size());
        m.setSelStart(start);
        m.setSelLength(length);
        QCOMPARE(m.selStart(), expectedStart);
        QCOMPARE(m.selLength(), expectedLength);
        QCOMPARE(m.selText(), text.mid(expectedStart, expectedLength));
        // Colouring reaches exactly the clamped selection, nothing without one.
        m.setSelColor(Red);
        QCOMPARE(m.selColor(), Red);
        QString painted(text.size(), u'k');
        painted.replace(expectedStart, expectedLength, QString(expectedLength, u'r'));
        QCOMPARE(colours(m), painted);
        // Writing over it stays inside the text, and what is written takes the colour.
        m.setSelText(QStringLiteral("#"));
        QCOMPARE(m.length(), text.size() - expectedLength + 1);
        QCOMPARE(m.colorAt(expectedStart), Red);
    }

    void notifications_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<int>("changes");
        QTest::addColumn<int>("moves");

        // Starting from "abc" with the caret at 3.
        QTest::newRow("text written") << 0 << 1 << 0;
        QTest::newRow("text appended") << 1 << 1 << 0;
        QTest::newRow("caret moved") << 2 << 0 << 1;
        QTest::newRow("caret set where it is") << 3 << 0 << 0;
        QTest::newRow("colour without selection") << 4 << 0 << 0;
        QTest::newRow("colour of a selection") << 5 << 1 << 2;
    }
    void notifications()
    {
        QFETCH(int, operation);
        QFETCH(int, changes);
        QFETCH(int, moves);

        RichTextModel m;
        m.setText(QStringLiteral("abc"));
        m.setSelStart(3);
        QSignalSpy changed(&m, &RichTextModel::changed);
        QSignalSpy moved(&m, &RichTextModel::selectionChanged);
        switch (operation) {
        case 0: m.setText(QStringLiteral("xyz")); break;
        case 1: m.setSelText(QStringLiteral("d")); break;
        case 2: m.setSelStart(1); break;
        case 3: m.setSelStart(3); break;
        case 4: m.setSelColor(Red); break;
        case 5: m.setSelStart(0); m.setSelLength(2); m.setSelColor(Red); break;
        }
        QCOMPARE(changed.count(), changes);
        QCOMPARE(moved.count(), moves);
    }

    void colourOutsideText()
    {
        RichTextModel m;
        m.setSelColor(Red);
        m.setSelText(QStringLiteral("ab"));
        QCOMPARE(m.colorAt(1), Red);
        QCOMPARE(m.colorAt(2), 0u);
        QCOMPARE(m.colorAt(-1), 0u);
        // Only 24 bits are a colour.
        m.setSelColor(0xFF0000FFu);
        QCOMPARE(m.selColor(), Red);
    }
};

QTEST_APPLESS_MAIN(tst_RichTextModel)
#include "tst_richtextmodel.moc"
