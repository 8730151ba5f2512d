#include "glyphs/GlyphSource.h"
#include "jobs/BookLabelJob.h"

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
    void workedExampleRows();
    void serialMask_data();
    void serialMask();
    void stepsAndSideEffects();
    void emptyQuantitySendsNothing();
    void serialChannel();
    void portTextChoosesChannel_data();
    void portTextChoosesChannel();
    void failuresSendNothing_data();
    void failuresSendNothing();
    void glyphDatabaseFailures();
    void typedCaretIsPrintedNotExecuted();

  private:
    BookLabelOutcome run(const BookLabelInputs& in);
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

BookLabelOutcome TestBookJob::run(const BookLabelInputs& in) {
    return BookLabelJob(in, JobEnvironment{m_app->path(), &m_glyphs, {}}).Command1_Click();
}

void TestBookJob::goldenStreams_data() {
    QTest::addColumn<QString>("labelText");
    QTest::addColumn<QString>("golden");
    QTest::newRow("ascii") << "A1"
                           << "book-example";
    QTest::newRow("hangul") << "한국도서관"
                            << "book-hangul";
    QTest::newRow("thirteen syllables") << "대한민국국립중앙도서관본관"
                                        << "book-13-syllables";
}

void TestBookJob::goldenStreams() {
    QFETCH(QString, labelText);
    QFETCH(QString, golden);
    BookLabelInputs in = workedExample();
    in.labelText = labelText;
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
    // Letters count as characters too.
    QCOMPARE(SerialMask(QString(length, u'x'), true), SerialMask(number, true));
    BookLabelInputs in = workedExample();
    in.firstSerial = number;
    in.ascending = length % 2 == 0;
    const QByteArray stream = ComposeBookLabel(in, kLayout, ChannelKind::Serial, m_glyphs);
    const QByteArray field =
        "^FD" + number.toLatin1() + "^SF" + SerialMask(number, in.ascending).toLatin1() + "^FS";
    QCOMPARE(stream.count(field), 2);
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

void TestBookJob::emptyQuantitySendsNothing() {
    BookLabelInputs in = workedExample();
    in.quantity = "";
    in.originX = "7";
    in.framing = SerialFraming::Even7;
    const BookLabelOutcome outcome = run(in);
    QCOMPARE(outcome.status, JobStatus::QuantityMissing);
    QVERIFY(!QFile::exists(m_lpt));
    QCOMPARE(m_app->readBytes("OH.ini"), QByteArray("LPT1\r\n1\r\n"));
    QCOMPARE(m_app->readBytes("position.ini"), QByteArray("7\r\n10\r\n"));
    QCOMPARE(outcome.layoutLines.value(), kLayout);

    // A blank is a quantity.
    in.quantity = " ";
    QCOMPARE(run(in).status, JobStatus::Printed);
    QVERIFY(test::ReadFileBytes(m_lpt).endsWith("^PQ ^XZ\r\n"));
}

void TestBookJob::serialChannel() {
    test::PtyCapture pty;
    QVERIFY(!pty.slavePath().isEmpty());
    qputenv("HANLABEL_COM1", pty.slavePath().toLocal8Bit());
    BookLabelInputs in = workedExample();
    in.portText = "COM1";
    in.labelText = "한글 A";
    qint64 lastSent = 0, lastTotal = -1;
    const BookLabelOutcome outcome = BookLabelJob(in, JobEnvironment{m_app->path(), &m_glyphs,
                                                                     [&](qint64 sent, qint64 total) {
                                                                         lastSent = sent;
                                                                         lastTotal = total;
                                                                     }})
                                         .Command1_Click();
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

void TestBookJob::glyphDatabaseFailures() {
    GlyphSource missing;
    missing.bind(m_out.filePath("nowhere.mdb"));
    BookLabelInputs in = workedExample();
    in.labelText = "가";
    BookLabelOutcome outcome = BookLabelJob(in, JobEnvironment{m_app->path(), &missing, {}}).Command1_Click();
    QCOMPARE(outcome.status, JobStatus::Failed);
    QVERIFY2(outcome.failure.contains("nowhere.mdb"), qPrintable(outcome.failure));
    QVERIFY(!QFile::exists(m_lpt));
    // All-ASCII text still prints without the database.
    in.labelText = "A1";
    outcome = BookLabelJob(in, JobEnvironment{m_app->path(), &missing, {}}).Command1_Click();
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
    QCOMPARE(stream.count("^FH^FD1_5EXZ_7EJA_5F^SFdddddddd,1^FS"), 2);
    QCOMPARE(stream.count("^XZ"), 1);
}

QTEST_MAIN(TestBookJob)
#include "tst_bookjob.moc"
