#pragma once

#include "channels/Transport.h"
#include "preview/ZplRenderer.h"

namespace hanlabel {

// The virtual printer. "preview:" hands each job's picture to the send's watcher
// (SendControl::picture), which shows it; "preview:PATH.png" writes the picture to that file
// instead. Either way the job counts as printed.
std::unique_ptr<Transport> MakePreviewTransport(const QString& target);

} // namespace hanlabel
