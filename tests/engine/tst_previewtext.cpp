#include "preview/FieldBlock.h"
#include "preview/ZplRenderer.h"

#include "PictureTesting.h"

#include <QTest>

using namespace hanlabel;
using test::Describe;
using test::InkBox;

namespace {

QImage Render(const QByteArray& fields) { return RenderZpl("^XA^PW900^LL400" + fields + "^XZ").label; }

} // namespace

// The printer's bitmap fonts and field blocks, against figures from the ZPL II guide at 8 dots/mm.
// Font matrices (height x width), the gap after each character and the baseline row: A 9 x 5, 1,
// 7; B 11 x 7, 2, 11; C and D 18 x 10, 2, 14; E 28 x 15, 5, 23; F 26 x 13, 3, 21; G 60 x 40, 8,
// 48; H 21 x 13, 6, 21. "^A" sizes round to the nearest whole multiple of the matrix.
class TestPreviewText : public QObject {
    Q_OBJECT
  private slots:
    void bitmapAdvances_data();
    void bitmapAdvances();
    void blockLayout_data();
    void blockLayout();
    void blockLines_data();
    void blockLines();
    void blockNotes_data();
    void blockNotes();
};

void TestPreviewText::bitmapAdvances_data() {
    QTest::addColumn<QByteArray>("font");    // the font command, or "^CF…" and a font command
    QTest::addColumn<int>("fourAdvances");   // ink of HHHHH less ink of H: four advances
    QTest::addColumn<int>("capitalHeight");  // the cell's top to its baseline, magnified
    QTest::newRow("A x1") << QByteArray("^AAN,9,5") << 4 * 6 << 7;
    QTest::newRow("A x2") << QByteArray("^AAN,18,10") << 4 * 12 << 14;
    QTest::newRow("B x1") << QByteArray("^ABN,11,7") << 4 * 9 << 11;
    QTest::newRow("B x2") << QByteArray("^ABN,22,14") << 4 * 18 << 22;
    QTest::newRow("C x1") << QByteArray("^ACN,18,10") << 4 * 12 << 14;
    QTest::newRow("C x2") << QByteArray("^ACN,36,20") << 4 * 24 << 28;
    QTest::newRow("D x1") << QByteArray("^ADN,18,10") << 4 * 12 << 14;
    QTest::newRow("D x2") << QByteArray("^ADN,36,20") << 4 * 24 << 28;
    QTest::newRow("E x1") << QByteArray("^AEN,28,15") << 4 * 20 << 23;
    QTest::newRow("E x2") << QByteArray("^AEN,56,30") << 4 * 40 << 46;
    QTest::newRow("F x1") << QByteArray("^AFN,26,13") << 4 * 16 << 21;
    QTest::newRow("F x2") << QByteArray("^AFN,52,26") << 4 * 32 << 42;
    QTest::newRow("G x1") << QByteArray("^AGN,60,40") << 4 * 48 << 48;
    QTest::newRow("G x2") << QByteArray("^AGN,120,80") << 4 * 96 << 96;
    QTest::newRow("H x1") << QByteArray("^AHN,21,13") << 4 * 19 << 21;
    QTest::newRow("H x2") << QByteArray("^AHN,42,26") << 4 * 38 << 42;
    // 40 / 18 rounds to 2 down, 25 / 10 to 3 across: 3 x 12 = 36 a character.
    QTest::newRow("D rounded to whole multiples") << QByteArray("^ADN,40,25") << 4 * 36 << 28;
    QTest::newRow("D, height only") << QByteArray("^ADN,36") << 4 * 24 << 28;
    QTest::newRow("matrix size when none is asked") << QByteArray("^AE") << 4 * 20 << 23;
    // A name 1 to 9 with no font stored under it: the ^CF font.
    QTest::newRow("font 5 is the ^CF font A") << QByteArray("^A5N,9,5") << 4 * 6 << 7;
    QTest::newRow("font 5 is the ^CF font D") << QByteArray("^CFD^FS^A5N,18,10") << 4 * 12 << 14;
    QTest::newRow("no font command: ^CF A") << QByteArray("") << 4 * 6 << 7;
}

void TestPreviewText::bitmapAdvances() {
    QFETCH(QByteArray, font);
    QFETCH(int, fourAdvances);
    QFETCH(int, capitalHeight);
    const QByteArray setup = font.startsWith("^CF") ? font.left(font.indexOf("^FS") + 3) : QByteArray();
    const QByteArray command = font.mid(setup.size());
    const QRect one = InkBox(Render(setup + "^FO100,100" + command + "^FDH^FS"));
    const QRect five = InkBox(Render(setup + "^FO100,100" + command + "^FDHHHHH^FS"));
    QCOMPARE(five.width() - one.width(), fourAdvances);
    QVERIFY2(qAbs(one.top() - 100) <= 1 && qAbs(one.height() - capitalHeight) <= 1, qPrintable(Describe(one)));
    QCOMPARE(five.left(), one.left());
}

void TestPreviewText::blockLayout_data() {
    // Characters 6 dots wide, as font A's; "text@x,line", "+" for a line put over the last.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("format"); // width,lines,spacing,justification,indent
    QTest::addColumn<QStringList>("pieces");
    QTest::newRow("L") << "HH HH HH HH" << "40,2,3,L,0" << QStringList{"HH HH@0,0", "HH HH@0,1"};
    QTest::newRow("C") << "HH HH HH HH" << "40,2,3,C,0" << QStringList{"HH HH@5,0", "HH HH@5,1"};
    QTest::newRow("R") << "HH HH HH HH" << "40,2,3,R,0" << QStringList{"HH HH@10,0", "HH HH@10,1"};
    // The first line's gap takes the 10 dots left over: "HH" at 0, the next at 18 + 10.
    QTest::newRow("J") << "HH HH HH HH" << "40,2,3,J,0" << QStringList{"HH@0,0", "HH@28,0", "HH HH@0,1"};
    QTest::newRow("hanging indent") << "HH HH HH HH" << "40,2,3,L,6" << QStringList{"HH HH@0,0", "HH HH@6,1"};
    QTest::newRow("indent narrows the later lines") << "HH HH HH HH" << "40,3,0,L,12"
                                                    << QStringList{"HH HH@0,0", "HH@12,1", "HH@12,2"};
    QTest::newRow("overflow onto the last line") << "HH HH HH HH" << "40,1,0,L,0"
                                                 << QStringList{"HH HH@0,0", "HH HH@0,0+"};
    QTest::newRow("\\& breaks the line") << "AB\\&CD" << "100,2,0,L,0" << QStringList{"AB@0,0", "CD@0,1"};
    // 30 dots: four characters and the hyphen.
    QTest::newRow("a long word is hyphenated") << "HHHHHHHH" << "30,2,0,L,0" << QStringList{"HHHH-@0,0", "HHHH@0,1"};
}

void TestPreviewText::blockLayout() {
    QFETCH(QString, text);
    QFETCH(QString, format);
    QFETCH(QStringList, pieces);
    const QStringList f = format.split(u',');
    zpl::BlockFormat block{f[0].toInt(), f[1].toInt(), f[2].toInt(), f[3].at(0).toLatin1(), f[4].toInt()};
    QStringList laid;
    for (const zpl::BlockPiece& p : zpl::LayoutBlock(text, block, [](const QString& s) { return 6 * int(s.size()); }))
        laid << QStringLiteral("%1@%2,%3%4").arg(p.text).arg(p.x).arg(p.line).arg(p.overflow ? "+" : "");
    QCOMPARE(laid, pieces);
}

void TestPreviewText::blockLines_data() {
    // "HH HH HH HH" in font A (6 dots a character) in a block 40 dots wide: "HH HH" (30 dots) on
    // each of two lines, 9 + 3 dots apart. Compared with the same block left-justified: the shift
    // of the ink of each line.
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<int>("line"); // 0 or 1
    QTest::addColumn<int>("leftShift");
    QTest::addColumn<int>("rightShift");
    QTest::newRow("C: (40 - 30) / 2") << QByteArray("^FB40,2,3,C,0") << 0 << 5 << 5;
    QTest::newRow("C, second line") << QByteArray("^FB40,2,3,C,0") << 1 << 5 << 5;
    QTest::newRow("R: 40 - 30") << QByteArray("^FB40,2,3,R,0") << 0 << 10 << 10;
    QTest::newRow("J: the gap takes the 10") << QByteArray("^FB40,2,3,J,0") << 0 << 0 << 10;
    QTest::newRow("J: last line left") << QByteArray("^FB40,2,3,J,0") << 1 << 0 << 0;
    QTest::newRow("hanging indent: first line") << QByteArray("^FB40,2,3,L,6") << 0 << 0 << 0;
    // The second line has 34 dots: "HH HH" still fits, 6 further in.
    QTest::newRow("hanging indent: second line") << QByteArray("^FB40,2,3,L,6") << 1 << 6 << 6;
}

void TestPreviewText::blockLines() {
    QFETCH(QByteArray, block);
    QFETCH(int, line);
    QFETCH(int, leftShift);
    QFETCH(int, rightShift);
    const QByteArray text = "^FDHH HH HH HH^FS";
    const QImage left = Render("^FO100,100^AAN,9,5^FB40,2,3,L,0" + text);
    const QImage shown = Render("^FO100,100^AAN,9,5" + block + text);
    const QRect area(0, 100 + 12 * line, 900, 12);
    const QRect reference = InkBox(left, area);
    const QRect ink = InkBox(shown, area);
    QVERIFY2(!ink.isEmpty(), "no ink on the line");
    QCOMPARE(ink.top(), 100 + 12 * line);
    QCOMPARE(ink.left() - reference.left(), leftShift);
    QCOMPARE(ink.right() - reference.right(), rightShift);
}

void TestPreviewText::blockNotes_data() {
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QRect>("inkWithin"); // the ink must lie within, and touch its top and bottom
    QTest::addColumn<QString>("note");    // a caption line
    // One line: the second line of text is printed over the first.
    QTest::newRow("overflow onto the last line")
        << QByteArray("^FO100,100^AAN,9,5^FB40,1,0,L,0^FDHH HH HH HH^FS") << QRect(100, 100, 40, 7)
        << QStringLiteral("주의: 칸(^FB)에 다 들어가지 않는 글자가 마지막 줄에 겹쳐 인쇄됩니다.");
    // ^FT: the baseline of the last possible line at 200; the first line 12 dots higher.
    QTest::newRow("^FT at the last line's baseline")
        << QByteArray("^FT100,200^AAN,9,5^FB40,2,3,L,0^FDHH HH HH HH^FS") << QRect(100, 181, 40, 19)
        << QStringLiteral("주의: 글꼴 A의 글자 모양은 비슷하게만 그렸습니다: 글자의 크기와 자리는 프린터와 같습니다.");
    QTest::newRow("font 0 is approximate") << QByteArray("^FO100,100^A0N,30,30^FB300,2,0,C,0^FDHH^FS")
                                           << QRect(100, 100, 300, 30)
                                           << QStringLiteral("주의: 칸(^FB) 안의 줄바꿈과 맞춤은 대략적입니다: 미리보기의 "
                                                             "글꼴 0은 글자 폭이 프린터와 조금 다릅니다.");
    QTest::newRow("narrower than a character") << QByteArray("^FO100,100^AAN,9,5^FB4,2,0,L,0^FDHH^FS") << QRect()
                                               << QStringLiteral("주의: 글자보다 좁은 칸(^FB)의 글자는 프린터가 인쇄하지 않습니다.");
}

void TestPreviewText::blockNotes() {
    QFETCH(QByteArray, field);
    QFETCH(QRect, inkWithin);
    QFETCH(QString, note);
    const PreviewResult result = RenderZpl("^XA^PW900^LL400" + field + "^XZ");
    const QRect ink = InkBox(result.label);
    if (inkWithin.isNull()) {
        QVERIFY(ink.isEmpty());
    } else {
        QVERIFY2(inkWithin.contains(ink), qPrintable(Describe(ink)));
        if (field.contains("^AA"))
            QVERIFY2(ink.top() == inkWithin.top() && ink.bottom() == inkWithin.bottom(), qPrintable(Describe(ink)));
    }
    QVERIFY2(result.captionLines().contains(note), qPrintable(result.captionLines().join(u'\n')));
}

QTEST_MAIN(TestPreviewText)
#include "tst_previewtext.moc"
