#pragma once

#include <QByteArray>
#include <QString>

namespace hanlabel {

// Replaces a file's content through a new file beside it, so that a reader never sees it half
// written; the new file keeps the old one's mode and, where this process may set it, its group,
// so the others of a shared desk can still rewrite it. In a folder this user may not write to, a
// writable file is rewritten in place instead: a failure there can lose the old content.
// Returns the system's reason when it could not, else an empty string.
QString RewriteFile(const QString& path, const QByteArray& content);

} // namespace hanlabel
