#include "serial/LenientNumber.h"

#include <QTest>

#include <limits>

class LenientNumberTest : public QObject
{
    Q_OBJECT

private slots:
    void read_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");

        QTest::newRow("whole") << "1" << 1;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("plus sign") << "+7" << 7;
        QTest::newRow("minus sign") << "-12" << -12;
        QTest::newRow("half down to even") << "2.5" << 2;
        QTest::newRow("half up to even") << "3.5" << 4;
        QTest::newRow("negative half to even") << "-2.5" << -2;
        QTest::newRow("zero point five") << "0.5" << 0;
        QTest::newRow("one point five") << "1.5" << 2;
        QTest::newRow("below half") << "2.49" << 2;
        QTest::newRow("above half") << "2.51" << 3;
        QTest::newRow("leading point") << ".75" << 1;
        QTest::newRow("trailing point") << "5." << 5;
        QTest::newRow("comma ends the number") << "2,5" << 2;
        QTest::newRow("second point ends it") << "2.5.7" << 2;
        QTest::newRow("blanks inside") << "  4 2" << 42;
        QTest::newRow("blanks in a fraction") << "3 . 5" << 4;
        QTest::newRow("tab and line break") << "\t5\r\n" << 5;
        QTest::newRow("blank after sign") << "- 5" << -5;
        QTest::newRow("trailing letters") << "12abc" << 12;
        QTest::newRow("hexadecimal") << "&H10" << 16;
        QTest::newRow("hexadecimal lower case") << "&h1f" << 31;
        QTest::newRow("hexadecimal stops at non-digit") << "&H1G" << 1;
        QTest::newRow("largest hexadecimal") << "&H7FFF" << 32767;
        QTest::newRow("negative hexadecimal") << "-&H10" << -16;
        QTest::newRow("octal") << "&O17" << 15;
        QTest::newRow("octal lower case") << "&o17" << 15;
        QTest::newRow("octal stops at 8") << "&O178" << 15;
        QTest::newRow("octal without digits") << "&O8" << 0;
        QTest::newRow("largest octal") << "&O77777" << 32767;
        QTest::newRow("ampersand alone") << "&" << 0;
        QTest::newRow("ampersand H alone") << "&H" << 0;
        QTest::newRow("exponent") << "1e3" << 1000;
        QTest::newRow("exponent with sign") << "1E+2" << 100;
        QTest::newRow("negative exponent") << "25e-1" << 2;
        QTest::newRow("fraction with exponent") << "1.5e1" << 15;
        QTest::newRow("letter e without digits") << "1e" << 1;
        QTest::newRow("exponent sign without digits") << "7e-x" << 7;
        QTest::newRow("tiny exponent") << "1e-400" << 0;
        QTest::newRow("zero with huge exponent") << "0e99999" << 0;
        QTest::newRow("many leading zeros") << "0000000000000000000000000042" << 42;
        QTest::newRow("letter") << "x" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("sign alone") << "-" << 0;
        QTest::newRow("point alone") << "." << 0;
        QTest::newRow("comma first") << ",5" << 0;
        QTest::newRow("smallest") << "-32768" << -32768;
        QTest::newRow("largest") << "32767" << 32767;
        QTest::newRow("largest plus a little") << "32767.4" << 32767;
        QTest::newRow("smallest half to even") << "-32768.5" << -32768;
        QTest::newRow("non-ASCII digits read as nothing") << QString::fromUtf8("\u0661\u0662") << 0;
    }

    void read()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        try {
            QCOMPARE(int(LenientNumber::read(text)), expected);
        } catch (const CommError &e) {
            QFAIL(qPrintable(QStringLiteral("unexpected failure: ") + e.description()));
        }
    }

    void overflow_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");   // the number as the description quotes it

        QTest::newRow("too large") << "40000" << "40000";
        QTest::newRow("too small") << "-32769" << "-32769";
        QTest::newRow("half rounds out") << "32767.5" << "32767.5";
        QTest::newRow("hexadecimal beyond 16 bits signed") << "&HFFFF" << "&HFFFF";
        QTest::newRow("octal too large") << "&O100000" << "&O100000";
        QTest::newRow("exponent") << "1e5" << "1e5";
        QTest::newRow("beyond double") << "1e99999" << "1e99999";
        QTest::newRow("negative beyond double") << "-1e400x" << "-1e400";
        QTest::newRow("blanks dropped in the quote") << " 4 0 000 " << "40000";
        QTest::newRow("wall of digits is shortened") << QString(400, u'9')
                                                     << QString(23, u'9') + QChar(0x2026);
        QTest::newRow("wall of hex digits") << "&H" + QString(400, u'F')
                                            << "&H" + QString(21, u'F') + QChar(0x2026);
    }

    void overflow()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        try {
            const int v = LenientNumber::read(text);
            QFAIL(qPrintable(QStringLiteral("read as %1 instead of failing").arg(v)));
        } catch (const CommError &e) {
            QCOMPARE(e.description(), QStringLiteral("Überlauf: \"%1\" liegt außerhalb von -32768 bis 32767.")
                                          .arg(shown));
        }
    }

    void scan_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("number");

        QTest::newRow("fraction kept") << "2.5" << 2.5 << "2.5";
        QTest::newRow("blanks dropped") << "  4 2x" << 42.0 << "42";
        QTest::newRow("exponent part of the number") << "1e3kg" << 1000.0 << "1e3";
        QTest::newRow("unused exponent letter left out") << "1ex" << 1.0 << "1";
        QTest::newRow("hexadecimal") << "&HFF," << 255.0 << "&HFF";
        QTest::newRow("nothing") << "abc" << 0.0 << "";
        QTest::newRow("sign without number") << "-x" << 0.0 << "";
    }

    void scan()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QFETCH(QString, number);
        const LenientNumber::Scan s = LenientNumber::scan(text);
        QCOMPARE(s.value, value);
        QCOMPARE(s.number, number);
    }

    void roundHalfEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("expected");

        QTest::newRow("0.5") << 0.5 << 0.0;
        QTest::newRow("1.5") << 1.5 << 2.0;
        QTest::newRow("2.5") << 2.5 << 2.0;
        QTest::newRow("-0.5") << -0.5 << 0.0;
        QTest::newRow("-1.5") << -1.5 << -2.0;
        QTest::newRow("-2.5") << -2.5 << -2.0;
        QTest::newRow("-2.6") << -2.6 << -3.0;
        QTest::newRow("2.4999") << 2.4999 << 2.0;
        QTest::newRow("infinity stays") << std::numeric_limits<double>::infinity()
                                        << std::numeric_limits<double>::infinity();
    }

    void roundHalfEven()
    {
        QFETCH(double, value);
        QFETCH(double, expected);
        QCOMPARE(LenientNumber::roundHalfEven(value), expected);
    }
};

QTEST_GUILESS_MAIN(LenientNumberTest)
#include "tst_lenientnumber.moc"
