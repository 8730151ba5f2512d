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

[[noreturn]] void overflow(const QString& what) {
    throw Failure(QStringLiteral("숫자가 허용 범위(-32768~32767)를 벗어났습니다 (overflow): %1").arg(what));
}

} // namespace

double NumericParse(QStringView text) {
    QString s;
    s.reserve(text.size());
    for (QChar c : text)
        if (!isSkipped(c))
            s.append(c);

    if (s.size() >= 2 && s[0] == u'&') {
        const QChar kind = s[1].toUpper();
        if (kind == u'H')
            return radixValue(s.mid(2), 16);
        if (kind == u'O')
            return radixValue(s.mid(2), 8);
        return 0;
    }

    // Collect the longest prefix that forms a decimal number.
    QByteArray number;
    qsizetype i = 0;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
        number.append(char(s[i++].unicode()));
    bool digits = false;
    while (i < s.size() && isDigit(s[i])) {
        number.append(char(s[i++].unicode()));
        digits = true;
    }
    if (i < s.size() && s[i] == u'.') {
        number.append('.');
        ++i;
        while (i < s.size() && isDigit(s[i])) {
            number.append(char(s[i++].unicode()));
            digits = true;
        }
    }
    if (!digits)
        return 0;
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E' || s[i] == u'd' || s[i] == u'D')) {
        qsizetype j = i + 1;
        QByteArray exponent = "e";
        if (j < s.size() && (s[j] == u'+' || s[j] == u'-'))
            exponent.append(char(s[j++].unicode()));
        bool expDigits = false;
        while (j < s.size() && isDigit(s[j])) {
            exponent.append(char(s[j++].unicode()));
            expDigits = true;
        }
        if (expDigits)
            number += exponent;
    }
    if (number.endsWith('.'))
        number.chop(1);
    bool ok = false;
    double value = number.toDouble(&ok);
    if (!ok) // only out of range can fail here: keep the infinity so that callers see an overflow
        value = number.startsWith('-') ? -std::numeric_limits<double>::infinity()
                                       : std::numeric_limits<double>::infinity();
    return value;
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
