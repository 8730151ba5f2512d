#include "core/Cp949.h"
#include "glyphs/GlyphSource.h"
#include "jobs/BookLabelJob.h"
#include "lists/SentMarks.h"
#include "settings/SettingsFile.h"

#include "ChannelTesting.h"
#include "TestSupport.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <QElapsedTimer>

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace hanlabel;
using hanlabel::test::AppFolderFixture;

namespace {

const QStringList kBookLayout = {"40", "30", "^PR3", "^FO40,65^A0N,28,28", "^FO40,100^BY2^BCN,60,Y,N,N"};
const QStringList kMemberLayout = {
    "^PR3", "40", "30", "40", "70", "^FO260,170^BY2^BCN,80,N,N,N", "^FO260,300^A0N,30,30"};
const QByteArray kThree =
    "소속,성명,회원번호\n국립중앙도서관,홍길동,2004010123\nA1,BC,200401-0123\n본관,김철수,1-2\n";

// How one run of hanlabel-batch ended.
struct Run {
    int status = -1;
    QString errors; // stderr
};

// A list of `count` cards, each larger than a shrunk pipe buffer: many Hangul glyphs a card.
QByteArray BigCards(int count) {
    const QString syllables = QStringLiteral("가나다라마바사아자차카타파하거너더러머버서어저처커터퍼허");
    QByteArray csv = "소속,성명,회원번호\n";
    for (int i = 0; i < count; ++i) {
        const QString name = syllables.mid(i, 14);
        csv += (QStringLiteral("국립중앙도서관본관") + u',' + name + QStringLiteral(",20040%1-0123\n").arg(i))
                   .toUtf8();
    }
    return csv;
}

// Where each card of a stream starts: at its "^XA".
QList<qsizetype> CardStarts(const QByteArray& stream) {
    QList<qsizetype> starts;
    for (qsizetype at = stream.indexOf("^XA"); at >= 0; at = stream.indexOf("^XA", at + 3))
        starts << at;
    return starts;
}

} // namespace

// The real hanlabel-batch in a temporary application folder.
class TestBatch : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void bookEqualsTheWindowJob_data();
    void bookEqualsTheWindowJob();
    void settingsWrittenAsTheWindowJobs();
    void overridesAreNotSaved();
    void listToAFileIsOneJob();
    void spreadsheetListAsTheCsvList_data();
    void spreadsheetListAsTheCsvList();
    void errorRowInTheMiddle();
    void failureAfterTheSecondCard();
    void previewWritesOnePictureACard();
    void glyphsEveryCard_data();
    void glyphsEveryCard();
    void stallGivesUp_data();
    void stallGivesUp();
    void usageErrors_data();
    void usageErrors();
    void barcodeValueRefused();
    void channelFailure();
    void fromPastTheLastLine();
    void endedMidListThenResumed_data();
    void endedMidListThenResumed();
    void twoRunsOfOneList();
    void readOnlyListFolderSendsNothing();
    void codePage949WithByteOrderMark();
    void refusedLists_data();
    void refusedLists();
    void namedPipeAsTheList();

  private:
    Run run(const QStringList& arguments, const QStringList& environment = {});
    QString writeList(const QString& name, const QByteArray& csv) const;

    std::unique_ptr<AppFolderFixture> m_app;
    std::unique_ptr<QTemporaryDir> m_out;
    QString m_lpt;
};

void TestBatch::init() {
    m_app = std::make_unique<AppFolderFixture>();
    m_out = std::make_unique<QTemporaryDir>();
    m_app->writeLines("DPOS.ini", kBookLayout);
    m_app->writeLines("DPOS1.ini", kMemberLayout);
    m_app->writeLines("position.ini", {"20", "10"});
    m_app->writeLines("position1.ini", {"20", "10"});
    m_app->writeLines("OH.ini", {"LPT1", "2"});
    m_app->writeLines("OH1.ini", {"LPT1", "2"});
    m_lpt = m_out->filePath("lpt1.zpl");
}

Run TestBatch::run(const QStringList& arguments, const QStringList& environment) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HANLABEL_HOME", m_app->path());
    env.insert("HANLABEL_LPT1", m_lpt);
    env.insert("HANLABEL_COM1", m_out->filePath("no-such-serial-device"));
    env.remove("QT_QPA_PLATFORM"); // the program needs no display of its own
    for (const QString& pair : environment)
        env.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(HANLABEL_BATCH), arguments);
    if (!process.waitForFinished(120000))
        process.kill();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardError())};
}

QString TestBatch::writeList(const QString& name, const QByteArray& csv) const {
    const QString path = m_out->filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(csv);
    return path;
}

void TestBatch::bookEqualsTheWindowJob_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("golden");
    QTest::newRow("ascii") << QStringList{"--text", "A1", "--serial", "00012"} << "book-example.lpt.zpl";
    QTest::newRow("hangul") << QStringList{"--text", "한국도서관", "--serial", "00012"}
                            << "book-hangul.lpt.zpl";
    QTest::newRow("descending") << QStringList{"--text", "A1", "--serial", "EM0000012345", "--descending"}
                                << "book-serial-letters-down.lpt.zpl";
}

void TestBatch::bookEqualsTheWindowJob() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, golden);
    const Run r = run(QStringList{"book", "--quantity", "3"} + arguments);
    QVERIFY2(r.status == 0, qPrintable(r.errors));
    const QString diff = test::CheckGolden(golden, test::ReadFileBytes(m_lpt));
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
}

// Settings files as an operator may have left them (LF line ends, blanks, a third line): the batch
// command leaves them as the windows' jobs leave them.
void TestBatch::settingsWrittenAsTheWindowJobs() {
    m_app->writeBytes("OH.ini", "LPT1\n1\nthird\n");
    m_app->writeBytes("position.ini", "20 \n10\n");
    m_app->writeBytes("OH1.ini", "LPT1\n2\n");
    m_app->writeBytes("position1.ini", " 7\n8\n");
    AppFolderFixture window;
    for (const QString& name : SettingsFiles::All)
        window.writeBytes(name, m_app->readBytes(name));

    QCOMPARE(run({"book", "--text", "A1", "--serial", "1", "--quantity", "1"}).status, 0);
    QCOMPARE(run({"members", writeList("three.csv", kThree)}).status, 0);

    GlyphSource glyphs;
    glyphs.bind(test::SampleDatabasePath());
    BookLabelInputs book;
    book.portText = "LPT1";
    book.framing = SerialFraming::Even7;
    book.originX = "20 ";
    book.originY = "10";
    book.quantity = "1";
    QCOMPARE(BookLabelJob(book, {window.path(), &glyphs}).compose().status, JobStatus::Composed);
    MemberCardInputs member;
    member.portText = "LPT1";
    member.originX = " 7";
    member.originY = "8";
    QCOMPARE(MemberCardJob(member, {window.path(), &glyphs}).compose().status, JobStatus::Composed);
    for (const QString& name : SettingsFiles::All)
        QVERIFY2(m_app->readBytes(name) == window.readBytes(name), qPrintable(name));
    QCOMPARE(m_app->readBytes("OH.ini"), QByteArray("LPT1\r\n1\r\n"));
}

void TestBatch::overridesAreNotSaved() {
    m_app->writeLines("OH1.ini", {"COM1", "2"});
    const Run r = run({"members", writeList("three.csv", kThree), "--port", "LPT1", "--framing", "9600,E,7,1",
                       "--to", m_out->filePath("override.zpl")});
    QVERIFY2(r.status == 0, qPrintable(r.errors));
    QCOMPARE(m_app->readBytes("OH1.ini"), QByteArray("COM1\r\n2\r\n"));
    // Sent as LPT1 (line ends between pieces), to the --to target and not to the mapping's.
    QVERIFY(test::ReadFileBytes(m_out->filePath("override.zpl")).startsWith("^XA^PR3^LH20,10\r\n"));
    QVERIFY(!QFile::exists(m_lpt));
}

void TestBatch::listToAFileIsOneJob() {
    const QString list = writeList("three.csv", kThree);
    const Run r = run({"members", list, "--to", m_lpt});
    QVERIFY2(r.status == 0, qPrintable(r.errors));
    const QString diff = test::CheckGolden("list-three.lpt.zpl", test::ReadFileBytes(m_lpt));
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    QCOMPARE(SentMarks::Load(SentMarks::PathFor(list)).marks().size(), 3);

    // Marked sent: a second run sends nothing, unless asked again.
    QFile::remove(m_lpt);
    QCOMPARE(run({"members", list}).status, 0);
    QVERIFY(!QFile::exists(m_lpt));
    QCOMPARE(run({"members", list, "--again", "--from", "3"}).status, 0);
    QCOMPARE(test::ReadFileBytes(m_lpt).count("^XA"), 2);
}

void TestBatch::spreadsheetListAsTheCsvList_data() {
    QTest::addColumn<QString>("sheet");
    QTest::newRow("xlsx") << "three.xlsx";
    QTest::newRow("ods") << "three.ods";
}

void TestBatch::spreadsheetListAsTheCsvList() {
    QFETCH(QString, sheet);
    const QString list = writeList(sheet, test::ReadFileBytes(test::TestDataPath("lists/" + sheet)));
    const Run r = run({"members", list});
    QVERIFY2(r.status == 0, qPrintable(r.errors));
    const QByteArray sent = test::ReadFileBytes(m_lpt);
    QCOMPARE(sent, test::ReadFileBytes(test::TestDataPath("golden/list-three.lpt.zpl")));
    QVERIFY(QFile::remove(m_lpt));
    QVERIFY(run({"members", writeList("three.csv", kThree)}).status == 0);
    QCOMPARE(test::ReadFileBytes(m_lpt), sent);

    // The marks lie beside the spreadsheet: a second run sends nothing.
    QCOMPARE(SentMarks::Load(list + ".sent").marks().size(), 3);
    QVERIFY(QFile::remove(m_lpt));
    QCOMPARE(run({"members", list}).status, 0);
    QVERIFY(!QFile::exists(m_lpt));
}

void TestBatch::errorRowInTheMiddle() {
    const QString list = writeList("errors.csv", QByteArray(kThree).replace("200401-0123", "12345678901234"));
    const Run r = run({"members", list, "--unmasked"});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.errors.contains(QStringLiteral("3행")), qPrintable(r.errors));
    const QByteArray sent = test::ReadFileBytes(m_lpt);
    QCOMPARE(sent.count("^XA"), 2);
    QVERIFY(sent.contains("^FD200401-0123^FS")); // line 2, unmasked
    QVERIFY(sent.contains("^FD1-2^FS"));         // line 4
    QCOMPARE(SentMarks::Load(SentMarks::PathFor(list)).marks().size(), 2);
}

// The reader goes away after two whole cards of five: two are marked, and the next run sends the
// other three once.
void TestBatch::failureAfterTheSecondCard() {
    const QByteArray csv = BigCards(5);
    const QString list = writeList("five.csv", csv);
    // The whole list, for its card boundaries, through a copy of the list.
    // Every card downloads its glyphs: each card is larger than the pipe's buffer.
    const Run whole = run(
        {"members", writeList("copy.csv", csv), "--to", m_out->filePath("whole.zpl"), "--glyphs-every-card"});
    QVERIFY2(whole.status == 0, qPrintable(whole.errors));
    const QByteArray all = test::ReadFileBytes(m_out->filePath("whole.zpl"));
    const QList<qsizetype> starts = CardStarts(all);
    QCOMPARE(starts.size(), 5);
    for (int i = 1; i < 5; ++i)
        QVERIFY(starts[i] - starts[i - 1] > 4096);

    test::FifoReader fifo(m_out->filePath("printer.fifo"));
    fifo.start({all.size(), starts[2], 0, true});
    const Run failed = run({"members", list, "--to", fifo.path(), "--glyphs-every-card"});
    QCOMPARE(fifo.finish(), all.left(starts[2]));
    QCOMPARE(failed.status, 2);
    QVERIFY2(
        failed.errors.contains(QStringLiteral("5장 중 2장을 보냈습니다. 오류로 3장을 보내지 못했습니다.")),
        qPrintable(failed.errors));
    const QList<SentMarks::Mark> marks = SentMarks::Load(SentMarks::PathFor(list)).marks();
    QCOMPARE(marks.size(), 2);
    QCOMPARE(marks[0].line, 2);
    QCOMPARE(marks[1].line, 3);

    test::FifoReader rest(m_out->filePath("printer2.fifo"));
    rest.start({all.size() - starts[2]});
    const Run resumed = run({"members", list, "--to", rest.path(), "--glyphs-every-card"});
    QVERIFY2(resumed.status == 0, qPrintable(resumed.errors));
    QCOMPARE(rest.finish(), all.mid(starts[2]));
    QCOMPARE(SentMarks::Load(SentMarks::PathFor(list)).marks().size(), 5);
}

void TestBatch::previewWritesOnePictureACard() {
    const QString base = m_out->filePath("card.png");
    const Run r = run({"members", writeList("three.csv", kThree), "--to", "preview:" + base});
    QVERIFY2(r.status == 0, qPrintable(r.errors));
    for (const char* name : {"card-1.png", "card-2.png", "card-3.png"})
        QVERIFY2(!QImage(m_out->filePath(name)).isNull(), name);
    QVERIFY(!QFile::exists(base));
    QVERIFY(!QFile::exists(m_out->filePath("card-4.png")));

    // Card 3 recalls 관, which card 1 downloaded: drawn as when every card sends its glyphs.
    const QString every = m_out->filePath("every.png");
    const Run r2 = run({"members", writeList("three.csv", kThree), "--to", "preview:" + every, "--again",
                        "--glyphs-every-card"});
    QVERIFY2(r2.status == 0, qPrintable(r2.errors));
    for (const char* n : {"-1.png", "-2.png", "-3.png"})
        QCOMPARE(QImage(m_out->filePath(QStringLiteral("card") + n)),
                 QImage(m_out->filePath(QStringLiteral("every") + n)));
}

void TestBatch::glyphsEveryCard_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("downloads");
    QTest::addColumn<bool>("compressed");
    // 관 stands in 국립중앙도서관 and 본관.
    QTest::newRow("each glyph once") << QStringList{} << 14 << true;
    QTest::newRow("--glyphs-every-card") << QStringList{"--glyphs-every-card"} << 15 << false;
}

// The option holds for its run only: nothing of it is written to the application folder.
void TestBatch::glyphsEveryCard() {
    QFETCH(QStringList, options);
    QFETCH(int, downloads);
    QFETCH(bool, compressed);
    const Run r = run(QStringList{"members", writeList("three.csv", kThree), "--to", m_lpt} + options);
    QVERIFY2(r.status == 0, qPrintable(r.errors));
    QVERIFY2(r.errors.contains(QStringLiteral("3장 중 3장을 보냈습니다.")), qPrintable(r.errors));
    const QByteArray sent = test::ReadFileBytes(m_lpt);
    QCOMPARE(int(sent.count("~DG")), downloads);
    QCOMPARE(sent.contains("~DGB0FC,140,4,0000"), !compressed);
    QVERIFY(!QFile::exists(m_app->file("printer.ini")));
}

void TestBatch::stallGivesUp_data() {
    QTest::addColumn<bool>("terminate");
    QTest::addColumn<QString>("reported");
    QTest::newRow("SIGTERM twice") << true << QStringLiteral("취소");
    QTest::newRow("--stall-limit") << false << QStringLiteral("기다렸지만");
}

// A printer that takes nothing: the stall is reported and waited for, until a signal or the limit.
void TestBatch::stallGivesUp() {
    QFETCH(bool, terminate);
    QFETCH(QString, reported);
    const QString list = writeList("stall.csv", BigCards(3));
    const QString fifoPath = m_out->filePath("stalled.fifo");
    QCOMPARE(::mkfifo(QFile::encodeName(fifoPath).constData(), 0600), 0);
    const int reader = ::open(QFile::encodeName(fifoPath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    QVERIFY(reader >= 0);
    ::fcntl(reader, F_SETPIPE_SZ, 4096);

    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HANLABEL_HOME", m_app->path());
    env.insert("HANLABEL_STALL_NOTICE_MS", "200");
    process.setProcessEnvironment(env);
    QStringList arguments{"members", list, "--to", fifoPath, "--glyphs-every-card"};
    if (!terminate)
        arguments << "--stall-limit"
                  << "0.3";
    process.setReadChannel(QProcess::StandardError);
    process.start(QStringLiteral(HANLABEL_BATCH), arguments);
    QString errors;
    while (!errors.contains(QStringLiteral("기다립니다")) && process.waitForReadyRead(30000))
        errors += QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(errors.contains(QStringLiteral("기다립니다")), qPrintable(errors));
    if (terminate) {
        // The first stops after the card on its way, which never gets there; the second cancels.
        process.terminate();
        while (!errors.contains(QStringLiteral("멈춥니다")) && process.waitForReadyRead(30000))
            errors += QString::fromUtf8(process.readAllStandardError());
        QVERIFY2(errors.contains(QStringLiteral("멈춥니다")), qPrintable(errors));
        process.terminate();
    }
    QVERIFY(process.waitForFinished(30000));
    ::close(reader);
    errors += QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 2);
    QVERIFY2(errors.contains(reported) && errors.contains(QStringLiteral("3장 중 0장을 보냈습니다.")),
             qPrintable(errors));
    QVERIFY(SentMarks::Load(SentMarks::PathFor(list)).marks().isEmpty());
}

void TestBatch::usageErrors_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("named");
    QTest::newRow("no command") << QStringList{} << "명령";
    QTest::newRow("unknown command") << QStringList{"cards"} << "cards";
    QTest::newRow("unknown option") << QStringList{"book", "--quantity", "1", "--colour"}
                                    << QStringLiteral("알 수 없는 옵션입니다: --colour");
    QTest::newRow("unknown options") << QStringList{"--verbose", "-x", "book"}
                                     << QStringLiteral("알 수 없는 옵션입니다: --verbose, -x");
    QTest::newRow("option without its value") << QStringList{"book", "--quantity"}
                                              << QStringLiteral("--quantity 뒤에 값이 없습니다.");
    QTest::newRow("members without a list") << QStringList{"members"} << "명단";
    QTest::newRow("book without a quantity") << QStringList{"book", "--text", "A"} << "--quantity";
    QTest::newRow("a quantity not a number") << QStringList{"book", "--quantity", "3x"} << "--quantity";
    QTest::newRow("framing") << QStringList{"book", "--quantity", "1", "--framing", "9600,O,8,1"}
                             << "--framing";
    QTest::newRow("from zero") << QStringList{"members", "a.csv", "--from", "0"} << "--from";
    QTest::newRow("list option for book")
        << QStringList{"book", "--quantity", "1", "--unmasked"} << "unmasked";
    QTest::newRow("stall limit") << QStringList{"book", "--quantity", "1", "--stall-limit", "-1"}
                                 << "--stall-limit";
    QTest::newRow("stall limit without end") << QStringList{"book", "--quantity", "1", "--stall-limit", "inf"}
                                             << "--stall-limit";
    QTest::newRow("stall limit not a number")
        << QStringList{"book", "--quantity", "1", "--stall-limit", "nan"} << "--stall-limit";
    QTest::newRow("missing list file") << QStringList{"members", "/nonexistent/list.csv"} << "list.csv";
    QTest::newRow("protected spreadsheet")
        << QStringList{"members", test::TestDataPath("lists/protected.xlsx")} << "protected.xlsx";
    QTest::newRow("network target on serial port")
        << QStringList{"book", "--quantity", "1", "--port", "COM1", "--to", "tcp://127.0.0.1:9"} << "--to";
}

void TestBatch::usageErrors() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, named);
    const QByteArray before = m_app->readBytes("OH.ini");
    const Run r = run(arguments);
    QCOMPARE(r.status, 2);
    QVERIFY2(r.errors.contains(named), qPrintable(r.errors));
    // Each line names the command, as the platform's commands do.
    for (const QString& line : r.errors.split(u'\n', Qt::SkipEmptyParts))
        QVERIFY2(line.startsWith(QStringLiteral("hanlabel-batch: ")), qPrintable(line));
    QVERIFY(!QFile::exists(m_lpt));
    QCOMPARE(m_app->readBytes("OH.ini"), before);
}

// A ">" in a value going into a "^BC" field: the book command sends nothing, a list row is an error row.
void TestBatch::barcodeValueRefused() {
    const Run book = run({"book", "--text", "A1", "--serial", "12>345", "--quantity", "1"});
    QCOMPARE(book.status, 2);
    QVERIFY2(book.errors.contains(QStringLiteral("일련번호(Text2)에 > 를 쓸 수 없습니다: 바코드가 다른 값으로 인쇄됩니다")),
             qPrintable(book.errors));
    QVERIFY(!QFile::exists(m_lpt));
    const Run list = run({"members", writeList("gt.csv", QByteArray(kThree).replace("200401-0123", "2004>1-0123"))});
    QCOMPARE(list.status, 1);
    QVERIFY2(list.errors.contains(QStringLiteral("3행")) &&
                 list.errors.contains(QStringLiteral("회원번호에 > 를 쓸 수 없습니다")),
             qPrintable(list.errors));
    QCOMPARE(test::ReadFileBytes(m_lpt).count("^XA"), 2);
}

void TestBatch::channelFailure() {
    const QString list = writeList("three.csv", kThree);
    const Run r = run({"members", list, "--to", "/nonexistent/folder/printer"});
    QCOMPARE(r.status, 2);
    QVERIFY2(r.errors.contains("/nonexistent/folder/printer") &&
                 r.errors.contains(QStringLiteral("3장 중 0장을 보냈습니다.")),
             qPrintable(r.errors));
    QVERIFY(SentMarks::Load(SentMarks::PathFor(list)).marks().isEmpty());
}

void TestBatch::fromPastTheLastLine() {
    const Run r = run({"members", writeList("three.csv", kThree), "--from", "5"});
    QCOMPARE(r.status, 2);
    QVERIFY2(r.errors.contains(QStringLiteral("--from 5: 명단의 마지막 행은 4행입니다")), qPrintable(r.errors));
    QVERIFY(!QFile::exists(m_lpt));
}

void TestBatch::endedMidListThenResumed_data() {
    QTest::addColumn<int>("signal");
    QTest::addColumn<QStringList>("resume"); // options of the run after
    QTest::newRow("SIGKILL, the card in doubt printed again") << int(SIGKILL) << QStringList{};
    QTest::newRow("SIGKILL, the card in doubt left out") << int(SIGKILL) << QStringList{"--skip-uncertain"};
    QTest::newRow("SIGHUP: a closed terminal stops after the card") << int(SIGHUP) << QStringList{};
}

// A run ended while card 3 of 6 is on its way to a slow printer, then run again: every card
// arrives once, except at most the one named as in doubt.
void TestBatch::endedMidListThenResumed() {
    QFETCH(int, signal);
    QFETCH(QStringList, resume);
    const QByteArray csv = BigCards(6);
    const QString list = writeList("six.csv", csv);
    // Every card carries its own glyphs, so that a run's rest is a slice of the whole list.
    QVERIFY(run({"members", writeList("copy.csv", csv), "--glyphs-every-card", "--to", m_out->filePath("whole.zpl")})
                .status == 0);
    const QByteArray all = test::ReadFileBytes(m_out->filePath("whole.zpl"));
    const QList<qsizetype> starts = CardStarts(all);
    QCOMPARE(starts.size(), 6);

    // The printer: a FIFO read a little at a time by this thread.
    const QString fifoPath = m_out->filePath("slow.fifo");
    QCOMPARE(::mkfifo(QFile::encodeName(fifoPath).constData(), 0600), 0);
    const int reader = ::open(QFile::encodeName(fifoPath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    QVERIFY(reader >= 0);
    ::fcntl(reader, F_SETPIPE_SZ, 4096);
    QByteArray received;
    const auto readSome = [&](qsizetype most) {
        char buffer[4096];
        const ssize_t n = ::read(reader, buffer, size_t(std::min<qsizetype>(most, sizeof buffer)));
        if (n > 0)
            received.append(buffer, n);
        return n;
    };
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HANLABEL_HOME", m_app->path());
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(HANLABEL_BATCH), {"members", list, "--glyphs-every-card", "--to", fifoPath});
    // Card 3 (line 4) is on its way once its "sending" mark is in the journal.
    const QString marksPath = SentMarks::PathFor(list);
    bool signalled = false;
    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning && clock.elapsed() < 8000) {
        readSome(256);
        if (!signalled && test::ReadFileBytes(marksPath).contains("?\t4\t")) {
            if (signal == SIGKILL)
                readSome(1000); // part of card 3
            ::kill(pid_t(process.processId()), signal);
            signalled = true;
        }
        process.waitForFinished(10);
    }
    QVERIFY(signalled);
    QVERIFY(process.state() == QProcess::NotRunning || process.waitForFinished(2000));
    while (readSome(4096) > 0) {
    }
    ::close(reader);
    QVERIFY2(all.startsWith(received), "the printer got other bytes than the list's");

    const Run after =
        run(QStringList{"members", list, "--glyphs-every-card", "--to", m_out->filePath("rest.zpl")} + resume);
    QVERIFY2(after.status == 0, qPrintable(after.errors));
    const QByteArray rest = test::ReadFileBytes(m_out->filePath("rest.zpl"));
    if (signal == SIGHUP) {
        // Stopped after card 3 with its mark: nothing in doubt.
        QCOMPARE(received, all.left(starts[3]));
        QCOMPARE(rest, all.mid(starts[3]));
        QVERIFY2(!after.errors.contains(QStringLiteral("보냈는지")), qPrintable(after.errors));
    } else {
        // Killed with card 3 on its way: cards 1 and 2 whole, card 3 at most whole, and card 3 named.
        QVERIFY(received.size() >= starts[2] && received.size() <= starts[3]);
        QVERIFY2(after.errors.contains(QStringLiteral("4행 ")) &&
                     after.errors.contains(QStringLiteral("보냈는지 알 수 없습니다")),
                 qPrintable(after.errors));
        QCOMPARE(rest, all.mid(resume.isEmpty() ? starts[2] : starts[3]));
    }
    const SentMarks marks = SentMarks::Load(marksPath);
    QCOMPARE(marks.marks().size(), resume.isEmpty() ? 6 : 5);
    QCOMPARE(marks.uncertain().size(), resume.isEmpty() ? 0 : 1);
}

// One run of a list at a time: the second is refused at once and sends nothing.
void TestBatch::twoRunsOfOneList() {
    const QString list = writeList("three.csv", kThree);
    const QString fifoPath = m_out->filePath("held.fifo");
    QCOMPARE(::mkfifo(QFile::encodeName(fifoPath).constData(), 0600), 0);
    QProcess first;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HANLABEL_HOME", m_app->path());
    env.insert("HANLABEL_STALL_NOTICE_MS", "200");
    first.setProcessEnvironment(env);
    first.setReadChannel(QProcess::StandardError);
    first.start(QStringLiteral(HANLABEL_BATCH), {"members", list, "--to", fifoPath});
    QString errors;
    while (!errors.contains(QStringLiteral("기다립니다")) && first.waitForReadyRead(10000))
        errors += QString::fromUtf8(first.readAllStandardError());
    QVERIFY2(errors.contains(QStringLiteral("기다립니다")), qPrintable(errors));

    const Run second = run({"members", list});
    QCOMPARE(second.status, 2);
    QVERIFY2(second.errors.contains(QStringLiteral("이 명단은 지금 다른 곳에서 인쇄 중입니다 (hanlabel-batch, 사용자 ")),
             qPrintable(second.errors));
    QVERIFY(!QFile::exists(m_lpt));

    test::FifoReader printer(fifoPath);
    printer.start({1 << 20});
    QVERIFY(first.waitForFinished(10000));
    QCOMPARE(first.exitCode(), 0);
    QCOMPARE(printer.stop().count("^XA"), 3);
    QCOMPARE(SentMarks::Load(SentMarks::PathFor(list)).marks().size(), 3);
}

// The list's folder is read-only for the operator: nothing is sent, and the message says why and
// where a copy of the list can go.
void TestBatch::readOnlyListFolderSendsNothing() {
    QTemporaryDir shared;
    const QString list = shared.filePath("three.csv");
    {
        QFile file(list);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kThree);
    }
    for (const QString& path : {shared.path(), m_app->path(), m_out->path()})
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0755) == 0);
    for (const QString& name : QDir(m_app->path()).entryList(QDir::Files))
        ::chmod(QFile::encodeName(m_app->file(name)).constData(), 0666);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HANLABEL_HOME", m_app->path());
    env.insert("HANLABEL_LPT1", m_lpt);
    env.insert("HOME", m_out->path());
    process.setProcessEnvironment(env);
    process.setChildProcessModifier([] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(99);
    });
    process.start(QStringLiteral(HANLABEL_BATCH), {"members", list});
    QVERIFY(process.waitForFinished(30000));
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitCode(), 2);
    QVERIFY2(errors.contains(list + QStringLiteral(".lock")) && errors.contains(QStringLiteral("아무것도 보내지 않았습니다")) &&
                 errors.contains(QStringLiteral("복사")) && errors.contains(m_out->path()),
             qPrintable(errors));
    QVERIFY(!QFile::exists(m_lpt));
    QVERIFY(!QFile::exists(SentMarks::PathFor(list)));
}

// A code page 949 list saved with a byte-order mark prints as its UTF-8 twin, affiliation and all.
void TestBatch::codePage949WithByteOrderMark() {
    const QByteArray bom("\xEF\xBB\xBF");
    const QString utf8 = writeList("utf8.csv", kThree);
    const QString cp949 = writeList("cp949.csv", bom + EncodeCp949(QString::fromUtf8(kThree)));
    QCOMPARE(run({"members", utf8, "--to", m_out->filePath("utf8.zpl")}).status, 0);
    const Run r = run({"members", cp949, "--to", m_out->filePath("cp949.zpl")});
    QVERIFY2(r.status == 0, qPrintable(r.errors));
    const QByteArray expected = test::ReadFileBytes(m_out->filePath("utf8.zpl"));
    QCOMPARE(expected.count("^XA"), 3);
    QCOMPARE(test::ReadFileBytes(m_out->filePath("cp949.zpl")), expected);
}

void TestBatch::refusedLists_data() {
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QStringList>("named");
    QTest::newRow("NUL before the header")
        << QByteArray("\0" "소속,성명,회원번호\n본관,홍길동,1-2\n", 34) << QStringList{"1행", "NUL"};
    QTest::newRow("one known column in the header")
        << QByteArray("성명,연락처,카드\n홍길동,010-1234-5678,2004-12\n")
        << QStringList{"알아본 열: 1열 성명", "--columns"};
}

void TestBatch::refusedLists() {
    QFETCH(QByteArray, csv);
    QFETCH(QStringList, named);
    const QString list = writeList("refused.csv", csv);
    const Run r = run({"members", list});
    QCOMPARE(r.status, 2);
    for (const QString& part : named)
        QVERIFY2(r.errors.contains(part), qPrintable(r.errors));
    QVERIFY(!QFile::exists(m_lpt));
    QVERIFY(!QFile::exists(SentMarks::PathFor(list)));
}

// A named pipe nobody writes is refused at once; a SIGINT meanwhile ends the command all the same,
// with nothing sent.
void TestBatch::namedPipeAsTheList() {
    const QString fifoPath = m_out->filePath("list.fifo");
    QCOMPARE(::mkfifo(QFile::encodeName(fifoPath).constData(), 0600), 0);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HANLABEL_HOME", m_app->path());
    env.insert("HANLABEL_LPT1", m_lpt);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(HANLABEL_BATCH), {"members", fifoPath});
    QVERIFY(process.waitForStarted());
    if (!process.waitForFinished(2000)) {
        ::kill(pid_t(process.processId()), SIGINT);
        QVERIFY(process.waitForFinished(5000));
    }
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 2);
    QVERIFY2(errors.contains(QStringLiteral("이름 있는 파이프")), qPrintable(errors));
    QVERIFY(!QFile::exists(m_lpt));
}

QTEST_MAIN(TestBatch)
#include "tst_batch.moc"
