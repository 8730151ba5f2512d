#include "core/Cp949.h"
#include "preview/SerialNumbers.h"
#include "preview/ZplRenderer.h"

#include "PictureTesting.h"
#include "TestSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace hanlabel;
using test::InkBox;

namespace {

// One recalled glyph of a stream: its downloaded bitmap and where the recall puts it.
struct Recall {
    QByteArray name;
    QByteArray data; // 280 hex digits
    QPoint origin;   // ^FO of the recall
};

// The label home and every "~DG" + "^XG" pair of a job stream, one piece per line.
QList<Recall> Recalls(const QByteArray& stream, QPoint* home) {
    QList<Recall> recalls;
    QHash<QByteArray, QByteArray> downloads;
    static const QRegularExpression lh(QStringLiteral("\\^LH(-?\\d+),(-?\\d+)"));
    static const QRegularExpression xg(QStringLiteral("^\\^FO(-?\\d+),(-?\\d+)\\^XG(.{4})\\.GRF,1,1\\^FS$"));
    for (const QByteArray& piece : stream.split('\n')) {
        const QByteArray line = piece.endsWith('\r') ? piece.chopped(1) : piece;
        if (const auto m = lh.match(QString::fromLatin1(line)); m.hasMatch())
            *home = QPoint(m.captured(1).toInt(), m.captured(2).toInt());
        if (line.startsWith("~DG")) {
            downloads.insert(line.mid(3, 4), line.mid(line.lastIndexOf(',') + 1));
        } else if (const auto m = xg.match(QString::fromLatin1(line)); m.hasMatch()) {
            const QByteArray name = m.captured(3).toLatin1();
            recalls.append(
                {name, downloads.value(name), QPoint(m.captured(1).toInt(), m.captured(2).toInt())});
        }
    }
    return recalls;
}

// The first differing dot between a 32 x 35 bitmap and the picture at a place, or "".
QString CompareGlyph(const QImage& label, QPoint at, const QByteArray& hex) {
    if (hex.size() != 280)
        return QStringLiteral("bitmap of %1 hex digits").arg(hex.size());
    for (int row = 0; row < 35; ++row) {
        const uint bits = hex.mid(row * 8, 8).toUInt(nullptr, 16);
        for (int col = 0; col < 32; ++col) {
            const bool black = bits & (0x80000000u >> col);
            const QPoint p = at + QPoint(col, row);
            if (!label.rect().contains(p))
                return QStringLiteral("dot %1,%2 outside the picture").arg(p.x()).arg(p.y());
            const bool inked = qGray(label.pixel(p)) < 128;
            if (black != inked)
                return QStringLiteral("dot %1,%2 (row %3, column %4) is %5")
                    .arg(p.x())
                    .arg(p.y())
                    .arg(row)
                    .arg(col)
                    .arg(inked ? "black" : "white");
        }
    }
    return {};
}

} // namespace

// The virtual printer's picture of a ZPL II stream.
class TestRenderer : public QObject {
    Q_OBJECT
  private slots:
    void goldenStreams_data();
    void goldenStreams();
    void asciiFieldsLandAtTheirOrigin_data();
    void asciiFieldsLandAtTheirOrigin();
    void barcodesDecode_data();
    void barcodesDecode();
    void code128Widths_data();
    void code128Widths();
    void graphicDownloads_data();
    void graphicDownloads();
    void labelSizeAndCount_data();
    void labelSizeAndCount();
    void nothingIsDroppedSilently();
    void strayBytesStillRender();
    void serialValues_data();
    void serialValues();

  private:
    QTemporaryDir m_dir;
};

void TestRenderer::goldenStreams_data() {
    QTest::addColumn<QString>("golden");
    QTest::addColumn<int>("glyphs");
    QTest::addColumn<QStringList>("barcodes");
    QTest::newRow("book, ASCII") << "book-example" << 0 << QStringList{"CODE-128:00012"};
    QTest::newRow("book, Hangul") << "book-hangul" << 5 << QStringList{"CODE-128:00012"};
    QTest::newRow("book, 13 syllables") << "book-13-syllables" << 13 << QStringList{"CODE-128:00012"};
    QTest::newRow("member, ASCII") << "member-example" << 0 << QStringList{"CODE-128:2004010123"};
    QTest::newRow("member, Hangul") << "member-hangul" << 10 << QStringList{"CODE-128:2004010123"};
}

void TestRenderer::goldenStreams() {
    QFETCH(QString, golden);
    QFETCH(int, glyphs);
    QFETCH(QStringList, barcodes);
    const QString path = test::TestDataPath(QStringLiteral("golden/%1.lpt.zpl").arg(golden));
    QVERIFY2(QFile::exists(path), qPrintable(path));
    const QByteArray stream = test::ReadFileBytes(path);
    const PreviewResult result = RenderZpl(stream);
    QVERIFY2(result.warnings.isEmpty(), qPrintable(result.warnings.join('\n')));

    QPoint home;
    const QList<Recall> recalls = Recalls(stream, &home);
    QCOMPARE(recalls.size(), glyphs);
    for (const Recall& r : recalls) {
        const QString diff = CompareGlyph(result.label, home + r.origin, r.data);
        QVERIFY2(diff.isEmpty(), qPrintable(QString::fromLatin1(r.name) + ": " + diff));
    }
    // Each ASCII character's field: its capital starts at the field's top, near its left edge.
    static const QRegularExpression ascii(
        QStringLiteral("\\^FO(-?\\d+),(-?\\d+)\\^A0,35,35\\^FD([A-Z0-9]) \\^FS"));
    int asciiFields = 0;
    for (auto it = ascii.globalMatch(QString::fromLatin1(stream)); it.hasNext();) {
        const auto m = it.next();
        const QPoint at = home + QPoint(m.captured(1).toInt(), m.captured(2).toInt());
        const QRect ink = InkBox(result.label, QRect(at, QSize(18, 35)));
        QVERIFY2(qAbs(ink.top() - at.y()) <= 1 && ink.left() >= at.x() && ink.left() <= at.x() + 6,
                 qPrintable(QStringLiteral("%1 at %2,%3: ink from %4,%5")
                                .arg(m.captured(3))
                                .arg(at.x())
                                .arg(at.y())
                                .arg(ink.left())
                                .arg(ink.top())));
        ++asciiFields;
    }
    QCOMPARE(asciiFields, glyphs == 0 ? (golden.startsWith("book") ? 2 : 4) : 0);
    QCOMPARE(test::DecodeBarcodes(result.label, m_dir.filePath(golden + ".png")), barcodes);
}

void TestRenderer::asciiFieldsLandAtTheirOrigin_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QPoint>("origin");
    QTest::addColumn<int>("capHeight");
    QTest::newRow("A at 40,33 home 20,10")
        << QByteArray("^XA^LH20,10\r\n^FO40,33^A0,35,35^FDA ^FS\r\n^XZ\r\n") << QPoint(60, 43) << 26;
    QTest::newRow("H at 100,53 home 0,0")
        << QByteArray("^XA^LH0,0^FO100,53^A0,35,35^FDH ^FS^XZ") << QPoint(100, 53) << 26;
    QTest::newRow("E, font N 28, home 5,7")
        << QByteArray("^XA^LH5,7^FO40,65^A0N,28,28^FDE^FS^XZ") << QPoint(45, 72) << 21;
    QTest::newRow("negative home") << QByteArray("^XA^LH-5,-3^FO50,50^A0,35,35^FDT ^FS^XZ") << QPoint(45, 47)
                                   << 26;
}

void TestRenderer::asciiFieldsLandAtTheirOrigin() {
    QFETCH(QByteArray, stream);
    QFETCH(QPoint, origin);
    QFETCH(int, capHeight);
    const PreviewResult result = RenderZpl(stream);
    const QRect ink = InkBox(result.label, result.label.rect());
    QVERIFY(!ink.isEmpty());
    // Capitals start at the field's top and within a few dots of its left edge (the side bearing).
    QVERIFY2(qAbs(ink.top() - origin.y()) <= 1, qPrintable(QString::number(ink.top())));
    QVERIFY2(ink.left() >= origin.x() && ink.left() <= origin.x() + 4,
             qPrintable(QString::number(ink.left())));
    QVERIFY2(qAbs(ink.height() - capHeight) <= 1, qPrintable(QString::number(ink.height())));
}

void TestRenderer::barcodesDecode_data() {
    QTest::addColumn<QByteArray>("fields");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("code 128 with line")
        << QByteArray("^FO40,40^BY2^BCN,60,Y,N,N^FD2004010123^FS") << QStringList{"CODE-128:2004010123"};
    QTest::newRow("code 128 module 3, line above")
        << QByteArray("^FO40,40^BY3^BCN,80,Y,Y,N^FDAB-12^FS") << QStringList{"CODE-128:AB-12"};
    QTest::newRow("code 39 ratio 3") << QByteArray("^FO40,40^BY2,3^B3N,N,80,Y,N^FD12345^FS")
                                     << QStringList{"CODE-39:12345"};
    QTest::newRow("code 39 ratio 2.5 with check digit")
        << QByteArray("^FO40,40^BY2,2.5^B3N,Y,80,N,N^FDHAN1^FS") << QStringList{"CODE-39:HAN18"};
    QTest::newRow("escaped data") << QByteArray("^FO40,40^BY2^BCN,60,N^FH^FDA_5EB^FS")
                                  << QStringList{"CODE-128:A^B"};
    QTest::newRow("two symbols") << QByteArray("^FO40,20^BY2^BCN,50^FD111^FS^FO40,150^B3N,N,50^FD222^FS")
                                 << QStringList{"CODE-128:111", "CODE-39:222"};
}

void TestRenderer::barcodesDecode() {
    QFETCH(QByteArray, fields);
    QFETCH(QStringList, expected);
    const PreviewResult result = RenderZpl("^XA^PW600^LL300" + fields + "^XZ");
    QVERIFY2(result.warnings.isEmpty(), qPrintable(result.warnings.join('\n')));
    QCOMPARE(test::DecodeBarcodes(result.label,
                                  m_dir.filePath(QStringLiteral("%1.png").arg(QTest::currentDataTag()))),
             expected);
    // The bars start at the field origin.
    const QRect ink = InkBox(result.label, QRect(0, 0, 600, 300));
    QCOMPARE(ink.left(), 40);
}

void TestRenderer::code128Widths_data() {
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("decoded");
    // Mode N: subset B, 11 modules a character, start, check and a 13-module stop.
    QTest::newRow("digits in subset B") << QByteArray("^BY2^BCN,60,N^FD0000123") << 224 << "0000123";
    QTest::newRow("mode N named") << QByteArray("^BY2^BCN,60,N,N,N,N^FD0000123") << 224 << "0000123";
    QTest::newRow("module 3") << QByteArray("^BY3^BCN,60,N^FD0000123") << 336 << "0000123";
    QTest::newRow("start code B") << QByteArray("^BY2^BCN,60,N^FD>:0000123") << 224 << "0000123";
    QTest::newRow("start code C") << QByteArray("^BY2^BCN,60,N^FD>;000012") << 136 << "000012";
    QTest::newRow("C to B to A") << QByteArray("^BY2^BCN,60,N^FD>;382436>6CODE128>752375152")
                                 << 2 * (11 * 18 + 13) << "382436CODE128TEST";
    QTest::newRow("escaped greater-than") << QByteArray("^BY2^BCN,60,N^FDA>0B") << 2 * (11 * 5 + 13) << "A>B";
    // Mode A packs digits into subset C as the printer's automatic mode does.
    QTest::newRow("automatic mode") << QByteArray("^BY2^BCN,60,N,N,N,A^FD0000123") << 180 << "0000123";
}

void TestRenderer::code128Widths() {
    QFETCH(QByteArray, field);
    QFETCH(int, width);
    QFETCH(QString, decoded);
    const PreviewResult result = RenderZpl("^XA^PW600^LL200^FO40,40" + field + "^FS^XZ");
    QVERIFY2(result.warnings.isEmpty(), qPrintable(result.warnings.join('\n')));
    const QRect ink = InkBox(result.label, result.label.rect());
    QCOMPARE(ink.left(), 40);
    QCOMPARE(ink.width(), width);
    const QString file = m_dir.filePath(QStringLiteral("width-%1.png").arg(QTest::currentDataTag()));
    QCOMPARE(test::DecodeBarcodes(result.label, file), QStringList{"CODE-128:" + decoded});
}

void TestRenderer::graphicDownloads_data() {
    QTest::addColumn<QByteArray>("download");
    QTest::addColumn<QByteArray>("recall");
    QTest::addColumn<int>("scale");
    // A 32 x 3 bitmap: a left column, a full row, a right column.
    QTest::newRow("plain hex") << QByteArray("~DGABCD,12,4,80000000FFFFFFFF00000001")
                               << QByteArray("^XGABCD.GRF,1,1") << 1;
    QTest::newRow("run-length letters")
        << QByteArray("~DGABCD,12,4,8M0NFM01") << QByteArray("^XGR:ABCD.GRF,1,1") << 1;
    QTest::newRow("row fills") << QByteArray("~DGR:ABCD.GRF,12,4,8,!M01") << QByteArray("^XGABCD,1,1") << 1;
    QTest::newRow("magnified") << QByteArray("~DGAB  ,12,4,\r\n80000000FFFFFFFF00000001")
                               << QByteArray("^XGAB  .GRF,2,2") << 2;
}

void TestRenderer::graphicDownloads() {
    QFETCH(QByteArray, download);
    QFETCH(QByteArray, recall);
    QFETCH(int, scale);
    const PreviewResult result = RenderZpl(download + "^XA^LH10,20^FO5,6" + recall + "^FS^XZ");
    QVERIFY2(result.warnings.isEmpty(), qPrintable(result.warnings.join('\n')));
    const QList<uint> rows = {0x80000000u, 0xFFFFFFFFu, 0x00000001u};
    for (int y = 0; y < 3 * scale + 2; ++y)
        for (int x = 0; x < 32 * scale + 2; ++x) {
            const int row = y / scale, col = x / scale;
            const bool black = row < 3 && col < 32 && (rows[row] & (0x80000000u >> col));
            const bool inked = qGray(result.label.pixel(15 + x, 26 + y)) < 128;
            QVERIFY2(black == inked, qPrintable(QStringLiteral("dot %1,%2").arg(x).arg(y)));
        }
    QCOMPARE(InkBox(result.label, result.label.rect()), QRect(15, 26, 32 * scale, 3 * scale));
}

void TestRenderer::labelSizeAndCount_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("sizeGiven");
    QTest::addColumn<qint64>("count");
    QTest::newRow("book layout") << QByteArray("^XA^PR3^PW400^LL200^LH20,10^PQ3^XZ") << QSize(400, 200)
                                 << true << qint64(3);
    QTest::newRow("member layout, no quantity")
        << QByteArray("^XA^PR3^PW680^LL432^LH0,0^XZ") << QSize(680, 432) << true << qint64(1);
    QTest::newRow("no size: print head width, content length")
        << QByteArray("^XA^LH0,0^FO10,300^GB50,40,40^FS^XZ") << QSize(812, 356) << false << qint64(1);
    QTest::newRow("no size, little content: one inch")
        << QByteArray("^XA^PQ 2^XZ") << QSize(812, 200) << false << qint64(2);
    QTest::newRow("quantity not a number")
        << QByteArray("^XA^PW100^LL100^PQx^XZ") << QSize(100, 100) << true << qint64(1);
}

void TestRenderer::labelSizeAndCount() {
    QFETCH(QByteArray, stream);
    QFETCH(QSize, size);
    QFETCH(bool, sizeGiven);
    QFETCH(qint64, count);
    const PreviewResult result = RenderZpl(stream);
    QCOMPARE(result.label.size(), size);
    QCOMPARE(result.sizeGiven, sizeGiven);
    QCOMPARE(result.labelCount, count);
    // The picture keeps the label dot for pixel at its top left and adds the caption below.
    const QImage picture = PreviewPicture(result);
    QVERIFY(picture.height() > size.height() + 3 * 16);
    QCOMPARE(picture.copy(QRect(QPoint(0, 0), size)), result.label.convertToFormat(picture.format()));
}

void TestRenderer::nothingIsDroppedSilently() {
    const PreviewResult result = RenderZpl("^XA^PR3^MD10^PW400^LL200^FO10,10^FR^A0N,30,30^FDX^FS"
                                           "^FO20,20^BQN,2,4^FDQA,hello^FS^FO380,150^GB60,60,3^FS"
                                           "^FO0,0^XGNONE.GRF,1,1^FS^XZ^XA^FDsecond^FS^XZ");
    QCOMPARE(result.notDrawn, (QStringList{"^PR3", "^MD10", "^FR", "^BQN,2,4"}));
    // In words for the operator: each kind of difference once.
    QCOMPARE(result.warnings,
             (QStringList{QStringLiteral("라벨 밖으로 나가는 필드가 있습니다: 그 부분은 인쇄되지 않습니다."),
                          QStringLiteral("내려받지 않은 그래픽 NONE은(는) 인쇄되지 않습니다."),
                          QStringLiteral("라벨 형식 2개 중 첫 형식만 그렸습니다.")}));
    const QString caption = result.captionLines().join('\n');
    QVERIFY2(caption.contains(QStringLiteral("그림에 나타나지 않는 설정: 인쇄 속도, 인쇄 농도")), qPrintable(caption));
    QVERIFY2(caption.contains(QStringLiteral("그리지 못한 명령이 2개 있습니다")), qPrintable(caption));
    // Behind "자세히", each command and place in ZPL terms.
    const QString details = result.detailLines().join('\n');
    QVERIFY2(details.contains("^FO380,150"), qPrintable(details));
    QVERIFY2(details.contains(QStringLiteral("4개")), qPrintable(details));
    for (const QString& c : result.notDrawn)
        QVERIFY2(details.contains(c), qPrintable(c));
}

void TestRenderer::strayBytesStillRender() {
    // Bytes that code page 949 cannot decode, in a barcode and in a text field: the text prints in
    // the printer's code page, which the caption says.
    const PreviewResult result =
        RenderZpl("^XA^PW400^LL200^FO10,10^BY2^BCN,40,N^FH^FD_FFA^FS^FO10,100^A0,30,30^FD\xFF\xFE^FS^XZ");
    QCOMPARE(result.warnings.size(), 1);
    QVERIFY2(result.warnings[0].startsWith(QStringLiteral("이 글자는 프린터 글꼴로 한글이 인쇄되지 않습니다: ")),
             qPrintable(result.warnings[0]));
    QVERIFY(!InkBox(result.label, QRect(0, 0, 400, 60)).isEmpty());
    QVERIFY(!InkBox(result.label, QRect(0, 90, 400, 60)).isEmpty());
}

void TestRenderer::serialValues_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("increment");
    QTest::addColumn<qint64>("step");
    QTest::addColumn<QString>("value");
    QTest::newRow("first label as given") << QByteArray("00012") << "ddddd"
                                          << "1" << qint64(0) << "00012";
    QTest::newRow("up") << QByteArray("00012") << "ddddd"
                        << "1" << qint64(2) << "00014";
    QTest::newRow("down") << QByteArray("00012") << "ddddd"
                          << "-1" << qint64(3) << "00009";
    QTest::newRow("carry") << QByteArray("00099") << "ddddd"
                           << "1" << qint64(1) << "00100";
    QTest::newRow("wraps up") << QByteArray("99") << "dd"
                              << "1" << qint64(1) << "00";
    QTest::newRow("wraps down") << QByteArray("00") << "dd"
                                << "-1" << qint64(1) << "99";
    QTest::newRow("mask covers the end") << QByteArray("AB0998") << "dddd"
                                         << "1" << qint64(5) << "AB1003";
    QTest::newRow("empty mask") << QByteArray("00012") << ""
                                << "1" << qint64(7) << "00012";
    QTest::newRow("letters under d count as 0") << QByteArray("ab") << "dd"
                                                << "1" << qint64(1) << "01";
    QTest::newRow("thirteen digits, many labels") << QByteArray("0000000000001") << "ddddddddddddd"
                                                  << "1" << qint64(99999999) << "0000100000000";
    QTest::newRow("hex") << QByteArray("0F") << "hh"
                         << "1" << qint64(1) << "10";
    QTest::newRow("increment 10") << QByteArray("100") << "ddd"
                                  << "10" << qint64(2) << "120";
    QTest::newRow("letters kept in front") << QByteArray("EM0000012345") << "%%dddddddddd"
                                           << "1" << qint64(1) << "EM0000012346";
    QTest::newRow("letters kept in front, down") << QByteArray("EM0000012345") << "%%dddddddddd"
                                                 << "-1" << qint64(2) << "EM0000012343";
    QTest::newRow("letter kept at the end") << QByteArray("0012A") << "dddd%"
                                            << "1%" << qint64(1) << "0013A";
    QTest::newRow("letter kept at the end, down") << QByteArray("0010A") << "dddd%"
                                                  << "-1%" << qint64(1) << "0009A";
    QTest::newRow("increment not aligned with a kept end") << QByteArray("0012A") << "dddd%"
                                                           << "1" << qint64(1) << "0012A";
    QTest::newRow("letters between digits") << QByteArray("1A9B") << "d%d%"
                                            << "1%" << qint64(1) << "2A0B";
    // A Hangul syllable is two bytes in code page 949 and so two mask positions.
    QTest::newRow("hangul between digits, carry over it") << EncodeCp949(QStringLiteral("19가99")) << "dd%%dd"
                                                          << "1" << qint64(1) << QStringLiteral("20가00");
}

void TestRenderer::serialValues() {
    QFETCH(QByteArray, data);
    QFETCH(QString, mask);
    QFETCH(QString, increment);
    QFETCH(qint64, step);
    QFETCH(QString, value);
    QCOMPARE(SerialValue(data, mask, increment, step), value);
}

QTEST_MAIN(TestRenderer)
#include "tst_renderer.moc"
