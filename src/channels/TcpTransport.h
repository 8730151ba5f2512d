#pragma once

#include "channels/Transport.h"

#include <chrono>

namespace hanlabel {

// How long a network printer may take at each stage of a job.
struct TcpTimeouts {
    std::chrono::milliseconds connect{5000}; // to accept the connection
    std::chrono::milliseconds stall{10000};  // to take the next bytes of the job
    std::chrono::milliseconds linger{3000};  // to acknowledge the job and close after the last byte
};

// True for "tcp://HOST:PORT" targets.
bool IsTcpTarget(const QString& target);

// Raw TCP to a network printer (port 9100 when none is given): connects with a timeout, writes
// the stream as it is, shuts down the sending side and waits until the printer has taken every
// byte. A refused, silent or early-closing printer is a Failure naming the address and reason.
std::unique_ptr<Transport> MakeTcpTransport(const QString& target, TcpTimeouts timeouts = {});

} // namespace hanlabel
