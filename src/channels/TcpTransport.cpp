#include "channels/TcpTransport.h"

#include "core/Failure.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <linux/sockios.h>
#include <netdb.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace hanlabel {

namespace {

const QString kPrefix = QStringLiteral("tcp://");
constexpr quint16 kRawPort = 9100;
constexpr qint64 kChunk = 4096;

QString SystemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QString Seconds(std::chrono::milliseconds ms) { return QString::number(ms.count() / 1000.0, 'g', 3); }

// Closes the socket on every way out of send().
class Socket {
  public:
    explicit Socket(int fd) : m_fd(fd) {}
    ~Socket() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

  private:
    int m_fd;
};

// Waits for an event on the socket; false when the time ran out first.
bool WaitFor(int fd, short events, qint64 ms) {
    pollfd p{fd, events, 0};
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const qint64 left = std::max<qint64>(0, ms - clock.elapsed());
        const int rc = ::poll(&p, 1, int(std::min<qint64>(left, 60000)));
        if (rc > 0)
            return true;
        if (rc == 0 && clock.elapsed() >= ms)
            return false;
        if (rc < 0 && errno != EINTR)
            return true; // let the following call report the error
    }
}

class TcpTransport final : public Transport {
  public:
    TcpTransport(QString target, TcpTimeouts timeouts) : m_target(std::move(target)), m_timeouts(timeouts) {}

    QString description() const override { return m_target; }

    void send(const QByteArray& stream, const ProgressFn& progress) override {
        const auto [host, port] = address();
        Socket socket(connectTo(host, port));
        const int fd = socket.fd();

        const qint64 total = stream.size();
        qint64 sent = 0;
        while (sent < total) {
            const ssize_t n =
                ::send(fd, stream.constData() + sent, size_t(std::min(kChunk, total - sent)), MSG_NOSIGNAL);
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
                if (!WaitFor(fd, POLLOUT, m_timeouts.stall.count()))
                    fail(QStringLiteral("가 %1초 동안 데이터를 받지 않습니다 (%2/%3바이트 보냄)")
                             .arg(Seconds(m_timeouts.stall))
                             .arg(sent)
                             .arg(total));
                continue;
            }
            if (n < 0)
                fail(QStringLiteral("에 보낼 수 없습니다 (%1/%2바이트 보냄): %3")
                         .arg(sent)
                         .arg(total)
                         .arg(SystemReason(errno)));
            sent += n;
            if (progress)
                progress(sent, total);
        }
        if (total == 0 && progress)
            progress(0, 0);
        ::shutdown(fd, SHUT_WR);
        awaitClose(fd, total);
    }

  private:
    [[noreturn]] void fail(const QString& what) const {
        throw Failure(QStringLiteral("프린터 %1%2").arg(m_target, what));
    }

    // Host and port of "tcp://HOST:PORT", "tcp://HOST" or "tcp://[v6 address]:PORT".
    std::pair<QByteArray, QByteArray> address() const {
        const QString rest = m_target.mid(kPrefix.size());
        QString host = rest;
        QString port;
        if (rest.startsWith(u'[')) {
            const qsizetype close = rest.indexOf(u']');
            if (close < 0)
                fail(QStringLiteral(": 주소가 틀립니다 (tcp://호스트:포트)"));
            host = rest.mid(1, close - 1);
            if (rest.mid(close + 1).startsWith(u':'))
                port = rest.mid(close + 2);
            else if (close + 1 != rest.size())
                fail(QStringLiteral(": 주소가 틀립니다 (tcp://호스트:포트)"));
        } else if (const qsizetype colon = rest.lastIndexOf(u':'); colon >= 0) {
            host = rest.left(colon);
            port = rest.mid(colon + 1);
        }
        if (port.isNull())
            port = QString::number(kRawPort);
        bool ok = false;
        const uint number = port.toUInt(&ok);
        if (host.isEmpty() || !ok || number == 0 || number > 65535)
            fail(QStringLiteral(": 주소가 틀립니다 (tcp://호스트:포트)"));
        return {host.toUtf8(), QByteArray::number(number)};
    }

    // A connected, non-blocking socket to the first address that answers in time.
    int connectTo(const QByteArray& host, const QByteArray& port) const {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (const int rc = ::getaddrinfo(host.constData(), port.constData(), &hints, &found); rc != 0)
            fail(QStringLiteral("의 주소를 찾을 수 없습니다: %1")
                     .arg(QString::fromLocal8Bit(::gai_strerror(rc))));
        std::unique_ptr<addrinfo, void (*)(addrinfo*)> list(found, ::freeaddrinfo);
        QString reason;
        for (const addrinfo* a = found; a; a = a->ai_next) {
            Socket socket(
                ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol));
            if (socket.fd() < 0) {
                reason = SystemReason(errno);
                continue;
            }
            int error = 0;
            if (::connect(socket.fd(), a->ai_addr, a->ai_addrlen) < 0) {
                if (errno != EINPROGRESS) {
                    reason = SystemReason(errno);
                    continue;
                }
                if (!WaitFor(socket.fd(), POLLOUT, m_timeouts.connect.count())) {
                    reason = QStringLiteral("%1초 안에 응답이 없습니다").arg(Seconds(m_timeouts.connect));
                    continue;
                }
                socklen_t len = sizeof error;
                ::getsockopt(socket.fd(), SOL_SOCKET, SO_ERROR, &error, &len);
            }
            if (error != 0) {
                reason = SystemReason(error);
                continue;
            }
            return socket.release();
        }
        fail(QStringLiteral("에 연결할 수 없습니다: %1").arg(reason));
    }

    // After the last byte: the printer closes its side once it has read the job. A reset means it
    // dropped part of it; a printer that stays open must at least have acknowledged every byte.
    void awaitClose(int fd, qint64 total) const {
        QElapsedTimer clock;
        clock.start();
        char buffer[512];
        for (;;) {
            const qint64 left = m_timeouts.linger.count() - clock.elapsed();
            if (left <= 0 || !WaitFor(fd, POLLIN, left))
                break;
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n == 0)
                return;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                fail(QStringLiteral("가 작업을 다 받기 전에 연결을 끊었습니다 (%1바이트 중): %2")
                         .arg(total)
                         .arg(SystemReason(errno)));
        }
        int unacknowledged = 0;
        if (::ioctl(fd, SIOCOUTQ, &unacknowledged) == 0 && unacknowledged > 0)
            fail(QStringLiteral("가 %1초 안에 작업을 다 받지 않았습니다 (%2바이트 남음)")
                     .arg(Seconds(m_timeouts.linger))
                     .arg(unacknowledged));
    }

    QString m_target;
    TcpTimeouts m_timeouts;
};

} // namespace

bool IsTcpTarget(const QString& target) { return target.startsWith(kPrefix); }

std::unique_ptr<Transport> MakeTcpTransport(const QString& target, TcpTimeouts timeouts) {
    return std::make_unique<TcpTransport>(target, timeouts);
}

} // namespace hanlabel
