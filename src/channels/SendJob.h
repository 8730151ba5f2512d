#pragma once

#include "channels/Transport.h"

#include <QObject>

#include <atomic>
#include <chrono>
#include <memory>

class QThread;

namespace hanlabel {

// Sends one composed job on a worker thread so that the thread that starts it (the user-interface
// thread) keeps running. The job lives on the starting thread; its signals arrive there queued, in
// order, and `finished` comes last and exactly once.
//
// How a window uses it:
//   auto* job = new SendJob(OpenTransport(kind, framing), stream, window);
//   connect(job, &SendJob::progress, box, ...);        // "N / M 바이트"
//   connect(job, &SendJob::stallChanged, box, ...);    // show or hide the notice text
//   connect(cancelButton, &QPushButton::clicked, job, &SendJob::cancel);
//   connect(job, &SendJob::finished, window, [=](bool ok, const QString& message) {
//       // close the box; !ok: show `message` (job->wasCancelled(): the cancel report, else the
//       // failure), then job->deleteLater()
//   });
//   job->start();
// Nothing else about the send needs the window: the transport, the bytes and the stall time are
// the job's own. Connect with a receiver or context object on the window's thread (as above):
// the signals are emitted on the worker, and only such connections are queued. Deleting a running job cancels
// it and waits for the worker (well under a second).
class SendJob : public QObject {
    Q_OBJECT
  public:
    SendJob(std::unique_ptr<Transport> transport, QByteArray stream, QObject* parent = nullptr);
    ~SendJob() override;

    // How long the channel may take no byte before stallChanged(true, ...); set before start().
    void setStallAfter(std::chrono::milliseconds stallAfter);
    // Starts the worker; once only.
    void start();
    // The channel's name as the messages give it ("LPT1 (/dev/usb/lp0)", "tcp://...").
    QString target() const { return m_target; }
    bool isRunning() const;
    // After finished: true when the job ended through cancel().
    bool wasCancelled() const { return m_cancelled; }

  public slots:
    // Ends the send within a fraction of a second; callable from any thread, before or after
    // start(), and more than once. The job still ends with finished(false, report).
    void cancel();

  signals:
    // Bytes that reached the channel, of the total; grows, ends at total on success.
    void progress(qint64 sent, qint64 total);
    // The channel took no byte for the stall time (true, with a Korean notice naming the target
    // and what to check), or took bytes again after that (false, empty notice).
    void stallChanged(bool stalled, const QString& notice);
    // The send ended: ok, or the Korean failure message or cancel report for the operator.
    void finished(bool ok, const QString& failureMessage);

  private:
    void run();

    std::unique_ptr<Transport> m_transport;
    QByteArray m_stream;
    QString m_target;
    SendControl m_control;
    QThread* m_thread = nullptr;
    std::atomic<bool> m_cancelled{false};
};

} // namespace hanlabel
