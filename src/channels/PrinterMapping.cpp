#include "channels/PrinterMapping.h"

#include "core/AppFolder.h"
#include "core/Failure.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

namespace hanlabel {

namespace {

const QString kTcpPrefix = QStringLiteral("tcp://");
constexpr int kRawPort = 9100;

// The entry of one port in a mapping.
QString& Entry(PrinterMapping& mapping, ChannelKind kind) {
    return kind == ChannelKind::Parallel ? mapping.lpt1 : mapping.com1;
}

QString SourceNote(const PortTarget& port) {
    switch (port.source) {
    case TargetSource::Environment:
        return QStringLiteral(" (환경 변수 %1)").arg(port.origin);
    case TargetSource::SystemFile:
        return QStringLiteral(" (시스템 설정 %1)").arg(port.origin);
    case TargetSource::Default:
        return QStringLiteral(" (기본값)");
    case TargetSource::OperatorFile:
        break;
    }
    return {};
}

} // namespace

PrinterMapping ReadPrinterMapping(const QString& path) {
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("프린터 연결 설정 파일을 읽을 수 없습니다: %1\n(%2)")
                          .arg(path, file.errorString()));
    PrinterMapping mapping;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        const qsizetype equals = line.indexOf(u'=');
        if (line.startsWith(u'#') || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed().toUpper();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == PortName(ChannelKind::Parallel))
            mapping.lpt1 = value;
        else if (key == PortName(ChannelKind::Serial))
            mapping.com1 = value;
    }
    return mapping;
}

void WritePrinterMapping(const QString& path, const PrinterMapping& mapping) {
    const QByteArray content =
        QStringLiteral("# hanlabel 프린터 연결: 포트 상자의 LPT1과 COM1이 인쇄되는 곳\n"
                       "LPT1=%1\nCOM1=%2\n")
            .arg(mapping.lpt1, mapping.com1)
            .toUtf8();
    QSaveFile file(path);
    QString reason;
    if (!file.open(QIODevice::WriteOnly))
        reason = file.errorString();
    else if (file.write(content) != content.size())
        reason = file.errorString();
    else if (!file.commit())
        reason = file.errorString();
    if (!reason.isEmpty())
        throw Failure(QStringLiteral("프린터 연결 설정 파일에 쓸 수 없습니다: %1\n(%2)").arg(path, reason));
}

MappingPlaces DefaultMappingPlaces() {
    return {ApplicationFile(ApplicationFolder(), PrinterMappingFileName), SystemPrinterMappingFile};
}

QString PortVariable(ChannelKind kind) {
    return kind == ChannelKind::Parallel ? QStringLiteral("HANLABEL_LPT1") : QStringLiteral("HANLABEL_COM1");
}

QString PortName(ChannelKind kind) {
    return kind == ChannelKind::Parallel ? QStringLiteral("LPT1") : QStringLiteral("COM1");
}

QString DefaultPortTarget(ChannelKind kind) {
#ifdef Q_OS_WIN
    return PortName(kind);
#else
    return kind == ChannelKind::Parallel ? QStringLiteral("/dev/lp0") : QStringLiteral("/dev/ttyS0");
#endif
}

PortTarget ResolvePortTarget(ChannelKind kind, const MappingPlaces& places) {
    const QString variable = PortVariable(kind);
    if (const QString value = qEnvironmentVariable(variable.toLatin1().constData()); !value.isEmpty())
        return {value, TargetSource::Environment, variable};
    PrinterMapping own = ReadPrinterMapping(places.operatorFile);
    if (const QString& value = Entry(own, kind); !value.isEmpty())
        return {value, TargetSource::OperatorFile, places.operatorFile};
    PrinterMapping system = ReadPrinterMapping(places.systemFile);
    if (const QString& value = Entry(system, kind); !value.isEmpty())
        return {value, TargetSource::SystemFile, places.systemFile};
    return {DefaultPortTarget(kind), TargetSource::Default, {}};
}

PortTarget ResolvePortTarget(ChannelKind kind) { return ResolvePortTarget(kind, DefaultMappingPlaces()); }

QString PortDestinationText(const QString& portText, SerialFraming framing, const MappingPlaces& places) {
    const ChannelKind kind = ChooseChannel(portText);
    const QString shown = portText.isEmpty() ? QStringLiteral("(빈 칸)") : portText;
    // Any other text than "LPT1" is serial port 1, which the tooltip says when it is not "COM1".
    const QString port = kind == ChannelKind::Serial && portText != PortName(kind)
                             ? QStringLiteral("직렬 포트 1 ")
                             : QString();
    try {
        const PortTarget target = ResolvePortTarget(kind, places);
        const QString framingText =
            kind == ChannelKind::Serial ? QStringLiteral(" (%1)").arg(FramingText(framing)) : QString();
        return QStringLiteral("%1 → %2%3%4%5")
            .arg(shown, port, target.target, framingText, SourceNote(target));
    } catch (const Failure& failure) {
        return QStringLiteral("%1 → %2?\n%3").arg(shown, port, failure.message());
    }
}

QString PortDestinationText(const QString& portText, SerialFraming framing) {
    return PortDestinationText(portText, framing, DefaultMappingPlaces());
}

TargetKind ClassifyTarget(const QString& target) {
    if (target.startsWith(QLatin1String("/dev/")))
        return TargetKind::Device;
    if (target.startsWith(QLatin1String("cups:")))
        return TargetKind::Queue;
    if (target.startsWith(kTcpPrefix))
        return TargetKind::Network;
    if (target == QLatin1String("preview:"))
        return TargetKind::Preview;
    return TargetKind::File;
}

QString NetworkTarget(const QString& host, int port) {
    const QString shownHost = host.contains(u':') ? QStringLiteral("[%1]").arg(host) : host;
    return QStringLiteral("%1%2:%3").arg(kTcpPrefix, shownHost).arg(port);
}

bool SplitNetworkTarget(const QString& target, QString* host, int* port) {
    if (!target.startsWith(kTcpPrefix))
        return false;
    const QUrl url(target, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || !url.path().isEmpty() || url.port() == 0)
        return false;
    *host = url.host();
    *port = url.port(kRawPort);
    return true;
}

QString PrinterDialogHint() {
    return QStringLiteral("\n메뉴의 \"프린터 연결...\"에서 프린터를 고르고 \"연결 확인\"을 눌러 보세요.");
}

} // namespace hanlabel
