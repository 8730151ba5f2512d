#include "channels/DescriptorLink.h"

#include <cerrno>
#include <utility>

#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

namespace hanlabel {

DescriptorLink::~DescriptorLink() {
    if (m_fd >= 0)
        ::close(m_fd);
}

QString DescriptorLink::waitingFor() const {
    return m_lockBusy
               ? QStringLiteral("다른 인쇄 작업이 이 프린터에 보내는 중이라 그 작업이 끝나기를 기다립니다.")
               : QString();
}

bool DescriptorLink::lock() {
    if (m_locked)
        return true;
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
        m_locked = true;
        m_lockBusy = false;
        return true;
    }
    if (errno != EWOULDBLOCK && errno != EINTR)
        fail(QStringLiteral("를 잠글 수 없습니다"), SystemReason(errno));
    m_lockBusy = true;
    return false;
}

qint64 DescriptorLink::write(const char* data, qint64 size) {
    const ssize_t n = ::write(m_fd, data, size_t(size));
    if (n >= 0)
        return n;
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
        return 0;
    fail(QStringLiteral("에 쓸 수 없습니다"), SystemReason(errno));
}

LinkWait DescriptorLink::wait() const { return m_locked ? LinkWait{m_fd, POLLOUT} : LinkWait{}; }

void DescriptorLink::closeChecked() {
    // The lock goes with the descriptor.
    if (::close(std::exchange(m_fd, -1)) != 0 && errno != EINTR)
        fail(QStringLiteral("를 닫을 수 없습니다"), SystemReason(errno));
}

void DescriptorLink::fail(const QString& what, const QString& reason) const {
    throw Failure(QStringLiteral("%1 포트(%2)%3: %4").arg(m_port, m_path, what, reason));
}

} // namespace hanlabel
