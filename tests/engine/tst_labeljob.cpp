#include "glyphs/GlyphSource.h"
#include "jobs/BookLabelJob.h"
#include "jobs/MemberCardJob.h"
#include "preview/ZplRenderer.h"

#include "LabelJobRunner.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

#include <variant>

using namespace hanlabel;
using hanlabel::test::AppFolderFixture;

namespace {

const QStringList kBookLayout = {"40", "30", "^PR3", "^FO40,65^A0N,28,28", "^FO40,100^BY2^BCN,60,Y,N,N"};
const QStringList kMemberLayout = {
    "^PR3", "40", "30", "40", "70", "^FO260,170^BY2^BCN,80,N,N,N", "^FO260,300^A0N,30,30"};

// The origin boxes as the two windows name them.
const OriginBoxNames kBookBoxes{QStringLiteral("좌측위치(Text3)"), QStringLiteral("상하위치(Text4)")};
const OriginBoxNames kMemberBoxes{QStringLiteral("좌측위치(Text6)"), QStringLiteral("상하위치(Text5)")};

// Either label job's inputs, with the files of its window.
struct Example {
    std::variant<BookLabelInputs, MemberCardInputs> in;

    bool isBook() const { return in.index() == 0; }
    LabelJobInputs& common() {
        return std::visit([](auto& in) -> LabelJobInputs& { return in; }, in);
    }
    QString channelFile() const { return isBook() ? "OH.ini" : "OH1.ini"; }
    QString originFile() const { return isBook() ? "position.ini" : "position1.ini"; }
    QString layoutFile() const { return isBook() ? "DPOS.ini" : "DPOS1.ini"; }
    QStringList layout() const { return isBook() ? kBookLayout : kMemberLayout; }
};

// The worked examples, on "LPT1" at origin 20,10, with the job's own fields given.
Example Book(const QString& labelText = "A1", const QString& firstSerial = "00012", bool ascending = true) {
    BookLabelInputs in;
    in.portText = "LPT1";
    in.originX = "20";
    in.originY = "10";
    in.labelText = labelText;
    in.firstSerial = firstSerial;
    in.ascending = ascending;
    in.quantity = "3";
    return {in};
}

Example Member(const QString& affiliation = "A1", const QString& name = "BC", const QString& first = "200401",
               const QString& second = "0123", bool masked = true) {
    MemberCardInputs in;
    in.portText = "LPT1";
    in.originX = "20";
    in.originY = "10";
    in.affiliation = affiliation;
    in.name = name;
    in.memberNumberFirst = first;
    in.memberNumberSecond = second;
    in.maskSecondPart = masked;
    return {in};
}

Example Kind(const QString& kind) { return kind == QLatin1String("book") ? Book() : Member(); }

BookLabelJob MakeJob(const BookLabelInputs& in, const JobEnvironment& env) { return BookLabelJob(in, env); }
MemberCardJob MakeJob(const MemberCardInputs& in, const JobEnvironment& env) {
    return MemberCardJob(in, env);
}

QByteArray Compose(const BookLabelInputs& in, const QStringList& layout, ChannelKind kind,
                   GlyphSource& glyphs) {
    return ComposeBookLabel(in, layout, kind, glyphs);
}
QByteArray Compose(const MemberCardInputs& in, const QStringList& layout, ChannelKind kind,
                   GlyphSource& glyphs) {
    return ComposeMemberCard(in, layout, kind, glyphs);
}

} // namespace

Q_DECLARE_METATYPE(Example)

// Both label jobs end to end: settings files, composition and both channels.
class TestLabelJob : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    // Both jobs.
    void goldenStreams_data();
    void goldenStreams();
    void exampleStreams_data();
    void exampleStreams();
    void composedThenTheSendDecides_data();
    void composedThenTheSendDecides();
    void stepsAndSideEffects_data();
    void stepsAndSideEffects();
    void failuresSendNothing_data();
    void failuresSendNothing();
    void originWithCommandPrefix_data();
    void originWithCommandPrefix();
    void serialChannel_data();
    void serialChannel();
    void portTextChoosesChannel_data();
    void portTextChoosesChannel();
    void typedCaretIsPrintedNotExecuted_data();
    void typedCaretIsPrintedNotExecuted();
    // The book label job.
    void serialMask_data();
    void serialMask();
    void previewCountsSerials_data();
    void previewCountsSerials();
    void quantity_data();
    void quantity();
    void glyphDatabaseFailures();
    // The member card job.
    void starMask_data();
    void starMask();
    void layoutNumbers_data();
    void layoutNumbers();

  private:
    JobEnvironment env(GlyphSource* glyphs = nullptr) {
        return JobEnvironment{m_app->path(), glyphs ? glyphs : &m_glyphs};
    }
    // The job as the window runs it, the send on a worker; with the sample glyphs unless others are given.
    LabelJobOutcome run(const Example& ex, GlyphSource* glyphs = nullptr,
                        const std::function<void(qint64, qint64)>& progress = {}) {
        return std::visit(
            [&](const auto& in) -> LabelJobOutcome {
                auto job = MakeJob(in, env(glyphs));
                return test::RunLabelJob(job, progress);
            },
            ex.in);
    }
    // The job's steps alone: the outcome waits for its send.
    LabelJobOutcome composeJob(const Example& ex) {
        return std::visit([&](const auto& in) -> LabelJobOutcome { return MakeJob(in, env()).compose(); },
                          ex.in);
    }
    QByteArray compose(const Example& ex, ChannelKind kind, const QStringList& layout = {}) {
        return std::visit(
            [&](const auto& in) {
                return Compose(in, layout.isEmpty() ? ex.layout() : layout, kind, m_glyphs);
            },
            ex.in);
    }

    std::unique_ptr<AppFolderFixture> m_app;
    QTemporaryDir m_out;
    QString m_lpt;
    GlyphSource m_glyphs;
};

void TestLabelJob::initTestCase() {
    m_glyphs.bind(test::SampleDatabasePath());
    QVERIFY(m_glyphs.isOpen());
}

void TestLabelJob::init() {
    m_app = std::make_unique<AppFolderFixture>();
    m_app->writeLines("DPOS.ini", kBookLayout);
    m_app->writeLines("DPOS1.ini", kMemberLayout);
    m_lpt = m_out.filePath(QStringLiteral("lpt1-%1.zpl").arg(QTest::currentDataTag()).remove(' '));
    QFile::remove(m_lpt);
    qputenv("HANLABEL_LPT1", m_lpt.toLocal8Bit());
    qputenv("HANLABEL_COM1", m_out.filePath("no-such-serial-device").toLocal8Bit());
}

void TestLabelJob::goldenStreams_data() {
    QTest::addColumn<Example>("example");
    QTest::addColumn<QString>("golden");
    QTest::newRow("book, ascii") << Book() << "book-example";
    QTest::newRow("book, hangul") << Book("한국도서관") << "book-hangul";
    QTest::newRow("book, thirteen syllables") << Book("대한민국국립중앙도서관본관") << "book-13-syllables";
    QTest::newRow("book, serial with letters") << Book("A1", "EM0000012345") << "book-serial-letters";
    QTest::newRow("book, serial with letters, descending")
        << Book("A1", "EM0000012345", false) << "book-serial-letters-down";
    QTest::newRow("book, hangul in the serial") << Book("A1", "12가34") << "book-serial-hangul";
    QTest::newRow("book, serial without digits") << Book("A1", "ABC") << "book-serial-no-digits";
    QTest::newRow("member, ascii") << Member() << "member-example";
    QTest::newRow("member, hangul") << Member("국립중앙도서관", "홍길동") << "member-hangul";
}

void TestLabelJob::goldenStreams() {
    QFETCH(Example, example);
    QFETCH(QString, golden);
    const LabelJobOutcome outcome = run(example);
    QCOMPARE(outcome.status, JobStatus::Printed);
    const QByteArray lpt = test::ReadFileBytes(m_lpt);
    QString diff = test::CompareGolden(golden + ".lpt.zpl", lpt);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    // The serial stream is the same pieces with nothing between them.
    const QByteArray serial = compose(example, ChannelKind::Serial);
    diff = test::CompareGolden(golden + ".com.zpl", serial);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    QCOMPARE(QByteArray(lpt).replace("\r\n", ""), serial);
    // Only the book label run counts labels and serials.
    QCOMPARE(lpt.contains("^PQ"), example.isBook());
    QCOMPARE(lpt.contains("^SF"), example.isBook());
}

void TestLabelJob::exampleStreams_data() {
    QTest::addColumn<Example>("example");
    QTest::addColumn<QByteArray>("stream");
    QTest::newRow("book") << Book()
                          << QByteArray("^XA^PR3^LH20,10\r\n"
                                        "^FO40,33^A0,35,35^FDA ^FS\r\n"
                                        "^FO58,33^A0,35,35^FD1 ^FS\r\n"
                                        "^FO40,65^A0N,28,28^FD00012^SFddddd,1^FS\r\n"
                                        "^FO40,100^BY2^BCN,60,Y,N,N^FD00012^SFddddd,1^FS\r\n"
                                        "^PQ3^XZ\r\n");
    QTest::newRow("book, one digit descending") << Book("A1", "7", false)
                                                << QByteArray("^XA^PR3^LH20,10\r\n"
                                                              "^FO40,33^A0,35,35^FDA ^FS\r\n"
                                                              "^FO58,33^A0,35,35^FD1 ^FS\r\n"
                                                              "^FO40,65^A0N,28,28^FD7^SF^FS\r\n"
                                                              "^FO40,100^BY2^BCN,60,Y,N,N^FD7^SF^FS\r\n"
                                                              "^PQ3^XZ\r\n");
    QTest::newRow("member") << Member()
                            << QByteArray("^XA^PR3^LH20,10\r\n"
                                          "^FO40,33^A0,35,35^FDA ^FS\r\n"
                                          "^FO58,33^A0,35,35^FD1 ^FS\r\n"
                                          "^FO40,73^A0,35,35^FDB ^FS\r\n"
                                          "^FO58,73^A0,35,35^FDC ^FS\r\n"
                                          "^FO260,170^BY2^BCN,80,N,N,N^FD2004010123^FS\r\n"
                                          "^FO260,300^A0N,30,30^FD200401-****^FS\r\n"
                                          "^XZ\r\n");
}

// The worked examples row by row, as the printer gets them on LPT1.
void TestLabelJob::exampleStreams() {
    QFETCH(Example, example);
    QFETCH(QByteArray, stream);
    QCOMPARE(run(example).status, JobStatus::Printed);
    QCOMPARE(test::ReadFileBytes(m_lpt), stream);
}

void TestLabelJob::composedThenTheSendDecides_data() {
    QTest::addColumn<Example>("example");
    QTest::addColumn<QString>("port");
    QTest::addColumn<SerialFraming>("framing");
    QTest::addColumn<ChannelKind>("channel");
    QTest::addColumn<QString>("golden");
    QTest::addColumn<QString>("failure");
    const SerialFraming n81 = SerialFraming::None8, e71 = SerialFraming::Even7;
    using test::Row;
    Row("book, LPT1", Book(), "LPT1", n81, ChannelKind::Parallel, "book-example.lpt.zpl",
        "LPT1: 보낼 수 없습니다");
    Row("book, COM1, 7E1", Book(), "COM1", e71, ChannelKind::Serial, "book-example.com.zpl",
        "COM1: 보낼 수 없습니다");
    Row("member, LPT1, cancelled", Member(), "LPT1", n81, ChannelKind::Parallel, "member-example.lpt.zpl",
        "인쇄를 취소했습니다. LPT1: 0 / 300 바이트가 전달되었습니다.");
    Row("member, COM1, 7E1", Member(), "COM1", e71, ChannelKind::Serial, "member-example.com.zpl",
        "COM1: 보낼 수 없습니다");
}

// The steps end with the settings files written and the whole job composed for its channel; the
// send's result then decides the outcome.
void TestLabelJob::composedThenTheSendDecides() {
    QFETCH(Example, example);
    QFETCH(QString, port);
    QFETCH(SerialFraming, framing);
    QFETCH(ChannelKind, channel);
    QFETCH(QString, golden);
    QFETCH(QString, failure);
    example.common().portText = port;
    example.common().framing = framing;
    LabelJobOutcome out = composeJob(example);
    QCOMPARE(out.status, JobStatus::Composed);
    QCOMPARE(out.order.kind, channel);
    QCOMPARE(out.order.framing, framing);
    QString diff = test::CheckGolden(golden, out.order.stream);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    QCOMPARE(m_app->readBytes(example.channelFile()),
             port.toLatin1() + (framing == SerialFraming::Even7 ? "\r\n1\r\n" : "\r\n2\r\n"));
    QCOMPARE(out.layoutLines.value(), example.layout());
    QVERIFY(!QFile::exists(m_lpt));

    LabelJobOutcome failed = out;
    SendEnded(failed, SendResult::failed(failure));
    QCOMPARE(failed.status, JobStatus::Failed);
    QCOMPARE(failed.failure, failure);
    QVERIFY(failed.order.stream.isEmpty());
    SendEnded(out, SendResult::delivered(out.order.stream.size()));
    QCOMPARE(out.status, JobStatus::Printed);
    QCOMPARE(out.failure, QString());
    QCOMPARE(out.originX.value(), QStringLiteral("20"));
}

void TestLabelJob::stepsAndSideEffects_data() {
    QTest::addColumn<Example>("example");
    QTest::addColumn<SerialFraming>("framing");
    QTest::addColumn<QByteArray>("channelFile");
    QTest::newRow("book") << Book() << SerialFraming::None8 << QByteArray("LPT1\r\n2\r\n");
    QTest::newRow("member") << Member() << SerialFraming::Even7 << QByteArray("LPT1\r\n1\r\n");
}

// The channel file is rewritten from the boxes, the origin saved and read back as typed, and the
// layout file's lines after those the job reads are left alone.
void TestLabelJob::stepsAndSideEffects() {
    QFETCH(Example, example);
    QFETCH(SerialFraming, framing);
    QFETCH(QByteArray, channelFile);
    m_app->writeLines(example.channelFile(), {"COM1", "1"});
    m_app->writeLines(example.layoutFile(), example.layout() + QStringList{"one line more"});
    example.common().framing = framing;
    example.common().originX = "12a";
    example.common().originY = "";
    const LabelJobOutcome outcome = run(example);
    QCOMPARE(outcome.status, JobStatus::Printed);
    QCOMPARE(m_app->readBytes(example.channelFile()), channelFile);
    QCOMPARE(m_app->readBytes(example.originFile()), QByteArray("12a\r\n\r\n"));
    QCOMPARE(outcome.originX.value(), QStringLiteral("12a"));
    QCOMPARE(outcome.originY.value(), QString());
    QCOMPARE(outcome.layoutLines.value(), example.layout());
    QVERIFY(test::ReadFileBytes(m_lpt).startsWith("^XA^PR3^LH12a,\r\n"));
}

void TestLabelJob::failuresSendNothing_data() {
    QTest::addColumn<Example>("example");
    QTest::addColumn<QStringList>("layout");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("book, four layout lines") << Book("A") << kBookLayout.mid(0, 4) << "DPOS.ini";
    QTest::newRow("book, x overflows") << Book("A") << QStringList{"40000", "30", "", "", ""} << "overflow";
    QTest::newRow("book, x grows past 32767")
        << Book("ABCDE") << QStringList{"32700", "30", "", "", ""} << "overflow";
    QTest::newRow("book, no font has it") << Book(QString(QChar(0xE000))) << kBookLayout << "U+E000";
    QTest::newRow("member, six layout lines") << Member() << kMemberLayout.mid(0, 6) << "DPOS1.ini";
    QStringList nameOverflows = kMemberLayout;
    nameOverflows[3] = "32760";
    QTest::newRow("member, name x overflows") << Member() << nameOverflows << "overflow";
}

// A failure before the send names its cause and sends nothing; the files written before it
// stay written.
void TestLabelJob::failuresSendNothing() {
    QFETCH(Example, example);
    QFETCH(QStringList, layout);
    QFETCH(QString, mentions);
    m_app->writeLines(example.layoutFile(), layout);
    example.common().originX = "5";
    const LabelJobOutcome outcome = run(example);
    QCOMPARE(outcome.status, JobStatus::Failed);
    QVERIFY2(outcome.failure.contains(mentions), qPrintable(outcome.failure));
    QVERIFY(!QFile::exists(m_lpt));
    QCOMPARE(m_app->readBytes(example.originFile()), QByteArray("5\r\n10\r\n"));
    QCOMPARE(m_app->readBytes(example.channelFile()), QByteArray("LPT1\r\n2\r\n"));
}

void TestLabelJob::originWithCommandPrefix_data() {
    test::OriginRejectionColumns();
    test::OriginRejectionRows(kBookBoxes.x, kBookBoxes.y, "book");
    test::OriginRejectionRows(kMemberBoxes.x, kMemberBoxes.y, "member");
}

// A "^" or "~" in an origin box would start a printer command inside "^LH": the job stops
// before sending with a message naming the box, after rewriting the settings files.
void TestLabelJob::originWithCommandPrefix() {
    QFETCH(QString, kind);
    QFETCH(QString, x);
    QFETCH(QString, y);
    Example ex = Kind(kind);
    ex.common().originX = x;
    ex.common().originY = y;
    ex.common().originBoxes = ex.isBook() ? kBookBoxes : kMemberBoxes;
    const LabelJobOutcome outcome = run(ex);
    test::VerifyOriginRejected(outcome, *m_app, m_lpt, ex.channelFile(), ex.originFile(), ex.layout());
}

void TestLabelJob::serialChannel_data() {
    QTest::addColumn<Example>("example");
    QTest::addColumn<QString>("golden");
    QTest::newRow("book") << Book("한국도서관") << "book-hangul.com.zpl";
    QTest::newRow("member") << Member("국립중앙도서관", "홍길동") << "member-hangul.com.zpl";
}

// Serial port 1 gets the pieces with nothing between them, and the progress counts every byte.
void TestLabelJob::serialChannel() {
    QFETCH(Example, example);
    QFETCH(QString, golden);
    test::PtyCapture pty;
    QVERIFY(!pty.slavePath().isEmpty());
    qputenv("HANLABEL_COM1", pty.slavePath().toLocal8Bit());
    example.common().portText = "COM1";
    qint64 lastSent = 0, lastTotal = -1;
    const LabelJobOutcome outcome = run(example, nullptr, [&](qint64 sent, qint64 total) {
        lastSent = sent;
        lastTotal = total;
    });
    QVERIFY2(outcome.status == JobStatus::Printed, qPrintable(outcome.failure));
    const QByteArray received = pty.waitFor(lastTotal);
    const QString diff = test::CheckGolden(golden, received);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    QVERIFY(!received.contains('\r'));
    QCOMPARE(lastSent, lastTotal);
    QVERIFY(!QFile::exists(m_lpt));
}

void TestLabelJob::portTextChoosesChannel_data() {
    QTest::addColumn<Example>("example");
    QTest::addColumn<QString>("port");
    QTest::newRow("book, lpt1") << Book() << "lpt1";
    QTest::newRow("book, COM2") << Book() << "COM2";
    QTest::newRow("member, empty") << Member() << "";
    QTest::newRow("member, COM1") << Member() << "COM1";
}

// Anything but the exact "LPT1" goes to serial port 1 (here a device that does not exist).
void TestLabelJob::portTextChoosesChannel() {
    QFETCH(Example, example);
    QFETCH(QString, port);
    example.common().portText = port;
    const LabelJobOutcome outcome = run(example);
    QCOMPARE(outcome.status, JobStatus::Failed);
    QVERIFY2(outcome.failure.contains("COM1"), qPrintable(outcome.failure));
    QVERIFY(!QFile::exists(m_lpt));
    QCOMPARE(m_app->readBytes(example.channelFile()), port.toLatin1() + "\r\n2\r\n");
}

void TestLabelJob::typedCaretIsPrintedNotExecuted_data() {
    QTest::addColumn<Example>("example");
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<int>("times");
    QTest::newRow("book, serial") << Book("A1", "1^XZ~JA_")
                                  << QByteArray("^FH^FD1_5EXZ_7EJA_5F^SFd%%%%%%%,1%%%%%%%^FS") << 2;
    const Example member = Member("A1", "BC", "2004^X", "~1", false);
    QTest::newRow("member, barcode") << member << QByteArray("^BCN,80,N,N,N^FH^FD2004_5EX_7E1^FS") << 1;
    QTest::newRow("member, number line") << member << QByteArray("^A0N,30,30^FH^FD2004_5EX-_7E1^FS") << 1;
}

void TestLabelJob::typedCaretIsPrintedNotExecuted() {
    QFETCH(Example, example);
    QFETCH(QByteArray, field);
    QFETCH(int, times);
    const QByteArray stream = compose(example, ChannelKind::Serial);
    QCOMPARE(stream.count(field), times);
    QCOMPARE(stream.count("^XZ"), 1);
}

void TestLabelJob::serialMask_data() {
    QTest::addColumn<QString>("serial");
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<QString>("mask");
    QTest::newRow("empty") << "" << true << "";
    QTest::newRow("one digit") << "7" << true << "";
    QTest::newRow("two digits") << "99" << true << "dd,1";
    QTest::newRow("two digits, descending") << "99" << false << "dd,-1";
    QTest::newRow("thirteen digits") << "9999999999999" << false << "ddddddddddddd,-1";
    QTest::newRow("fourteen digits") << "99999999999999" << true << "";
    QTest::newRow("letters in front") << "EM0000012345" << true << "%%dddddddddd,1";
    QTest::newRow("letters in front, descending") << "EM0000012345" << false << "%%dddddddddd,-1";
    QTest::newRow("letter at the end") << "0012A" << true << "dddd%,1%";
    QTest::newRow("letter at the end, descending") << "0012A" << false << "dddd%,-1%";
    QTest::newRow("letters between digits") << "A1B2C" << true << "%d%d%,1%";
    QTest::newRow("hangul, two bytes") << "12가34" << true << "dd%%dd,1";
    QTest::newRow("hangul at the end") << "1가" << false << "d%%,-1%%";
    QTest::newRow("blank") << "1 2" << true << "d%d,1";
    QTest::newRow("full-width digit is no digit") << "1２" << true << "d%%,1%%";
    QTest::newRow("caret counted as printed, not escaped") << "1^A" << true << "d%%,1%%";
    QTest::newRow("letters only") << "ABC" << true << "";
    QTest::newRow("hangul only") << "가나" << true << "";
    QTest::newRow("fourteen characters") << "EM000001234567" << true << "";
}

// A first serial of 2 to 13 characters with a digit has a mask: only ASCII digits count; every
// byte of any other character is kept with "%", and the increment ends with as many "%" as the
// mask has after its last "d".
void TestLabelJob::serialMask() {
    QFETCH(QString, serial);
    QFETCH(bool, ascending);
    QFETCH(QString, mask);
    QCOMPARE(SerialMask(serial, ascending), mask);
}

void TestLabelJob::previewCountsSerials_data() {
    QTest::addColumn<QString>("serial");
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<QString>("counting");
    QTest::newRow("letters in front")
        << "EM0000012345" << true << "EM0000012345 → EM0000012346 → EM0000012347";
    QTest::newRow("letters in front, descending")
        << "EM0000012345" << false << "EM0000012345 → EM0000012344 → EM0000012343";
    QTest::newRow("letter at the end") << "0012A" << true << "0012A → 0013A → 0014A";
    QTest::newRow("hangul inside") << "19가99" << true << "19가99 → 20가00 → 20가01";
    QTest::newRow("escaped caret") << "0012^" << true << "0012^ → 0013^ → 0014^";
    QTest::newRow("letters only") << "ABC" << true << QStringLiteral("마스크가 비어 모든 라벨이 ABC");
}

// The virtual printer counts both serial fields of the job as the printer would.
void TestLabelJob::previewCountsSerials() {
    QFETCH(QString, serial);
    QFETCH(bool, ascending);
    QFETCH(QString, counting);
    const PreviewResult result = RenderZpl(compose(Book("A1", serial, ascending), ChannelKind::Serial));
    QCOMPARE(result.labelCount, 3);
    QCOMPARE(result.serials.size(), 2);
    for (const QString& line : result.serials)
        QVERIFY2(line.endsWith(": " + counting), qPrintable(line));
}

void TestLabelJob::quantity_data() {
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<bool>("printed");
    QTest::newRow("empty") << "" << false;
    QTest::newRow("one blank") << " " << true;
    QTest::newRow("letter after digit") << "2x" << false;
    QTest::newRow("letter O for zero") << "1O" << false;
    QTest::newRow("printer command") << "^XA" << false;
    QTest::newRow("digits") << "10" << true;
    QTest::newRow("digit between blanks") << " 3 " << true;
}

// Digits and blanks follow "^PQ" as typed; anything else is asked for again, as an empty
// quantity is: nothing is sent, yet the settings files are rewritten.
void TestLabelJob::quantity() {
    QFETCH(QString, quantity);
    QFETCH(bool, printed);
    Example ex = Book();
    auto& in = std::get<BookLabelInputs>(ex.in);
    in.quantity = quantity;
    in.originX = "7";
    in.framing = SerialFraming::Even7;
    const LabelJobOutcome outcome = run(ex);
    QCOMPARE(m_app->readBytes("OH.ini"), QByteArray("LPT1\r\n1\r\n"));
    QCOMPARE(m_app->readBytes("position.ini"), QByteArray("7\r\n10\r\n"));
    QCOMPARE(outcome.layoutLines.value(), kBookLayout);
    if (printed) {
        QCOMPARE(outcome.status, JobStatus::Printed);
        QVERIFY(test::ReadFileBytes(m_lpt).endsWith("^PQ" + quantity.toLatin1() + "^XZ\r\n"));
    } else {
        QCOMPARE(outcome.status, JobStatus::QuantityMissing);
        QVERIFY(!QFile::exists(m_lpt));
    }
}

void TestLabelJob::glyphDatabaseFailures() {
    GlyphSource missing;
    missing.bind(m_out.filePath("nowhere.mdb"));
    LabelJobOutcome outcome = run(Book("가"), &missing);
    QCOMPARE(outcome.status, JobStatus::Failed);
    QVERIFY2(outcome.failure.contains("nowhere.mdb"), qPrintable(outcome.failure));
    QVERIFY(!QFile::exists(m_lpt));
    // All-ASCII text still prints without the database.
    outcome = run(Book("A1"), &missing);
    QCOMPARE(outcome.status, JobStatus::Printed);
    QVERIFY(test::ReadFileBytes(m_lpt).contains("^FDA ^FS"));

    // A syllable the database lacks is drawn from a font, never printed from a stray record.
    QCOMPARE(run(Book("똠")).status, JobStatus::Printed);
    const QByteArray lpt = test::ReadFileBytes(m_lpt);
    const Glyph drawn = m_glyphs.lookup(U'똠');
    QVERIFY(drawn.fromFont);
    QVERIFY(lpt.contains("~DG" + drawn.name.toLatin1() + ",140,4," + drawn.data + "\r\n^FO40,30^XG" +
                         drawn.name.toLatin1() + ".GRF,1,1^FS\r\n"));
}

void TestLabelJob::starMask_data() {
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

void TestLabelJob::starMask() {
    QFETCH(QString, secondPart);
    QFETCH(bool, masked);
    QFETCH(QByteArray, numberLine);
    const QByteArray stream = compose(Member("A1", "BC", "200401", secondPart, masked), ChannelKind::Serial);
    QVERIFY(stream.contains("^FO260,300^A0N,30,30" + numberLine));
    // The barcode always carries the whole number.
    QVERIFY(stream.contains("^BCN,80,N,N,N^FD200401" + secondPart.toLatin1() + "^FS"));
}

void TestLabelJob::layoutNumbers_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QByteArray>("origin");
    QTest::newRow("12.5") << "12.5" << QByteArray("^FO12,");
    QTest::newRow("13.5") << "13.5" << QByteArray("^FO14,");
    QTest::newRow("empty") << "" << QByteArray("^FO0,");
    QTest::newRow("abc") << "abc" << QByteArray("^FO0,");
    QTest::newRow("40mm") << "40mm" << QByteArray("^FO40,");
}

void TestLabelJob::layoutNumbers() {
    QFETCH(QString, line);
    QFETCH(QByteArray, origin);
    QStringList layout = kMemberLayout;
    layout[3] = line; // x of the name
    const QByteArray stream = compose(Member(), ChannelKind::Serial, layout);
    QVERIFY(stream.contains(origin + "73^A0,35,35^FDB ^FS"));
}

QTEST_MAIN(TestLabelJob)
#include "tst_labeljob.moc"
