#include "FakePrinter.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace hanlabel::test {

QByteArray HostStatusAnswer(const QByteArray& first, const QByteArray& second) {
    return "\x02" + first + "\x03\r\n\x02" + second + "\x03\r\n\x02" + QByteArray("1234,0") + "\x03\r\n";
}

const QByteArray kAllFine =
    HostStatusAnswer("030,0,0,0812,000,0,0,0,000,0,0,0", "000,0,0,0,1,2,4,0,00000000,1,000");
const QByteArray kPaperOut =
    HostStatusAnswer("030,1,0,0812,000,0,0,0,000,0,0,0", "000,0,0,0,1,2,4,0,00000000,1,000");
const QByteArray kPaused =
    HostStatusAnswer("030,0,1,0812,002,0,0,0,000,0,0,0", "000,0,0,0,1,2,4,0,00000000,1,000");

int LoopbackSocket(int backlog, quint16* port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    if (backlog >= 0)
        ::listen(fd, backlog);
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    *port = ntohs(addr.sin_port);
    return fd;
}

FakePrinter::FakePrinter(QByteArray answer) : m_answer(std::move(answer)) {
    m_listener = LoopbackSocket(2, &m_port);
    m_thread = std::thread([this] { serve(); });
}

FakePrinter::~FakePrinter() {
    m_stop = true;
    m_thread.join();
    ::close(m_listener);
}

QString FakePrinter::target() const { return QStringLiteral("tcp://127.0.0.1:%1").arg(m_port); }

// Polls in short steps so that the destructor can stop it.
bool FakePrinter::readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    while (!m_stop)
        if (::poll(&p, 1, 20) > 0)
            return true;
    return false;
}

void FakePrinter::serve() {
    if (!readable(m_listener))
        return;
    const int fd = ::accept(m_listener, nullptr, nullptr);
    char buffer[256];
    while (readable(fd)) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        m_received.append(buffer, n);
        if (m_received.contains("~HS") && !m_answer.isEmpty()) {
            ::send(fd, m_answer.constData(), size_t(m_answer.size()), MSG_NOSIGNAL);
            m_answer.clear();
        }
    }
    ::close(fd);
}

} // namespace hanlabel::test
