#pragma once

#include "channels/Transport.h"

#include <chrono>

namespace hanlabel {

// How long serial port 1 may take no byte before a job fails.
inline constexpr std::chrono::milliseconds kSerialStallLimit{30000};

// Serial port 1 at 9600 baud with the framing applied after the port has opened.
std::unique_ptr<Transport> MakeSerialTransport(const QString& device, SerialFraming framing);
// The same with another limit on how long the port may take no byte before the job fails.
std::unique_ptr<Transport> MakeSerialTransport(const QString& device, SerialFraming framing,
                                               std::chrono::milliseconds stallLimit);

} // namespace hanlabel
