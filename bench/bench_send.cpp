// Prints figures for a send off the user-interface thread: while a 300 KB job goes to a slow
// reader, the largest gap between ticks of a timer on the main thread (target <= 50 ms), and the
// time from cancel() to the worker's finished signal arriving on the main thread (target <= 200 ms).
#include "channels/ParallelTransport.h"
#include "channels/SendJob.h"
#include "channels/TcpTransport.h"
#include "core/Signals.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace hanlabel;
using namespace std::chrono_literals;

namespace {

constexpr int kJobSize = 300 * 1024;

// A printer that reads about 100 KB a second, a kilobyte at a time, from a descriptor that
// `accept` gives it, until `stop`.
std::thread SlowReader(std::function<int()> accept, std::atomic<bool>& stop) {
    return std::thread([accept = std::move(accept), &stop] {
        const int fd = accept();
        if (fd < 0)
            return;
        char buffer[1024];
        while (!stop) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            if (::read(fd, buffer, sizeof buffer) <= 0)
                break;
            std::this_thread::sleep_for(10ms);
        }
        ::close(fd);
    });
}

struct Figures {
    double worstGapMs = 0;
    double sendMs = 0;
    double cancelMs = -1;
    bool ok = false;
};

// Runs one send on a worker while a 5 ms timer ticks here; cancels after `cancelAfterMs` when >= 0.
Figures Measure(std::unique_ptr<Transport> transport, int cancelAfterMs) {
    Figures figures;
    SendJob job(std::move(transport), QByteArray(kJobSize, 'x'));
    QEventLoop loop;
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 cancelledAt = -1;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, &loop, [&] {
        const qint64 now = clock.nsecsElapsed();
        figures.worstGapMs = std::max(figures.worstGapMs, (now - lastTick) / 1e6);
        lastTick = now;
    });
    QObject::connect(&job, &SendJob::finished, &loop, [&](bool ok, const QString&) {
        const qint64 now = clock.nsecsElapsed();
        figures.ok = ok;
        figures.sendMs = now / 1e6;
        if (cancelledAt >= 0)
            figures.cancelMs = (now - cancelledAt) / 1e6;
        loop.quit();
    });
    if (cancelAfterMs >= 0)
        QTimer::singleShot(cancelAfterMs, &loop, [&] {
            cancelledAt = clock.nsecsElapsed();
            job.cancel();
        });
    clock.start();
    ticker.start(5);
    job.start();
    loop.exec();
    return figures;
}

void Print(const char* what, const Figures& f) {
    if (f.cancelMs >= 0)
        std::printf("%-44s worst tick gap %6.1f ms, cancel to finished %6.1f ms\n", what, f.worstGapMs,
                    f.cancelMs);
    else
        std::printf("%-44s worst tick gap %6.1f ms, send %7.1f ms%s\n", what, f.worstGapMs, f.sendMs,
                    f.ok ? "" : " (FAILED)");
}

// A FIFO whose slow reader starts with the send, its buffer shrunk to a page.
Figures OverFifo(const QString& path, int cancelAfterMs, bool reader) {
    ::mkfifo(QFile::encodeName(path).constData(), 0600);
    std::atomic<bool> stop{false};
    std::thread printer;
    if (reader)
        printer = SlowReader(
            [path] {
                const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
                ::fcntl(fd, F_SETPIPE_SZ, 4096);
                return fd;
            },
            stop);
    std::this_thread::sleep_for(50ms);
    const Figures f = Measure(MakeParallelTransport(path), cancelAfterMs);
    stop = true;
    if (printer.joinable())
        printer.join();
    ::unlink(QFile::encodeName(path).constData());
    return f;
}

// A network printer on 127.0.0.1 with a small receive buffer and a slow reader.
Figures OverTcp(int cancelAfterMs) {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int size = 4096;
    ::setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(listener, 1);
    socklen_t len = sizeof addr;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
    std::atomic<bool> stop{false};
    std::thread printer = SlowReader([listener] { return ::accept(listener, nullptr, nullptr); }, stop);
    const Figures f = Measure(
        MakeTcpTransport(QStringLiteral("tcp://127.0.0.1:%1").arg(ntohs(addr.sin_port))), cancelAfterMs);
    stop = true;
    printer.join();
    ::close(listener);
    return f;
}

} // namespace

int main(int argc, char** argv) {
    IgnoreChannelSignals();
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString fifo = dir.filePath("printer.fifo");
    std::printf("300 KB job to a reader taking about 100 KB a second; main-thread timer every 5 ms\n");
    std::printf("(targets: worst tick gap <= 50 ms, cancel to finished <= 200 ms)\n");
    Print("FIFO, whole job:", OverFifo(fifo, -1, true));
    Print("FIFO, cancelled after 1 s:", OverFifo(fifo, 1000, true));
    Print("FIFO without a reader, cancelled after 1 s:", OverFifo(fifo, 1000, false));
    Print("TCP on 127.0.0.1, whole job:", OverTcp(-1));
    Print("TCP on 127.0.0.1, cancelled after 1 s:", OverTcp(1000));
    return 0;
}
