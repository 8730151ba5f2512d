#include "channels/TcpTransport.h"

#include "channels/Link.h"
#include "printers/PrinterTarget.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <utility>

#include <linux/sockios.h>
#include <netdb.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace hanlabel {

namespace {

constexpr qint64 kChunk = 4096;

QString Seconds(std::chrono::milliseconds ms) { return QString::number(ms.count() / 1000.0, 'g', 3); }

[[noreturn]] void Fail(const QString& target, const QString& what) {
    throw Failure(PrinterTarget::parse(target).spokenName() + what);
}

// Host and port of a network target.
std::pair<QByteArray, QByteArray> Address(const QString& target) {
    const PrinterTarget printer = PrinterTarget::parse(target);
    if (!printer.valid())
        throw Failure(QStringLiteral("네트워크 프린터 주소가 틀립니다: %1").arg(target));
    return {printer.host().toUtf8(), QByteArray::number(printer.port())};
}

// One connection to the printer. Connecting, sending and the wait for acknowledgements never
// block; the socket is closed on every way out.
class TcpLink final : public Link {
  public:
    TcpLink(QString target, std::chrono::milliseconds connectLimit)
        : m_target(std::move(target)), m_connectLimit(connectLimit), m_addresses(nullptr, ::freeaddrinfo) {}

    ~TcpLink() override {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    // Tries the addresses in turn, each within the connect limit.
    bool open(SendPump&) override {
        if (!m_addresses)
            resolve();
        for (;;) {
            if (m_fd >= 0) {
                pollfd p{m_fd, POLLOUT, 0};
                if (::poll(&p, 1, 0) == 0) {
                    if (!m_clock.hasExpired(m_connectLimit.count()))
                        return false;
                    m_reason = QStringLiteral("%1초 안에 응답이 없습니다").arg(Seconds(m_connectLimit));
                } else if (const int error = socketError(); error != 0) {
                    m_reason = SystemReason(error);
                } else {
                    return true;
                }
                ::close(std::exchange(m_fd, -1));
            }
            if (!m_next)
                Fail(m_target, QStringLiteral("에 연결할 수 없습니다: %1").arg(m_reason));
            const addrinfo* a = std::exchange(m_next, m_next->ai_next);
            m_fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
            if (m_fd < 0) {
                m_reason = SystemReason(errno);
                continue;
            }
            if (::connect(m_fd, a->ai_addr, a->ai_addrlen) == 0)
                return true;
            if (errno == EINPROGRESS) {
                m_clock.start();
                return false;
            }
            m_reason = SystemReason(errno);
            ::close(std::exchange(m_fd, -1));
        }
    }

    QString waitingFor() const override {
        return QStringLiteral("프린터가 연결을 받지 않아 %1초까지 기다립니다.").arg(Seconds(m_connectLimit));
    }

    qint64 chunk() const override { return kChunk; }

    qint64 write(const char* data, qint64 size) override {
        const ssize_t n = ::send(m_fd, data, size_t(size), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0)
            return n;
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
            return 0;
        Fail(m_target, QStringLiteral("에 보낼 수 없습니다: %1").arg(SystemReason(errno)));
    }

    // What the printer has acknowledged. After the shutdown the queue also holds the closing
    // mark until that is acknowledged.
    qint64 reached(qint64 written) override {
        const int queued = unacknowledged();
        if (queued < 0)
            return 0;
        return std::clamp<qint64>(written - std::max(0, queued - (m_shut ? 1 : 0)), 0, written);
    }

    // Every byte acknowledged, or the printer closed after reading everything. Whatever it sends
    // back is read and dropped; a reset is a failure.
    bool complete() override {
        if (!m_shut) {
            ::shutdown(m_fd, SHUT_WR);
            m_shut = true;
        }
        char buffer[512];
        while (!m_peerClosed) {
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n == 0)
                m_peerClosed = true;
            else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                break;
            else if (n < 0 && errno != EINTR)
                Fail(m_target,
                     QStringLiteral("가 작업을 다 받기 전에 연결을 끊었습니다: %1").arg(SystemReason(errno)));
        }
        const int queued = unacknowledged();
        return queued == 0 || (m_peerClosed && queued <= 1);
    }

    LinkWait wait() const override { return {m_fd, POLLOUT}; }

    // Drops what the printer has not acknowledged: a reset instead of an orderly close.
    void abandon() override {
        if (m_fd < 0)
            return;
        const linger now{1, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &now, sizeof now);
        ::close(std::exchange(m_fd, -1));
    }

  private:
    void resolve() {
        const auto [host, port] = Address(m_target);
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (const int rc = ::getaddrinfo(host.constData(), port.constData(), &hints, &found); rc != 0)
            Fail(m_target, QStringLiteral("의 주소를 찾을 수 없습니다: %1").arg(NameLookupReason(rc)));
        m_addresses.reset(found);
        m_next = found;
    }

    int socketError() const {
        int error = 0;
        socklen_t len = sizeof error;
        return ::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &len) == 0 ? error : errno;
    }

    // Bytes sent but not yet acknowledged by the printer, -1 without a connection.
    int unacknowledged() const {
        int queued = 0;
        return m_fd >= 0 && ::ioctl(m_fd, SIOCOUTQ, &queued) == 0 ? queued : -1;
    }

    QString m_target;
    std::chrono::milliseconds m_connectLimit;
    std::unique_ptr<addrinfo, void (*)(addrinfo*)> m_addresses;
    const addrinfo* m_next = nullptr;
    int m_fd = -1;
    QElapsedTimer m_clock;
    QString m_reason;
    bool m_shut = false;
    bool m_peerClosed = false;
};

class TcpTransport final : public Transport {
  public:
    TcpTransport(QString target, std::chrono::milliseconds connectLimit)
        : m_target(std::move(target)), m_connectLimit(connectLimit) {}

    QString description() const override { return PrinterTarget::parse(m_target).spokenName(); }

  protected:
    std::unique_ptr<Link> link() const override {
        return std::make_unique<TcpLink>(m_target, m_connectLimit);
    }
    StallAdvice advice() const override { return StallAdvice::NetworkPrinter; }

  private:
    QString m_target;
    std::chrono::milliseconds m_connectLimit;
};

} // namespace

std::unique_ptr<Transport> MakeTcpTransport(const QString& target, std::chrono::milliseconds connectLimit) {
    return std::make_unique<TcpTransport>(target, connectLimit);
}

} // namespace hanlabel
