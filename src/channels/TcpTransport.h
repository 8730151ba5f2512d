#pragma once

#include "channels/Transport.h"

#include <chrono>

namespace hanlabel {

// How long a network printer may take to accept the connection.
inline constexpr std::chrono::milliseconds kTcpConnectLimit{5000};

// Raw TCP to a network printer (its raw port when none is given): connects within the limit, writes
// the stream as it is, shuts down the sending side and completes once the printer has
// acknowledged every byte (or closed after reading everything). Acknowledgements count as
// progress; a printer that takes nothing is a stall, never a failure. A refused or silent
// connection, a reset or an early close is a Failure naming the address and the system's reason.
std::unique_ptr<Transport> MakeTcpTransport(const QString& target,
                                            std::chrono::milliseconds connectLimit = kTcpConnectLimit);

} // namespace hanlabel
