#pragma once

#include <QString>

namespace hanlabel {

// Why a system call failed, in the program's own Korean words whatever the locale: the window
// speaks Korean on any desktop. A reason the table does not know keeps the system's own text
// (and number) after a Korean summary.
QString SystemReason(int error);

// Why a host name could not be looked up (a getaddrinfo code), in the same words.
QString NameLookupReason(int code);

} // namespace hanlabel
