#include "channels/Link.h"
#include "channels/Transport.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <poll.h>
#include <sys/eventfd.h>

namespace hanlabel {

namespace {

// How often a waiting send looks again at a channel that cannot wake it (acknowledgements, the
// driver's queue, a FIFO without a reader, a lock) and at the stall clock.
constexpr int kTickMs = 50;

QString Seconds(std::chrono::milliseconds ms) { return QString::number(ms.count() / 1000.0, 'g', 3); }

QString CheckAdvice(StallAdvice advice) {
    switch (advice) {
    case StallAdvice::NetworkPrinter:
        return QStringLiteral("프린터의 용지와 리본, 전원, 네트워크 케이블과 연결을 확인하세요.");
    case StallAdvice::PrintQueue:
        return QStringLiteral("인쇄 서버와 프린터의 용지와 리본, 전원, 케이블, 네트워크를 확인하세요.");
    case StallAdvice::Printer:
        break;
    }
    return QStringLiteral("프린터의 용지와 리본, 전원, 케이블 연결을 확인하세요.");
}

} // namespace

bool SendPump::showPicture(const PreviewResult& picture) {
    if (!m_control.picture)
        return false;
    m_control.picture(picture);
    return true;
}

SendPump::SendPump(SendControl& control, QString target, StallAdvice advice)
    : m_control(control), m_target(std::move(target)), m_advice(advice) {
    m_quiet.start();
}

bool SendPump::idle(const QString& situation) {
    if (cancelled())
        return false;
    if (!m_stalled && m_quiet.hasExpired(m_control.stallAfter.count())) {
        const QString what =
            situation.isEmpty()
                ? QStringLiteral("%1초 동안 한 바이트도 받지 않았습니다.").arg(Seconds(m_control.stallAfter))
                : situation;
        setStalled(true,
                   QStringLiteral("%1: %2 %3 프린터가 다시 받기 시작하면 인쇄를 이어 가고, '취소'를 누르면 "
                                  "그만둡니다.")
                       .arg(m_target, what, CheckAdvice(m_advice)));
    }
    return true;
}

void SendPump::active() {
    m_quiet.restart();
    if (m_stalled)
        setStalled(false, {});
}

void SendPump::reached(qint64 reached, qint64 total) {
    if (reached <= m_reached)
        return;
    m_reached = reached;
    active();
    if (m_control.progress)
        m_control.progress(reached, total);
}

short SendPump::wait(LinkWait on, int ms) {
    pollfd fds[2] = {{m_control.wakeDescriptor(), POLLIN, 0}, {on.fd, on.events, 0}};
    // A stall notice is due no later than the stall time after the last activity.
    const qint64 untilNotice = m_stalled ? ms : m_control.stallAfter.count() - m_quiet.elapsed();
    const int timeout = int(std::clamp<qint64>(untilNotice, 1, ms));
    if (::poll(fds, on.fd >= 0 ? 2 : 1, timeout) <= 0)
        return 0;
    return fds[1].revents;
}

void SendPump::finish(qint64 total) {
    if (m_reached < total || total == 0) {
        m_reached = total;
        if (m_control.progress)
            m_control.progress(total, total);
    }
    if (m_stalled)
        setStalled(false, {});
}

void SendPump::setStalled(bool stalled, const QString& notice) {
    m_stalled = stalled;
    if (m_control.stall)
        m_control.stall(stalled, notice);
}

Transport::~Transport() = default;

StallAdvice Transport::advice() const { return StallAdvice::Printer; }

void Transport::send(const QByteArray& stream, const ProgressFn& progress) {
    SendControl control;
    control.progress = progress;
    send(stream, control);
}

void Transport::send(const QByteArray& stream, SendControl& control) {
    const QString target = description();
    SendPump pump(control, target, advice());
    const std::unique_ptr<Link> link = this->link();
    const qint64 total = stream.size();
    qint64 written = 0;
    const auto cancel = [&] {
        const qint64 reached = std::max(pump.lastReached(), link->reached(written));
        link->abandon();
        throw SendCancelled(target, std::max<qint64>(reached, 0), total);
    };

    while (!link->open(pump)) {
        if (!pump.idle(link->waitingFor()))
            cancel();
        pump.wait(link->wait(), kTickMs);
    }
    try {
        // A device that cannot be polled says it is ready while it is not: then back off instead
        // of asking it again at once.
        bool readyButRefused = false;
        while (written < total) {
            if (pump.cancelled())
                cancel();
            const qint64 n =
                link->write(stream.constData() + written, std::min(link->chunk(), total - written));
            written += n;
            if (n > 0)
                pump.active();
            pump.reached(link->reached(written), total);
            if (n > 0)
                continue;
            pump.idle();
            const short events = pump.wait(readyButRefused ? LinkWait{} : link->wait(), kTickMs);
            readyButRefused = (events & POLLOUT) != 0;
        }
        // The receiver confirms nothing by waking us, so the wait for the rest is ticks.
        while (!link->complete()) {
            pump.reached(link->reached(written), total);
            if (!pump.idle())
                cancel();
            pump.wait({}, kTickMs);
        }
    } catch (const SendCancelled&) {
        throw;
    } catch (const Failure& failure) {
        const qint64 reached = std::max<qint64>(pump.lastReached(), 0);
        if (reached == total)
            throw;
        throw Failure(QStringLiteral("%1 (%2 / %3 바이트가 전달되었습니다)")
                          .arg(failure.message())
                          .arg(reached)
                          .arg(total));
    }
    pump.finish(total);
}

} // namespace hanlabel
