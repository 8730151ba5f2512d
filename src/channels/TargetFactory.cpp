#include "channels/TargetFactory.h"

#include "channels/CupsTransport.h"
#include "channels/ParallelTransport.h"
#include "channels/PreviewTransport.h"
#include "channels/PrinterMapping.h"
#include "channels/SerialTransport.h"
#include "channels/TcpTransport.h"

namespace hanlabel {

QString ParallelPortTarget() { return ResolvePortTarget(ChannelKind::Parallel).target; }

QString SerialPortTarget() { return ResolvePortTarget(ChannelKind::Serial).target; }

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
