#pragma once

#include "channels/Transport.h"
#include "preview/ZplRenderer.h"

#include <functional>

namespace hanlabel {

// Shows the picture of a job to the operator. The application registers one (a window); the
// engine itself has no widgets.
using PreviewPresenter = std::function<void(const PreviewResult&)>;
void SetPreviewPresenter(PreviewPresenter presenter);

// The virtual printer. "preview:" hands each job's picture to the presenter; "preview:PATH.png"
// writes the picture to that file instead. Either way the job counts as printed.
std::unique_ptr<Transport> MakePreviewTransport(const QString& target);

} // namespace hanlabel
