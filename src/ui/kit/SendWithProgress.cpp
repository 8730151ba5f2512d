#include "ui/kit/SendWithProgress.h"

#include "channels/SendControl.h"
#include "channels/SendJob.h"

#include <QDialog>
#include <QWidget>

namespace hanlabel {

SendWithProgress::SendWithProgress(const SendOrder& order, QWidget* window, Finished finished,
                                   JobProgress::ProgressText text) {
    m_job = SendJob::forOrder(order);
    m_job->setStallAfter(StallNoticeTime());
    m_job->keepPicture();
    m_progress = std::make_unique<JobProgress>(window, m_job.get(), order.stream.size());
    if (text)
        m_progress->setProgressText(std::move(text));
    QObject::connect(m_job.get(), &SendJob::progress, window, [this](qint64 sent, qint64) { m_sent = sent; });
    // The box closes before the result is reported; the worker has emitted its last signal then.
    QObject::connect(m_job.get(), &SendJob::finished, window,
                     [this, finished, total = order.stream.size()](bool ok, const QString& message) {
                         m_finished = true;
                         m_progress.reset();
                         finished(SendResult{ok, message, ok ? total : m_sent, m_job->picture(), m_job->wasCancelled()});
                     });
    m_job->start();
}

// A finished worker is let go once the event that reported it is done with it; a running one is
// cancelled and waited for, its result going nowhere.
SendWithProgress::~SendWithProgress() {
    m_progress.reset();
    if (m_finished) {
        m_job.release()->deleteLater();
        return;
    }
    m_job->disconnect();
    m_job.reset();
}

} // namespace hanlabel
