#include "core/Cp949.h"
#include "core/Failure.h"
#include "core/Numeric.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <limits>

using namespace hanlabel;

class TestNumeric : public QObject {
    Q_OBJECT
  private slots:
    void numericParse_data();
    void numericParse();
    void numericParseNeverCrashes();
    void dotPosition_data();
    void dotPosition();
    void checkedArithmetic();
    void numberToText_data();
    void numberToText();
    void cp949();
};

void TestNumeric::numericParse_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("integer") << "40" << 40.0;
    QTest::newRow("unit after number") << "40mm" << 40.0;
    QTest::newRow("blank inside") << "1 2" << 12.0;
    QTest::newRow("tab and line feed skipped") << "\t1\n3" << 13.0;
    QTest::newRow("half") << "12.5" << 12.5;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("negative") << "-7" << -7.0;
    QTest::newRow("plus sign") << "+7" << 7.0;
    QTest::newRow("blank after sign") << "- 7" << -7.0;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("exponent with sign") << "25E-1" << 2.5;
    QTest::newRow("exponent without digits") << "1e" << 1.0;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
    QTest::newRow("comma is no decimal point") << "1,5" << 1.0;
    QTest::newRow("hexadecimal") << "&H1F" << 31.0;
    QTest::newRow("hexadecimal lower case") << "&hff" << 255.0;
    QTest::newRow("octal") << "&O17" << 15.0;
    QTest::newRow("ampersand alone") << "&" << 0.0;
    QTest::newRow("sign alone") << "-" << 0.0;
    QTest::newRow("carriage return stops") << "1\r2" << 1.0;
    QTest::newRow("hangul stops") << "12가3" << 12.0;
    QTest::newRow("underflow") << "1e-400" << 0.0;
    QTest::newRow("negative underflow") << "-1e-400" << 0.0;
    QTest::newRow("underflow with a long mantissa") << "123456.789e-330" << 0.0;
    QTest::newRow("underflow after leading zeros") << "0.000001d-320" << 0.0;
    QTest::newRow("huge exponent of zero") << "0e999999" << 0.0;
    QTest::newRow("small exponent of a long number") << (QString(400, '1') + "e-390") << 1.1111111111111111e9;
    QTest::newRow("overflow") << "1e400" << std::numeric_limits<double>::infinity();
    QTest::newRow("negative overflow") << "-1e400" << -std::numeric_limits<double>::infinity();
    QTest::newRow("overflow despite a negative exponent")
        << (QString(400, '9') + "e-50") << std::numeric_limits<double>::infinity();
}

void TestNumeric::numericParse() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(NumericParse(text), value);
}

// Random texts from the characters that matter to the parser must give a finite or infinite
// number, never crash, and agree with the digits-only reading when the text is plain digits.
void TestNumeric::numericParseNeverCrashes() {
    const QString alphabet = QStringLiteral("0123456789+-.eEdDhHoO& \t\nx가");
    auto* random = QRandomGenerator::global();
    for (int round = 0; round < 20000; ++round) {
        QString text;
        const int length = random->bounded(12);
        for (int i = 0; i < length; ++i)
            text += alphabet[random->bounded(int(alphabet.size()))];
        const double value = NumericParse(text);
        QVERIFY2(!std::isnan(value), qPrintable(text));
    }
    for (int round = 0; round < 1000; ++round) {
        const int n = random->bounded(1000000);
        QCOMPARE(NumericParse(QString::number(n)), double(n));
    }
}

void TestNumeric::dotPosition_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("dots");
    QTest::addColumn<bool>("overflows");
    QTest::newRow("12.5 to even") << "12.5" << 12 << false;
    QTest::newRow("13.5 to even") << "13.5" << 14 << false;
    QTest::newRow("-0.5 to zero") << "-0.5" << 0 << false;
    QTest::newRow("99.5") << "99.5" << 100 << false;
    QTest::newRow("100.5") << "100.5" << 100 << false;
    QTest::newRow("40mm") << "40mm" << 40 << false;
    QTest::newRow("empty") << "" << 0 << false;
    QTest::newRow("letters") << "abc" << 0 << false;
    QTest::newRow("upper bound") << "32767.4" << 32767 << false;
    QTest::newRow("just over") << "32767.5" << 0 << true;
    QTest::newRow("lower bound rounds to even") << "-32768.5" << -32768 << false;
    QTest::newRow("below") << "-32769" << 0 << true;
    QTest::newRow("40000") << "40000" << 0 << true;
    QTest::newRow("huge exponent") << "1e400" << 0 << true;
    QTest::newRow("tiny exponent is zero") << "1e-400" << 0 << false;
    QTest::newRow("tiny negative is zero") << "-5e-999" << 0 << false;
}

void TestNumeric::dotPosition() {
    QFETCH(QString, text);
    QFETCH(int, dots);
    QFETCH(bool, overflows);
    if (overflows) {
        try {
            DotPositionFromText(text);
            QFAIL("no overflow");
        } catch (const Failure& f) {
            QVERIFY(f.message().contains(QLatin1String("overflow")));
        }
    } else {
        QCOMPARE(int(DotPositionFromText(text)), dots);
    }
}

void TestNumeric::checkedArithmetic() {
    QCOMPARE(int(Add16(32749, 18)), 32767);
    QCOMPARE(int(Add16(-32768, 0)), -32768);
    QVERIFY_THROWS_EXCEPTION(Failure, Add16(32750, 18));
    QVERIFY_THROWS_EXCEPTION(Failure, Add16(-32768, -1));
    QCOMPARE(int(Mul16(1023, 32)), 32736);
    QVERIFY_THROWS_EXCEPTION(Failure, Mul16(1024, 32));
    QCOMPARE(int(Mul16(-1024, 32)), -32768);
}

void TestNumeric::numberToText_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("minus one") << -1.0 << "-1";
    QTest::newRow("nineteen") << 19.0 << "19";
    QTest::newRow("fraction") << 13.5 << "13.5";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("tenth") << 0.1 + 1 << "1.1";
    QTest::newRow("large") << 123456789012345.0 << "123456789012345";
}

void TestNumeric::numberToText() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(NumberToText(value), text);
    QCOMPARE(NumberToText(-5LL), QStringLiteral("-5"));
}

void TestNumeric::cp949() {
    QCOMPARE(EncodeCp949(QStringLiteral("A가한ㄱ")), QByteArray("A\xB0\xA1\xC7\xD1\xA4\xA1"));
    // 똠 lies outside KS X 1001 but inside code page 949's extension (a smaller code page gets it wrong)
    QCOMPARE(EncodeCp949Char(U'똠').value(), QByteArray("\x8C\x63"));
    QVERIFY(!EncodeCp949Char(U'\U0001F600').has_value());
    QVERIFY(!EncodeCp949Char(U'ก').has_value());
    try {
        EncodeCp949(QStringLiteral("a😀"));
        QFAIL("an unmappable character must not become \"?\"");
    } catch (const Failure& f) {
        QVERIFY(f.message().contains(QStringLiteral("😀")));
    }
    QCOMPARE(DecodeCp949(QByteArray("\xC7\xD1\xB1\xDB 1")), QStringLiteral("한글 1"));
}

QTEST_GUILESS_MAIN(TestNumeric)
#include "tst_numeric.moc"
