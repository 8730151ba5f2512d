#include "printers/CupsQueues.h"

#include "core/SystemReason.h"

#include <QDeadlineTimer>

#include <cups/cups.h>

#include <cerrno>
#include <cstring>

#include <netdb.h>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>

namespace hanlabel {

namespace {

// A reason keyword (without its -report, -warning or -error ending) in Korean.
QString ReasonText(const QString& reason) {
    static const QList<std::pair<QString, QString>> known{
        {QStringLiteral("paused"), QStringLiteral("일시 정지됨")},
        {QStringLiteral("media-empty"), QStringLiteral("용지 없음")},
        {QStringLiteral("media-needed"), QStringLiteral("용지 필요")},
        {QStringLiteral("media-jam"), QStringLiteral("용지 걸림")},
        {QStringLiteral("cover-open"), QStringLiteral("덮개 열림")},
        {QStringLiteral("door-open"), QStringLiteral("덮개 열림")},
        {QStringLiteral("marker-supply-empty"), QStringLiteral("리본 없음")},
        {QStringLiteral("offline"), QStringLiteral("오프라인")},
        {QStringLiteral("connecting-to-device"), QStringLiteral("장치에 연결하는 중")},
        {QStringLiteral("shutdown"), QStringLiteral("꺼짐")},
        {QStringLiteral("other"), QStringLiteral("기타 문제")},
    };
    QString keyword = reason;
    for (const char* ending : {"-report", "-warning", "-error"})
        if (keyword.endsWith(QLatin1String(ending)))
            keyword.chop(qsizetype(qstrlen(ending)));
    for (const auto& [key, text] : known)
        if (keyword == key)
            return QStringLiteral("%1 (%2)").arg(text, reason);
    return reason;
}

// Never ask for a password on a terminal the operator cannot see.
const char* NoPassword(const char*, http_t*, const char*, const char*, void*) { return nullptr; }

} // namespace

CupsServerAddress CurrentCupsServer() { return {QByteArray(cupsServer()), ippPort()}; }

QString CupsServerName(const CupsServerAddress& server) {
    const QString host = QString::fromUtf8(server.host);
    return host.startsWith(u'/') ? host : QStringLiteral("%1:%2").arg(host).arg(server.port);
}

namespace {

// libcups words a server it cannot reach with the C library's text of the error; the number is
// found again by that text, so the reason can be told in the program's words.
int ErrorOfText(const char* text) {
    if (!text || !*text)
        return 0;
    for (int error = 1; error < 134; ++error)
        if (std::strcmp(std::strerror(error), text) == 0)
            return error;
    return 0;
}

} // namespace

QString CupsConnectReason(const QByteArray& host, int port, int timeoutMs, const DescriptorWait& wait,
                          const std::function<bool()>& stop) {
    const QByteArray service = QByteArray::number(port);
    http_addrlist_t* list = httpAddrGetList(host.constData(), AF_UNSPEC, service.constData());
    if (!list)
        return NameLookupReason(EAI_NONAME);
    QString reason = SystemReason(ETIMEDOUT);
    QDeadlineTimer deadline(timeoutMs);
    for (http_addrlist_t* a = list; a && !(stop && stop()); a = a->next) {
        const int fd = ::socket(a->addr.addr.sa_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            continue;
        int error = 0;
        if (::connect(fd, &a->addr.addr, socklen_t(httpAddrLength(&a->addr))) != 0) {
            error = errno;
            while (error == EINPROGRESS && !deadline.hasExpired() && !(stop && stop())) {
                if (wait(fd, POLLOUT, 50) == 0)
                    continue;
                socklen_t len = sizeof error;
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len);
            }
        }
        ::close(fd);
        if (error == 0) {
            reason = QStringLiteral("연결이 끊어졌습니다");
            break;
        }
        if (error != EINPROGRESS)
            reason = SystemReason(error);
    }
    httpAddrFreeList(list);
    return reason;
}

QString CupsStatusReason(int status, int systemError) {
    if (systemError == 0 && cupsLastError() == ipp_status_t(status))
        systemError = ErrorOfText(cupsLastErrorString());
    switch (ipp_status_t(status)) {
    case IPP_STATUS_ERROR_NOT_FOUND:
        return QStringLiteral("그런 프린터 큐가 없습니다");
    case IPP_STATUS_ERROR_FORBIDDEN:
    case IPP_STATUS_ERROR_NOT_AUTHORIZED:
    case IPP_STATUS_ERROR_NOT_AUTHENTICATED:
    case IPP_STATUS_ERROR_CUPS_AUTHENTICATION_CANCELED:
        return QStringLiteral("CUPS 서버가 이 사용자의 인쇄를 허락하지 않습니다");
    case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS:
        return QStringLiteral("프린터 큐가 작업을 받지 않도록 멈춰 있습니다");
    case IPP_STATUS_ERROR_DOCUMENT_FORMAT_NOT_SUPPORTED:
        return QStringLiteral("프린터 큐가 프린터 명령을 그대로 받지 않습니다");
    case IPP_STATUS_ERROR_BUSY:
        return QStringLiteral("CUPS 서버가 바빠 지금은 받지 못합니다");
    case IPP_STATUS_ERROR_TIMEOUT:
        return QStringLiteral("정해진 시간 안에 응답이 없습니다");
    case IPP_STATUS_ERROR_INTERNAL:
        return QStringLiteral("CUPS 서버 안에서 오류가 났습니다");
    case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
        if (systemError != 0)
            return SystemReason(systemError);
        return QStringLiteral("CUPS 서버에 연결할 수 없습니다");
    default:
        break;
    }
    // libcups' message when it is about this status, else the status's own name.
    const char* text = cupsLastError() == ipp_status_t(status) && *cupsLastErrorString()
                           ? cupsLastErrorString()
                           : ippErrorString(ipp_status_t(status));
    return QStringLiteral("CUPS 오류 0x%1 (%2)").arg(QString::number(status, 16), QString::fromUtf8(text));
}

CupsQueueList ListCupsQueues(const CupsServerAddress& server, int timeoutMs) {
    cupsSetPasswordCB2(NoPassword, nullptr);
    std::unique_ptr<http_t, void (*)(http_t*)> connection(httpConnect2(server.host.constData(), server.port,
                                                                       nullptr, AF_UNSPEC, cupsEncryption(),
                                                                       1, timeoutMs, nullptr),
                                                          httpClose);
    CupsQueueList list;
    if (!connection) {
        const auto poll = [](int fd, short events, int ms) {
            pollfd p{fd, events, 0};
            return ::poll(&p, 1, ms) > 0 ? p.revents : short(0);
        };
        list.failure =
            QStringLiteral("CUPS 서버 %1에 연결할 수 없습니다: %2")
                .arg(CupsServerName(server), CupsConnectReason(server.host, server.port, timeoutMs, poll));
        return list;
    }
    http_t* http = connection.get();
    const QString defaultQueue = QString::fromUtf8(cupsGetDefault2(http));

    ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    static const char* const wanted[] = {"printer-name", "printer-info", "printer-state",
                                         "printer-state-reasons", "printer-is-accepting-jobs"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", int(std::size(wanted)),
                  nullptr, wanted);
    std::unique_ptr<ipp_t, void (*)(ipp_t*)> response(cupsDoRequest(http, request, "/"), ippDelete);
    if (!response || cupsLastError() > IPP_STATUS_OK_CONFLICTING) {
        // A server without queues answers "not found".
        if (cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND)
            list.failure = QStringLiteral("CUPS 서버 %1이(가) 프린터 큐 목록을 주지 않습니다: %2")
                               .arg(CupsServerName(server), CupsStatusReason(cupsLastError()));
        return list;
    }
    CupsQueue queue;
    const auto finish = [&] {
        if (!queue.name.isEmpty()) {
            queue.isDefault = queue.name == defaultQueue;
            list.queues.append(queue);
        }
        queue = CupsQueue();
    };
    // Each printer is one group of attributes; a separator (no name) lies between two.
    for (ipp_attribute_t* a = ippFirstAttribute(response.get()); a; a = ippNextAttribute(response.get())) {
        const char* name = ippGetName(a);
        if (!name || ippGetGroupTag(a) != IPP_TAG_PRINTER) {
            finish();
            continue;
        }
        const QByteArray key(name);
        if (key == "printer-name")
            queue.name = QString::fromUtf8(ippGetString(a, 0, nullptr));
        else if (key == "printer-info")
            queue.info = QString::fromUtf8(ippGetString(a, 0, nullptr));
        else if (key == "printer-state")
            queue.state = ippGetInteger(a, 0);
        else if (key == "printer-is-accepting-jobs")
            queue.accepting = ippGetBoolean(a, 0) != 0;
        else if (key == "printer-state-reasons")
            for (int i = 0; i < ippGetCount(a); ++i)
                if (const QString reason = QString::fromUtf8(ippGetString(a, i, nullptr)); reason != "none")
                    queue.reasons << reason;
    }
    finish();
    return list;
}

QString CupsQueueStateText(const CupsQueue& queue) {
    QStringList parts;
    switch (queue.state) {
    case 4:
        parts << QStringLiteral("인쇄 중");
        break;
    case 5:
        parts << QStringLiteral("멈춤");
        break;
    default:
        parts << QStringLiteral("대기 중");
        break;
    }
    if (!queue.accepting)
        parts << QStringLiteral("작업 안 받음");
    for (const QString& reason : queue.reasons)
        parts << ReasonText(reason);
    return parts.join(QStringLiteral(", "));
}

} // namespace hanlabel
