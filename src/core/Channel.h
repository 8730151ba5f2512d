#pragma once

#include <QString>

namespace hanlabel {

// The two kinds of print channel. Exactly "LPT1" selects the parallel port; any other port
// text (also "lpt1" or "COM2") selects serial port 1.
enum class ChannelKind { Parallel, Serial };
ChannelKind ChooseChannel(const QString& portText);

// Serial framing of port 1: Option5 "9600,E,7,1" or Option6 "9600,N,8,1".
enum class SerialFraming { Even7, None8 };
QString FramingText(SerialFraming framing);

} // namespace hanlabel
