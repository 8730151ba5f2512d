#include "channels/TargetFactory.h"

#include "channels/CupsTransport.h"
#include "channels/ParallelTransport.h"
#include "channels/PreviewTransport.h"
#include "channels/SerialTransport.h"
#include "channels/TcpTransport.h"
#include "printers/PrinterMapping.h"
#include "printers/PrinterTarget.h"

namespace hanlabel {

QString ParallelPortTarget() { return ResolvePortTarget(ChannelKind::Parallel).target; }

QString SerialPortTarget() { return ResolvePortTarget(ChannelKind::Serial).target; }

std::unique_ptr<Transport> MakeTargetTransport(const QString& target) {
    switch (PrinterTarget::parse(target).kind()) {
    case PrinterTarget::Kind::Network:
        return MakeTcpTransport(target);
    case PrinterTarget::Kind::Queue:
        return MakeCupsTransport(target);
    case PrinterTarget::Kind::Preview:
        return MakePreviewTransport(target);
    case PrinterTarget::Kind::Device:
    case PrinterTarget::Kind::File:
        break;
    }
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
