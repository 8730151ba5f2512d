#include "core/Failure.h"
#include "settings/SettingsFile.h"

#include "TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace hanlabel;
using hanlabel::test::AppFolderFixture;

namespace {

// Ids of desk operators that no account needs to exist for: the tests run as root and act as
// these in child processes.
constexpr uid_t kOperatorA = 65534; // nobody
constexpr uid_t kOperatorB = 65533;
constexpr gid_t kOwnGroupA = 65534; // nogroup
constexpr gid_t kOwnGroupB = 65533;
constexpr gid_t kDeskGroup = 65532;
constexpr gid_t kOtherGroup = 65531;

using test::Operator;

const Operator kA{kOperatorA, kOwnGroupA, {}};
const Operator kAAtDesk{kOperatorA, kOwnGroupA, {kDeskGroup}};
const Operator kBAtDesk{kOperatorB, kOwnGroupB, {kDeskGroup}};

// The message of the Failure the call throws; empty when it throws none.
template <typename Call> QString failureOf(Call&& call) {
    try {
        call();
    } catch (const Failure& f) {
        return f.message();
    }
    return {};
}

// Runs WriteSettingsFile as the operator; returns the Failure message, or an empty string when the
// file was written.
QString writeAs(const Operator& who, const QString& path, const QStringList& lines) {
    return test::FailureAsOperator(who, [&] { WriteSettingsFile(path, lines); });
}

struct stat statOf(const QString& path) {
    struct stat st {};
    stat(QFile::encodeName(path).constData(), &st);
    return st;
}

// A folder under /tmp that the operators can enter (the checkout may sit where they cannot).
struct SharedFolder {
    QTemporaryDir dir{QStringLiteral("/tmp/hanlabel-shared-XXXXXX")};
    QString file(const QString& name) const { return dir.filePath(name); }
    bool setUp(gid_t group, mode_t mode) const {
        const QByteArray path = QFile::encodeName(dir.path());
        return dir.isValid() && chown(path.constData(), 0, group) == 0 && chmod(path.constData(), mode) == 0;
    }
};

bool putFile(const QString& path, const QByteArray& content, uid_t owner, gid_t group, mode_t mode) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        return false;
    file.close();
    const QByteArray name = QFile::encodeName(path);
    return chown(name.constData(), owner, group) == 0 && chmod(name.constData(), mode) == 0;
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT
  private slots:
    void writesExactBytes();
    void roundTrip_data();
    void roundTrip();
    void readsLineFeedOnlyAndIgnoresExtraLines();
    void failures_data();
    void failures();
    void failedRewriteKeepsOldContent();
    void readOnlyFileIsNotReplaced();
    void refusesLineBreaks_data();
    void refusesLineBreaks();
    void unreadableLineNamed_data();
    void unreadableLineNamed();
    void sharedInstall_data();
    void sharedInstall();
    void sharedDeskTakesTurns();
    void framingCodes_data();
    void framingCodes();
};

void TestSettingsFile::writesExactBytes() {
    AppFolderFixture app;
    WriteSettingsFile(app.file("OH.ini"), {"LPT1", "2"});
    QCOMPARE(app.readBytes("OH.ini"), QByteArray("LPT1\r\n2\r\n"));
    WriteSettingsFile(app.file("position.ini"), {"12a", ""});
    QCOMPARE(app.readBytes("position.ini"), QByteArray("12a\r\n\r\n"));
    WriteSettingsFile(app.file("DPOS.ini"), {"가", " ^FO1,2 "});
    QCOMPARE(app.readBytes("DPOS.ini"), QByteArray("\xB0\xA1\r\n ^FO1,2 \r\n"));
}

void TestSettingsFile::roundTrip_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("origin") << QStringList{"20", "10"};
    QTest::newRow("blanks kept") << QStringList{" 1 ", "  "};
    QTest::newRow("empty lines") << QStringList{"", ""};
    QTest::newRow("hangul") << QStringList{"^FO10,10^A0N,30,30", "도서관"};
    QTest::newRow("lower case port") << QStringList{"lpt1", "01"};
}

void TestSettingsFile::roundTrip() {
    QFETCH(QStringList, lines);
    AppFolderFixture app;
    WriteSettingsFile(app.file("x.ini"), lines);
    QCOMPARE(ReadSettingsFile(app.file("x.ini"), int(lines.size())), lines);
}

void TestSettingsFile::readsLineFeedOnlyAndIgnoresExtraLines() {
    AppFolderFixture app;
    app.writeBytes("DPOS.ini", "40\n30\r\n^PR3\n\n^FO1,1\nextra\r\n");
    QCOMPARE(ReadSettingsFile(app.file("DPOS.ini"), 5), (QStringList{"40", "30", "^PR3", "", "^FO1,1"}));
    // A last line without its line end still counts.
    app.writeBytes("OH.ini", "COM1\r\n1");
    QCOMPARE(ReadSettingsFile(app.file("OH.ini"), 2), (QStringList{"COM1", "1"}));
}

void TestSettingsFile::failures_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("missing") << QByteArray() << false << "없습니다";
    QTest::newRow("empty") << QByteArray() << true << "부족";
    QTest::newRow("four of five") << QByteArray("1\r\n2\r\n3\r\n4\r\n") << true << "부족";
}

void TestSettingsFile::failures() {
    QFETCH(QByteArray, content);
    QFETCH(bool, exists);
    QFETCH(QString, mentions);
    AppFolderFixture app;
    QFile::remove(app.file("DPOS.ini"));
    if (exists)
        app.writeBytes("DPOS.ini", content);
    const QString message = failureOf([&] { ReadSettingsFile(app.file("DPOS.ini"), 5); });
    QVERIFY2(message.contains("DPOS.ini") && message.contains(mentions), qPrintable(message));
}

// The write is cut off by a file size limit (which binds root too): the old file must survive whole.
void TestSettingsFile::failedRewriteKeepsOldContent() {
    AppFolderFixture app;
    const QByteArray before = app.readBytes("DPOS.ini");
    QVERIFY(!before.isEmpty());
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = old;
    tight.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &tight);
    bool failed = false;
    try {
        WriteSettingsFile(app.file("DPOS.ini"), {QString(200, 'x'), "1", "2", "3", "4"});
    } catch (const Failure& f) {
        failed = f.message().contains("DPOS.ini");
    }
    setrlimit(RLIMIT_FSIZE, &old);
    QVERIFY(failed);
    QCOMPARE(app.readBytes("DPOS.ini"), before);

    // A folder that does not exist cannot take the file either.
    QVERIFY_THROWS_EXCEPTION(Failure, WriteSettingsFile(app.file("missing/OH.ini"), {"LPT1", "2"}));
}

void TestSettingsFile::readOnlyFileIsNotReplaced() {
    AppFolderFixture app;
    const QByteArray before = app.readBytes("OH.ini");
    QFile::setPermissions(app.file("OH.ini"), QFile::ReadOwner | QFile::ReadUser);
    QVERIFY_THROWS_EXCEPTION(Failure, WriteSettingsFile(app.file("OH.ini"), {"COM1", "1"}));
    QCOMPARE(app.readBytes("OH.ini"), before);
}

void TestSettingsFile::refusesLineBreaks_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("badLine");
    QTest::newRow("line feed") << QStringList{"10\n20", "10"} << 1;
    QTest::newRow("carriage return") << QStringList{"10", "20\r"} << 2;
    QTest::newRow("CR LF") << QStringList{"LPT1\r\n", "2"} << 1;
    QTest::newRow("vertical tab") << QStringList{"1", "2", "^FO1,1\v^FS"} << 3;
    QTest::newRow("form feed") << QStringList{"\f"} << 1;
    QTest::newRow("next line U+0085") << QStringList{"a", QStringLiteral("b\u0085c")} << 2;
    QTest::newRow("line separator U+2028") << QStringList{QStringLiteral("10\u202820"), "1"} << 1;
    QTest::newRow("paragraph separator U+2029") << QStringList{"1", QStringLiteral("\u2029")} << 2;
}

// A value holding a line break would shift every later line of a positional file: nothing is
// written, and the message names the file and the line.
void TestSettingsFile::refusesLineBreaks() {
    QFETCH(QStringList, lines);
    QFETCH(int, badLine);
    AppFolderFixture app;
    const QByteArray before = app.readBytes("position.ini");
    const QString message = failureOf([&] { WriteSettingsFile(app.file("position.ini"), lines); });
    QVERIFY2(message.contains(QStringLiteral("position.ini %1번째 줄").arg(badLine)) &&
                 message.contains(QStringLiteral("줄바꿈")),
             qPrintable(message));
    QCOMPARE(app.readBytes("position.ini"), before);
    QVERIFY_THROWS_EXCEPTION(Failure, WriteSettingsFile(app.file("new.ini"), lines));
    QVERIFY(!QFile::exists(app.file("new.ini")));
}

void TestSettingsFile::unreadableLineNamed_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("badLine");
    QTest::newRow("binary garbage") << QByteArray("24\r\n20\r\n\xFF\xFE\x81 \r\n4\r\n5\r\n") << 3;
    QTest::newRow("lead byte without its trail") << QByteArray("\xB0\r\n2\r\n3\r\n4\r\n5\r\n") << 1;
    QTest::newRow("lead byte at the very end") << QByteArray("1\r\n2\r\n3\r\n4\r\n5\xB0") << 5;
    QTest::newRow("lead byte before a blank") << QByteArray("1\n\x81 \n3\n4\n5\n") << 2;
}

void TestSettingsFile::unreadableLineNamed() {
    QFETCH(QByteArray, content);
    QFETCH(int, badLine);
    AppFolderFixture app;
    app.writeBytes("DPOS.ini", content);
    const QString message = failureOf([&] { ReadSettingsFile(app.file("DPOS.ini"), 5); });
    QVERIFY2(message.contains(QStringLiteral("DPOS.ini %1번째 줄").arg(badLine)), qPrintable(message));
    // Lines past those asked for are not read.
    app.writeBytes("DPOS.ini", "1\r\n2\r\n\xFF");
    QCOMPARE(ReadSettingsFile(app.file("DPOS.ini"), 2), (QStringList{"1", "2"}));
}

void TestSettingsFile::sharedInstall_data() {
    QTest::addColumn<gid_t>("folderGroup");
    QTest::addColumn<uint>("folderMode");
    QTest::addColumn<uid_t>("fileOwner");
    QTest::addColumn<gid_t>("fileGroup");
    QTest::addColumn<uint>("fileMode");
    QTest::addColumn<bool>("atDesk"); // the operator belongs to the desk group
    QTest::addColumn<bool>("inPlace");
    QTest::addColumn<uid_t>("owner");
    QTest::addColumn<gid_t>("group");
    QTest::addColumn<uint>("mode");

    QTest::newRow("folder closed, own file") << gid_t(0) << 0755u << kOperatorA << kOwnGroupA << 0644u
                                             << false << true << kOperatorA << kOwnGroupA << 0644u;
    QTest::newRow("folder closed, file of the desk group")
        << gid_t(0) << 0755u << uid_t(0) << kDeskGroup << 0664u << true << true << uid_t(0) << kDeskGroup
        << 0664u;
    QTest::newRow("desk folder, file of another operator")
        << kDeskGroup << 0775u << kOperatorB << kDeskGroup << 0664u << true << false << kOperatorA
        << kDeskGroup << 0664u;
    QTest::newRow("own file narrower than the umask")
        << kDeskGroup << 0775u << kOperatorA << kOwnGroupA << 0600u << true << false << kOperatorA
        << kOwnGroupA << 0600u;
    QTest::newRow("group the operator is not in") << gid_t(0) << 0777u << kOperatorB << kOtherGroup << 0666u
                                                  << false << false << kOperatorA << kOwnGroupA << 0666u;
}

// As an unprivileged operator: a writable file in a folder the operator may not write to is
// rewritten in place; a file rewritten through a new file keeps its mode and, where the operator
// may set it, its group.
void TestSettingsFile::sharedInstall() {
    QFETCH(gid_t, folderGroup);
    QFETCH(uint, folderMode);
    QFETCH(uid_t, fileOwner);
    QFETCH(gid_t, fileGroup);
    QFETCH(uint, fileMode);
    QFETCH(bool, atDesk);
    QFETCH(bool, inPlace);
    QFETCH(uid_t, owner);
    QFETCH(gid_t, group);
    QFETCH(uint, mode);
    if (geteuid() != 0)
        QSKIP("acting as other operators needs root");

    SharedFolder folder;
    const QString path = folder.file(QStringLiteral("OH.ini"));
    QVERIFY(putFile(path, "LPT1\r\n2\r\n", fileOwner, fileGroup, fileMode));
    QVERIFY(folder.setUp(folderGroup, folderMode));
    const ino_t before = statOf(path).st_ino;

    QCOMPARE(writeAs(atDesk ? kAAtDesk : kA, path, {"COM1", "1"}), QString());
    QCOMPARE(test::ReadFileBytes(path), QByteArray("COM1\r\n1\r\n"));
    const struct stat after = statOf(path);
    QCOMPARE(after.st_ino == before, inPlace);
    QCOMPARE(after.st_uid, owner);
    QCOMPARE(after.st_gid, group);
    QCOMPARE(uint(after.st_mode & 07777), mode);
    QCOMPARE(QDir(folder.dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"OH.ini"});
}

// The desk of the report: folder and files writable by the group; operators print in turn, and
// neither is refused by the file the other left. A file nobody may write stays as it is.
void TestSettingsFile::sharedDeskTakesTurns() {
    if (geteuid() != 0)
        QSKIP("acting as other operators needs root");
    SharedFolder folder;
    const QString path = folder.file(QStringLiteral("OH.ini"));
    const QString locked = folder.file(QStringLiteral("OH1.ini"));
    QVERIFY(putFile(path, "LPT1\r\n2\r\n", 0, kDeskGroup, 0664));
    QVERIFY(putFile(locked, "LPT1\r\n2\r\n", 0, kDeskGroup, 0644));
    QVERIFY(folder.setUp(kDeskGroup, 0775));

    QCOMPARE(writeAs(kAAtDesk, path, {"COM1", "1"}), QString());
    QCOMPARE(writeAs(kBAtDesk, path, {"COM2", "2"}), QString());
    QCOMPARE(writeAs(kAAtDesk, path, {"LPT1", "1"}), QString());
    QCOMPARE(test::ReadFileBytes(path), QByteArray("LPT1\r\n1\r\n"));
    QCOMPARE(statOf(path).st_gid, kDeskGroup);

    const QString refused = writeAs(kBAtDesk, locked, {"COM1", "1"});
    QVERIFY2(refused.contains(QStringLiteral("OH1.ini")) && refused.contains(QStringLiteral("읽기 전용")),
             qPrintable(refused));
    QCOMPARE(test::ReadFileBytes(locked), QByteArray("LPT1\r\n2\r\n"));
}

void TestSettingsFile::framingCodes_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("framing"); // what the code names, empty for nothing
    QTest::newRow("1") << "1" << "9600,E,7,1";
    QTest::newRow("2") << "2" << "9600,N,8,1";
    QTest::newRow("1 blank") << "1 " << "";
    QTest::newRow("01") << "01" << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("3") << "3" << "";
}

void TestSettingsFile::framingCodes() {
    QFETCH(QString, code);
    QFETCH(QString, framing);
    const std::optional<SerialFraming> named = FramingFromCode(code);
    QCOMPARE(named ? FramingText(*named) : QString(), framing);
    QCOMPARE(FramingCode(SerialFraming::Even7), QStringLiteral("1"));
    QCOMPARE(FramingCode(SerialFraming::None8), QStringLiteral("2"));
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
