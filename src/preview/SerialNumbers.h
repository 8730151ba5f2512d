#pragma once

#include <QByteArray>
#include <QString>

namespace hanlabel {

// The value of a serialized field on the label `step` labels after the first, from its data in
// code page 949: the "^SF" mask (d decimal, h/H hexadecimal, o octal, a/A letters, n/N letters and
// digits, % kept), one position per byte, is aligned with the end of the data and the increment
// with the end of the mask; a leading "-" counts down; digits wrap around.
QString SerialValue(const QByteArray& data, const QString& mask, const QString& increment, qint64 step);

} // namespace hanlabel

namespace hanlabel::zpl {

// A serialized field ("^SF") as the caption describes it: its origin, first data and counting.
struct SerialField {
    int x, y;
    bool typeset; // placed by "^FT", else by "^FO"
    QByteArray data; // the field data as the printer holds it: "^FH" resolved, code page 949
    QString mask, increment;
};

// The values a serialized field runs through over `count` labels: "00012 → 00013 → 00014", the
// first three and the last of a longer run.
QString SerialRun(const SerialField& serial, qint64 count);

// The field with its place and counting, as the caption's details give it.
QString DescribeSerial(const SerialField& serial, qint64 count);

} // namespace hanlabel::zpl
