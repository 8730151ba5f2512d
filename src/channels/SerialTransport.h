#pragma once

#include "channels/Transport.h"

namespace hanlabel {

// Serial port 1 at 9600 baud with the framing applied after the port has opened; a setting the
// device refuses or does not keep stops the job before any byte is written. The line has no flow
// control; a device that still takes no bytes (a pseudo-terminal nobody reads) is a stall. On
// cancel the driver's queue is discarded and the report counts only the bytes that left.
std::unique_ptr<Transport> MakeSerialTransport(const QString& device, SerialFraming framing);

} // namespace hanlabel
