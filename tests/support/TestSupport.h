#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace hanlabel::test {

// A throw-away application folder with the six settings files and a glyph database.
class AppFolderFixture {
public:
    // Copies the sample application folder's files (settings and glyph database) into a new
    // temporary folder.
    AppFolderFixture();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const;

    // Writes lines as the program does (CP949, CR LF after each).
    void writeLines(const QString& name, const QStringList& lines) const;
    void writeBytes(const QString& name, const QByteArray& bytes) const;
    QByteArray readBytes(const QString& name) const;
    // Replaces the glyph database by one of tests/data.
    void useGlyphDatabase(const QString& testDataName) const;

private:
    QTemporaryDir m_dir;
};

QString TestDataPath(const QString& name);
QString SampleDatabasePath();
QByteArray ReadFileBytes(const QString& path);

// Compares bytes with the golden file tests/data/golden/<name>. With HANLABEL_REGENERATE_GOLDEN=1
// in the environment, the golden file is rewritten instead (review its diff like code).
// Returns an empty string when equal, else a description of the first difference.
QString CompareGolden(const QString& name, const QByteArray& actual);

} // namespace hanlabel::test
