#pragma once

#include "channels/SendOrder.h"
#include "ui/kit/JobProgress.h"

#include <functional>
#include <memory>

class QWidget;

namespace hanlabel {

class SendJob;

// A composed order on its way from a window or dialog: the worker with the stall time of the
// environment and the "인쇄 중" box over the window. `finished` gets the result on the window's
// thread, once, with the picture of a "preview:" job for the window to show; the owner may
// destroy this object from there. Destroying it before then cancels the send and reports nothing.
class SendWithProgress {
  public:
    using Finished = std::function<void(const SendResult& result)>;
    // Starts the send. Throws Failure when the channel cannot be made; nothing is sent then.
    SendWithProgress(const SendOrder& order, QWidget* window, Finished finished,
                     JobProgress::ProgressText text = {});
    ~SendWithProgress();
    // The "인쇄 중" box, for what it says and offers.
    JobProgress& progress() { return *m_progress; }
    SendWithProgress(const SendWithProgress&) = delete;
    SendWithProgress& operator=(const SendWithProgress&) = delete;

  private:
    std::unique_ptr<SendJob> m_job;
    std::unique_ptr<JobProgress> m_progress;
    qint64 m_sent = 0;
    bool m_finished = false;
};

} // namespace hanlabel
