#include "serial/ParityMarks.h"

#include <QTest>

// The decoder that turns the kernel's parity marks into the replacement byte.
class ParityMarksTest : public QObject
{
    Q_OBJECT

private slots:
    void decode_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<int>("marked");

        const QByteArray ff(1, char(0xFF));
        QTest::newRow("plain text") << QByteArray("Roll\r\n") << QByteArray("Roll\r\n") << 0;
        QTest::newRow("empty") << QByteArray() << QByteArray() << 0;
        QTest::newRow("marked byte") << QByteArray("a\xFF\x00" "Xb", 5) << QByteArray("a?b") << 1;
        QTest::newRow("marked NUL") << QByteArray("\xFF\x00\x00", 3) << QByteArray("?") << 1;
        QTest::newRow("marked 0xFF") << QByteArray("\xFF\x00\xFF", 3) << QByteArray("?") << 1;
        QTest::newRow("literal 0xFF") << QByteArray("\xFF\xFF") << ff << 0;
        QTest::newRow("two literal 0xFF") << QByteArray("\xFF\xFF\xFF\xFF") << ff + ff << 0;
        QTest::newRow("literal then marked") << QByteArray("\xFF\xFF\xFF\x00" "A", 5)
                                             << ff + "?" << 1;
        QTest::newRow("marked then literal") << QByteArray("\xFF\x00" "A\xFF\xFF", 5)
                                             << "?" + ff << 1;
        QTest::newRow("two marks in a row") << QByteArray("\xFF\x00" "A\xFF\x00" "B", 6)
                                            << QByteArray("??") << 2;
        QTest::newRow("NUL alone stays") << QByteArray("a\x00" "b", 3) << QByteArray("a\x00" "b", 3) << 0;
        QTest::newRow("0xFF with anything else passes") << QByteArray("\xFF" "A") << ff + "A" << 0;
        QTest::newRow("0xFE passes") << QByteArray("\xFE\xFD") << QByteArray("\xFE\xFD") << 0;
    }
    void decode()
    {
        QFETCH(QByteArray, in);
        QFETCH(QByteArray, out);
        QFETCH(int, marked);
        ParityMarkDecoder d('?');
        QCOMPARE(d.decode(in), out);
        QCOMPARE(d.markedBytes(), qint64(marked));
        QVERIFY(!d.pending());
    }

    // The kernel may end a read in the middle of a mark: every cut gives the
    // same bytes as one read.
    void decodeAcrossReads_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::newRow("mark") << QByteArray("ab\xFF\x00" "Xcd", 7);
        QTest::newRow("literal") << QByteArray("ab\xFF\xFF" "cd", 6);
        QTest::newRow("mixed") << QByteArray("\xFF\xFF\xFF\x00\xFF\xFF\xFF" "z", 8);
    }
    void decodeAcrossReads()
    {
        QFETCH(QByteArray, in);
        const QByteArray whole = ParityMarkDecoder('#').decode(in);
        for (int cut = 0; cut <= in.size(); ++cut) {
            ParityMarkDecoder d('#');
            QByteArray got = d.decode(in.left(cut));
            got += d.decode(in.mid(cut));
            QCOMPARE(got, whole);
        }
        // One byte per read as well.
        ParityMarkDecoder d('#');
        QByteArray got;
        for (char c : in)
            got += d.decode(QByteArray(1, c));
        QCOMPARE(got, whole);
    }

    void heldBackUntilComplete()
    {
        ParityMarkDecoder d('*');
        QCOMPARE(d.decode(QByteArray("x\xFF", 2)), QByteArray("x"));
        QVERIFY(d.pending());
        QCOMPARE(d.decode(QByteArray("\x00", 1)), QByteArray());
        QVERIFY(d.pending());
        QCOMPARE(d.decode(QByteArray("Q")), QByteArray("*"));
        QVERIFY(!d.pending());
    }

    void resetForgetsHalfMark()
    {
        ParityMarkDecoder d('?');
        d.decode(QByteArray("\xFF\x00", 2));
        d.reset();
        QCOMPARE(d.decode(QByteArray("A")), QByteArray("A"));
    }

    void replacementChanges()
    {
        ParityMarkDecoder d('?');
        d.setReplacement('_');
        QCOMPARE(d.replacement(), '_');
        QCOMPARE(d.decode(QByteArray("\xFF\x00" "A", 3)), QByteArray("_"));
    }
};

QTEST_GUILESS_MAIN(ParityMarksTest)
#include "tst_paritymarks.moc"
