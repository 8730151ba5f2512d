#pragma once

namespace hanlabel {

// Makes signals that would otherwise kill the process during a print harmless: SIGPIPE (a pipe or
// socket whose reader went away) and SIGXFSZ (a file-size limit reached). The failing write then
// returns EPIPE or EFBIG and the channel reports it. Every executable calls this first, before it
// starts any thread.
void IgnoreChannelSignals();

} // namespace hanlabel
