#pragma once

#include "channels/SendControl.h"
#include "channels/Transport.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

namespace hanlabel::test {

// Bytes of every value in an order that a lost or swapped chunk would break.
QByteArray Pattern(int size, int seed = 0);

// How a send ended: ok, cancelled or failed, with the message.
struct SendOutcome {
    bool ok = false;
    bool cancelled = false;
    QString message;
};

// Records what one send reports; the callbacks may run on any thread.
class SendWatch {
  public:
    explicit SendWatch(std::chrono::milliseconds stallAfter = std::chrono::milliseconds(300));
    SendControl control;

    // Runs the send on this thread and catches how it ended.
    SendOutcome run(Transport& transport, const QByteArray& stream);
    // The stall reports so far: true/false in order, and the notices of the true ones.
    QList<bool> stalls();
    QStringList notices();
    bool stalledNow();
    qint64 lastProgress();
    // Waits up to timeoutMs until a stall was reported.
    bool waitForStall(int timeoutMs = 10000);

  private:
    std::mutex m_mutex;
    QList<bool> m_stalls;
    QStringList m_notices;
    qint64 m_progress = -1;
};

// A printer stand-in on a FIFO: opens it for reading when told, with the pipe's buffer shrunk to a
// page so that the writer soon waits, and reads on a thread following a plan.
class FifoReader {
  public:
    struct Plan {
        qint64 expected = 0; // stops once this many bytes came
        qint64 first = -1;   // bytes to read before pausing or closing; -1: no pause
        int pauseMs = 0;     // pause after `first`
        bool closeAfterFirst = false;
        int delayPerKbMs = 0; // a slow reader: sleeps this long after each KB
    };
    // Makes the FIFO at `path` (nothing is reading it yet).
    explicit FifoReader(QString path);
    ~FifoReader();
    QString path() const { return m_path; }
    void start(Plan plan);
    // Waits for the reader thread to end; what it read.
    QByteArray finish();

  private:
    QString m_path;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    QByteArray m_received;
};

} // namespace hanlabel::test
