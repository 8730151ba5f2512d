#include "core/Failure.h"
#include "settings/SettingsFile.h"

#include "TestSupport.h"

#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace hanlabel;
using hanlabel::test::AppFolderFixture;

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
    try {
        ReadSettingsFile(app.file("DPOS.ini"), 5);
        QFAIL("no failure");
    } catch (const Failure& f) {
        QVERIFY2(f.message().contains("DPOS.ini"), qPrintable(f.message()));
        QVERIFY2(f.message().contains(mentions), qPrintable(f.message()));
    }
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

void TestSettingsFile::framingCodes_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("option");
    QTest::newRow("1") << "1" << 5;
    QTest::newRow("2") << "2" << 6;
    QTest::newRow("1 blank") << "1 " << 0;
    QTest::newRow("01") << "01" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("3") << "3" << 0;
}

void TestSettingsFile::framingCodes() {
    QFETCH(QString, code);
    QFETCH(int, option);
    QCOMPARE(FramingOptionFromCode(code), option);
    QCOMPARE(FramingCode(true), QStringLiteral("1"));
    QCOMPARE(FramingCode(false), QStringLiteral("2"));
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
