#include "channels/CupsTransport.h"

#include "channels/Link.h"
#include "printers/CupsQueues.h"
#include "printers/PrinterTarget.h"

#include <QDeadlineTimer>

#include <cups/cups.h>

#include <cerrno>
#include <memory>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace hanlabel {

namespace {

constexpr qint64 kChunk = 16384;

constexpr int kConnectTimeoutMs = 5000;
// How long libcups waits before it asks the loop again, and how long a cancel may spend telling
// the server.
constexpr double kSliceSeconds = 0.05;
constexpr int kCancelTimeMs = 150;

QString LastError() { return CupsStatusReason(cupsLastError()); }

// The server libcups talks to: a local socket path or host:port.
QString Server() {
    const QString server = QString::fromUtf8(cupsServer());
    return server.startsWith(u'/') ? server : QStringLiteral("%1:%2").arg(server).arg(ippPort());
}

// Why the server cannot be reached, asked within the connect time and the send's cancel.
QString ConnectError(SendPump& pump) {
    return CupsConnectReason(
        cupsServer(), ippPort(), kConnectTimeoutMs,
        [&pump](int fd, short events, int ms) {
            return pump.wait({fd, events}, ms);
        },
        [&pump] { return pump.cancelled(); });
}

// Never ask for a password on a terminal the operator cannot see.
const char* NoPassword(const char*, http_t*, const char*, const char*, void*) { return nullptr; }

// Called by libcups whenever the server has taken or sent nothing for a short while: keeps the
// stall clock going and gives up once the send is cancelled.
int KeepWaiting(http_t*, void* pump) { return static_cast<SendPump*>(pump)->idle() ? 1 : 0; }

// Gives up once a deadline has passed.
int BeforeDeadline(http_t*, void* deadline) {
    return static_cast<QDeadlineTimer*>(deadline)->hasExpired() ? 0 : 1;
}

using Connection = std::unique_ptr<http_t, void (*)(http_t*)>;

// A raw job on a queue: the library blocks inside its calls, so the loop keeps watch through its
// timeout callback instead of a descriptor.
class CupsLink final : public Link {
  public:
    explicit CupsLink(QString queue) : m_name(std::move(queue)), m_queue(m_name.toUtf8()) {}

    bool open(SendPump& pump) override {
        cupsSetPasswordCB2(NoPassword, nullptr);
        // An own connection, so that a server that is down fails within the timeout with the
        // system's reason.
        m_http.reset(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                  kConnectTimeoutMs, pump.libraryCancelFlag()));
        http_t* http = m_http.get();
        if (pump.cancelled())
            return false;
        if (!http)
            fail(QStringLiteral("서버에 연결할 수 없습니다"), ConnectError(pump));
        httpSetTimeout(http, kSliceSeconds, KeepWaiting, &pump);
        if (m_queue.isEmpty()) {
            m_queue = QByteArray(cupsGetDefault2(http));
            if (pump.cancelled())
                return false;
            if (m_queue.isEmpty())
                throw Failure(
                    QStringLiteral(
                        "CUPS (서버 %1): 기본 프린터 큐가 없습니다. 프린터 연결 창에서 큐를 고르세요.")
                        .arg(Server()));
            m_name = QString::fromUtf8(m_queue);
        }
        m_job = cupsCreateJob(http, m_queue.constData(), "hanlabel", 0, nullptr);
        if (pump.cancelled())
            return false;
        if (m_job == 0)
            fail(QStringLiteral("작업을 만들 수 없습니다"), LastError());
        if (cupsStartDocument(http, m_queue.constData(), m_job, "label", CUPS_FORMAT_RAW, 1) !=
            HTTP_STATUS_CONTINUE) {
            if (pump.cancelled())
                return false;
            abandonWith(QStringLiteral("작업을 보낼 수 없습니다"));
        }
        m_pump = &pump;
        return true;
    }

    qint64 chunk() const override { return kChunk; }

    qint64 write(const char* data, qint64 size) override {
        if (cupsWriteRequestData(m_http.get(), data, size_t(size)) == HTTP_STATUS_CONTINUE)
            return size;
        if (m_pump->cancelled())
            return 0;
        abandonWith(QStringLiteral("작업을 보낼 수 없습니다"));
    }

    bool complete() override {
        if (cupsFinishDocument(m_http.get(), m_queue.constData()) <= IPP_STATUS_OK_EVENTS_COMPLETE)
            return true;
        if (m_pump->cancelled())
            return false;
        fail(QStringLiteral("작업을 받지 않았습니다"), LastError());
    }

    LinkWait wait() const override { return {}; }

    // The connection is in the middle of a request, so the job is cancelled on a new one, with
    // little time: the operator is waiting.
    void abandon() override {
        m_http.reset();
        if (m_job == 0)
            return;
        Connection http(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                     kCancelTimeMs, nullptr),
                        httpClose);
        if (!http)
            return;
        QDeadlineTimer deadline(kCancelTimeMs);
        httpSetTimeout(http.get(), kSliceSeconds, BeforeDeadline, &deadline);
        cupsCancelJob2(http.get(), m_queue.constData(), m_job, 0);
    }

  private:
    [[noreturn]] void fail(const QString& what, const QString& reason) const {
        throw Failure(QStringLiteral("CUPS 프린터 큐 %1 (서버 %2): %3: %4")
                          .arg(m_name.isEmpty() ? QStringLiteral("(기본)") : m_name, Server(), what, reason));
    }

    // Cancels a job that could not be sent whole, so the printer never gets half of it.
    [[noreturn]] void abandonWith(const QString& what) {
        const QString reason = LastError();
        cupsCancelJob2(m_http.get(), m_queue.constData(), m_job, 0);
        fail(what, reason);
    }

    QString m_name;
    QByteArray m_queue;
    Connection m_http{nullptr, httpClose};
    int m_job = 0;
    SendPump* m_pump = nullptr;
};

class CupsTransport final : public Transport {
  public:
    explicit CupsTransport(QString queue) : m_queue(std::move(queue)) {}

    QString description() const override { return PrinterTarget::queue(m_queue).spokenName(); }

  protected:
    std::unique_ptr<Link> link() const override { return std::make_unique<CupsLink>(m_queue); }
    StallAdvice advice() const override { return StallAdvice::PrintQueue; }

  private:
    QString m_queue;
};

} // namespace

std::unique_ptr<Transport> MakeCupsTransport(const QString& target) {
    return std::make_unique<CupsTransport>(PrinterTarget::parse(target).queueName());
}

} // namespace hanlabel
