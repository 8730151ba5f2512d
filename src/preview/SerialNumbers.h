#pragma once

#include <QByteArray>
#include <QString>

namespace hanlabel::zpl {

// A serialized field ("^SF") as the caption describes it: its origin, first data and counting.
struct SerialField {
    int x, y;
    QByteArray data; // the field data as the printer holds it: "^FH" resolved, code page 949
    QString mask, increment;
};

// How a serialized field counts over `count` labels: the first values and the last of the run.
QString DescribeSerial(const SerialField& serial, qint64 count);

} // namespace hanlabel::zpl
