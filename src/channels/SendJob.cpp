#include "channels/SendJob.h"

#include <QThread>

#include <exception>

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

} // namespace hanlabel
