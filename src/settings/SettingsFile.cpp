#include "settings/SettingsFile.h"

#include "core/AtomicFile.h"
#include "core/Cp949.h"
#include "core/Failure.h"

#include <QFile>
#include <QFileInfo>

namespace hanlabel {

namespace {
QString shownName(const QString& path) { return QFileInfo(path).fileName(); }
} // namespace

QStringList ReadSettingsFile(const QString& path, int lineCount) {
    QFile file(path);
    if (!file.exists())
        throw Failure(QStringLiteral("설정 파일이 없습니다: %1\n(%2)").arg(shownName(path), path));
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("설정 파일을 읽을 수 없습니다: %1\n(%2)")
                          .arg(shownName(path), file.errorString()));
    QStringList lines;
    while (lines.size() < lineCount) {
        if (file.atEnd())
            throw Failure(QStringLiteral("설정 파일 %1의 줄 수가 부족합니다: %2줄이 필요한데 %3줄뿐입니다.")
                              .arg(shownName(path))
                              .arg(lineCount)
                              .arg(lines.size()));
        QByteArray line = file.readLine();
        if (line.endsWith('\n'))
            line.chop(1);
        if (line.endsWith('\r'))
            line.chop(1);
        lines.append(DecodeCp949(line));
    }
    return lines;
}

void WriteSettingsFile(const QString& path, const QStringList& lines) {
    QByteArray content;
    for (const QString& line : lines) {
        try {
            content += EncodeCp949(line);
        } catch (const Failure& f) {
            throw Failure(
                QStringLiteral("설정 파일 %1에 쓸 수 없습니다.\n%2").arg(shownName(path), f.message()));
        }
        content += "\r\n";
    }
    // A file marked read-only stays protected, although the rename below could replace it.
    const QFileInfo info(path);
    const auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (info.exists() && (!info.isWritable() || !(info.permissions() & anyWrite)))
        throw Failure(QStringLiteral("설정 파일이 읽기 전용이라 쓸 수 없습니다: %1").arg(shownName(path)));
    if (const QString reason = WriteFileAtomically(path, content); !reason.isEmpty())
        throw Failure(QStringLiteral("설정 파일에 쓸 수 없습니다: %1\n(%2)").arg(shownName(path), reason));
}

QString FramingCode(bool option5Selected) {
    return option5Selected ? QStringLiteral("1") : QStringLiteral("2");
}

int FramingOptionFromCode(const QString& code) {
    if (code == QLatin1String("1"))
        return 5;
    if (code == QLatin1String("2"))
        return 6;
    return 0;
}

} // namespace hanlabel
