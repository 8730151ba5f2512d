#include "core/Signals.h"

#include <csignal>

namespace hanlabel {

void IgnoreChannelSignals() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
    sigaction(SIGXFSZ, &ignore, nullptr);
}

} // namespace hanlabel
