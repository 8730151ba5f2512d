#pragma once

#include <QChar>

namespace hanlabel {

// Every character that ends a line somewhere (CR, LF, VT, FF, U+0085, U+2028, U+2029): a one-line
// value holding one would become two lines in a settings file.
constexpr bool IsLineBreak(QChar ch) {
    switch (ch.unicode()) {
    case u'\n':
    case u'\v':
    case u'\f':
    case u'\r':
    case 0x0085:
    case 0x2028:
    case 0x2029:
        return true;
    default:
        return false;
    }
}

} // namespace hanlabel
