#include "printers/PrinterTarget.h"

namespace hanlabel {

namespace {

const QString kNetworkPrefix = QStringLiteral("tcp://");
const QString kQueuePrefix = QStringLiteral("cups:");
const QString kPreviewPrefix = QStringLiteral("preview:");

bool AllDigits(const QString& text) {
    if (text.isEmpty())
        return false;
    for (QChar ch : text)
        if (ch < u'0' || ch > u'9')
            return false;
    return true;
}

// A host name or address as it may stand between "tcp://" and the port.
bool PlausibleHost(const QString& host) {
    if (host.isEmpty())
        return false;
    for (QChar ch : host)
        if (ch.isSpace() || QStringView(u"/@?#[]").contains(ch))
            return false;
    return true;
}

// "HOST", "HOST:PORT", "[V6]" or "[V6]:PORT"; false when it is none of them.
bool SplitHostPort(const QString& rest, QString* host, int* port) {
    QString portText;
    if (rest.startsWith(u'[')) {
        const qsizetype close = rest.indexOf(u']');
        if (close < 0)
            return false;
        *host = rest.mid(1, close - 1);
        const QString after = rest.mid(close + 1);
        if (!after.isEmpty() && !after.startsWith(u':'))
            return false;
        if (!after.isEmpty())
            portText = after.mid(1);
        if (!after.isEmpty() && portText.isEmpty())
            return false;
        if (host->contains(u'[') || host->contains(u']') || host->isEmpty())
            return false;
    } else {
        // An IPv6 address needs its brackets: "tcp://::1" could be read two ways.
        if (rest.count(u':') > 1)
            return false;
        const qsizetype colon = rest.indexOf(u':');
        *host = colon < 0 ? rest : rest.left(colon);
        if (colon >= 0) {
            portText = rest.mid(colon + 1);
            if (portText.isEmpty())
                return false;
        }
        if (!PlausibleHost(*host))
            return false;
    }
    *port = kRawPrinterPort;
    if (portText.isEmpty())
        return true;
    if (!AllDigits(portText) || portText.size() > 5)
        return false;
    *port = portText.toInt();
    return *port >= 1 && *port <= 65535;
}

} // namespace

PrinterTarget PrinterTarget::parse(const QString& text) {
    if (text.startsWith(kNetworkPrefix)) {
        PrinterTarget target;
        target.m_kind = Kind::Network;
        target.m_valid = SplitHostPort(text.mid(kNetworkPrefix.size()), &target.m_host, &target.m_port);
        if (!target.m_valid) {
            // The text is kept so that a message can show what was given.
            target.m_host = text.mid(kNetworkPrefix.size());
            target.m_port = 0;
        }
        return target;
    }
    if (text.startsWith(kQueuePrefix))
        return queue(text.mid(kQueuePrefix.size()));
    if (text.startsWith(kPreviewPrefix))
        return preview(text.mid(kPreviewPrefix.size()));
    return path(text);
}

PrinterTarget PrinterTarget::path(const QString& path) {
    PrinterTarget target;
    target.m_kind = path.startsWith(QLatin1String("/dev/")) ? Kind::Device : Kind::File;
    target.m_path = path;
    return target;
}

PrinterTarget PrinterTarget::network(const QString& host, int port) {
    PrinterTarget target;
    target.m_kind = Kind::Network;
    target.m_host = host;
    target.m_port = port;
    return target;
}

PrinterTarget PrinterTarget::queue(const QString& name) {
    PrinterTarget target;
    target.m_kind = Kind::Queue;
    target.m_queue = name;
    return target;
}

PrinterTarget PrinterTarget::preview(const QString& picturePath) {
    PrinterTarget target;
    target.m_kind = Kind::Preview;
    target.m_path = picturePath;
    return target;
}

QString PrinterTarget::text() const {
    switch (m_kind) {
    case Kind::Network:
        if (!m_valid)
            return kNetworkPrefix + m_host;
        return QStringLiteral("%1%2:%3")
            .arg(kNetworkPrefix, m_host.contains(u':') ? u'[' + m_host + u']' : m_host)
            .arg(m_port);
    case Kind::Queue:
        return kQueuePrefix + m_queue;
    case Kind::Preview:
        return kPreviewPrefix + m_path;
    case Kind::Device:
    case Kind::File:
        break;
    }
    return m_path;
}

QString PrinterTarget::spokenName() const {
    switch (m_kind) {
    case Kind::Device:
        if (m_path.startsWith(QLatin1String("/dev/usb/lp")))
            return QStringLiteral("USB 프린터 %1").arg(m_path);
        if (m_path.startsWith(QLatin1String("/dev/lp")))
            return QStringLiteral("병렬 포트 프린터 %1").arg(m_path);
        return QStringLiteral("장치 %1").arg(m_path);
    case Kind::File:
        return QStringLiteral("파일 %1").arg(m_path);
    case Kind::Network:
        if (!m_valid)
            return QStringLiteral("네트워크 프린터 %1").arg(m_host);
        if (m_port == kRawPrinterPort)
            return QStringLiteral("네트워크 프린터 %1").arg(m_host);
        return QStringLiteral("네트워크 프린터 %1 (포트 %2)").arg(m_host).arg(m_port);
    case Kind::Queue:
        return m_queue.isEmpty() ? QStringLiteral("CUPS 기본 프린터 큐")
                                 : QStringLiteral("CUPS 프린터 큐 %1").arg(m_queue);
    case Kind::Preview:
        return m_path.isEmpty() ? QStringLiteral("미리보기 창")
                                : QStringLiteral("미리보기 그림 파일 %1").arg(m_path);
    }
    return m_path;
}

} // namespace hanlabel
