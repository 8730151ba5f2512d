#pragma once

#include "core/Channel.h"

#include <QIODevice>
#include <QString>

class QSerialPort;

namespace hanlabel {

// Opens serial port 1's device in the mode and sets 9600 baud with the framing, then reads the
// line settings back: a device may accept a setting and silently keep another. Throws Failure
// naming the port and device ("COM1 포트(/dev/ttyUSB0)...") before any byte is written.
void OpenSerialLine(QSerialPort& port, const QString& device, SerialFraming framing,
                    QIODevice::OpenMode mode);

} // namespace hanlabel
