#pragma once

#include "channels/SendOrder.h"
#include "channels/Transport.h"

#include <QObject>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QThread;

namespace hanlabel {

// Sends one composed job on a worker thread so that the thread that starts it (the user-interface
// thread) keeps running. The job lives on the starting thread; its signals arrive there queued, in
// order, and `finished` comes last and exactly once. Connect with a receiver or context object on
// the starting thread: the signals are emitted on the worker, and only such connections are
// queued. Deleting a running job cancels it and waits for the worker (well under a second).
class SendJob : public QObject {
    Q_OBJECT
  public:
    SendJob(std::unique_ptr<Transport> transport, QByteArray stream, QObject* parent = nullptr);
    ~SendJob() override;
    // The job for a composed order, on the channel it names (TargetFactory). Throws Failure when
    // that channel cannot be made; nothing is sent then.
    static std::unique_ptr<SendJob> forOrder(const SendOrder& order);

    // Keeps the virtual printer's picture of a "preview:" job for picture(); set before start().
    // Without it such a job fails: nobody would see it.
    void keepPicture();
    // After finished: the picture kept, if the job went to "preview:".
    const std::optional<PreviewResult>& picture() const { return m_picture; }

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
    std::optional<PreviewResult> m_picture; // written by the worker before finished
};

// What watches a send that SendAndWait runs; every callback runs on the calling thread.
struct SendWatch {
    ProgressFn progress; // bytes that reached the channel, of the total
    StallFn stall;       // the channel stalled (with the notice) or takes bytes again
    // Cancels the send once a stall has lasted this long, calling gaveUp just before.
    std::optional<std::chrono::milliseconds> giveUpAfterStall;
    std::function<void()> gaveUp;
    // A descriptor whose becoming readable cancels the send (drained first); -1 for none.
    int cancelDescriptor = -1;
    // Cancels the send after this long whatever it does.
    std::optional<std::chrono::milliseconds> limit;
};

// Sends a composed order on a worker with the stall time of this run (StallNoticeTime) and waits
// for its end in a local event loop. Throws Failure when the channel cannot be made; nothing is
// sent then.
SendResult SendAndWait(const SendOrder& order, const SendWatch& watch = {});

} // namespace hanlabel
