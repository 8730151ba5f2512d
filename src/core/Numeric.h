#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>

namespace hanlabel {

// The numeric value of a text as this program reads a position: blanks, tabs and line feeds are
// skipped anywhere, then the longest leading number (sign, digits, '.', exponent, &H / &O) counts.
// A text without a number gives 0.
double NumericParse(QStringView text);

// NumericParse rounded half to even into a dot position; outside -32768..32767 throws Failure.
int16_t DotPositionFromText(QStringView text);

// Checked 16-bit arithmetic on dot positions; leaving the range throws Failure.
int16_t Add16(int a, int b);
int16_t Mul16(int a, int b);

// Integers as plain decimal digits with a leading '-' when negative.
QString NumberToText(long long value);
// Doubles as the shortest text of at most 15 significant digits ("-1", "13.5").
QString NumberToText(double value);

} // namespace hanlabel
