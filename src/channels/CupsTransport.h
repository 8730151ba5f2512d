#pragma once

#include "channels/Transport.h"

namespace hanlabel {

// A raw job (CUPS_FORMAT_RAW) on a CUPS queue of the server libcups is configured for
// (CUPS_SERVER, client.conf). "cups:" alone names the default queue. The job counts as sent once
// the server has accepted the whole document.
std::unique_ptr<Transport> MakeCupsTransport(const QString& target);

} // namespace hanlabel
