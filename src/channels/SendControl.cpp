#include "channels/SendControl.h"

#include <sys/eventfd.h>
#include <unistd.h>

namespace hanlabel {

std::chrono::milliseconds StallNoticeTime() {
    bool ok = false;
    const qint64 ms = qEnvironmentVariable("HANLABEL_STALL_NOTICE_MS").toLongLong(&ok);
    return ok && ms > 0 ? std::chrono::milliseconds(ms) : kDefaultStallNotice;
}

namespace {

QString CancelReport(const QString& target, qint64 reached, qint64 total) {
    const QString head = QStringLiteral("인쇄를 취소했습니다. %1: %2 / %3 바이트가 전달되었습니다.")
                             .arg(target)
                             .arg(reached)
                             .arg(total);
    if (reached == 0)
        return head + QStringLiteral(" 프린터는 이 작업을 받지 않았으니 바로 다시 인쇄할 수 있습니다.");
    return head +
           QStringLiteral(" 프린터에 받다 만 라벨이 남아 있을 수 있습니다. 다음 작업 전에 프린터의 "
                          "전원을 껐다 켜거나 프린터의 취소(CANCEL) 버튼을 누른 뒤 급지(FEED) 버튼으로 "
                          "빈 라벨을 한 장 내보내세요.");
}

} // namespace

SendControl::SendControl() : m_wake(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

SendControl::~SendControl() {
    if (m_wake >= 0)
        ::close(m_wake);
}

void SendControl::cancel() {
    std::atomic_ref<int>(m_cancelled).store(1);
    if (m_wake >= 0) {
        const eventfd_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_wake, &one, sizeof one);
    }
}

bool SendControl::isCancelled() const { return std::atomic_ref<int>(m_cancelled).load() != 0; }

SendCancelled::SendCancelled(const QString& target, qint64 reached, qint64 total)
    : Failure(CancelReport(target, reached, total)), m_reached(reached), m_total(total) {}

} // namespace hanlabel
