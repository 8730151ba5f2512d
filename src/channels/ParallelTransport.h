#pragma once

#include "channels/Transport.h"

namespace hanlabel {

// "LPT1" as a device, FIFO or file path, opened for writing only without blocking and held under
// an exclusive lock for the job (another job's lock counts as a stall). A FIFO without a reader is
// waited for as a stall. A missing path under /dev is refused, naming HANLABEL_LPT1; elsewhere a
// missing file is created, and a plain file is truncated per job.
std::unique_ptr<Transport> MakeParallelTransport(const QString& target);

} // namespace hanlabel
