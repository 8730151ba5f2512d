#pragma once

#include "core/AppFolder.h"
#include "core/Channel.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace hanlabel {

// Reads the first lineCount lines of a settings file (CP949; CR LF or LF line ends dropped).
// Throws Failure naming the file when it is missing, unreadable or has fewer lines, and naming the
// file and the line when a line is not CP949 text.
QStringList ReadSettingsFile(const QString& path, int lineCount);

// Replaces a settings file with the lines, each in CP949 followed by CR LF. The new content goes
// to a temporary file that is renamed over the old one, so a failed write keeps the old content;
// the new file keeps the old one's mode and, where this process may set it, its group. In a folder
// this user may not write to, a writable file is rewritten in place, and a failed write can then
// lose its old content. Throws Failure naming the file, and the line when a line holds a line
// break, without writing anything then.
void WriteSettingsFile(const QString& path, const QStringList& lines);

// Throws the Failure WriteSettingsFile would for these lines (a line break, a character outside
// code page 949), writing nothing.
void CheckSettingsLines(const QString& path, const QStringList& lines);

// Line 2 of a channel settings file: "1" for 9600,E,7,1, "2" for 9600,N,8,1.
QString FramingCode(SerialFraming framing);

// The framing line 2 of a channel settings file names; nothing for any other text.
std::optional<SerialFraming> FramingFromCode(const QString& code);

} // namespace hanlabel
