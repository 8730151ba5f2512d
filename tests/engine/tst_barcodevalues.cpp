#include "glyphs/GlyphSource.h"
#include "jobs/BookLabelJob.h"
#include "jobs/MemberCardJob.h"
#include "lists/ListCompose.h"
#include "lists/ListJob.h"
#include "preview/FieldReading.h"

#include "LabelJobRunner.h"
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace hanlabel;
using hanlabel::test::AppFolderFixture;

namespace {

const QString kSerialGt = QStringLiteral("일련번호(Text2)에 > 를 쓸 수 없습니다: 바코드가 다른 값으로 인쇄됩니다");

} // namespace

// A value the printer would not print as typed in a barcode: a ">" in a "^BC" field (a Code 128
// invocation in mode N) and, in a member number, a character a barcode cannot carry.
class TestBarcodeValues : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void layoutBarcode_data();
    void layoutBarcode();
    void refusal_data();
    void refusal();
    void bookJob_data();
    void bookJob();
    void memberJob_data();
    void memberJob();
    void listRows();

  private:
    GlyphSource m_glyphs;
    QTemporaryDir m_out;
    std::unique_ptr<AppFolderFixture> m_app;
    QString m_lpt;
};

void TestBarcodeValues::initTestCase() {
    m_glyphs.bind(test::SampleDatabasePath());
    QVERIFY(m_glyphs.isOpen());
}

void TestBarcodeValues::init() {
    m_app = std::make_unique<AppFolderFixture>();
    m_lpt = m_out.filePath(QStringLiteral("lpt1-%1.zpl").arg(QTest::currentDataTag()).remove(u' '));
    QFile::remove(m_lpt);
    qputenv("HANLABEL_LPT1", m_lpt.toLocal8Bit());
}

void TestBarcodeValues::layoutBarcode_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("printsLine");
    QTest::newRow("sample book line") << "^FO24,110^BY2^BCN,70,Y,N,N" << int(LayoutBarcode::Code128) << true;
    QTest::newRow("no line") << "^FO260,170^BY2^BCN,80,N,N,N" << int(LayoutBarcode::Code128) << false;
    QTest::newRow("line by default") << "^FO260,170^BCN,80" << int(LayoutBarcode::Code128) << true;
    QTest::newRow("code 39, line") << "^FO10,10^B3N,N,80,Y,N" << int(LayoutBarcode::Code39) << true;
    QTest::newRow("code 39, no line") << "^FO10,10^B3N,N,80,N,N" << int(LayoutBarcode::Code39) << false;
    QTest::newRow("lower case") << "^fo10,10^bcn,80,n" << int(LayoutBarcode::Code128) << false;
    QTest::newRow("text") << "^FO260,300^A0N,30,30" << int(LayoutBarcode::None) << false;
    QTest::newRow("other symbology") << "^FO10,10^B2N,80" << int(LayoutBarcode::None) << false;
}

void TestBarcodeValues::layoutBarcode() {
    QFETCH(QString, line);
    QFETCH(int, kind);
    QFETCH(bool, printsLine);
    const LayoutBarcodeInfo info = ReadLayoutBarcode(line);
    QCOMPARE(int(info.kind), kind);
    QCOMPARE(info.printsLine, printsLine);
}

void TestBarcodeValues::refusal_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("nonAsciiRefused");
    QTest::addColumn<QString>("message"); // "" when accepted
    const QString gt = QStringLiteral("회원번호(Text3)에 > 를 쓸 수 없습니다: 바코드가 다른 값으로 인쇄됩니다");
    const QString hangul =
        QStringLiteral("회원번호(Text3)에 한글 등 영문·숫자 밖의 글자를 쓸 수 없습니다: 바코드에 담을 수 없습니다");
    QTest::newRow("> in code 128") << "^FO1,1^BCN,80,Y,N,N" << "12>345" << false << gt;
    QTest::newRow("> at the end") << "^FO1,1^BCN,80" << "12345>" << false << gt;
    QTest::newRow("> in code 39") << "^FO1,1^B3N,N,80" << "12>345" << false << "";
    QTest::newRow("> in text") << "^FO1,1^A0N,30,30" << "12>345" << true << "";
    QTest::newRow("Hangul in code 128") << "^FO1,1^BCN,80" << QStringLiteral("12가3") << true << hangul;
    QTest::newRow("Hangul in code 39") << "^FO1,1^B3N,N,80" << QStringLiteral("12가3") << true << hangul;
    QTest::newRow("Hangul accepted") << "^FO1,1^BCN,80" << QStringLiteral("12가3") << false << "";
    QTest::newRow("Hangul in text") << "^FO1,1^A0N,30,30" << QStringLiteral("12가3") << true << "";
    QTest::newRow("plain digits") << "^FO1,1^BCN,80" << "2004010123" << true << "";
}

void TestBarcodeValues::refusal() {
    QFETCH(QString, line);
    QFETCH(QString, text);
    QFETCH(bool, nonAsciiRefused);
    QFETCH(QString, message);
    const auto refused = RefuseBarcodeValue({line}, {{QStringLiteral("회원번호(Text3)"), QStringLiteral("Text3"), text}},
                                            nonAsciiRefused ? NonAscii::Refused : NonAscii::Accepted);
    QCOMPARE(refused ? refused->message : QString(), message);
    if (refused)
        QCOMPARE(refused->box, QStringLiteral("Text3"));
}

void TestBarcodeValues::bookJob_data() {
    QTest::addColumn<QString>("barcodeLine"); // the layout's second serial line
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("message"); // "" when the job prints
    QTest::newRow("> under ^BC") << "^FO24,110^BY2^BCN,70,Y,N,N" << "12>345" << kSerialGt;
    QTest::newRow("> under ^B3") << "^FO24,110^BY2^B3N,N,70,Y,N" << "12>345" << "";
    QTest::newRow("> in text only") << "^FO24,110^A0N,30,30" << "12>345" << "";
    QTest::newRow("Hangul serial under ^BC, as always") << "^FO24,110^BY2^BCN,70,Y,N,N" << QStringLiteral("12가3")
                                                        << "";
}

// The book job stops before anything is sent, names the serial box and keeps the settings steps.
void TestBarcodeValues::bookJob() {
    QFETCH(QString, barcodeLine);
    QFETCH(QString, serial);
    QFETCH(QString, message);
    m_app->writeLines("DPOS.ini", {"24", "20", "^PR3^PW480^LL240", "^FO24,64^A0N,30,30", barcodeLine});
    BookLabelInputs in;
    in.portText = "LPT1";
    in.originX = "5";
    in.originY = "10";
    in.labelText = "A1";
    in.firstSerial = serial;
    in.quantity = "2";
    BookLabelJob job(in, JobEnvironment{m_app->path(), &m_glyphs});
    const BookLabelOutcome out = test::RunLabelJob(job);
    if (message.isEmpty()) {
        QCOMPARE(out.status, JobStatus::Printed);
        return;
    }
    QCOMPARE(out.status, JobStatus::FieldRejected);
    QCOMPARE(out.failure, message);
    QCOMPARE(out.rejectedBox, QStringLiteral("Text2"));
    QVERIFY(!QFile::exists(m_lpt));
    QCOMPARE(m_app->readBytes("position.ini"), QByteArray("5\r\n10\r\n"));
}

void TestBarcodeValues::memberJob_data() {
    QTest::addColumn<QString>("barcodeLine");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("box"); // "" when the card prints
    QTest::addColumn<QString>("message");
    QTest::newRow("> in the first part") << "^FO260,170^BY2^BCN,80,N,N,N" << "2004>1" << "0123" << "Text3"
                                         << QStringLiteral("회원번호(Text3)에 > 를 쓸 수 없습니다: 바코드가 다른 값으로 인쇄됩니다");
    QTest::newRow("> in the second part") << "^FO260,170^BY2^BCN,80,N,N,N" << "200401" << "01>3" << "Text4"
                                          << QStringLiteral("회원번호(Text4)에 > 를 쓸 수 없습니다: 바코드가 다른 값으로 인쇄됩니다");
    QTest::newRow("Hangul under ^B3") << "^FO260,170^BY2^B3N,N,80,N,N" << QStringLiteral("2004가1") << "0123"
                                      << "Text3"
                                      << QStringLiteral("회원번호(Text3)에 한글 등 영문·숫자 밖의 글자를 쓸 수 없습니다: "
                                                        "바코드에 담을 수 없습니다");
    QTest::newRow("> under ^B3") << "^FO260,170^BY2^B3N,N,80,N,N" << "2004>1" << "0123" << ""
                                 << "";
    QTest::newRow("plain number") << "^FO260,170^BY2^BCN,80,N,N,N" << "200401" << "0123" << ""
                                  << "";
}

void TestBarcodeValues::memberJob() {
    QFETCH(QString, barcodeLine);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, box);
    QFETCH(QString, message);
    m_app->writeLines("DPOS1.ini", {"^PR3^PW680^LL432", "260", "60", "260", "110", barcodeLine,
                                    "^FO260,300^A0N,30,30"});
    MemberCardInputs in;
    in.portText = "LPT1";
    in.originX = "0";
    in.originY = "0";
    in.affiliation = "A";
    in.name = "B";
    in.memberNumberFirst = first;
    in.memberNumberSecond = second;
    MemberCardJob job(in, JobEnvironment{m_app->path(), &m_glyphs});
    const MemberCardOutcome out = test::RunLabelJob(job);
    if (box.isEmpty()) {
        QCOMPARE(out.status, JobStatus::Printed);
        return;
    }
    QCOMPARE(out.status, JobStatus::FieldRejected);
    QCOMPARE(out.rejectedBox, box);
    QCOMPARE(out.failure, message);
    QVERIFY(!QFile::exists(m_lpt));
}

// In a list the row is an error row with the message; the other rows are composed.
void TestBarcodeValues::listRows() {
    m_app->writeLines("DPOS1.ini", {"^PR3^PW680^LL432", "260", "60", "260", "110", "^FO260,170^BY2^BCN,80,N,N,N",
                                    "^FO260,300^A0N,30,30"});
    MemberList list = ParseMemberList(QStringLiteral("소속,성명,회원번호\n가,나,2004010123\n가,다,2004>10123\n"
                                                     "가,라,20가4010123\n가,마,200401-0124\n")
                                          .toUtf8(),
                                      {});
    MemberCardInputs window;
    window.portText = "LPT1";
    window.originX = "0";
    window.originY = "0";
    const ListPrintOutcome out =
        PrepareListPrint(list, RowsToPrint(list, {}), window, JobEnvironment{m_app->path(), &m_glyphs, JobMode::ComposeOnly});
    QCOMPARE(out.status, JobStatus::Composed);
    QCOMPARE(out.composed.cards.size(), 2);
    QCOMPARE(out.composed.errors.size(), 2);
    QCOMPARE(out.composed.errors[0].line, 3);
    QCOMPARE(out.composed.errors[0].message,
             QStringLiteral("회원번호에 > 를 쓸 수 없습니다: 바코드가 다른 값으로 인쇄됩니다"));
    QCOMPARE(out.composed.errors[1].line, 4);
    QCOMPARE(out.composed.errors[1].message,
             QStringLiteral("회원번호에 한글 등 영문·숫자 밖의 글자를 쓸 수 없습니다: 바코드에 담을 수 없습니다"));
    MarkComposeErrors(list, out.composed);
    QCOMPARE(list.count(RowStatus::Error), 2);
}

QTEST_MAIN(TestBarcodeValues)
#include "tst_barcodevalues.moc"
