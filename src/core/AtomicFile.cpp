#include "core/AtomicFile.h"

#include <QSaveFile>

namespace hanlabel {

QString WriteFileAtomically(const QString& path, const QByteArray& content) {
    // Unbuffered: a buffered QSaveFile can commit a partly written file when the final flush falls short.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    if (file.write(content) != content.size())
        return QStringLiteral("내용을 끝까지 쓰지 못했습니다");
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace hanlabel
