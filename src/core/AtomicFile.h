#pragma once

#include <QByteArray>
#include <QString>

namespace hanlabel {

// Replaces a file's content at once through a temporary file beside it, so that a reader never sees
// it half written. Returns the system's reason when it could not, else an empty string.
QString WriteFileAtomically(const QString& path, const QByteArray& content);

} // namespace hanlabel
