#include "compose/GraphicCompression.h"

#include <algorithm>
#include <cstring>

namespace hanlabel {

namespace {

// One letter of each kind at most: 400 + 19.
constexpr int kLongestCount = 419;

// Writes at `w`, which it returns advanced; never more characters than the run has digits.
char* writeRun(char* w, char digit, int length) {
    while (length > 0) {
        const int part = std::min(length, kLongestCount);
        if (part <= 2) {
            // A count would be as long as the digits themselves.
            for (int k = 0; k < part; ++k)
                *w++ = digit;
        } else {
            if (part >= 20)
                *w++ = char('g' + part / 20 - 1);
            if (part % 20)
                *w++ = char('G' + part % 20 - 1);
            *w++ = digit;
        }
        length -= part;
    }
    return w;
}

char* writeRow(char* w, const char* row, int digits) {
    int end = digits;
    while (end > 0 && row[end - 1] == '0')
        --end;
    // "," fills whole bytes: of an odd number of trailing zeros, the first stays a digit.
    if ((digits - end) % 2)
        ++end;
    for (int i = 0; i < end;) {
        int j = i + 1;
        while (j < end && row[j] == row[i])
            ++j;
        w = writeRun(w, row[i], j - i);
        i = j;
    }
    if (end < digits)
        *w++ = ',';
    return w;
}

} // namespace

QByteArray CompressGraphicData(const QByteArray& hex, int bytesPerRow) {
    const int rowDigits = bytesPerRow * 2;
    if (bytesPerRow <= 0 || hex.size() % rowDigits != 0)
        return hex;
    const auto isHexDigit = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    };
    if (!std::all_of(hex.begin(), hex.end(), isHexDigit))
        return hex;
    const QByteArray digits = hex.toUpper();
    QByteArray out(digits.size(), Qt::Uninitialized); // a row never comes out longer than it went in
    char* w = out.data();
    for (qsizetype at = 0; at < digits.size(); at += rowDigits) {
        const char* row = digits.constData() + at;
        if (at > 0 && std::memcmp(row, row - rowDigits, size_t(rowDigits)) == 0)
            *w++ = ':';
        else
            w = writeRow(w, row, rowDigits);
    }
    out.truncate(w - out.constData());
    return out;
}

} // namespace hanlabel
