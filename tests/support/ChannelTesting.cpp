#include "ChannelTesting.h"

#include <QElapsedTimer>
#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hanlabel::test {

QByteArray Pattern(int size, int seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + (i >> 8) + seed * 101) & 0xFF);
    return bytes;
}

SendWatch::SendWatch(std::chrono::milliseconds stallAfter) {
    control.stallAfter = stallAfter;
    control.progress = [this](qint64 sent, qint64) {
        std::lock_guard lock(m_mutex);
        m_progress = sent;
    };
    control.stall = [this](bool stalled, const QString& notice) {
        std::lock_guard lock(m_mutex);
        m_stalls.append(stalled);
        if (stalled)
            m_notices.append(notice);
    };
}

SendOutcome SendWatch::run(Transport& transport, const QByteArray& stream) {
    try {
        transport.send(stream, control);
    } catch (const SendCancelled& cancelled) {
        return {false, true, cancelled.message()};
    } catch (const Failure& failure) {
        return {false, false, failure.message()};
    }
    return {true, false, {}};
}

QList<bool> SendWatch::stalls() {
    std::lock_guard lock(m_mutex);
    return m_stalls;
}

QStringList SendWatch::notices() {
    std::lock_guard lock(m_mutex);
    return m_notices;
}

bool SendWatch::stalledNow() {
    std::lock_guard lock(m_mutex);
    return !m_stalls.isEmpty() && m_stalls.last();
}

qint64 SendWatch::lastProgress() {
    std::lock_guard lock(m_mutex);
    return m_progress;
}

bool SendWatch::waitForStall(int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!stalledNow() && clock.elapsed() < timeoutMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return stalledNow();
}

FifoReader::FifoReader(QString path) : m_path(std::move(path)) {
    ::mkfifo(QFile::encodeName(m_path).constData(), 0600);
}

FifoReader::~FifoReader() {
    m_stop = true;
    finish();
}

void FifoReader::start(Plan plan) {
    // Opened here, not on the thread, so that the writer finds a reader once start() returns.
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fcntl(fd, F_SETPIPE_SZ, 4096);
    m_thread = std::thread([this, fd, plan] {
        char buffer[1024];
        QElapsedTimer limit;
        limit.start();
        bool paused = false;
        while (!m_stop && m_received.size() < plan.expected && limit.elapsed() < 60000) {
            if (plan.first >= 0 && !paused && m_received.size() >= plan.first) {
                if (plan.closeAfterFirst)
                    break;
                paused = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(plan.pauseMs));
            }
            qint64 want = sizeof buffer;
            if (plan.first >= 0 && !paused)
                want = std::min<qint64>(want, plan.first - m_received.size());
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            const ssize_t n = ::read(fd, buffer, size_t(want));
            if (n > 0) {
                m_received.append(buffer, n);
                if (plan.delayPerKbMs > 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(plan.delayPerKbMs * n / 1024));
            } else if (n == 0) {
                // No writer at the moment: the next job may still come.
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
        ::close(fd);
    });
}

QByteArray FifoReader::finish() {
    if (m_thread.joinable())
        m_thread.join();
    return m_received;
}

} // namespace hanlabel::test
