#include "channels/CupsTransport.h"

#include "core/Failure.h"

#include <cups/cups.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace hanlabel {

namespace {

const QString kPrefix = QStringLiteral("cups:");
constexpr qint64 kChunk = 16384;

constexpr int kConnectTimeoutMs = 5000;

QString LastError() { return QString::fromUtf8(cupsLastErrorString()); }

// The server libcups talks to: a local socket path or host:port.
QString Server() {
    const QString server = QString::fromUtf8(cupsServer());
    return server.startsWith(u'/') ? server : QStringLiteral("%1:%2").arg(server).arg(ippPort());
}

// Why the server cannot be reached: libcups closes its socket before the reason can be read, so
// one more bare connection attempt asks the system.
QString ConnectError() {
    const QByteArray port = QByteArray::number(ippPort());
    http_addrlist_t* list = httpAddrGetList(cupsServer(), AF_UNSPEC, port.constData());
    if (!list)
        return QStringLiteral("주소를 찾을 수 없습니다");
    QString reason = QStringLiteral("응답이 없습니다");
    for (http_addrlist_t* a = list; a; a = a->next) {
        const int fd = ::socket(a->addr.addr.sa_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            continue;
        const timeval limit{kConnectTimeoutMs / 1000, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        const int rc = ::connect(fd, &a->addr.addr, socklen_t(httpAddrLength(&a->addr)));
        const int error = errno;
        ::close(fd);
        if (rc == 0) {
            reason = QStringLiteral("연결이 끊어졌습니다");
            break;
        }
        reason = QString::fromLocal8Bit(std::strerror(error));
    }
    httpAddrFreeList(list);
    return reason;
}

// Never ask for a password on a terminal the operator cannot see.
const char* NoPassword(const char*, http_t*, const char*, const char*, void*) { return nullptr; }

class CupsTransport final : public Transport {
  public:
    explicit CupsTransport(QString queue) : m_queue(std::move(queue)) {}

    QString description() const override { return kPrefix + m_queue; }

    void send(const QByteArray& stream, const ProgressFn& progress) override {
        cupsSetPasswordCB2(NoPassword, nullptr);
        // An own connection, so that a server that is down fails within the timeout with the
        // system's reason.
        std::unique_ptr<http_t, void (*)(http_t*)> connection(httpConnect2(cupsServer(), ippPort(), nullptr,
                                                                           AF_UNSPEC, cupsEncryption(), 1,
                                                                           kConnectTimeoutMs, nullptr),
                                                              httpClose);
        http_t* http = connection.get();
        QByteArray queue = m_queue.toUtf8();
        if (!http)
            fail(queue.isEmpty() ? QStringLiteral("(기본)") : m_queue,
                 QStringLiteral("서버에 연결할 수 없습니다"), ConnectError());
        if (queue.isEmpty()) {
            queue = QByteArray(cupsGetDefault2(http));
            if (queue.isEmpty())
                throw Failure(
                    QStringLiteral("CUPS (서버 %1): 기본 프린터 큐가 없습니다. cups:큐이름으로 지정하세요.")
                        .arg(Server()));
        }
        const QString name = QString::fromUtf8(queue);
        const int job = cupsCreateJob(http, queue.constData(), "hanlabel", 0, nullptr);
        if (job == 0)
            fail(name, QStringLiteral("작업을 만들 수 없습니다"), LastError());
        if (cupsStartDocument(http, queue.constData(), job, "label", CUPS_FORMAT_RAW, 1) !=
            HTTP_STATUS_CONTINUE)
            abandon(http, name, queue, job, QStringLiteral("작업을 보낼 수 없습니다"));
        const qint64 total = stream.size();
        qint64 sent = 0;
        while (sent < total) {
            const qint64 size = std::min(kChunk, total - sent);
            if (cupsWriteRequestData(http, stream.constData() + sent, size_t(size)) != HTTP_STATUS_CONTINUE)
                abandon(http, name, queue, job,
                        QStringLiteral("작업을 보낼 수 없습니다 (%1/%2바이트 보냄)").arg(sent).arg(total));
            sent += size;
            if (progress)
                progress(sent, total);
        }
        if (cupsFinishDocument(http, queue.constData()) > IPP_STATUS_OK_EVENTS_COMPLETE)
            fail(name, QStringLiteral("작업을 받지 않았습니다"), LastError());
        if (total == 0 && progress)
            progress(0, 0);
    }

  private:
    [[noreturn]] static void fail(const QString& queue, const QString& what, const QString& reason) {
        throw Failure(
            QStringLiteral("CUPS 프린터 큐 %1 (서버 %2): %3: %4").arg(queue, Server(), what, reason));
    }

    // Cancels a job that could not be sent whole, so the printer never gets half of it.
    [[noreturn]] static void abandon(http_t* http, const QString& name, const QByteArray& queue, int job,
                                     const QString& what) {
        const QString reason = LastError();
        cupsCancelJob2(http, queue.constData(), job, 0);
        fail(name, what, reason);
    }

    QString m_queue;
};

} // namespace

bool IsCupsTarget(const QString& target) { return target.startsWith(kPrefix); }

std::unique_ptr<Transport> MakeCupsTransport(const QString& target) {
    return std::make_unique<CupsTransport>(target.mid(kPrefix.size()));
}

} // namespace hanlabel
