#pragma once

#include <QString>

namespace hanlabel {

// The application folder: where the settings files and the glyph database live.
// It is the executable's folder unless the environment variable HANLABEL_HOME names another.
QString ApplicationFolder();

// The folder, a path separator and the file name.
QString ApplicationFile(const QString& folder, const QString& fileName);

} // namespace hanlabel
