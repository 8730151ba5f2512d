#include "settings/SettingsFile.h"

#include "core/Cp949.h"
#include "core/Failure.h"
#include "core/LineBreak.h"
#include "core/RewriteFile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace hanlabel {

namespace {

QString shownName(const QString& path) { return QFileInfo(path).fileName(); }

// "DPOS.ini 3번째 줄": where in which file, for messages about one line.
QString fileAndLine(const QString& path, qsizetype lineIndex) {
    return QStringLiteral("%1 %2번째 줄").arg(shownName(path)).arg(lineIndex + 1);
}

// True when the value would become two lines.
bool holdsLineBreak(const QString& line) { return std::any_of(line.cbegin(), line.cend(), IsLineBreak); }

// The bytes of a settings file: each line in CP949 followed by CR LF.
QByteArray settingsFileContent(const QString& path, const QStringList& lines) {
    QByteArray content;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (holdsLineBreak(lines[i]))
            throw Failure(QStringLiteral("설정 파일에 쓰지 않았습니다: %1에 줄바꿈 문자가 있습니다.")
                              .arg(fileAndLine(path, i)));
        try {
            content += EncodeCp949(lines[i]);
        } catch (const Failure& f) {
            throw Failure(
                QStringLiteral("설정 파일 %1에 쓸 수 없습니다.\n%2").arg(shownName(path), f.message()));
        }
        content += "\r\n";
    }
    return content;
}

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
        const std::optional<QString> text = DecodeCp949Exactly(line);
        if (!text)
            throw Failure(
                QStringLiteral(
                    "설정 파일을 읽을 수 없습니다: %1에 코드 페이지 949 문자가 아닌 바이트가 있습니다.")
                    .arg(fileAndLine(path, lines.size())));
        lines.append(*text);
    }
    return lines;
}

void WriteSettingsFile(const QString& path, const QStringList& lines) {
    const QByteArray content = settingsFileContent(path, lines);
    // A file marked read-only stays protected, although the rename below could replace it.
    const QFileInfo info(path);
    const auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (info.exists() && (!info.isWritable() || !(info.permissions() & anyWrite)))
        throw Failure(QStringLiteral("설정 파일이 읽기 전용이라 쓸 수 없습니다: %1").arg(shownName(path)));
    if (const QString reason = RewriteFile(path, content); !reason.isEmpty())
        throw Failure(QStringLiteral("설정 파일에 쓸 수 없습니다: %1\n(%2)").arg(shownName(path), reason));
}

void CheckSettingsLines(const QString& path, const QStringList& lines) { settingsFileContent(path, lines); }

QString FramingCode(SerialFraming framing) {
    return framing == SerialFraming::Even7 ? QStringLiteral("1") : QStringLiteral("2");
}

std::optional<SerialFraming> FramingFromCode(const QString& code) {
    if (code == QLatin1String("1"))
        return SerialFraming::Even7;
    if (code == QLatin1String("2"))
        return SerialFraming::None8;
    return std::nullopt;
}

} // namespace hanlabel
