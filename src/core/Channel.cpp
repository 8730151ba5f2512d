#include "core/Channel.h"

namespace hanlabel {

ChannelKind ChooseChannel(const QString& portText) {
    return portText == QLatin1String("LPT1") ? ChannelKind::Parallel : ChannelKind::Serial;
}

QString FramingText(SerialFraming framing) {
    return framing == SerialFraming::Even7 ? QStringLiteral("9600,E,7,1") : QStringLiteral("9600,N,8,1");
}

} // namespace hanlabel
