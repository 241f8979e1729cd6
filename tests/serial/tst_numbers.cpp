// Reading numbers: leniently as a technician types them into the service menu,
// strictly as start-up reads a stored value.
#include "serial/LenientNumber.h"
#include "tests/support/core/Refusal.h"

#include <QTest>

namespace {
// The number read, or the description of the refusal.
template <typename F>
QString outcome(F &&read)
{
    QString number;
    const QString why = refusal([&] { number = QString::number(read()); });
    return why.isEmpty() ? number : why;
}

QString overflow(const QString &number)
{
    return QStringLiteral("Überlauf: \"%1\" liegt außerhalb von -32768 bis 32767.").arg(number);
}
} // namespace

class NumbersTest : public QObject
{
    Q_OBJECT

private slots:
    void lenient_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *text, const QString &expected) { QTest::newRow(text) << text << expected; };
        row("2.5", "2");            // halves to the even neighbour
        row("3.5", "4");
        row("2,5", "2");            // a comma ends the number, whatever the locale
        row("  4 2", "42");         // blanks are ignored wherever they stand
        row("12abc", "12");
        row("&H10", "16");
        row("-&H10", "-16");
        row("&O178", "15");
        row("1e3", "1000");
        row("x", "0");
        row("-32768.5", "-32768");
        row("\u0661\u0662", "0");   // non-ASCII digits are no digits
        row("40000", overflow("40000"));
        row("&HFFFF", overflow("&HFFFF"));
        row("1e99999", overflow("1e99999"));
        row(" 4 0 000 ", overflow("40000"));
        QTest::newRow("wall of digits") << QString(400, u'9') << overflow(QString(23, u'9') + QChar(0x2026));
    }
    void lenient()
    {
        QFETCH(QString, text);
        QTEST(outcome([&] { return LenientNumber::read(text); }), "expected");
    }

    // A stored value must be one number and nothing else.
    void strict_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("integer");   // as a 16-bit integer
        QTest::addColumn<QString>("boolean");   // as a Boolean
        const auto mismatch = [](const QString &t) { return QStringLiteral("Typen unverträglich: \"%1\" ist keine Zahl.").arg(t); };
        QTest::newRow("number") << " 3 " << "3" << "1";
        QTest::newRow("half to even") << "2.5" << "2" << "1";
        QTest::newRow("hexadecimal") << "&H10" << "16" << "1";
        QTest::newRow("true any case") << "tRUE" << mismatch("tRUE") << "1";
        QTest::newRow("false") << "False" << mismatch("False") << "0";
        QTest::newRow("blank inside") << "4 2" << mismatch("4 2") << mismatch("4 2");
        QTest::newRow("trailing text") << "12abc" << mismatch("12abc") << mismatch("12abc");
        QTest::newRow("sign before &H") << "-&H10" << mismatch("-&H10") << mismatch("-&H10");
        QTest::newRow("empty") << "" << mismatch("") << mismatch("");
        QTest::newRow("too large") << "40000" << overflow("40000") << "1";
        QTest::newRow("long text quoted short") << QString(5000, u'x') << mismatch(QString(23, u'x') + QChar(0x2026))
                                                << mismatch(QString(23, u'x') + QChar(0x2026));
    }
    void strict()
    {
        QFETCH(QString, text);
        QTEST(outcome([&] { return LenientNumber::toInt16(text); }), "integer");
        QTEST(outcome([&] { return int(LenientNumber::toBoolean(text)); }), "boolean");
    }
};

QTEST_APPLESS_MAIN(NumbersTest)
#include "tst_numbers.moc"
