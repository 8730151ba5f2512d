#include "channels/TargetFactory.h"

#include "channels/CupsTransport.h"
#include "channels/ParallelTransport.h"
#include "channels/PreviewTransport.h"
#include "channels/SerialTransport.h"
#include "channels/TcpTransport.h"

namespace hanlabel {

namespace {

// The path an environment variable names, or the platform's own device when it is unset or empty.
QString targetFromEnvironment(const char* variable, const QString& fallback) {
    const QString value = qEnvironmentVariable(variable);
    return value.isEmpty() ? fallback : value;
}

} // namespace

QString ParallelPortTarget() {
#ifdef Q_OS_WIN
    return targetFromEnvironment("HANLABEL_LPT1", QStringLiteral("LPT1"));
#else
    return targetFromEnvironment("HANLABEL_LPT1", QStringLiteral("/dev/lp0"));
#endif
}

QString SerialPortTarget() {
#ifdef Q_OS_WIN
    return targetFromEnvironment("HANLABEL_COM1", QStringLiteral("COM1"));
#else
    return targetFromEnvironment("HANLABEL_COM1", QStringLiteral("/dev/ttyS0"));
#endif
}

// Other kinds of "LPT1" target (network printer, print queue, preview) are recognised here.
std::unique_ptr<Transport> MakeTargetTransport(const QString& target) {
    if (IsTcpTarget(target))
        return MakeTcpTransport(target);
    if (IsCupsTarget(target))
        return MakeCupsTransport(target);
    if (IsPreviewTarget(target))
        return MakePreviewTransport(target);
    return MakeParallelTransport(target);
}

std::unique_ptr<Transport> OpenTransport(ChannelKind kind, SerialFraming framing) {
    switch (kind) {
    case ChannelKind::Parallel:
        return MakeTargetTransport(ParallelPortTarget());
    case ChannelKind::Serial:
        break;
    }
    return MakeSerialTransport(SerialPortTarget(), framing);
}

} // namespace hanlabel
