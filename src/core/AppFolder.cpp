#include "core/AppFolder.h"

#include "core/Failure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace hanlabel {

FolderPlaces SystemFolderPlaces() {
    FolderPlaces places;
    places.variable = qEnvironmentVariable("HANLABEL_HOME");
    places.executableFolder = QCoreApplication::applicationDirPath();
    places.defaultsFolder = DefaultsFolder(places.executableFolder, QStringLiteral(HANLABEL_SHARE_FROM_BIN));
    // Without HOME the system would put the operator's folder under "/": say so instead.
    if (!qEnvironmentVariableIsEmpty("HOME"))
        places.userFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    places.settingsFiles = SettingsFiles::All;
    places.writable = [](const QString& path) { return QFileInfo(path).isWritable(); };
    return places;
}

QString DefaultsFolder(const QString& executableFolder, const QString& shareFromExecutable) {
    if (!shareFromExecutable.isEmpty()) {
        const QString share = QDir::cleanPath(ApplicationFile(executableFolder, shareFromExecutable));
        if (QFileInfo(share).isDir())
            return share;
    }
    return executableFolder;
}

FolderChoice ChooseApplicationFolder(const FolderPlaces& places) {
    if (!places.variable.isEmpty())
        return {FolderSource::Variable, places.variable, places.defaultsFolder};
    const QString& executable = places.executableFolder;
    // An installed program's folder (/usr/bin) is no place for settings, even for root.
    const bool selfContained = places.defaultsFolder == executable;
    // A shared desk whose files IT made writable keeps sharing them, even in a locked folder.
    const bool rewritable =
        places.writable(executable) ||
        std::all_of(places.settingsFiles.begin(), places.settingsFiles.end(),
                    [&](const QString& name) { return places.writable(ApplicationFile(executable, name)); });
    if (selfContained && rewritable)
        return {FolderSource::Executable, executable, executable};
    return {FolderSource::PerUser, places.userFolder, places.defaultsFolder};
}

void FillUserFolder(const FolderChoice& choice, const QStringList& settingsFiles) {
    if (choice.source != FolderSource::PerUser)
        return;
    if (choice.folder.isEmpty())
        throw Failure(QStringLiteral("사용자 폴더를 알 수 없습니다 (환경 변수 HOME이 설정되어 있지 않습니다)."));
    if (!QDir().mkpath(choice.folder))
        throw Failure(QStringLiteral("개인 설정 폴더를 만들 수 없습니다: %1").arg(choice.folder));
    for (const QString& name : settingsFiles) {
        const QString target = ApplicationFile(choice.folder, name);
        const QString source = ApplicationFile(choice.defaultsFolder, name);
        // A file of the operator's is never replaced; a default that is missing is reported
        // by the window that reads it.
        if (QFileInfo::exists(target) || !QFileInfo::exists(source))
            continue;
        QFile file(source);
        if (!file.copy(target))
            throw Failure(QStringLiteral("설정 파일을 개인 설정 폴더로 복사할 수 없습니다: %1\n%2 → %3")
                              .arg(file.errorString(), source, target));
        // The copy keeps the default's mode, which may be read-only; the operator must rewrite it.
        QFile::setPermissions(target,
                              QFile::permissions(target) | QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
}

FolderChoice PrepareApplicationFolder() {
    const FolderPlaces places = SystemFolderPlaces();
    const FolderChoice choice = ChooseApplicationFolder(places);
    FillUserFolder(choice, places.settingsFiles);
    return choice;
}

QString ApplicationFolder() { return ChooseApplicationFolder(SystemFolderPlaces()).folder; }

QString ApplicationFile(const QString& folder, const QString& fileName) {
    return folder + QLatin1Char('/') + fileName;
}

QString ShippedFile(const FolderChoice& choice, const QString& fileName) {
    const QString own = ApplicationFile(choice.folder, fileName);
    if (choice.source != FolderSource::PerUser || QFileInfo::exists(own))
        return own;
    return ApplicationFile(choice.defaultsFolder, fileName);
}

QString ShippedFile(const QString& fileName) {
    return ShippedFile(ChooseApplicationFolder(SystemFolderPlaces()), fileName);
}

} // namespace hanlabel
