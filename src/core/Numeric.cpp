#include "core/Numeric.h"

#include "core/Failure.h"

#include <QByteArray>

#include <cmath>
#include <limits>

namespace hanlabel {

namespace {

bool isSkipped(QChar c) { return c == u' ' || c == u'\t' || c == u'\n'; }

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Reads an &H or &O integer from the compacted text (which starts after the '&' and the letter).
double radixValue(const QString& digits, int radix) {
    double value = 0;
    for (QChar c : digits) {
        int d = -1;
        if (isDigit(c))
            d = c.unicode() - u'0';
        else if (radix == 16 && c.toUpper() >= u'A' && c.toUpper() <= u'F')
            d = c.toUpper().unicode() - u'A' + 10;
        if (d < 0 || d >= radix)
            break;
        value = value * radix + d;
    }
    return value;
}

// The text without the blanks, tabs and line feeds that a number may hold anywhere.
QString withoutSkipped(QStringView text) {
    QString s;
    s.reserve(text.size());
    for (QChar c : text)
        if (!isSkipped(c))
            s.append(c);
    return s;
}

// Appends the digits at s[i] onwards to number; says whether there was any.
bool takeDigits(const QString& s, qsizetype& i, QByteArray& number) {
    const qsizetype first = i;
    while (i < s.size() && isDigit(s[i]))
        number.append(char(s[i++].unicode()));
    return i > first;
}

// The longest leading decimal number of the compacted text ("-12.5e3" of "-12.5e3x"), with a 'd'
// exponent written as 'e' and a trailing '.' dropped; empty when the text starts with no digits.
QByteArray decimalPrefix(const QString& s) {
    QByteArray number;
    qsizetype i = 0;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
        number.append(char(s[i++].unicode()));
    bool digits = takeDigits(s, i, number);
    if (i < s.size() && s[i] == u'.') {
        number.append('.');
        ++i;
        digits = takeDigits(s, i, number) || digits;
    }
    if (!digits)
        return {};
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E' || s[i] == u'd' || s[i] == u'D')) {
        qsizetype j = i + 1;
        QByteArray exponent = "e";
        if (j < s.size() && (s[j] == u'+' || s[j] == u'-'))
            exponent.append(char(s[j++].unicode()));
        if (takeDigits(s, j, exponent))
            number += exponent;
    }
    if (number.endsWith('.'))
        number.chop(1);
    return number;
}

// Whether a decimal number too far from 1 for a double is too small (an underflow) rather than too
// large: the place of its first significant digit plus its exponent is below zero.
bool isUnderflow(const QByteArray& number) {
    const qsizetype e = number.indexOf('e');
    const QByteArray mantissa = e < 0 ? number : number.left(e);
    const QByteArray exponentText = e < 0 ? QByteArray() : number.mid(e + 1);
    long long exponent = 0;
    for (const char c : exponentText)
        if (c >= '0' && c <= '9')
            exponent = qMin(exponent * 10 + (c - '0'), 1000000LL); // far past any double either way
    if (exponentText.startsWith('-'))
        exponent = -exponent;
    const qsizetype point = mantissa.contains('.') ? mantissa.indexOf('.') : mantissa.size();
    for (qsizetype i = 0; i < mantissa.size(); ++i) {
        if (mantissa[i] >= '1' && mantissa[i] <= '9') // "12.5" has its first at place 2, "0.05" at -1
            return (i < point ? point - i : point - i + 1) + exponent < 0;
    }
    return true; // all zeros
}

[[noreturn]] void overflow(const QString& what) {
    throw Failure(QStringLiteral("숫자가 허용 범위(-32768~32767)를 벗어났습니다 (overflow): %1").arg(what));
}

} // namespace

double NumericParse(QStringView text) {
    const QString s = withoutSkipped(text);
    if (s.size() >= 2 && s[0] == u'&') {
        const QChar kind = s[1].toUpper();
        if (kind == u'H')
            return radixValue(s.mid(2), 16);
        if (kind == u'O')
            return radixValue(s.mid(2), 8);
        return 0;
    }
    const QByteArray number = decimalPrefix(s);
    if (number.isEmpty())
        return 0;
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (ok)
        return value;
    // Only out of range can fail here. Too small is 0; too large keeps the infinity, so that
    // callers see an overflow.
    if (isUnderflow(number))
        return 0;
    return number.startsWith('-') ? -std::numeric_limits<double>::infinity()
                                  : std::numeric_limits<double>::infinity();
}

int16_t DotPositionFromText(QStringView text) {
    const double rounded = std::nearbyint(NumericParse(text)); // default rounding: half to even
    if (!(rounded >= -32768.0 && rounded <= 32767.0))
        overflow(QStringLiteral("\"%1\"").arg(text.toString()));
    return int16_t(rounded);
}

int16_t Add16(int a, int b) {
    const long long sum = (long long)a + b;
    if (sum < -32768 || sum > 32767)
        overflow(QStringLiteral("%1 + %2").arg(a).arg(b));
    return int16_t(sum);
}

int16_t Mul16(int a, int b) {
    const long long product = (long long)a * b;
    if (product < -32768 || product > 32767)
        overflow(QStringLiteral("%1 × %2").arg(a).arg(b));
    return int16_t(product);
}

QString NumberToText(long long value) { return QString::number(value); }

QString NumberToText(double value) {
    if (value == 0)
        return QStringLiteral("0");
    return QString::number(value, 'g', 15).toUpper();
}

} // namespace hanlabel
