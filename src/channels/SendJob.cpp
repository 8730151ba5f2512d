#include "channels/SendJob.h"

#include "channels/TargetFactory.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <exception>

#include <unistd.h>

namespace hanlabel {

SendJob::SendJob(std::unique_ptr<Transport> transport, QByteArray stream, QObject* parent)
    : QObject(parent), m_transport(std::move(transport)), m_stream(std::move(stream)),
      m_target(m_transport->description()) {
    m_control.progress = [this](qint64 sent, qint64 total) { emit progress(sent, total); };
    m_control.stall = [this](bool stalled, const QString& notice) { emit stallChanged(stalled, notice); };
}

SendJob::~SendJob() {
    if (m_thread) {
        m_control.cancel();
        m_thread->wait();
        delete m_thread;
    }
}

std::unique_ptr<SendJob> SendJob::forOrder(const SendOrder& order) {
    return std::make_unique<SendJob>(OpenTransport(order.kind, order.framing), order.stream);
}

void SendJob::keepPicture() {
    m_control.picture = [this](const PreviewResult& picture) { m_picture = picture; };
}

void SendJob::setStallAfter(std::chrono::milliseconds stallAfter) { m_control.stallAfter = stallAfter; }

void SendJob::start() {
    if (m_thread)
        return;
    m_thread = QThread::create([this] { run(); });
    m_thread->setObjectName(QStringLiteral("hanlabel-send"));
    m_thread->start();
}

bool SendJob::isRunning() const { return m_thread && !m_thread->isFinished(); }

void SendJob::cancel() { m_control.cancel(); }

// The worker: every way out of the send ends in exactly one finished signal.
void SendJob::run() {
    try {
        m_transport->send(m_stream, m_control);
    } catch (const SendCancelled& cancelled) {
        m_cancelled = true;
        emit finished(false, cancelled.message());
        return;
    } catch (const Failure& failure) {
        emit finished(false, failure.message());
        return;
    } catch (const std::exception& error) {
        emit finished(false, QStringLiteral("%1: 인쇄 중 오류가 났습니다: %2")
                                 .arg(m_target, QString::fromLocal8Bit(error.what())));
        return;
    }
    emit finished(true, {});
}

SendResult SendAndWait(const SendOrder& order, const SendWatch& watch) {
    SendResult result;
    const std::unique_ptr<SendJob> job = SendJob::forOrder(order);
    job->setStallAfter(StallNoticeTime());
    QEventLoop loop;
    QObject::connect(job.get(), &SendJob::progress, &loop, [&](qint64 sent, qint64 total) {
        result.sent = sent;
        if (watch.progress)
            watch.progress(sent, total);
    });
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, job.get(), [&] {
        if (watch.gaveUp)
            watch.gaveUp();
        job->cancel();
    });
    QObject::connect(job.get(), &SendJob::stallChanged, &loop, [&](bool stalled, const QString& notice) {
        if (watch.stall)
            watch.stall(stalled, notice);
        if (!stalled)
            giveUp.stop();
        else if (watch.giveUpAfterStall)
            giveUp.start(*watch.giveUpAfterStall);
    });
    std::optional<QSocketNotifier> interrupt;
    if (watch.cancelDescriptor >= 0) {
        interrupt.emplace(watch.cancelDescriptor, QSocketNotifier::Read);
        QObject::connect(&*interrupt, &QSocketNotifier::activated, job.get(), [&] {
            char byte;
            while (::read(watch.cancelDescriptor, &byte, 1) > 0) {
            }
            job->cancel();
        });
    }
    if (watch.limit)
        QTimer::singleShot(*watch.limit, job.get(), &SendJob::cancel);
    QObject::connect(job.get(), &SendJob::finished, &loop, [&](bool ok, const QString& message) {
        result.ok = ok;
        result.message = message;
        result.cancelled = job->wasCancelled();
        loop.quit();
    });
    job->start();
    loop.exec();
    if (result.ok)
        result.sent = order.stream.size();
    return result;
}

} // namespace hanlabel
