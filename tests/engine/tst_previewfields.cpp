#include "core/Cp949.h"
#include "preview/ZplRenderer.h"

#include "PictureTesting.h"

#include <QTemporaryDir>
#include <QTest>

using namespace hanlabel;
using test::InkBox;

namespace {

// A field on a 600 x 400 dot label.
QByteArray Field(const QByteArray& field) { return "^XA^PW600^LL400" + field + "^XZ"; }

// How much of an ink box the guide fixes.
enum Check {
    Exact, // left, top, width and height within a dot: bars, graphics, boxes
    Text,  // top and height within a dot, left within the stand-in face's side bearing (4 dots)
    Line,  // top and height within a dot: an interpretation line, centred under the bars
};

// The ink box and the figure side by side, or "" when they agree as far as the check goes.
QString Disagreement(const QRect& ink, const QRect& figure, Check check) {
    bool close = qAbs(ink.top() - figure.top()) <= 1 && qAbs(ink.height() - figure.height()) <= 1;
    if (check == Exact)
        close = close && qAbs(ink.left() - figure.left()) <= 1 && qAbs(ink.width() - figure.width()) <= 1;
    if (check == Text)
        close = close && ink.left() >= figure.left() - 1 && ink.left() <= figure.left() + 4;
    if (close)
        return {};
    return QStringLiteral("ink %1, figure %2").arg(test::Describe(ink), test::Describe(figure));
}

} // namespace

// Where the preview puts fields, against figures worked out by hand from the ZPL II guide at
// 8 dots/mm: scalable font 0 has its baseline 3/4 down its cell and capitals and digits reach the
// cell's top; a Code 128 character is 11 modules, the stop 13; "^FT" places a text's baseline, a
// barcode's base, a graphic's and a box's bottom left at the origin.
class TestPreviewFields : public QObject {
    Q_OBJECT
  private slots:
    void inkBoxes_data();
    void inkBoxes();
    void barcodesRead_data();
    void barcodesRead();
    void captionWarnings_data();
    void captionWarnings();
    void captionSaysWhatComesOut_data();
    void captionSaysWhatComesOut();

  private:
    QTemporaryDir m_dir;
};

void TestPreviewFields::inkBoxes_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QRect>("area"); // where to look for the ink
    QTest::addColumn<QRect>("figure");
    QTest::addColumn<int>("check");
    const QRect all(0, 0, 600, 400);
    // Baseline at 230: the 30-dot cell starts 22.5 above it, the digits fill it down to the baseline.
    QTest::newRow("^FT text") << Field("^FT100,230^A0N,30,30^FDHHHHH^FS") << all << QRect(100, 208, 0, 22) << int(Text);
    QTest::newRow("^FO text") << Field("^FO100,100^A0N,30,30^FDHHHHH^FS") << all << QRect(100, 100, 0, 22)
                              << int(Text);
    // Start B, five characters, check: 7 x 11 + 13 = 90 modules of 2 dots; base at 300, 60 high.
    QTest::newRow("^FT barcode bars") << Field("^FT100,300^BY2^BCN,60,Y,N,N^FD12345^FS") << QRect(0, 0, 600, 300)
                                      << QRect(100, 240, 180, 60) << int(Exact);
    QTest::newRow("^FT barcode: line under the base") << Field("^FT100,300^BY2^BCN,60,Y,N,N^FD12345^FS")
                                                      << QRect(0, 300, 600, 100) << QRect(0, 302, 0, 13) << int(Line);
    QTest::newRow("^FO barcode") << Field("^FO100,100^BY2^BCN,60,N,N,N^FD12345^FS") << all
                                 << QRect(100, 100, 180, 60) << int(Exact);
    // ^A0N,40,40 before ^BC: the line's digits are 30 dots (3/4 of 40), from 2 dots under the bars.
    QTest::newRow("font before ^BC: bars") << Field("^FO100,100^A0N,40,40^BY2^BCN,60,Y,N,N^FD12345^FS")
                                           << QRect(0, 0, 600, 160) << QRect(100, 100, 180, 60) << int(Exact);
    QTest::newRow("font before ^BC: line") << Field("^FO100,100^A0N,40,40^BY2^BCN,60,Y,N,N^FD12345^FS")
                                           << QRect(0, 160, 600, 240) << QRect(0, 162, 0, 30) << int(Line);
    // UCC check digit: 12345 and its modulo 10 digit 7, 8 x 11 + 13 = 101 modules.
    QTest::newRow("UCC check digit") << Field("^FO100,100^BY2^BCN,60,N,N,Y^FD12345^FS") << all
                                     << QRect(100, 100, 202, 60) << int(Exact);
    // A 32 x 3 graphic and a 50 x 40 box with their bottom left at 100,200.
    QTest::newRow("^FT graphic") << QByteArray("~DGABCD,12,4,FFFFFFFF00000000FFFFFFFF^XA^PW600^LL400"
                                               "^FT100,200^XGABCD.GRF,1,1^FS^XZ")
                                 << all << QRect(100, 197, 32, 3) << int(Exact);
    QTest::newRow("^FT box") << Field("^FT100,200^GB50,40,40^FS") << all << QRect(100, 160, 50, 40) << int(Exact);
}

void TestPreviewFields::inkBoxes() {
    QFETCH(QByteArray, stream);
    QFETCH(QRect, area);
    QFETCH(QRect, figure);
    QFETCH(int, check);
    const QRect ink = InkBox(RenderZpl(stream).label, area);
    QVERIFY2(!ink.isEmpty(), "no ink");
    const QString disagreement = Disagreement(ink, figure, Check(check));
    QVERIFY2(disagreement.isEmpty(), qPrintable(disagreement));
}

void TestPreviewFields::barcodesRead_data() {
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("^FT") << QByteArray("^FT100,300^BY2^BCN,60,Y,N,N^FD12345^FS") << QStringList{"CODE-128:12345"};
    QTest::newRow("font before ^BC") << QByteArray("^FO100,100^A0N,40,40^BY2^BCN,60,Y,N,N^FD12345^FS")
                                     << QStringList{"CODE-128:12345"};
    QTest::newRow("UCC check digit 7") << QByteArray("^FO100,100^BY2^BCN,60,Y,N,Y^FD12345^FS")
                                       << QStringList{"CODE-128:123457"};
    // 2004010123 from the right: 3 x (3+1+1+4+0) + (2+0+0+0+2) = 27 + 4 = 31, so 9.
    QTest::newRow("UCC check digit 9") << QByteArray("^FO40,100^BY2^BCN,60,Y,N,Y^FD2004010123^FS")
                                       << QStringList{"CODE-128:20040101239"};
}

void TestPreviewFields::barcodesRead() {
    QFETCH(QByteArray, field);
    QFETCH(QStringList, expected);
    const PreviewResult result = RenderZpl(Field(field));
    const QString file = m_dir.filePath(QStringLiteral("%1.png").arg(QTest::currentDataTag()).remove(u' '));
    QCOMPARE(test::DecodeBarcodes(result.label, file), expected);
}

void TestPreviewFields::captionWarnings_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QString>("line"); // a caption line, or "" for none of the two below
    const QString hangul = QStringLiteral("주의: 이 글자는 프린터 글꼴로 한글이 인쇄되지 않습니다: 가");
    QTest::newRow("Hangul serial under font 0")
        << (QByteArray("^XA^PW480^LL240^FO24,64^A0N,30,30^FD") + EncodeCp949(QStringLiteral("12가3")) +
            "^SFdd%%d,1^FS^PQ1^XZ")
        << hangul;
    QTest::newRow("escaped bytes") << QByteArray("^XA^FO24,64^A0N,30,30^FH^FD12_B0_A13^FS^XZ") << hangul;
    QTest::newRow("ASCII serial") << QByteArray("^XA^FO24,64^A0N,30,30^FD00012^SFddddd,1^FS^XZ") << QString();
    QTest::newRow("another character set")
        << QByteArray("^XA^CI28^FO24,64^A0N,30,30^FD12\xEA\xB0\x80" "3^FS^XZ")
        << QStringLiteral("주의: 문자 집합을 바꾼 라벨(^CI)의 영문·숫자 밖의 글자는 기본 코드 페이지로 그렸습니다: 인쇄와 다를 수 있습니다.");
    const QString stars = QStringLiteral("주의: 별표(*)로 가린 번호가 바코드의 해석 줄에 그대로 인쇄됩니다: 2004010123");
    QTest::newRow("star mask with the line printed")
        << QByteArray("^XA^FO260,170^BY2^BCN,80,Y,N,N^FD2004010123^FS^FO260,300^A0N,30,30^FD200401-****^FS^XZ")
        << stars;
    QTest::newRow("line above") << QByteArray("^XA^FO260,170^BY2^BCN,80,Y,Y,N^FD2004010123^FS"
                                              "^FO260,300^A0N,30,30^FD200401-****^FS^XZ")
                                << stars;
    QTest::newRow("right-justified origin")
        << QByteArray("^XA^FO300,64,1^A0N,30,30^FD12^FS^XZ")
        << QStringLiteral("주의: 오른쪽 맞춤이나 자동 맞춤으로 정한 필드는 왼쪽 맞춤으로 그렸습니다.");
    QTest::newRow("star mask, no line") << QByteArray("^XA^FO260,170^BY2^BCN,80,N,N,N^FD2004010123^FS"
                                                      "^FO260,300^A0N,30,30^FD200401-****^FS^XZ")
                                        << QString();
    QTest::newRow("unmasked number") << QByteArray("^XA^FO260,170^BY2^BCN,80,Y,N,N^FD2004010123^FS"
                                                   "^FO260,300^A0N,30,30^FD200401-0123^FS^XZ")
                                     << QString();
}

void TestPreviewFields::captionWarnings() {
    QFETCH(QByteArray, stream);
    QFETCH(QString, line);
    const QStringList caption = RenderZpl(stream).captionLines();
    if (line.isEmpty()) {
        for (const QString& l : caption)
            QVERIFY2(!l.contains(QStringLiteral("한글이 인쇄되지")) && !l.contains(QStringLiteral("별표")),
                     qPrintable(l));
    } else {
        QVERIFY2(caption.contains(line), qPrintable(caption.join(u'\n')));
    }
}

void TestPreviewFields::captionSaysWhatComesOut_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QStringList>("caption");
    QTest::newRow("book labels")
        << QByteArray("^XA^PR3^PW480^LL240^LH24,20^FO24,64^A0N,30,30^FD00012^SFddddd,1^FS"
                      "^FO24,110^BY2^BCN,70,Y,N,N^FD00012^SFddddd,1^FS^PQ3^XZ")
        << QStringList{QStringLiteral("라벨 3장, 일련번호 00012 → 00013 → 00014"), QStringLiteral("크기 60.0 × 30.0 mm"),
                       QStringLiteral("그림에 나타나지 않는 설정: 인쇄 속도")};
    QTest::newRow("one label, commands not drawn")
        << QByteArray("^XA^PW400^LL200^FO10,10^BQN,2,4^FDQA,x^FS^XZ")
        << QStringList{QStringLiteral("라벨 1장"), QStringLiteral("크기 50.0 × 25.0 mm"),
                       QStringLiteral("주의: 그리지 못한 명령이 1개 있습니다: 인쇄된 라벨이 그림과 다를 수 있습니다 (자세히)")};
}

void TestPreviewFields::captionSaysWhatComesOut() {
    QFETCH(QByteArray, stream);
    QFETCH(QStringList, caption);
    const PreviewResult result = RenderZpl(stream);
    QCOMPARE(result.captionLines(), caption);
    // Behind "자세히", the commands in ZPL terms.
    const QString details = result.detailLines().join(u'\n');
    QVERIFY2(details.contains(result.notDrawn.value(0)), qPrintable(details));
}

QTEST_MAIN(TestPreviewFields)
#include "tst_previewfields.moc"
