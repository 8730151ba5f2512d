#pragma once

#include "jobs/JobTypes.h"
#include "ui/kit/JobProgress.h"

#include <functional>
#include <memory>

class QWidget;

namespace hanlabel {

class PreviewOwnerScope;
class SendJob;

// A composed order on its way from a window: the worker with the stall time of the environment,
// the "인쇄 중" box over the window, and a "preview:" job shown in the preview window of
// `previewOwner`. `finished` gets the result on the window's thread, once; the owner may destroy
// this object from there. Destroying it before then cancels the send and reports nothing.
class SendWithProgress {
  public:
    using Finished = std::function<void(bool ok, const QString& message)>;
    // Starts the send. Throws Failure when the channel cannot be made; nothing is sent then.
    SendWithProgress(const SendOrder& order, QWidget* window, QWidget* previewOwner, Finished finished,
                     JobProgress::ProgressText text = {});
    ~SendWithProgress();
    SendWithProgress(const SendWithProgress&) = delete;
    SendWithProgress& operator=(const SendWithProgress&) = delete;

    SendJob* job() const { return m_job.get(); }

  private:
    std::unique_ptr<PreviewOwnerScope> m_previewOwner;
    std::unique_ptr<SendJob> m_job;
    std::unique_ptr<JobProgress> m_progress;
    bool m_finished = false;
};

} // namespace hanlabel
