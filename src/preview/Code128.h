#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace hanlabel::zpl {

// A Code 128 symbol as the printer builds it from "^BC" field data in mode N.
struct Code128Symbol {
    std::vector<int> values; // symbol values: the start code, data and function codes, the check value
    QString text;            // the interpretation line: the data characters, without function codes
};

// Reads "^BC" field data the way the printer does when no mode packs it automatically:
// - subset B unless the data starts with ">9" (subset A), ">:" (subset B) or ">;" (subset C);
// - ">" and a second character is an invocation code: "><" "^" (62), ">0" ">" (30), ">=" "~" (94),
//   ">1" DEL (95), ">2" FNC3, ">3" FNC2, ">4" SHIFT, ">5" CODE C, ">6" CODE B in subsets A and C and
//   FNC4 in B, ">7" CODE A in subsets B and C and FNC4 in A, ">8" FNC1; a later ">9", ">:" or ">;"
//   switches to its subset; ">" before any other character (or at the end) is the character ">";
// - in subset B each byte is one character; bytes below 32 go through SHIFT, bytes from 128 through FNC4;
// - in subsets A and C the data is pairs of digits, each pair one symbol value (in A a character,
//   00 to 95); a non-digit opening a pair is ignored, a non-digit closing one drops the pair, and an
//   unpaired digit before an invocation or at the end is ignored;
// - no digits are packed into subset C unless asked for; SHIFT is placed, the data after it is read
//   in the subset in force.
// Returns no values when the data holds no character.
Code128Symbol EncodeCode128(const QByteArray& data);

// The widths in modules of the symbol's bars and spaces (bar, space, bar, ...), stop pattern included.
std::vector<int> Code128Modules(const std::vector<int>& values);

} // namespace hanlabel::zpl
