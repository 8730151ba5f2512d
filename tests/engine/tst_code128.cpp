#include "preview/Code128.h"

#include <QSet>
#include <QTest>

#include <numeric>

using namespace hanlabel::zpl;

using Values = std::vector<int>;
Q_DECLARE_METATYPE(Values)

// Code 128 as the printer reads "^BC" field data in mode N.
class TestCode128 : public QObject {
    Q_OBJECT
  private slots:
    void values_data();
    void values();
    void patternsAreCode128();
    void modulesEndWithTheStop();
};

void TestCode128::values_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<Values>("expected"); // start and data values; the check value is computed below
    QTest::addColumn<QString>("text");
    QTest::newRow("subset B by default")
        << QByteArray("0000123") << Values{104, 16, 16, 16, 16, 17, 18, 19} << "0000123";
    QTest::newRow("start code B") << QByteArray(">:Ab") << Values{104, 33, 66} << "Ab";
    QTest::newRow("start code C") << QByteArray(">;000012") << Values{105, 0, 0, 12} << "000012";
    QTest::newRow("C: a letter opening a pair is ignored")
        << QByteArray(">;12D34") << Values{105, 12, 34} << "1234";
    QTest::newRow("C: a letter closing a pair drops it") << QByteArray(">;1D234") << Values{105, 23} << "23";
    QTest::newRow("C: unpaired digit at the end") << QByteArray(">;123") << Values{105, 12} << "12";
    QTest::newRow("C: unpaired digit before a shift")
        << QByteArray(">;123>6A") << Values{105, 12, 100, 33} << "12A";
    QTest::newRow("start code A: pairs give characters")
        << QByteArray(">9333435") << Values{103, 33, 34, 35} << "ABC";
    QTest::newRow("A: control character, pair above 95 dropped")
        << QByteArray(">96596") << Values{103, 65} << "";
    QTest::newRow("B to C and back") << QByteArray("A>51234>6B") << Values{104, 33, 99, 12, 34, 100, 34}
                                     << "A1234B";
    QTest::newRow("B to A") << QByteArray("X>733") << Values{104, 56, 101, 33} << "XA";
    QTest::newRow("later start code switches")
        << QByteArray("A>;12>:B") << Values{104, 33, 99, 12, 100, 34} << "A12B";
    QTest::newRow("same subset again adds nothing") << QByteArray(">:A>:B") << Values{104, 33, 34} << "AB";
    QTest::newRow("escaped characters") << QByteArray("><>0>=>1") << Values{104, 62, 30, 94, 95} << "^>~";
    QTest::newRow("functions") << QByteArray(">8A>2>3>6") << Values{104, 102, 33, 96, 97, 100} << "A";
    QTest::newRow("FNC4 in subset A") << QByteArray(">9>733") << Values{103, 101, 33} << "A";
    QTest::newRow("greater-than before another character")
        << QByteArray("A>XB") << Values{104, 33, 30, 56, 34} << "A>XB";
    QTest::newRow("greater-than at the end") << QByteArray("12>") << Values{104, 17, 18, 30} << "12>";
    QTest::newRow("control byte through SHIFT") << QByteArray("A\tB") << Values{104, 33, 98, 73, 34} << "AB";
    QTest::newRow("high byte through FNC4") << QByteArray("\xC1") << Values{104, 100, 33} << "A";
    QTest::newRow("delete") << QByteArray("\x7F") << Values{104, 95} << "";
}

void TestCode128::values() {
    QFETCH(QByteArray, data);
    QFETCH(Values, expected);
    QFETCH(QString, text);
    int check = expected[0];
    for (size_t i = 1; i < expected.size(); ++i)
        check += int(i) * expected[i];
    expected.push_back(check % 103);
    const Code128Symbol symbol = EncodeCode128(data);
    QCOMPARE(symbol.values, expected);
    QCOMPARE(symbol.text, text);
}

void TestCode128::patternsAreCode128() {
    // Every value: three bars and three spaces over 11 modules, an even number of them black, and no
    // two values alike.
    QSet<QString> seen;
    for (int value = 0; value <= 105; ++value) {
        const std::vector<int> modules = Code128Modules({value});
        const std::vector<int> own(modules.begin(), modules.end() - 7);
        QCOMPARE(int(own.size()), 6);
        QCOMPARE(std::accumulate(own.begin(), own.end(), 0), 11);
        QCOMPARE((own[0] + own[2] + own[4]) % 2, 0);
        QString key;
        for (int m : own)
            key += QChar(u'0' + m);
        QVERIFY2(!seen.contains(key), qPrintable(QStringLiteral("value %1 repeats %2").arg(value).arg(key)));
        seen.insert(key);
    }
}

void TestCode128::modulesEndWithTheStop() {
    const std::vector<int> modules = Code128Modules({104, 33, 71});
    QCOMPARE(modules.size(), size_t(3 * 6 + 7));
    QCOMPARE(std::vector<int>(modules.end() - 7, modules.end()), (std::vector<int>{2, 3, 3, 1, 1, 1, 2}));
    QCOMPARE(std::accumulate(modules.begin(), modules.end(), 0), 3 * 11 + 13);
    QVERIFY(Code128Modules({}).empty());
    QVERIFY(EncodeCode128(">;").values.empty());
    QVERIFY(EncodeCode128("").values.empty());
}

QTEST_APPLESS_MAIN(TestCode128)
#include "tst_code128.moc"
