#pragma once

#include "channels/Transport.h"

namespace hanlabel {

// The target that stands for "LPT1": $HANLABEL_LPT1, else the printer connection's choice, else
// /dev/lp0 (Windows: LPT1).
QString ParallelPortTarget();
// The device of serial port 1: $HANLABEL_COM1, else the printer connection's choice, else
// /dev/ttyS0 (Windows: COM1).
QString SerialPortTarget();

// The transport for an "LPT1" target: a file or device path (/dev/usb/lp0), "tcp://HOST:PORT",
// "cups:QUEUE", "preview:" or "preview:PATH.png".
std::unique_ptr<Transport> MakeTargetTransport(const QString& target);

// The transport for a job on the chosen channel, from the platform mapping above.
std::unique_ptr<Transport> OpenTransport(ChannelKind kind, SerialFraming framing);

} // namespace hanlabel
