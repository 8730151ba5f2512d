#include "core/Failure.h"
#include "glyphs/GlyphSource.h"
#include "jobs/MemberCardJob.h"
#include "lists/ListCompose.h"
#include "lists/ListJob.h"
#include "lists/SentMarks.h"
#include "settings/SettingsFile.h"

#include "LabelJobRunner.h"
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace hanlabel;
using hanlabel::test::AppFolderFixture;

namespace {

const QStringList kLayout = {
    "^PR3", "40", "30", "40", "70", "^FO260,170^BY2^BCN,80,N,N,N", "^FO260,300^A0N,30,30"};

// The member card window as it stands: the list's cards share its channel, origin and mask.
MemberCardInputs Window(const QString& port) {
    MemberCardInputs in;
    in.portText = port;
    in.originX = "20";
    in.originY = "10";
    in.maskSecondPart = true;
    return in;
}

// A row's line numbers, for comparing selections.
QList<int> Lines(const MemberList& list, const QList<int>& rows) {
    QList<int> lines;
    for (int i : rows)
        lines << list.rows[i].line;
    return lines;
}

const QByteArray kThree =
    "소속,성명,회원번호\n국립중앙도서관,홍길동,2004010123\nA1,BC,200401-0123\n본관,김철수,1-2\n";

} // namespace

// A list's cards composed before sending, and the marks of the cards that were sent.
class TestListPrint : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void listEqualsCardJobsInTurn_data();
    void listEqualsCardJobsInTurn();
    void settingsWrittenAsTheCardJob();
    void originRefusedBeforeComposing_data();
    void originRefusedBeforeComposing();
    void settingsFailureNamesTheFile();
    void errorRowInTheMiddle();
    void cardsWithin_data();
    void cardsWithin();
    void rowsToPrint_data();
    void rowsToPrint();
    void marksRoundTrip();
    void marksFollowTheRows_data();
    void marksFollowTheRows();
    void continueAfterAFailure();
    void marksFileProblems_data();
    void marksFileProblems();

  private:
    GlyphSource m_glyphs;
    QTemporaryDir m_dir;
};

void TestListPrint::initTestCase() {
    m_glyphs.bind(test::SampleDatabasePath());
    QVERIFY(m_glyphs.isOpen());
}

void TestListPrint::listEqualsCardJobsInTurn_data() {
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("golden");
    QTest::newRow("parallel") << "LPT1"
                              << "list-three.lpt.zpl";
    QTest::newRow("serial") << "COM1"
                            << "list-three.com.zpl";
}

void TestListPrint::listEqualsCardJobsInTurn() {
    QFETCH(QString, port);
    QFETCH(QString, golden);
    const MemberList list = ParseMemberList(kThree, {});
    const MemberCardInputs window = Window(port);
    AppFolderFixture app;
    app.writeLines("DPOS1.ini", kLayout);
    const ListPrintOutcome out =
        PrepareListPrint(list, RowsToPrint(list, {}), window, JobEnvironment{app.path(), &m_glyphs});
    QVERIFY2(out.status == JobStatus::Composed, qPrintable(out.failure));
    const ComposedList& composed = out.composed;
    QVERIFY(composed.errors.isEmpty());
    QCOMPARE(composed.cards.size(), 3);
    QCOMPARE(out.order.stream, composed.stream);
    QCOMPARE(out.order.kind, ChooseChannel(port));
    QCOMPARE(out.order.framing, window.framing);
    const QString diff = test::CompareGolden(golden, composed.stream);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));

    // Three member card jobs, one after another, through the job itself on the channel.
    const QString lpt = m_dir.filePath("lpt1.zpl");
    qputenv("HANLABEL_LPT1", lpt.toLocal8Bit());
    test::PtyCapture pty;
    qputenv("HANLABEL_COM1", pty.slavePath().toLocal8Bit());
    QByteArray jobs;
    for (int i = 0; i < 3; ++i) {
        MemberCardJob job(CardInputs(list.rows[i], window), JobEnvironment{app.path(), &m_glyphs});
        const MemberCardOutcome card = test::RunLabelJob(job);
        QVERIFY2(card.status == JobStatus::Printed, qPrintable(card.failure));
        const qsizetype before = jobs.size();
        if (out.order.kind == ChannelKind::Parallel)
            jobs += test::ReadFileBytes(lpt);
        else
            jobs = pty.waitFor(composed.cards[i].end);
        const ComposedCard& c = composed.cards[i];
        QCOMPARE(c.row, i);
        QCOMPARE(c.line, i + 2);
        QCOMPARE(c.begin, before);
        QCOMPARE(c.end, jobs.size());
    }
    QCOMPARE(composed.stream, jobs);
    QCOMPARE(composed.stream.count("^XA"), 3);
    QVERIFY(composed.stream.contains("^FD2004010123^FS"));
    QVERIFY(composed.stream.contains("^FD1-*^FS"));
}

void TestListPrint::settingsWrittenAsTheCardJob() {
    // The same window inputs once through the list, once through a card job in another folder.
    MemberCardInputs window = Window("LPT1");
    window.framing = SerialFraming::Even7;
    window.originX = "12a";
    window.originY = "";
    const QStringList layout = kLayout + QStringList{"eighth line"};
    AppFolderFixture listApp, cardApp;
    listApp.writeLines("DPOS1.ini", layout);
    cardApp.writeLines("DPOS1.ini", layout);
    const MemberList list = ParseMemberList(kThree, {});
    const ListPrintOutcome out =
        PrepareListPrint(list, RowsToPrint(list, {}), window, JobEnvironment{listApp.path(), &m_glyphs});
    QCOMPARE(out.status, JobStatus::Composed);
    MemberCardJob job(CardInputs(list.rows[0], window), JobEnvironment{cardApp.path(), &m_glyphs});
    const MemberCardOutcome card = job.compose();
    QCOMPARE(card.status, JobStatus::Composed);
    for (const QString& name : SettingsFiles::All)
        QCOMPARE(listApp.readBytes(name), cardApp.readBytes(name));
    QCOMPARE(listApp.readBytes("OH1.ini"), QByteArray("LPT1\r\n1\r\n"));
    QCOMPARE(out.originX, card.originX);
    QCOMPARE(out.originY, card.originY);
    QCOMPARE(out.layoutLines.value(), kLayout);
    QVERIFY(out.order.stream.startsWith("^XA^PR3^LH12a,\r\n"));
    QCOMPARE(out.composed.stream.left(card.order.stream.size()), card.order.stream);
}

void TestListPrint::originRefusedBeforeComposing_data() {
    test::OriginRejectionRows(QStringLiteral("좌측위치(Text6)"), QStringLiteral("상하위치(Text5)"));
}

void TestListPrint::originRefusedBeforeComposing() {
    QFETCH(QString, x);
    QFETCH(QString, y);
    MemberCardInputs window = Window("LPT1");
    window.originX = x;
    window.originY = y;
    window.originBoxes = {QStringLiteral("좌측위치(Text6)"), QStringLiteral("상하위치(Text5)")};
    AppFolderFixture app;
    app.writeLines("DPOS1.ini", kLayout);
    const MemberList list = ParseMemberList(kThree, {});
    const ListPrintOutcome out =
        PrepareListPrint(list, RowsToPrint(list, {}), window, JobEnvironment{app.path(), &m_glyphs});
    test::VerifyOriginRejected(out, app, m_dir.filePath("not-sent.zpl"), "OH1.ini", "position1.ini", kLayout);
    QVERIFY(out.composed.cards.isEmpty());
    QVERIFY(out.order.stream.isEmpty());
}

void TestListPrint::settingsFailureNamesTheFile() {
    AppFolderFixture app;
    app.writeLines("DPOS1.ini", kLayout.mid(0, 6));
    const MemberList list = ParseMemberList(kThree, {});
    const ListPrintOutcome out =
        PrepareListPrint(list, RowsToPrint(list, {}), Window("LPT1"), JobEnvironment{app.path(), &m_glyphs});
    QCOMPARE(out.status, JobStatus::Failed);
    QVERIFY2(out.failure.contains("DPOS1.ini"), qPrintable(out.failure));
    QVERIFY(out.composed.cards.isEmpty());
}

void TestListPrint::errorRowInTheMiddle() {
    // The middle row's name has a character with no glyph and no font.
    QByteArray bytes = kThree;
    bytes.replace("A1,BC,", "A1,B\xEE\x80\x80,");
    MemberList list = ParseMemberList(bytes, {});
    QCOMPARE(list.count(RowStatus::Ready), 3); // reading cannot know; composing finds it
    const ComposedList composed = ComposeMemberList(list, RowsToPrint(list, {}), Window("COM1"), kLayout,
                                                    ChannelKind::Serial, m_glyphs);
    QCOMPARE(composed.cards.size(), 2);
    QCOMPARE(composed.cards[0].line, 2);
    QCOMPARE(composed.cards[1].line, 4);
    QCOMPARE(composed.cards[1].begin, composed.cards[0].end);
    QCOMPARE(composed.stream.size(), composed.cards[1].end);
    QCOMPARE(composed.errors.size(), 1);
    QCOMPARE(composed.errors[0].line, 3);
    QVERIFY2(composed.errors[0].message.contains("U+E000"), qPrintable(composed.errors[0].message));

    MarkComposeErrors(list, composed);
    QCOMPARE(list.rows[1].status, RowStatus::Error);
    QCOMPARE(list.rows[1].error, composed.errors[0].message);
    QVERIFY(RowErrorText(list.rows[1]).startsWith(QStringLiteral("3행: ")));
    QCOMPARE(Lines(list, RowsToPrint(list, {})), (QList<int>{2, 4}));
    QCOMPARE(ListSummary(list), QStringLiteral("준비 2행, 오류 1행"));
}

void TestListPrint::cardsWithin_data() {
    QTest::addColumn<qint64>("sent");
    QTest::addColumn<int>("cards");
    // Cards end at 100, 250 and 300.
    QTest::newRow("nothing") << qint64(0) << 0;
    QTest::newRow("one byte short of the first") << qint64(99) << 0;
    QTest::newRow("first whole") << qint64(100) << 1;
    QTest::newRow("inside the second") << qint64(101) << 1;
    QTest::newRow("second whole") << qint64(250) << 2;
    QTest::newRow("all") << qint64(300) << 3;
}

void TestListPrint::cardsWithin() {
    QFETCH(qint64, sent);
    QFETCH(int, cards);
    ComposedList composed;
    composed.cards = {{0, 1, 0, 100}, {1, 2, 100, 250}, {2, 3, 250, 300}};
    QCOMPARE(composed.cardsWithin(sent), cards);
}

void TestListPrint::rowsToPrint_data() {
    QTest::addColumn<int>("fromLine");
    QTest::addColumn<bool>("includeSent");
    QTest::addColumn<QList<int>>("lines");
    // Lines 2 to 6; line 3 is an error, line 4 was sent.
    QTest::newRow("all not sent") << 0 << false << QList<int>{2, 5, 6};
    QTest::newRow("sent too") << 0 << true << QList<int>{2, 4, 5, 6};
    QTest::newRow("from line 4") << 4 << false << QList<int>{5, 6};
    QTest::newRow("from line 4, sent too") << 4 << true << QList<int>{4, 5, 6};
    QTest::newRow("past the end") << 7 << true << QList<int>{};
}

void TestListPrint::rowsToPrint() {
    QFETCH(int, fromLine);
    QFETCH(bool, includeSent);
    QFETCH(QList<int>, lines);
    MemberList list = ParseMemberList("성명,회원번호\nA,1\nB,12345678901234\nC,3\nD,4\nE,5\n", {});
    list.rows[2].sent = true;
    QCOMPARE(Lines(list, RowsToPrint(list, {fromLine, includeSent})), lines);
}

void TestListPrint::marksRoundTrip() {
    const MemberList list = ParseMemberList(kThree, {});
    SentMarks marks;
    marks.add(list.rows[0]);
    marks.add(list.rows[2]);
    marks.add(list.rows[0]); // once only
    const QString listPath = m_dir.filePath(QStringLiteral("명단.csv"));
    const QString path = SentMarks::PathFor(listPath);
    QCOMPARE(path, listPath + ".sent");
    marks.save(path);
    const QByteArray content = test::ReadFileBytes(path);
    QCOMPARE(content,
             "hanlabel sent 1\n2\t" + list.rows[0].fingerprint + "\n4\t" + list.rows[2].fingerprint + "\n");
    QCOMPARE(SentMarks::Load(path).marks(), marks.marks());
    QVERIFY(SentMarks::Load(m_dir.filePath("absent.csv.sent")).marks().isEmpty());
}

void TestListPrint::marksFollowTheRows_data() {
    QTest::addColumn<QByteArray>("edited");
    QTest::addColumn<QList<int>>("sentLines");
    // Sent before: 홍길동 (line 2) and 김철수 (line 4) of kThree.
    QTest::newRow("unchanged") << kThree << QList<int>{2, 4};
    QTest::newRow("a row added above")
        << QByteArray(kThree).replace("국립", "새,사람,9-9\n국립") << QList<int>{3, 5};
    QTest::newRow("a row removed above")
        << QByteArray(kThree).replace("A1,BC,200401-0123\n", "") << QList<int>{2, 3};
    QTest::newRow("a person changed at the same line")
        << QByteArray(kThree).replace("홍길동", "홍길순") << QList<int>{4};
    QTest::newRow("the same person twice, sent once")
        << QByteArray(kThree + "본관,김철수,1-2\n") << QList<int>{2, 4};
    QTest::newRow("moved to another line")
        << QByteArray("소속,성명,회원번호\n본관,김철수,1-2\n") << QList<int>{2};
}

void TestListPrint::marksFollowTheRows() {
    QFETCH(QByteArray, edited);
    QFETCH(QList<int>, sentLines);
    MemberList before = ParseMemberList(kThree, {});
    SentMarks marks;
    marks.add(before.rows[0]);
    marks.add(before.rows[2]);
    MemberList after = ParseMemberList(edited, {});
    ApplySentMarks(after, marks);
    QList<int> lines;
    for (const ListRow& row : after.rows)
        if (row.sent)
            lines << row.line;
    QCOMPARE(lines, sentLines);
}

void TestListPrint::continueAfterAFailure() {
    // Five cards; the channel took 2 whole cards and part of the third before it failed.
    const QString listPath = m_dir.filePath("five.csv");
    const QString marksPath = SentMarks::PathFor(listPath);
    const QByteArray five = "A,가,1\nA,나,2\nA,다,3\nA,라,4\nA,마,5\n";
    MemberList list = ParseMemberList(five, {});
    SentMarks marks = SentMarks::Load(marksPath);
    ApplySentMarks(list, marks);
    QCOMPARE(FirstUnsentRow(list), 0);
    const MemberCardInputs window = Window("COM1");
    ComposedList composed =
        ComposeMemberList(list, RowsToPrint(list, {}), window, kLayout, ChannelKind::Serial, m_glyphs);
    const qint64 sent = composed.cards[2].begin + 10;
    MarkCardsSent(list, marks, composed, composed.cardsWithin(sent));
    marks.save(marksPath);
    QCOMPARE(list.sentCount(), 2);

    // Opened again: "이어서 인쇄" starts at line 3 and sends cards 3 to 5 once.
    MemberList reopened = ParseMemberList(five, {});
    ApplySentMarks(reopened, SentMarks::Load(marksPath));
    QCOMPARE(FirstUnsentRow(reopened), 2);
    QCOMPARE(ListSummary(reopened), QStringLiteral("준비 5행, 오류 0행, 보냄 2행"));
    const QList<int> rest = RowsToPrint(reopened, {});
    QCOMPARE(Lines(reopened, rest), (QList<int>{3, 4, 5}));
    const ComposedList resumed =
        ComposeMemberList(reopened, rest, window, kLayout, ChannelKind::Serial, m_glyphs);
    QCOMPARE(resumed.stream, composed.stream.mid(composed.cards[2].begin));
    SentMarks more = SentMarks::Load(marksPath);
    MarkCardsSent(reopened, more, resumed, resumed.cardsWithin(resumed.stream.size()));
    more.save(marksPath);
    QCOMPARE(FirstUnsentRow(reopened), -1);
    QCOMPARE(SentMarks::Load(marksPath).marks().size(), 5);
    QVERIFY(RowsToPrint(reopened, {}).isEmpty());
}

void TestListPrint::marksFileProblems_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("not a marks file") << QByteArray("소속,성명\n") << QStringLiteral("형식");
    QTest::newRow("a line without a fingerprint")
        << QByteArray("hanlabel sent 1\n2\tabc\n3\n") << QStringLiteral("3행");
    QTest::newRow("line zero") << QByteArray("hanlabel sent 1\n0\tabc\n") << QStringLiteral("2행");
}

void TestListPrint::marksFileProblems() {
    QFETCH(QByteArray, content);
    QFETCH(QString, mentions);
    const QString path = m_dir.filePath(QStringLiteral("bad.csv.sent"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    file.close();
    try {
        SentMarks::Load(path);
        QFAIL("no failure");
    } catch (const Failure& failure) {
        QVERIFY2(failure.message().contains(mentions) && failure.message().contains("bad.csv.sent"),
                 qPrintable(failure.message()));
    }
}

QTEST_MAIN(TestListPrint)
#include "tst_listprint.moc"
