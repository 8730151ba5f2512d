#pragma once

#include "core/Failure.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <functional>

namespace hanlabel {

struct PreviewResult;

// How long a channel may take no byte before the operator is told about it.
inline constexpr std::chrono::milliseconds kDefaultStallNotice{5000};
// The stall time of this run: $HANLABEL_STALL_NOTICE_MS when it holds a positive number of
// milliseconds (tests and scripts shorten it), else the default.
std::chrono::milliseconds StallNoticeTime();

// Called while a job is sent: bytes that have reached the channel so far, of the total.
using ProgressFn = std::function<void(qint64 sent, qint64 total)>;

// Takes the virtual printer's picture of a job sent to "preview:".
using PictureFn = std::function<void(const PreviewResult& picture)>;

// Called when the channel has taken no byte for the stall time (stalled, with the notice to show
// the operator) and again once it takes bytes again (not stalled, empty notice).
using StallFn = std::function<void(bool stalled, const QString& notice)>;

// What one send shares with whoever watches it. The watcher sets the callbacks and the stall time
// before the send starts; the callbacks run on the sending thread. cancel() may come from any
// thread at any time and ends the send within a fraction of a second with SendCancelled.
class SendControl {
  public:
    SendControl();
    ~SendControl();
    SendControl(const SendControl&) = delete;
    SendControl& operator=(const SendControl&) = delete;

    ProgressFn progress;
    StallFn stall;
    // Without it a "preview:" job has nobody to show its picture to, and fails.
    PictureFn picture;
    std::chrono::milliseconds stallAfter = kDefaultStallNotice;

    // Asks the send to stop; safe from any thread, also before the send has started.
    void cancel();
    bool isCancelled() const;

    // For the channels: a descriptor that becomes readable once cancel() was called, to poll
    // beside the channel's own (-1 when the system had none to give), and the flag libcups polls
    // while it connects.
    int wakeDescriptor() const { return m_wake; }
    int* libraryCancelFlag() { return &m_cancelled; }

  private:
    int m_wake = -1;
    // Plain int because libcups reads it; every access here goes through std::atomic_ref.
    alignas(std::atomic_ref<int>::required_alignment) mutable int m_cancelled = 0;
};

// Thrown by a send that was cancelled. The message is the report for the operator: how many of
// how many bytes reached the channel and, when some did, how to clear the half-received label.
class SendCancelled : public Failure {
  public:
    SendCancelled(const QString& target, qint64 reached, qint64 total);
    qint64 reached() const { return m_reached; }
    qint64 total() const { return m_total; }

  private:
    qint64 m_reached;
    qint64 m_total;
};

} // namespace hanlabel
