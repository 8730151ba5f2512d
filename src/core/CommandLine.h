#pragma once

#include <QString>

namespace hanlabel {

// What `PROGRAM --version` prints: its name and version, the copyright and the licence.
QString VersionText(const QString& program);

// Keeps Qt's own debug, info and warning messages off stderr, which belongs to the program's own
// messages; QT_LOGGING_RULES (or QT_LOGGING_CONF) still turns them on. Call before the
// application object is made, since it may already warn.
void QuietQtMessages();

} // namespace hanlabel
