#pragma once

#include "channels/SendJob.h"
#include "jobs/LabelJob.h"

#include <functional>

namespace hanlabel::test {

// Runs a label job as its window does: the job composes on this thread, a composed order is sent
// through SendAndWait, and the outcome is completed with its result. `progress` sees the send's
// progress. A send that has not ended after a minute is cancelled.
template <typename Job> auto RunLabelJob(Job& job, const std::function<void(qint64, qint64)>& progress = {}) {
    auto out = job.compose();
    if (out.status != JobStatus::Composed)
        return out;
    SendWatch watch;
    watch.progress = progress;
    watch.limit = std::chrono::minutes(1);
    SendEnded(out, SendAndWait(out.order, watch));
    return out;
}

} // namespace hanlabel::test
