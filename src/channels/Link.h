#pragma once

#include "channels/SendControl.h"
#include "core/SystemReason.h"

#include <QElapsedTimer>
#include <QString>

namespace hanlabel {

// What the operator is asked to check when a channel stalls.
enum class StallAdvice { Printer, NetworkPrinter, PrintQueue };

// What a link waits for before it is asked again: events on a descriptor, or (fd -1) only time.
struct LinkWait {
    int fd = -1;
    short events = 0;
};

// The running state of one send: progress, the stall clock and notice, cancel and waiting. A link
// whose library blocks inside its own calls (libcups) calls idle() from that library's callback.
class SendPump {
  public:
    SendPump(SendControl& control, QString target, StallAdvice advice);

    bool cancelled() const { return m_control.isCancelled(); }
    // The flag a library polls to give up a blocking call when the send is cancelled.
    int* libraryCancelFlag() { return m_control.libraryCancelFlag(); }
    // Time passes without progress; once the stall time is over the operator is told, naming
    // `situation` when the link knows why it waits. False when the send was cancelled.
    bool idle(const QString& situation = {});
    // The channel took bytes: restarts the stall clock and clears a notice.
    void active();
    // Reports the bytes that reached the receiver when they grew; also counts as activity.
    void reached(qint64 reached, qint64 total);
    qint64 lastReached() const { return m_reached; }
    // Waits for the descriptor's events, a cancel, or at most `ms`; the events that came.
    short wait(LinkWait on, int ms);
    // Hands the virtual printer's picture to the watcher; false when nobody takes it.
    bool showPicture(const PreviewResult& picture);
    // The job is done: the last progress report, and a notice still shown is cleared.
    void finish(qint64 total);

  private:
    void setStalled(bool stalled, const QString& notice);

    SendControl& m_control;
    QString m_target;
    StallAdvice m_advice;
    QElapsedTimer m_quiet;
    bool m_stalled = false;
    qint64 m_reached = -1;
};

// One job's way to a target. The loop of chunks, progress, stalls and cancel is written once in
// Transport::send; a link only opens, moves bytes and says how far they got.
class Link {
  public:
    virtual ~Link() = default;

    // Opens the target. False while it cannot take the job yet (a FIFO without a reader, a
    // target another job holds, a connection under way): the loop waits on wait() and asks
    // again, counting the time as a stall. Throws Failure when it never will.
    virtual bool open(SendPump& pump) = 0;
    // Why open() is waiting, for the stall notice; empty when the target simply takes no data.
    virtual QString waitingFor() const { return {}; }
    // The largest piece one write() is given.
    virtual qint64 chunk() const = 0;
    // Writes some of the bytes without blocking: how many were taken, 0 when none can be now.
    virtual qint64 write(const char* data, qint64 size) = 0;
    // How many of the bytes written so far have reached the receiver.
    virtual qint64 reached(qint64 written) { return written; }
    // After the last write: true once the receiver holds everything; asked again after waits.
    virtual bool complete() { return true; }
    // What to wait for before the next open(), write() or complete().
    virtual LinkWait wait() const = 0;
    // The job was cancelled after reached() was read: drop whatever is still queued.
    virtual void abandon() {}
};

} // namespace hanlabel
