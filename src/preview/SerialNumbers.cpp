#include "preview/SerialNumbers.h"

#include "core/Cp949.h"
#include "preview/ZplRenderer.h"

#include <QStringList>

#include <algorithm>
#include <vector>

namespace hanlabel {

namespace {

// Whether a byte is an ASCII small letter.
bool IsLower(char c) { return c >= 'a' && c <= 'z'; }

// Radix of one "^SF" mask character; 0 for a position that does not count.
int MaskRadix(QChar m) {
    switch (m.toUpper().unicode()) {
    case 'D':
        return 10;
    case 'H':
        return 16;
    case 'O':
        return 8;
    case 'A':
        return 26;
    case 'N':
        return 36;
    default:
        return 0;
    }
}

// The value of a byte as a digit of the radix; 0 for a byte that is no such digit.
int DigitValue(char c, int radix) {
    const char u = IsLower(c) ? char(c - 'a' + 'A') : c;
    int v = -1;
    if (radix == 26)
        v = u >= 'A' && u <= 'Z' ? u - 'A' : -1;
    else if (u >= '0' && u <= '9')
        v = u - '0';
    else if (u >= 'A' && u <= 'Z')
        v = u - 'A' + 10;
    return v >= 0 && v < radix ? v : 0;
}

// The byte of a digit value, lower case where the data had a lower-case letter.
char DigitChar(int v, int radix, bool lower) {
    const char c = radix == 26 ? char('A' + v) : v < 10 ? char('0' + v) : char('A' + v - 10);
    return lower && c >= 'A' ? char(c - 'A' + 'a') : c;
}

// The increment times the step, in the mixed radix of the mask; the increment is aligned with its end.
std::vector<int> ScaledIncrement(const QString& inc, const std::vector<int>& radix, qint64 step) {
    const qsizetype n = qsizetype(radix.size());
    std::vector<int> delta(radix.size(), 0);
    qint64 carry = 0;
    for (qsizetype i = n - 1; i >= 0; --i) {
        if (!radix[i])
            continue;
        const qsizetype j = i - (n - inc.size());
        const qint64 unit = j >= 0 ? DigitValue(inc[j].toLatin1(), radix[i]) : 0;
        const qint64 v = unit * step + carry;
        delta[i] = int(v % radix[i]);
        carry = v / radix[i];
    }
    return delta;
}

// Adds the delta to the digits, or takes it away; the carry off the first digit is lost, so they wrap.
void AddDigits(std::vector<int>& digit, const std::vector<int>& delta, const std::vector<int>& radix,
               bool down) {
    int c = 0;
    for (qsizetype i = qsizetype(radix.size()) - 1; i >= 0; --i) {
        if (!radix[i])
            continue;
        int v = down ? digit[i] - delta[i] - c : digit[i] + delta[i] + c;
        c = 0;
        if (v < 0) {
            v += radix[i];
            c = 1;
        } else if (v >= radix[i]) {
            v -= radix[i];
            c = 1;
        }
        digit[i] = v;
    }
}

} // namespace

QString SerialValue(const QByteArray& data, const QString& mask, const QString& increment, qint64 step) {
    if (mask.isEmpty() || step <= 0)
        return DecodeCp949(data);
    const bool down = increment.startsWith(u'-');
    QString inc = down ? increment.mid(1) : increment;
    if (inc.trimmed().isEmpty())
        inc = QStringLiteral("1");
    // The mask covers bytes, not characters: a double-byte character takes two positions.
    const qsizetype n = mask.size();
    const qsizetype offset = data.size() - n;
    std::vector<int> radix(n), digit(n);
    for (qsizetype i = 0; i < n; ++i) {
        radix[i] = offset + i >= 0 ? MaskRadix(mask[i]) : 0;
        digit[i] = radix[i] ? DigitValue(data[offset + i], radix[i]) : 0;
    }
    AddDigits(digit, ScaledIncrement(inc, radix, step), radix, down);
    QByteArray out = data;
    for (qsizetype i = 0; i < n; ++i)
        if (radix[i])
            out[offset + i] = DigitChar(digit[i], radix[i], IsLower(data[offset + i]));
    return DecodeCp949(out);
}

namespace zpl {

QString SerialRun(const SerialField& s, qint64 count) {
    QStringList values;
    for (qint64 k = 0; k < std::min<qint64>(count, 3); ++k)
        values << SerialValue(s.data, s.mask, s.increment, k);
    if (count > 4)
        values << QStringLiteral("…");
    if (count > 3)
        values << SerialValue(s.data, s.mask, s.increment, count - 1);
    return s.mask.isEmpty() ? QStringLiteral("모든 라벨이 %1").arg(DecodeCp949(s.data))
                            : values.join(QStringLiteral(" → "));
}

QString DescribeSerial(const SerialField& s, qint64 count) {
    const QString how = s.mask.isEmpty() ? QStringLiteral("마스크가 비어 모든 라벨이 %1").arg(DecodeCp949(s.data))
                                         : SerialRun(s, count);
    return QStringLiteral("일련번호 ^F%1%2,%3 ^SF%4,%5: %6")
        .arg(QChar(s.typeset ? u'T' : u'O'))
        .arg(s.x)
        .arg(s.y)
        .arg(s.mask, s.increment, how);
}

} // namespace zpl

} // namespace hanlabel
