#pragma once

#include "channels/Transport.h"
#include "preview/ZplRenderer.h"

namespace hanlabel {

// True for the targets of the virtual printer: "preview:" and "preview:PATH.png".
bool IsPreviewTarget(const QString& target);

// The virtual printer. "preview:" hands each job's picture to the send's watcher
// (SendControl::picture), which shows it; "preview:PATH.png" writes the picture to that file
// instead. Either way the job counts as printed.
std::unique_ptr<Transport> MakePreviewTransport(const QString& target);

} // namespace hanlabel
