#include "preview/ZplRenderer.h"

#include "PictureTesting.h"

#include <QTemporaryDir>
#include <QTest>

using namespace hanlabel;
using test::Describe;
using test::InkBox;

namespace {

QImage Render(const QByteArray& fields) { return RenderZpl("^XA^PW600^LL600" + fields + "^XZ").label; }

} // namespace

// Rotated fields where the ZPL II guide puts them at 8 dots/mm: "^FO" places the top left of the
// turned field's area, "^FT" the field's own origin (a text's baseline at its left end, a
// barcode's base at its left edge), which turns with the field: R 90 degrees clockwise, I 180,
// B 270. Font 0 at 30 dots: the baseline 3/4 down the cell, the digits 22.5 dots tall.
class TestPreviewRotation : public QObject {
    Q_OBJECT
  private slots:
    void textInkBoxes_data();
    void textInkBoxes();
    void barcodeInkBoxes_data();
    void barcodeInkBoxes();
    void rotatedBarcodesRead_data();
    void rotatedBarcodesRead();

  private:
    QTemporaryDir m_dir;
};

void TestPreviewRotation::textInkBoxes_data() {
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("orientation");
    // Across the line of text the ink is fixed to a dot; along it, the stand-in face's side
    // bearing (up to 4 dots) is allowed at the end the text starts from.
    QTest::addColumn<int>("acrossStart"); // first dot across the line (x for R and B, y for N and I)
    QTest::addColumn<int>("acrossSize");
    QTest::addColumn<int>("alongStart"); // where the text starts along its line, -1 when it ends there
    QTest::addColumn<int>("alongEnd");   // where it ends, -1 when it starts there
    QTest::newRow("^FO N") << QByteArray("^FO100,100^A0N,30,30^FD12345^FS") << "N" << 100 << 22 << 100 << -1;
    QTest::newRow("^FO R") << QByteArray("^FO100,100^A0R,30,30^FD12345^FS") << "R" << 108 << 22 << 100 << -1;
    QTest::newRow("^FO I") << QByteArray("^FO100,100^A0I,30,30^FD12345^FS") << "I" << 108 << 22 << 100 << -1;
    QTest::newRow("^FO B") << QByteArray("^FO100,100^A0B,30,30^FD12345^FS") << "B" << 100 << 22 << 100 << -1;
    QTest::newRow("^FT N") << QByteArray("^FT200,200^A0N,30,30^FD12345^FS") << "N" << 178 << 22 << 200 << -1;
    QTest::newRow("^FT R") << QByteArray("^FT200,200^A0R,30,30^FD12345^FS") << "R" << 200 << 22 << 200 << -1;
    QTest::newRow("^FT I") << QByteArray("^FT200,200^A0I,30,30^FD12345^FS") << "I" << 200 << 22 << -1 << 199;
    QTest::newRow("^FT B") << QByteArray("^FT200,200^A0B,30,30^FD12345^FS") << "B" << 178 << 22 << -1 << 199;
    QTest::newRow("^FW R as the default") << QByteArray("^FWR^FO100,100^A0,30,30^FD12345^FS") << "R" << 108 << 22 << 100
                                          << -1;
}

void TestPreviewRotation::textInkBoxes() {
    QFETCH(QByteArray, field);
    QFETCH(QString, orientation);
    QFETCH(int, acrossStart);
    QFETCH(int, acrossSize);
    QFETCH(int, alongStart);
    QFETCH(int, alongEnd);
    const QRect ink = InkBox(Render(field));
    const bool vertical = orientation == "R" || orientation == "B";
    const int across = vertical ? ink.left() : ink.top();
    const int size = vertical ? ink.width() : ink.height();
    QVERIFY2(qAbs(across - acrossStart) <= 1 && qAbs(size - acrossSize) <= 1, qPrintable(Describe(ink)));
    // Along the line: R reads down, I leftwards, B up.
    const int first = vertical ? ink.top() : ink.left();
    const int last = vertical ? ink.bottom() : ink.right();
    if (alongStart >= 0)
        QVERIFY2(first >= alongStart - 1 && first <= alongStart + 4, qPrintable(Describe(ink)));
    if (alongEnd >= 0)
        QVERIFY2(last <= alongEnd + 1 && last >= alongEnd - 4, qPrintable(Describe(ink)));
}

void TestPreviewRotation::barcodeInkBoxes_data() {
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QRect>("figure");
    // Start B, five characters, check, stop: 90 modules of 2 dots = 180 dots by 60.
    QTest::newRow("^FO N") << QByteArray("^FO100,100^BY2^BCN,60,N,N,N^FD12345^FS") << QRect(100, 100, 180, 60);
    QTest::newRow("^FO R") << QByteArray("^FO100,100^BY2^BCR,60,N,N,N^FD12345^FS") << QRect(100, 100, 60, 180);
    QTest::newRow("^FO I") << QByteArray("^FO100,100^BY2^BCI,60,N,N,N^FD12345^FS") << QRect(100, 100, 180, 60);
    QTest::newRow("^FO B") << QByteArray("^FO100,100^BY2^BCB,60,N,N,N^FD12345^FS") << QRect(100, 100, 60, 180);
    QTest::newRow("^FT N") << QByteArray("^FT200,300^BY2^BCN,60,N,N,N^FD12345^FS") << QRect(200, 240, 180, 60);
    QTest::newRow("^FT R") << QByteArray("^FT200,300^BY2^BCR,60,N,N,N^FD12345^FS") << QRect(200, 300, 60, 180);
    QTest::newRow("^FT I") << QByteArray("^FT200,300^BY2^BCI,60,N,N,N^FD12345^FS") << QRect(20, 300, 180, 60);
    QTest::newRow("^FT B") << QByteArray("^FT200,300^BY2^BCB,60,N,N,N^FD12345^FS") << QRect(140, 120, 60, 180);
    QTest::newRow("^FW B as the default") << QByteArray("^FWB^FO100,100^BY2^BC,60,N,N,N^FD12345^FS")
                                          << QRect(100, 100, 60, 180);
    // Code 39 "12345" with its start and stop: 7 characters of 3 wide and 6 narrow elements and
    // a narrow gap, less the last gap: 7 x (3 x 6 + 6 x 2) + 6 x 2 = 222 dots.
    QTest::newRow("^B3 R") << QByteArray("^FO100,100^BY2,3^B3R,N,60,N,N^FD12345^FS") << QRect(100, 100, 60, 222);
}

void TestPreviewRotation::barcodeInkBoxes() {
    QFETCH(QByteArray, field);
    QFETCH(QRect, figure);
    const QRect ink = InkBox(Render(field));
    QVERIFY2(ink == figure, qPrintable(Describe(ink) + " for " + Describe(figure)));
}

void TestPreviewRotation::rotatedBarcodesRead_data() {
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QStringList>("expected");
    for (const char o : {'N', 'R', 'I', 'B'}) {
        QTest::newRow(qPrintable(QStringLiteral("^BC%1").arg(QChar(o))))
            << QByteArray("^FO100,100^BY2^BC") + o + ",60,Y,N,N^FD12345^FS" << QStringList{"CODE-128:12345"};
        QTest::newRow(qPrintable(QStringLiteral("^B3%1").arg(QChar(o))))
            << QByteArray("^FO100,100^BY2,3^B3") + o + ",N,60,Y,N^FD12345^FS" << QStringList{"CODE-39:12345"};
    }
}

void TestPreviewRotation::rotatedBarcodesRead() {
    QFETCH(QByteArray, field);
    QFETCH(QStringList, expected);
    const QString file = m_dir.filePath(QStringLiteral("%1.png").arg(QTest::currentDataTag()).remove(u'^'));
    QCOMPARE(test::DecodeBarcodes(Render(field), file), expected);
}

QTEST_MAIN(TestPreviewRotation)
#include "tst_previewrotation.moc"
