#pragma once

#include "channels/Transport.h"

namespace hanlabel {

// "LPT1" opened as a sequential output file: a plain file is truncated per job.
std::unique_ptr<Transport> MakeParallelTransport(const QString& target);

} // namespace hanlabel
