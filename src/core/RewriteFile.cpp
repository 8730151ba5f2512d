#include "core/RewriteFile.h"

#include <QFile>
#include <QSaveFile>

#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace hanlabel {

namespace {

// Gives the file being written the mode and, where this process may set it, the group of the file
// it replaces.
void keepModeAndGroup(int descriptor, const std::optional<struct stat>& old) {
    if (!old || descriptor < 0)
        return;
    // The group first: changing it clears the set-id bits that the mode then restores. Either may
    // be refused (not a member of that group; not the owner of a file rewritten in place), and the
    // file then keeps what it has.
    [[maybe_unused]] const int groupResult = fchown(descriptor, uid_t(-1), old->st_gid);
    [[maybe_unused]] const int modeResult = fchmod(descriptor, old->st_mode & 07777);
}

} // namespace

QString RewriteFile(const QString& path, const QByteArray& content) {
    std::optional<struct stat> old;
    if (struct stat st{}; stat(QFile::encodeName(path).constData(), &st) == 0)
        old = st;
    // Unbuffered: a buffered QSaveFile can commit a partly written file when the final flush falls short.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    keepModeAndGroup(file.handle(), old);
    if (file.write(content) != content.size())
        return QStringLiteral("내용을 끝까지 쓰지 못했습니다");
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace hanlabel
