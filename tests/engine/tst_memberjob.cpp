#include "glyphs/GlyphSource.h"
#include "jobs/MemberCardJob.h"

#include "LabelJobRunner.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace hanlabel;
using hanlabel::test::AppFolderFixture;

namespace {

const QStringList kLayout = {
    "^PR3", "40", "30", "40", "70", "^FO260,170^BY2^BCN,80,Y,N,N", "^FO260,300^A0N,30,30"};

MemberCardInputs workedExample() {
    MemberCardInputs in;
    in.portText = "LPT1";
    in.originX = "20";
    in.originY = "10";
    in.affiliation = "A1";
    in.name = "BC";
    in.memberNumberFirst = "200401";
    in.memberNumberSecond = "0123";
    in.maskSecondPart = true;
    return in;
}

} // namespace

// The member card job end to end: settings files, composition and both channels.
class TestMemberJob : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void goldenStreams_data();
    void goldenStreams();
    void workedExampleRows();
    void starMask_data();
    void starMask();
    void stepsAndSideEffects();
    void layoutNumbers_data();
    void layoutNumbers();
    void failuresKeepEntries_data();
    void failuresKeepEntries();
    void onlyACompleteSendEmptiesEntries_data();
    void onlyACompleteSendEmptiesEntries();
    void originWithCommandPrefix_data();
    void originWithCommandPrefix();
    void serialChannel();
    void typedCaretIsPrintedNotExecuted();

  private:
    MemberCardOutcome run(const MemberCardInputs& in);
    std::unique_ptr<AppFolderFixture> m_app;
    QTemporaryDir m_out;
    QString m_lpt;
    GlyphSource m_glyphs;
};

void TestMemberJob::initTestCase() {
    m_glyphs.bind(test::SampleDatabasePath());
    QVERIFY(m_glyphs.isOpen());
}

void TestMemberJob::init() {
    m_app = std::make_unique<AppFolderFixture>();
    m_app->writeLines("DPOS1.ini", kLayout);
    m_lpt = m_out.filePath("lpt1.zpl");
    QFile::remove(m_lpt);
    qputenv("HANLABEL_LPT1", m_lpt.toLocal8Bit());
    qputenv("HANLABEL_COM1", m_out.filePath("no-such-serial-device").toLocal8Bit());
}

// The job as the window runs it, the send on a worker.
MemberCardOutcome TestMemberJob::run(const MemberCardInputs& in) {
    MemberCardJob job(in, JobEnvironment{m_app->path(), &m_glyphs});
    return test::RunLabelJob(job);
}

void TestMemberJob::goldenStreams_data() {
    QTest::addColumn<QString>("affiliation");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("golden");
    QTest::newRow("ascii") << "A1"
                           << "BC"
                           << "member-example";
    QTest::newRow("hangul") << "국립중앙도서관"
                            << "홍길동"
                            << "member-hangul";
}

void TestMemberJob::goldenStreams() {
    QFETCH(QString, affiliation);
    QFETCH(QString, name);
    QFETCH(QString, golden);
    MemberCardInputs in = workedExample();
    in.affiliation = affiliation;
    in.name = name;
    const MemberCardOutcome outcome = run(in);
    QCOMPARE(outcome.status, JobStatus::Printed);
    const QByteArray lpt = test::ReadFileBytes(m_lpt);
    QString diff = test::CompareGolden(golden + ".lpt.zpl", lpt);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    const QByteArray serial = ComposeMemberCard(in, kLayout, ChannelKind::Serial, m_glyphs);
    diff = test::CompareGolden(golden + ".com.zpl", serial);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    QCOMPARE(QByteArray(lpt).replace("\r\n", ""), serial);
    QVERIFY(!lpt.contains("^PQ"));
    QVERIFY(!lpt.contains("^SF"));
}

void TestMemberJob::workedExampleRows() {
    QCOMPARE(run(workedExample()).status, JobStatus::Printed);
    const QByteArray expected = "^XA^PR3^LH20,10\r\n"
                                "^FO40,33^A0,35,35^FDA ^FS\r\n"
                                "^FO58,33^A0,35,35^FD1 ^FS\r\n"
                                "^FO40,73^A0,35,35^FDB ^FS\r\n"
                                "^FO58,73^A0,35,35^FDC ^FS\r\n"
                                "^FO260,170^BY2^BCN,80,Y,N,N^FD2004010123^FS\r\n"
                                "^FO260,300^A0N,30,30^FD200401-****^FS\r\n"
                                "^XZ\r\n";
    QCOMPARE(test::ReadFileBytes(m_lpt), expected);

    // A Hangul name: one download and one recall per character, recalls at y 70, x 40, 72, 104.
    MemberCardInputs in = workedExample();
    in.name = "홍길동";
    const QByteArray serial = ComposeMemberCard(in, kLayout, ChannelKind::Serial, m_glyphs);
    for (const char* recall : {"^FO40,70^XG", "^FO72,70^XG", "^FO104,70^XG"})
        QVERIFY2(serial.contains(recall), recall);
    QCOMPARE(serial.count("~DG"), 3);
}

void TestMemberJob::starMask_data() {
    QTest::addColumn<QString>("secondPart");
    QTest::addColumn<bool>("masked");
    QTest::addColumn<QByteArray>("numberLine");
    const char* stars[] = {"", "*", "**", "***", "****", "*****", "******", "*******"};
    for (int n = 0; n <= 7; ++n) {
        const QString digits = QString("1234567").left(n);
        QTest::addRow("checked, %d", n) << digits << true << QByteArray("^FD200401-") + stars[n] + "^FS";
    }
    QTest::newRow("unchecked") << "0123" << false << QByteArray("^FD200401-0123^FS");
    QTest::newRow("unchecked, empty") << "" << false << QByteArray("^FD200401-^FS");
}

void TestMemberJob::starMask() {
    QFETCH(QString, secondPart);
    QFETCH(bool, masked);
    QFETCH(QByteArray, numberLine);
    MemberCardInputs in = workedExample();
    in.memberNumberSecond = secondPart;
    in.maskSecondPart = masked;
    const QByteArray stream = ComposeMemberCard(in, kLayout, ChannelKind::Serial, m_glyphs);
    QVERIFY(stream.contains("^FO260,300^A0N,30,30" + numberLine));
    // The barcode always carries the whole number.
    QVERIFY(stream.contains("^BCN,80,Y,N,N^FD200401" + secondPart.toLatin1() + "^FS"));
}

void TestMemberJob::stepsAndSideEffects() {
    m_app->writeLines("DPOS1.ini", kLayout + QStringList{"eighth line"});
    MemberCardInputs in = workedExample();
    in.portText = "LPT1";
    in.framing = SerialFraming::Even7;
    in.originX = "12a";
    in.originY = "";
    const MemberCardOutcome outcome = run(in);
    QCOMPARE(outcome.status, JobStatus::Printed);
    QCOMPARE(m_app->readBytes("OH1.ini"), QByteArray("LPT1\r\n1\r\n"));
    QCOMPARE(m_app->readBytes("position1.ini"), QByteArray("12a\r\n\r\n"));
    QCOMPARE(outcome.originX.value(), QStringLiteral("12a"));
    QCOMPARE(outcome.originY.value(), QString());
    QCOMPARE(outcome.layoutLines.value(), kLayout);
    QVERIFY(test::ReadFileBytes(m_lpt).startsWith("^XA^PR3^LH12a,\r\n"));
}

void TestMemberJob::layoutNumbers_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QByteArray>("origin");
    QTest::newRow("12.5") << "12.5" << QByteArray("^FO12,");
    QTest::newRow("13.5") << "13.5" << QByteArray("^FO14,");
    QTest::newRow("empty") << "" << QByteArray("^FO0,");
    QTest::newRow("abc") << "abc" << QByteArray("^FO0,");
    QTest::newRow("40mm") << "40mm" << QByteArray("^FO40,");
}

void TestMemberJob::layoutNumbers() {
    QFETCH(QString, line);
    QFETCH(QByteArray, origin);
    QStringList layout = kLayout;
    layout[3] = line; // x of the name
    MemberCardInputs in = workedExample();
    const QByteArray stream = ComposeMemberCard(in, layout, ChannelKind::Serial, m_glyphs);
    QVERIFY(stream.contains(origin + "73^A0,35,35^FDB ^FS"));
}

void TestMemberJob::failuresKeepEntries_data() {
    QTest::addColumn<QStringList>("layout");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("six layout lines") << kLayout.mid(0, 6) << "DPOS1.ini";
    QStringList nameOverflows = kLayout;
    nameOverflows[3] = "32760";
    QTest::newRow("name x overflows") << nameOverflows << "overflow";
}

void TestMemberJob::failuresKeepEntries() {
    QFETCH(QStringList, layout);
    QFETCH(QString, mentions);
    m_app->writeLines("DPOS1.ini", layout);
    MemberCardInputs in = workedExample();
    in.originX = "3";
    const MemberCardOutcome outcome = run(in);
    QCOMPARE(outcome.status, JobStatus::Failed);
    QVERIFY2(outcome.failure.contains(mentions), qPrintable(outcome.failure));
    QVERIFY(!QFile::exists(m_lpt));
    QCOMPARE(m_app->readBytes("OH1.ini"), QByteArray("LPT1\r\n2\r\n"));
    QCOMPARE(m_app->readBytes("position1.ini"), QByteArray("3\r\n10\r\n"));
}

void TestMemberJob::onlyACompleteSendEmptiesEntries_data() {
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("message");
    QTest::newRow("sent whole") << true << QString();
    QTest::newRow("cancelled") << false
                               << QStringLiteral(
                                      "인쇄를 취소했습니다. LPT1: 0 / 300 바이트가 전달되었습니다.");
    QTest::newRow("channel failed") << false << QStringLiteral("LPT1: 보낼 수 없습니다");
}

// The composed card waits for its send; only a complete one asks for empty entries.
void TestMemberJob::onlyACompleteSendEmptiesEntries() {
    QFETCH(bool, ok);
    QFETCH(QString, message);
    MemberCardJob job(workedExample(), JobEnvironment{m_app->path(), &m_glyphs});
    MemberCardOutcome out = job.compose();
    QCOMPARE(out.status, JobStatus::Composed);
    QCOMPARE(out.order.kind, ChannelKind::Parallel);
    QCOMPARE(out.order.stream, ComposeMemberCard(workedExample(), kLayout, ChannelKind::Parallel, m_glyphs));
    QVERIFY(!QFile::exists(m_lpt));
    SendEnded(out, ok ? SendResult::delivered(out.order.stream.size()) : SendResult::failed(message));
    QCOMPARE(out.status, ok ? JobStatus::Printed : JobStatus::Failed);
    QCOMPARE(out.failure, message);
}

void TestMemberJob::originWithCommandPrefix_data() {
    test::OriginRejectionRows(QStringLiteral("좌측위치(Text6)"), QStringLiteral("상하위치(Text5)"));
}

// A "^" or "~" in an origin box would start a printer command inside "^LH": the job stops
// before sending with a message naming the box, after rewriting the settings files.
void TestMemberJob::originWithCommandPrefix() {
    QFETCH(QString, x);
    QFETCH(QString, y);
    MemberCardInputs in = workedExample();
    in.originX = x;
    in.originY = y;
    in.originBoxes = {QStringLiteral("좌측위치(Text6)"), QStringLiteral("상하위치(Text5)")};
    const MemberCardOutcome outcome = run(in);
    test::VerifyOriginRejected(outcome, *m_app, m_lpt, "OH1.ini", "position1.ini", kLayout);
}

void TestMemberJob::serialChannel() {
    test::PtyCapture pty;
    qputenv("HANLABEL_COM1", pty.slavePath().toLocal8Bit());
    MemberCardInputs in = workedExample();
    in.portText = "COM1";
    in.name = "홍길동";
    const MemberCardOutcome outcome = run(in);
    QVERIFY2(outcome.status == JobStatus::Printed, qPrintable(outcome.failure));
    const QByteArray expected = ComposeMemberCard(in, kLayout, ChannelKind::Serial, m_glyphs);
    QCOMPARE(pty.waitFor(expected.size()), expected);

    // A port that cannot be opened keeps the entries for another try.
    qputenv("HANLABEL_COM1", m_out.filePath("absent").toLocal8Bit());
    const MemberCardOutcome failed = run(in);
    QCOMPARE(failed.status, JobStatus::Failed);
}

void TestMemberJob::typedCaretIsPrintedNotExecuted() {
    MemberCardInputs in = workedExample();
    in.memberNumberFirst = "2004^X";
    in.memberNumberSecond = "~1";
    in.maskSecondPart = false;
    const QByteArray stream = ComposeMemberCard(in, kLayout, ChannelKind::Serial, m_glyphs);
    QVERIFY(stream.contains("^BCN,80,Y,N,N^FH^FD2004_5EX_7E1^FS"));
    QVERIFY(stream.contains("^A0N,30,30^FH^FD2004_5EX-_7E1^FS"));
    QCOMPARE(stream.count("^XZ"), 1);
}

QTEST_MAIN(TestMemberJob)
#include "tst_memberjob.moc"
