#include "TestSupport.h"

#include "core/Cp949.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace hanlabel::test {

QString TestDataPath(const QString& name) { return QStringLiteral(HANLABEL_TEST_DATA "/") + name; }

QString SampleDatabasePath() { return QStringLiteral(HANLABEL_SAMPLE_APP "/견고딕24X24.mdb"); }

QByteArray ReadFileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

AppFolderFixture::AppFolderFixture() {
    const QDir sample(QStringLiteral(HANLABEL_SAMPLE_APP));
    for (const QFileInfo& info : sample.entryInfoList(QDir::Files)) {
        const QString target = file(info.fileName());
        QFile::copy(info.absoluteFilePath(), target);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    }
}

QString AppFolderFixture::file(const QString& name) const { return m_dir.filePath(name); }

void AppFolderFixture::writeLines(const QString& name, const QStringList& lines) const {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += EncodeCp949(line) + "\r\n";
    writeBytes(name, bytes);
}

void AppFolderFixture::writeBytes(const QString& name, const QByteArray& bytes) const {
    QFile f(file(name));
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QByteArray AppFolderFixture::readBytes(const QString& name) const { return ReadFileBytes(file(name)); }

void AppFolderFixture::useGlyphDatabase(const QString& testDataName) const {
    const QString target = file(QStringLiteral("견고딕24X24.mdb"));
    QFile::remove(target);
    QFile::copy(TestDataPath(testDataName), target);
}

QString CompareGolden(const QString& name, const QByteArray& actual) {
    const QString path = TestDataPath(QStringLiteral("golden/") + name);
    if (qEnvironmentVariableIntValue("HANLABEL_REGENERATE_GOLDEN") == 1) {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QStringLiteral("cannot regenerate %1").arg(path);
        f.write(actual);
        return {};
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("golden file %1 is missing (regenerate with HANLABEL_REGENERATE_GOLDEN=1)").arg(path);
    const QByteArray expected = f.readAll();
    if (expected == actual)
        return {};
    qsizetype i = 0;
    while (i < expected.size() && i < actual.size() && expected[i] == actual[i])
        ++i;
    return QStringLiteral("%1 differs at byte %2 (expected %3 bytes, got %4): expected \"%5\", got \"%6\"")
        .arg(name)
        .arg(i)
        .arg(expected.size())
        .arg(actual.size())
        .arg(QString::fromLatin1(expected.mid(qMax<qsizetype>(0, i - 20), 60).toPercentEncoding(" ^~,")),
             QString::fromLatin1(actual.mid(qMax<qsizetype>(0, i - 20), 60).toPercentEncoding(" ^~,")));
}

} // namespace hanlabel::test
