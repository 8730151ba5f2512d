#pragma once

#include <QString>
#include <QStringList>

namespace hanlabel {

// The six positional settings files of the application folder.
namespace SettingsFiles {
inline const QString BookChannel = QStringLiteral("OH.ini");
inline const QString BookOrigin = QStringLiteral("position.ini");
inline const QString BookLayout = QStringLiteral("DPOS.ini");
inline const QString MemberChannel = QStringLiteral("OH1.ini");
inline const QString MemberOrigin = QStringLiteral("position1.ini");
inline const QString MemberLayout = QStringLiteral("DPOS1.ini");
// All six, in the order above.
inline const QStringList All{BookChannel, BookOrigin, BookLayout, MemberChannel, MemberOrigin, MemberLayout};
} // namespace SettingsFiles

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
QString FramingCode(bool option5Selected);

// What line 2 of a channel settings file selects: 5 (Option5), 6 (Option6), or 0 for no change.
int FramingOptionFromCode(const QString& code);

} // namespace hanlabel
