#include "glyphs/GlyphSource.h"
#include "jobs/BookLabelJob.h"
#include "preview/ZplRenderer.h"

#include "LabelJobRunner.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace hanlabel;
using hanlabel::test::AppFolderFixture;

namespace {

const QStringList kLayout = {"40", "30", "^PR3", "^FO40,65^A0N,28,28", "^FO40,100^BY2^BCN,60,Y,N,N"};

BookLabelInputs workedExample() {
    BookLabelInputs in;
    in.portText = "LPT1";
    in.originX = "20";
    in.originY = "10";
    in.labelText = "A1";
    in.firstSerial = "00012";
    in.ascending = true;
    in.quantity = "3";
    return in;
}

} // namespace

// The book label job end to end: settings files, composition and both channels.
class TestBookJob : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void goldenStreams_data();
    void goldenStreams();
    void composedBeforeAnythingIsSent_data();
    void composedBeforeAnythingIsSent();
    void workedExampleRows();
    void serialMask_data();
    void serialMask();
    void serialMaskKeepsOtherCharacters_data();
    void serialMaskKeepsOtherCharacters();
    void previewCountsSerials_data();
    void previewCountsSerials();
    void stepsAndSideEffects();
    void quantity_data();
    void quantity();
    void serialChannel();
    void portTextChoosesChannel_data();
    void portTextChoosesChannel();
    void failuresSendNothing_data();
    void failuresSendNothing();
    void originWithCommandPrefix_data();
    void originWithCommandPrefix();
    void glyphDatabaseFailures();
    void typedCaretIsPrintedNotExecuted();

  private:
    BookLabelOutcome run(const BookLabelInputs& in, GlyphSource* glyphs = nullptr);
    std::unique_ptr<AppFolderFixture> m_app;
    QTemporaryDir m_out;
    QString m_lpt;
    GlyphSource m_glyphs;
};

void TestBookJob::initTestCase() {
    m_glyphs.bind(test::SampleDatabasePath());
    QVERIFY(m_glyphs.isOpen());
}

void TestBookJob::init() {
    m_app = std::make_unique<AppFolderFixture>();
    m_app->writeLines("DPOS.ini", kLayout);
    m_lpt = m_out.filePath(QStringLiteral("lpt1-%1.zpl").arg(QTest::currentDataTag()).remove(' '));
    QFile::remove(m_lpt);
    qputenv("HANLABEL_LPT1", m_lpt.toLocal8Bit());
    qputenv("HANLABEL_COM1", m_out.filePath("no-such-serial-device").toLocal8Bit());
}

// The job as the window runs it, the send on a worker; with the sample glyphs unless others are given.
BookLabelOutcome TestBookJob::run(const BookLabelInputs& in, GlyphSource* glyphs) {
    BookLabelJob job(in, JobEnvironment{m_app->path(), glyphs ? glyphs : &m_glyphs});
    return test::RunLabelJob(job);
}

void TestBookJob::goldenStreams_data() {
    QTest::addColumn<QString>("labelText");
    QTest::addColumn<QString>("firstSerial");
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<QString>("golden");
    QTest::newRow("ascii") << "A1"
                           << "00012" << true << "book-example";
    QTest::newRow("hangul") << "한국도서관"
                            << "00012" << true << "book-hangul";
    QTest::newRow("thirteen syllables") << "대한민국국립중앙도서관본관"
                                        << "00012" << true << "book-13-syllables";
    QTest::newRow("serial with letters") << "A1"
                                         << "EM0000012345" << true << "book-serial-letters";
    QTest::newRow("serial with letters, descending") << "A1"
                                                     << "EM0000012345" << false << "book-serial-letters-down";
    QTest::newRow("hangul in the serial") << "A1"
                                          << "12가34" << true << "book-serial-hangul";
    QTest::newRow("serial without digits") << "A1"
                                           << "ABC" << true << "book-serial-no-digits";
}

void TestBookJob::goldenStreams() {
    QFETCH(QString, labelText);
    QFETCH(QString, firstSerial);
    QFETCH(bool, ascending);
    QFETCH(QString, golden);
    BookLabelInputs in = workedExample();
    in.labelText = labelText;
    in.firstSerial = firstSerial;
    in.ascending = ascending;
    const BookLabelOutcome outcome = run(in);
    QCOMPARE(outcome.status, JobStatus::Printed);
    const QByteArray lpt = test::ReadFileBytes(m_lpt);
    QString diff = test::CompareGolden(golden + ".lpt.zpl", lpt);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    // The serial stream is the same pieces with nothing between them.
    const QByteArray serial = ComposeBookLabel(in, kLayout, ChannelKind::Serial, m_glyphs);
    diff = test::CompareGolden(golden + ".com.zpl", serial);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    QCOMPARE(QByteArray(lpt).replace("\r\n", ""), serial);
}

void TestBookJob::composedBeforeAnythingIsSent_data() {
    QTest::addColumn<QString>("port");
    QTest::addColumn<SerialFraming>("framing");
    QTest::addColumn<ChannelKind>("kind");
    QTest::newRow("LPT1") << "LPT1" << SerialFraming::None8 << ChannelKind::Parallel;
    QTest::newRow("COM1, 7E1") << "COM1" << SerialFraming::Even7 << ChannelKind::Serial;
}

// The steps end with the settings files written and the whole job composed for its channel; the
// send's result then decides the outcome.
void TestBookJob::composedBeforeAnythingIsSent() {
    QFETCH(QString, port);
    QFETCH(SerialFraming, framing);
    QFETCH(ChannelKind, kind);
    BookLabelInputs in = workedExample();
    in.portText = port;
    in.framing = framing;
    BookLabelJob job(in, JobEnvironment{m_app->path(), &m_glyphs});
    BookLabelOutcome out = job.compose();
    QCOMPARE(out.status, JobStatus::Composed);
    QCOMPARE(out.order.kind, kind);
    QCOMPARE(out.order.framing, framing);
    QCOMPARE(out.order.stream, ComposeBookLabel(in, kLayout, kind, m_glyphs));
    QCOMPARE(m_app->readBytes("OH.ini"),
             port.toLatin1() + (framing == SerialFraming::Even7 ? "\r\n1\r\n" : "\r\n2\r\n"));
    QCOMPARE(out.layoutLines.value(), kLayout);
    QVERIFY(!QFile::exists(m_lpt));

    BookLabelOutcome failed = out;
    SendEnded(failed, SendResult::failed(QStringLiteral("LPT1: 보낼 수 없습니다")));
    QCOMPARE(failed.status, JobStatus::Failed);
    QCOMPARE(failed.failure, QStringLiteral("LPT1: 보낼 수 없습니다"));
    QVERIFY(failed.order.stream.isEmpty());
    SendEnded(out, SendResult::delivered(out.order.stream.size()));
    QCOMPARE(out.status, JobStatus::Printed);
    QCOMPARE(out.originX.value(), QStringLiteral("20"));
}

void TestBookJob::workedExampleRows() {
    QCOMPARE(run(workedExample()).status, JobStatus::Printed);
    const QList<QByteArray> rows = test::ReadFileBytes(m_lpt).split('\n');
    QCOMPARE(rows.size(), 7); // six rows and the empty rest after the last CR LF
    QCOMPARE(rows[0], QByteArray("^XA^PR3^LH20,10\r"));
    QCOMPARE(rows[1], QByteArray("^FO40,33^A0,35,35^FDA ^FS\r"));
    QCOMPARE(rows[2], QByteArray("^FO58,33^A0,35,35^FD1 ^FS\r"));
    QCOMPARE(rows[3], QByteArray("^FO40,65^A0N,28,28^FD00012^SFddddd,1^FS\r"));
    QCOMPARE(rows[4], QByteArray("^FO40,100^BY2^BCN,60,Y,N,N^FD00012^SFddddd,1^FS\r"));
    QCOMPARE(rows[5], QByteArray("^PQ3^XZ\r"));
    QCOMPARE(rows[6], QByteArray());

    BookLabelInputs descending = workedExample();
    descending.ascending = false;
    descending.firstSerial = "7";
    QCOMPARE(run(descending).status, JobStatus::Printed);
    QVERIFY(test::ReadFileBytes(m_lpt).contains("^BCN,60,Y,N,N^FD7^SF^FS\r\n^PQ3^XZ\r\n"));
}

void TestBookJob::serialMask_data() {
    QTest::addColumn<int>("length");
    for (int n = 0; n <= 14; ++n)
        QTest::addRow("length %d", n) << n;
}

void TestBookJob::serialMask() {
    QFETCH(int, length);
    const QString number(length, u'9');
    const QString ds = (length >= 2 && length <= 13) ? QString(length, u'd') : QString();
    QCOMPARE(SerialMask(number, true), ds.isEmpty() ? QString() : ds + ",1");
    QCOMPARE(SerialMask(number, false), ds.isEmpty() ? QString() : ds + ",-1");
    // Without a digit there is nothing to count.
    QCOMPARE(SerialMask(QString(length, u'x'), true), QString());
    BookLabelInputs in = workedExample();
    in.firstSerial = number;
    in.ascending = length % 2 == 0;
    const QByteArray stream = ComposeBookLabel(in, kLayout, ChannelKind::Serial, m_glyphs);
    const QByteArray field =
        "^FD" + number.toLatin1() + "^SF" + SerialMask(number, in.ascending).toLatin1() + "^FS";
    QCOMPARE(stream.count(field), 2);
}

void TestBookJob::serialMaskKeepsOtherCharacters_data() {
    QTest::addColumn<QString>("serial");
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<QString>("mask");
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
    QTest::newRow("one digit") << "7" << true << "";
    QTest::newRow("fourteen characters") << "EM000001234567" << true << "";
}

// Only ASCII digits count; every byte of any other character is kept with "%", and the
// increment ends with as many "%" as the mask has after its last "d".
void TestBookJob::serialMaskKeepsOtherCharacters() {
    QFETCH(QString, serial);
    QFETCH(bool, ascending);
    QFETCH(QString, mask);
    QCOMPARE(SerialMask(serial, ascending), mask);
}

void TestBookJob::previewCountsSerials_data() {
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
void TestBookJob::previewCountsSerials() {
    QFETCH(QString, serial);
    QFETCH(bool, ascending);
    QFETCH(QString, counting);
    BookLabelInputs in = workedExample();
    in.firstSerial = serial;
    in.ascending = ascending;
    const PreviewResult result = RenderZpl(ComposeBookLabel(in, kLayout, ChannelKind::Serial, m_glyphs));
    QCOMPARE(result.labelCount, 3);
    QCOMPARE(result.serials.size(), 2);
    for (const QString& line : result.serials)
        QVERIFY2(line.endsWith(": " + counting), qPrintable(line));
}

void TestBookJob::stepsAndSideEffects() {
    m_app->writeLines("OH.ini", {"COM1", "1"});
    m_app->writeBytes("DPOS.ini", "40\r\n30\r\n^PR3\r\n^FO1,1\r\n^FO2,2\r\nsixth line\r\n");
    BookLabelInputs in = workedExample();
    in.framing = SerialFraming::None8;
    in.originX = "12a";
    in.originY = "";
    const BookLabelOutcome outcome = run(in);
    QCOMPARE(outcome.status, JobStatus::Printed);
    QCOMPARE(m_app->readBytes("OH.ini"), QByteArray("LPT1\r\n2\r\n"));
    QCOMPARE(m_app->readBytes("position.ini"), QByteArray("12a\r\n\r\n"));
    QCOMPARE(outcome.originX.value(), QStringLiteral("12a"));
    QCOMPARE(outcome.originY.value(), QString());
    QCOMPARE(outcome.layoutLines.value(), (QStringList{"40", "30", "^PR3", "^FO1,1", "^FO2,2"}));
    QVERIFY(test::ReadFileBytes(m_lpt).startsWith("^XA^PR3^LH12a,\r\n"));
}

void TestBookJob::quantity_data() {
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
void TestBookJob::quantity() {
    QFETCH(QString, quantity);
    QFETCH(bool, printed);
    BookLabelInputs in = workedExample();
    in.quantity = quantity;
    in.originX = "7";
    in.framing = SerialFraming::Even7;
    const BookLabelOutcome outcome = run(in);
    QCOMPARE(m_app->readBytes("OH.ini"), QByteArray("LPT1\r\n1\r\n"));
    QCOMPARE(m_app->readBytes("position.ini"), QByteArray("7\r\n10\r\n"));
    QCOMPARE(outcome.layoutLines.value(), kLayout);
    if (printed) {
        QCOMPARE(outcome.status, JobStatus::Printed);
        QVERIFY(test::ReadFileBytes(m_lpt).endsWith("^PQ" + quantity.toLatin1() + "^XZ\r\n"));
    } else {
        QCOMPARE(outcome.status, JobStatus::QuantityMissing);
        QVERIFY(!QFile::exists(m_lpt));
    }
}

void TestBookJob::serialChannel() {
    test::PtyCapture pty;
    QVERIFY(!pty.slavePath().isEmpty());
    qputenv("HANLABEL_COM1", pty.slavePath().toLocal8Bit());
    BookLabelInputs in = workedExample();
    in.portText = "COM1";
    in.labelText = "한글 A";
    qint64 lastSent = 0, lastTotal = -1;
    BookLabelJob job(in, JobEnvironment{m_app->path(), &m_glyphs});
    const BookLabelOutcome outcome = test::RunLabelJob(job, [&](qint64 sent, qint64 total) {
        lastSent = sent;
        lastTotal = total;
    });
    QVERIFY2(outcome.status == JobStatus::Printed, qPrintable(outcome.failure));
    const QByteArray expected = ComposeBookLabel(in, kLayout, ChannelKind::Serial, m_glyphs);
    QCOMPARE(pty.waitFor(expected.size()), expected);
    QVERIFY(!expected.contains('\r'));
    QCOMPARE(lastSent, lastTotal);
    QCOMPARE(lastTotal, expected.size());
    QVERIFY(!QFile::exists(m_lpt));
}

void TestBookJob::portTextChoosesChannel_data() {
    QTest::addColumn<QString>("port");
    QTest::newRow("lpt1") << "lpt1";
    QTest::newRow("COM2") << "COM2";
    QTest::newRow("empty") << "";
}

// Anything but the exact "LPT1" goes to serial port 1 (here a device that does not exist).
void TestBookJob::portTextChoosesChannel() {
    QFETCH(QString, port);
    BookLabelInputs in = workedExample();
    in.portText = port;
    const BookLabelOutcome outcome = run(in);
    QCOMPARE(outcome.status, JobStatus::Failed);
    QVERIFY2(outcome.failure.contains("COM1"), qPrintable(outcome.failure));
    QVERIFY(!QFile::exists(m_lpt));
    QCOMPARE(m_app->readBytes("OH.ini"), port.toLatin1() + "\r\n2\r\n");
}

void TestBookJob::failuresSendNothing_data() {
    QTest::addColumn<QStringList>("layout");
    QTest::addColumn<QString>("labelText");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("four layout lines") << kLayout.mid(0, 4) << "A"
                                       << "DPOS.ini";
    QTest::newRow("x overflows") << QStringList{"40000", "30", "", "", ""} << "A"
                                 << "overflow";
    QTest::newRow("x grows past 32767") << QStringList{"32700", "30", "", "", ""} << "ABCDE"
                                        << "overflow";
    QTest::newRow("no font has it") << kLayout << QString(QChar(0xE000)) << "U+E000";
}

void TestBookJob::failuresSendNothing() {
    QFETCH(QStringList, layout);
    QFETCH(QString, labelText);
    QFETCH(QString, mentions);
    m_app->writeLines("DPOS.ini", layout);
    BookLabelInputs in = workedExample();
    in.labelText = labelText;
    in.originX = "5";
    const BookLabelOutcome outcome = run(in);
    QCOMPARE(outcome.status, JobStatus::Failed);
    QVERIFY2(outcome.failure.contains(mentions), qPrintable(outcome.failure));
    QVERIFY(!QFile::exists(m_lpt));
    // The files written before the failure stay written.
    QCOMPARE(m_app->readBytes("position.ini"), QByteArray("5\r\n10\r\n"));
    QCOMPARE(m_app->readBytes("OH.ini"), QByteArray("LPT1\r\n2\r\n"));
}

void TestBookJob::originWithCommandPrefix_data() {
    test::OriginRejectionRows(QStringLiteral("좌측위치(Text3)"), QStringLiteral("상하위치(Text4)"));
}

// A "^" or "~" in an origin box would start a printer command inside "^LH": the job stops
// before sending with a message naming the box, after rewriting the settings files.
void TestBookJob::originWithCommandPrefix() {
    QFETCH(QString, x);
    QFETCH(QString, y);
    BookLabelInputs in = workedExample();
    in.originX = x;
    in.originY = y;
    in.originBoxes = {QStringLiteral("좌측위치(Text3)"), QStringLiteral("상하위치(Text4)")};
    const BookLabelOutcome outcome = run(in);
    test::VerifyOriginRejected(outcome, *m_app, m_lpt, "OH.ini", "position.ini", kLayout);
}

void TestBookJob::glyphDatabaseFailures() {
    GlyphSource missing;
    missing.bind(m_out.filePath("nowhere.mdb"));
    BookLabelInputs in = workedExample();
    in.labelText = "가";
    BookLabelOutcome outcome = run(in, &missing);
    QCOMPARE(outcome.status, JobStatus::Failed);
    QVERIFY2(outcome.failure.contains("nowhere.mdb"), qPrintable(outcome.failure));
    QVERIFY(!QFile::exists(m_lpt));
    // All-ASCII text still prints without the database.
    in.labelText = "A1";
    outcome = run(in, &missing);
    QCOMPARE(outcome.status, JobStatus::Printed);
    QVERIFY(test::ReadFileBytes(m_lpt).contains("^FDA ^FS"));

    // A syllable the database lacks is drawn from a font, never printed from a stray record.
    in.labelText = "똠";
    QCOMPARE(run(in).status, JobStatus::Printed);
    const QByteArray lpt = test::ReadFileBytes(m_lpt);
    const Glyph drawn = m_glyphs.lookup(U'똠');
    QVERIFY(drawn.fromFont);
    QVERIFY(lpt.contains("~DG" + drawn.name.toLatin1() + ",140,4," + drawn.data + "\r\n^FO40,30^XG" +
                         drawn.name.toLatin1() + ".GRF,1,1^FS\r\n"));
}

void TestBookJob::typedCaretIsPrintedNotExecuted() {
    BookLabelInputs in = workedExample();
    in.firstSerial = "1^XZ~JA_";
    const QByteArray stream = ComposeBookLabel(in, kLayout, ChannelKind::Serial, m_glyphs);
    QCOMPARE(stream.count("^FH^FD1_5EXZ_7EJA_5F^SFd%%%%%%%,1%%%%%%%^FS"), 2);
    QCOMPARE(stream.count("^XZ"), 1);
}

QTEST_MAIN(TestBookJob)
#include "tst_bookjob.moc"
