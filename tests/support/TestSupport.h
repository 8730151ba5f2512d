#pragma once

#include "jobs/JobTypes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <QList>

#include <functional>
#include <memory>
#include <type_traits>

#include <sys/types.h>

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

// Adds a row of a data-driven test; plain string literals become QString columns.
template <typename... Values> void Row(const QByteArray& tag, const Values&... values) {
    const auto column = [](const auto& value) {
        if constexpr (std::is_convertible_v<decltype(value), const char*>)
            return QString::fromUtf8(value);
        else
            return value;
    };
    (QTest::newRow(tag.constData()) << ... << column(values));
}

// Rows of an origin holding "^" or "~", for a job or a window: columns x and y (the origin
// typed), box (the box refused) and named (what names it: xName or yName). With a kind, the rows
// are named after it and start with it, under the columns of OriginRejectionColumns.
void OriginRejectionRows(const QString& xName, const QString& yName, const QString& kind = {});
// The columns for rows of several kinds: kind, then those above.
void OriginRejectionColumns();

// Checks a job on such a row refused its origin: the box named in the message, nothing sent to
// lptPath, the channel file rewritten ("LPT1", framing code 2, as the jobs' example inputs give)
// and the origin file too, the origin and layout lines kept in the outcome.
void VerifyOriginRejected(const LabelJobOutcome& out, const AppFolderFixture& app, const QString& lptPath,
                          const QString& channelFile, const QString& originFile, const QStringList& layout);

QString TestDataPath(const QString& name);
QString SampleDatabasePath();
QByteArray ReadFileBytes(const QString& path);

// Compares bytes with the golden file tests/data/golden/<name>. With HANLABEL_REGENERATE_GOLDEN=1
// in the environment, the golden file is rewritten instead (review its diff like code): each
// golden file has one test that writes it this way. Returns an empty string when equal, else a
// description of the first difference.
QString CompareGolden(const QString& name, const QByteArray& actual);
// The same comparison for a test that checks another test's golden file; it never writes it, so
// a regeneration cannot make the two agree by writing the file twice.
QString CheckGolden(const QString& name, const QByteArray& actual);

// A pseudo-terminal pair standing in for serial port 1: the slave's path is what the program
// opens, the master side is read raw on a thread until stop(). Given a status answer, it answers
// each "~HS" it reads with it, as a printer on the line would.
class PtyCapture {
  public:
    explicit PtyCapture(QByteArray statusAnswer = {});
    ~PtyCapture();
    QString slavePath() const { return m_slavePath; }
    // Waits until at least byteCount bytes arrived or the timeout ran out; returns all so far.
    QByteArray waitFor(qsizetype byteCount, int timeoutMs = 10000);
    QByteArray received();

  private:
    struct State;
    std::unique_ptr<State> m_state;
    QString m_slavePath;
};

// A desk operator that no account needs to exist for: the tests run as root and act as one in a
// child process.
struct Operator {
    uid_t uid;
    gid_t gid;
    QList<gid_t> groups; // supplementary
};
// Runs `call` in a child process that first becomes the operator (umask 022). Returns the message
// of the Failure it throws, an empty string when it throws none, or says that the child failed.
QString FailureAsOperator(const Operator& who, const std::function<void()>& call);

} // namespace hanlabel::test
