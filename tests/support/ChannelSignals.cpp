// Compiled into every test executable: the channel signals are ignored before main() starts, as
// the program's main() does first.
#include "core/Signals.h"

namespace {

[[maybe_unused]] const bool kChannelSignalsIgnored = (hanlabel::IgnoreChannelSignals(), true);

} // namespace
