#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace hanlabel {

// Why the application folder is where it is.
enum class FolderSource {
    Variable,   // HANLABEL_HOME names it
    Executable, // the executable's folder, whose settings files the operator can rewrite
    PerUser,    // the operator's own folder, filled from the executable's
};

// The application folder in use, beside the folder the program's default files came in.
struct FolderChoice {
    FolderSource source = FolderSource::Executable;
    QString folder;
    QString defaultsFolder;
};

// What the application folder is chosen from. SystemFolderPlaces() gives the real ones; tests
// give temporary folders and their own idea of what is writable.
struct FolderPlaces {
    QString variable;          // the value of HANLABEL_HOME, empty when unset
    QString executableFolder;  // where the executable is
    QString defaultsFolder;    // where its default files are: DefaultsFolder()
    QString userFolder;        // the per-user folder (~/.local/share/hanlabel)
    QStringList settingsFiles; // the files every print may rewrite
    std::function<bool(const QString& path)> writable;
};

FolderPlaces SystemFolderPlaces();

// Where an executable's default settings files and glyph database are: the installed share folder
// (`shareFromExecutable`, relative to the executable's folder, e.g. /usr/bin/../share/hanlabel)
// when it exists, else the executable's own folder (a self-contained folder, the build tree).
QString DefaultsFolder(const QString& executableFolder, const QString& shareFromExecutable);

// HANLABEL_HOME when set; else the executable's folder when it holds the defaults itself and the
// operator can rewrite its settings files there (the folder is writable, or every one of the files
// is); else the per-user folder.
FolderChoice ChooseApplicationFolder(const FolderPlaces& places);

// Copies into a per-user folder each settings file it lacks from the defaults folder; a file
// already there is kept as it is. Throws Failure naming the folder or file that could not be made.
void FillUserFolder(const FolderChoice& choice, const QStringList& settingsFiles);

// Chooses the application folder from the real environment and fills it when it is per-user.
// Called once at start-up; throws Failure when the first copy fails.
FolderChoice PrepareApplicationFolder();

// The application folder: where the settings files are read and written.
QString ApplicationFolder();

// The folder, a path separator and the file name.
QString ApplicationFile(const QString& folder, const QString& fileName);

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

// The glyph database's file name in the application folder.
inline const QString GlyphDatabaseName = QStringLiteral("견고딕24X24.mdb");

// A file that ships with the program and is only read (the glyph database): the application
// folder's own copy when it has one, else the default one, so that an upgrade of the program
// reaches every operator. HANLABEL_HOME always reads its own.
QString ShippedFile(const FolderChoice& choice, const QString& fileName);
QString ShippedFile(const QString& fileName);

} // namespace hanlabel
