#pragma once

#include "channels/SendJob.h"
#include "jobs/JobSteps.h"
#include "jobs/LabelJob.h"

#include <QEventLoop>
#include <QTimer>

#include <functional>

namespace hanlabel::test {

// Runs a label job as its window does: the steps on this thread, then the send of a composed job
// on a SendJob whose signals come back here, and the outcome completed with its result.
// `progress` sees the send's progress. A send that has not ended after a minute is cancelled.
template <typename Job> auto RunLabelJob(Job& job, const std::function<void(qint64, qint64)>& progress = {}) {
    auto out = job.Command1_Click();
    if (out.status != JobStatus::Composed)
        return out;
    const auto send = JobSteps::MakeSendJob(out.order);
    QEventLoop loop;
    bool ok = false;
    QString message;
    if (progress)
        QObject::connect(send.get(), &SendJob::progress, &loop, progress);
    QObject::connect(send.get(), &SendJob::finished, &loop, [&](bool sent, const QString& failure) {
        ok = sent;
        message = failure;
        loop.quit();
    });
    QTimer::singleShot(60000, send.get(), &SendJob::cancel);
    send->start();
    loop.exec();
    job.sendFinished(out, ok, message);
    return out;
}

} // namespace hanlabel::test
