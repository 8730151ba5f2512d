#pragma once

#include <QString>

namespace hanlabel::zpl {

// A serialized field ("^SF") as the caption describes it: its origin, first data and counting.
struct SerialField {
    int x, y;
    QString data, mask, increment;
};

// How a serialized field counts over `count` labels: the first values and the last of the run.
QString DescribeSerial(const SerialField& serial, qint64 count);

} // namespace hanlabel::zpl
