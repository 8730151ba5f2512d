#include "ui/dialogs/PositionDialogs.h"
#include "ui/windows/BookLabelWindow.h"
#include "ui/windows/MemberCardWindow.h"
#include "ui/windows/PreviewWindow.h"

#include "PictureTesting.h"
#include "WindowFixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace hanlabel;
using test::ModalBoxes;

namespace {

// The preview window of a label window and the text under its picture.
PreviewWindow* PreviewOf(QWidget* owner) {
    return owner->findChild<PreviewWindow*>(QString(), Qt::FindDirectChildrenOnly);
}

QString Notes(PreviewWindow* preview) {
    return preview->findChild<QPlainTextEdit*>(QStringLiteral("previewNotes"))->toPlainText();
}

} // namespace

// Layout lines typed into a position dialog, shown by "미리보기" as the ZPL II guide says the
// printer prints them (figures at 8 dots/mm, as in tst_previewfields), or named in the caption.
class TestPreviewCaption : public QObject {
    Q_OBJECT
  private slots:
    void init() { m_book.reset(); }
    void layoutLinesThroughTheDialog_data();
    void layoutLinesThroughTheDialog();
    void greaterThanStopsTheJob_data();
    void greaterThanStopsTheJob();
    void starMaskNotes_data();
    void starMaskNotes();
    void detailsBehindTheSwitch();

  private:
    test::WindowFixture<mainfrm> m_book;
    QTemporaryDir m_dir;
};

void TestPreviewCaption::layoutLinesThroughTheDialog_data() {
    QTest::addColumn<QString>("line");   // typed as the first serial field's line
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QRect>("area");     // where the field's ink is looked for
    QTest::addColumn<QRect>("figure"); // its ink box; width 0: not checked; height -1: only the left
    QTest::addColumn<QStringList>("barcodes");
    QTest::addColumn<QString>("caption"); // a line the caption must hold, or ""
    QTest::newRow("^FT text") << "^FT100,230^A0N,30,30" << "12345" << QRect(0, 150, 400, 250)
                              << QRect(100, 208, 0, 22) << QStringList() << "";
    QTest::newRow("^FT barcode") << "^FT100,300^BY2^BCN,60,Y,N,N" << "12345" << QRect(0, 150, 400, 150)
                                 << QRect(100, 240, 180, 60) << QStringList{"CODE-128:12345"} << "";
    QTest::newRow("font before ^BC") << "^FO100,100^A0N,40,40^BY2^BCN,60,Y,N,N" << "12345"
                                     << QRect(0, 100, 400, 60) << QRect(100, 100, 180, 60)
                                     << QStringList{"CODE-128:12345"} << "";
    QTest::newRow("UCC check digit") << "^FO100,100^BY2^BCN,60,Y,N,Y" << "12345" << QRect(0, 100, 400, 60)
                                     << QRect(100, 100, 202, 60) << QStringList{"CODE-128:123457"} << "";
    QTest::newRow("Hangul serial in font 0") << "^FO100,100^A0N,30,30" << QStringLiteral("12가3")
                                             << QRect(0, 100, 400, 60) << QRect(100, 100, 0, -1) << QStringList()
                                             << QStringLiteral("주의: 이 글자는 프린터 글꼴로 한글이 인쇄되지 않습니다: 가");
}

void TestPreviewCaption::layoutLinesThroughTheDialog() {
    QFETCH(QString, line);
    QFETCH(QString, serial);
    QFETCH(QRect, area);
    QFETCH(QRect, figure);
    QFETCH(QStringList, barcodes);
    QFETCH(QString, caption);
    {
        defrm dialog;
        dialog.Form_Load();
        dialog.Text1->setText(QStringLiteral("^PR3^PW600^LL400"));
        dialog.Text2->setText(line);
        dialog.Text3->setText(QStringLiteral("^FO450,10^A0N,20,20")); // the second serial field, out of the way
        ModalBoxes boxes;
        dialog.Command1->click();
        QCOMPARE(boxes.seen.size(), 1);
    }
    auto window = m_book.loaded();
    window->Text1->clear();
    window->Text2->setText(serial);
    window->Text3->setText(QStringLiteral("0"));
    window->Text4->setText(QStringLiteral("0"));
    window->Text5->setText(QStringLiteral("3"));
    window->Preview_Click();
    PreviewWindow* preview = PreviewOf(window.get());
    QVERIFY(preview);
    const QRect ink = test::InkBox(preview->label(), area);
    QVERIFY2(figure.height() < 0 || (qAbs(ink.top() - figure.top()) <= 1 && qAbs(ink.height() - figure.height()) <= 1),
             qPrintable(test::Describe(ink)));
    QVERIFY(ink.left() >= figure.left() - 1 && ink.left() <= figure.left() + 4);
    if (figure.width() > 0)
        QVERIFY2(qAbs(ink.width() - figure.width()) <= 1, qPrintable(QString::number(ink.width())));
    if (!barcodes.isEmpty())
        QCOMPARE(test::DecodeBarcodes(preview->label().copy(0, 100, 600, 300),
                                      m_dir.filePath(QStringLiteral("%1.png").arg(QTest::currentDataTag()).remove(u' '))),
                 barcodes);
    const QStringList notes = Notes(preview).split(u'\n');
    QCOMPARE(notes.value(0), QStringLiteral("라벨 3장, 일련번호 %1").arg(serial == "12345" ? "12345 → 12346 → 12347"
                                                                                   : QStringLiteral("12가3 → 12가4 → 12가5")));
    if (!caption.isEmpty())
        QVERIFY2(notes.contains(caption), qPrintable(notes.join(u'\n')));
    QVERIFY(!QFile::exists(m_book.lptPath()));
}

void TestPreviewCaption::greaterThanStopsTheJob_data() {
    QTest::addColumn<bool>("member");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message");
    QTest::newRow("serial") << false << "Text2" << "12>345"
                            << QStringLiteral("일련번호(Text2)에 > 를 쓸 수 없습니다: 바코드가 다른 값으로 인쇄됩니다");
    QTest::newRow("member number, first part") << true << "Text3" << "2004>1"
                                               << QStringLiteral("회원번호(Text3)에 > 를 쓸 수 없습니다: 바코드가 다른 값으로 인쇄됩니다");
    QTest::newRow("member number, second part") << true << "Text4" << "01>3"
                                                 << QStringLiteral("회원번호(Text4)에 > 를 쓸 수 없습니다: 바코드가 다른 값으로 인쇄됩니다");
}

// The sample layouts print the serial and the member number as "^BC" barcodes.
void TestPreviewCaption::greaterThanStopsTheJob() {
    QFETCH(bool, member);
    QFETCH(QString, box);
    QFETCH(QString, value);
    QFETCH(QString, message);
    std::unique_ptr<LabelWindow> window;
    if (member) {
        auto w = std::make_unique<main1frm>();
        w->Form_Load();
        w->Text3->setText(QStringLiteral("200401"));
        w->Text4->setText(QStringLiteral("0123"));
        window = std::move(w);
    } else {
        auto w = m_book.loaded();
        w->Text5->setText(QStringLiteral("1"));
        window = std::move(w);
    }
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    window->findChild<QLineEdit*>(box)->setText(value);
    {
        ModalBoxes boxes;
        window->Command1->click();
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].title, QStringLiteral("입력오류"));
        QCOMPARE(boxes.seen[0].text, message);
    }
    QCOMPARE(window->focusWidget()->objectName(), box);
    QVERIFY(!QFile::exists(m_book.lptPath()));
}

void TestPreviewCaption::starMaskNotes_data() {
    QTest::addColumn<QString>("barcodeLine");
    QTest::addColumn<bool>("noted");
    QTest::newRow("sample: no interpretation line") << "^FO260,170^BY2^BCN,80,N,N,N" << false;
    QTest::newRow("interpretation line") << "^FO260,170^BY2^BCN,80,Y,N,N" << true;
    QTest::newRow("line by default") << "^FO260,170^BY2^BCN,80" << true;
}

// The member position dialog's confirmation and the preview's caption say that the number the
// stars hide prints under the barcode; nothing is refused.
void TestPreviewCaption::starMaskNotes() {
    QFETCH(QString, barcodeLine);
    QFETCH(bool, noted);
    {
        de1frm dialog;
        dialog.Form_Load();
        dialog.Text6->setText(barcodeLine);
        ModalBoxes boxes;
        dialog.Command1->click();
        QCOMPARE(boxes.seen.size(), 1);
        QVERIFY(boxes.seen[0].text.startsWith(QStringLiteral("저장되었습니다.")));
        QCOMPARE(boxes.seen[0].text.contains(QStringLiteral("바코드 아래에 전체 번호가 인쇄됩니다")), noted);
    }
    main1frm window;
    window.Form_Load();
    window.Text1->setText(QStringLiteral("A1"));
    window.Text2->setText(QStringLiteral("BC"));
    window.Text3->setText(QStringLiteral("200401"));
    window.Text4->setText(QStringLiteral("0123"));
    window.Preview_Click();
    PreviewWindow* preview = PreviewOf(&window);
    QVERIFY(preview);
    const QStringList notes = Notes(preview).split(u'\n');
    QCOMPARE(notes.value(0), QStringLiteral("회원증 1장"));
    QCOMPARE(notes.contains(QStringLiteral("주의: 별표(*)로 가린 번호가 바코드의 해석 줄에 그대로 인쇄됩니다: 2004010123")),
             noted);
}

void TestPreviewCaption::detailsBehindTheSwitch() {
    auto window = m_book.loaded();
    window->Text2->setText(QStringLiteral("00012"));
    window->Text5->setText(QStringLiteral("2"));
    window->Preview_Click();
    PreviewWindow* preview = PreviewOf(window.get());
    QVERIFY(preview);
    QVERIFY(!Notes(preview).contains(QStringLiteral("^PQ")));
    auto* details = preview->findChild<QCheckBox*>(QStringLiteral("previewDetails"));
    QCOMPARE(details->text(), QStringLiteral("자세히"));
    details->click();
    QVERIFY2(Notes(preview).contains(QStringLiteral("수량: 2장 (^PQ2)")), qPrintable(Notes(preview)));
    QVERIFY(Notes(preview).contains(QStringLiteral("그리지 않은 명령: ^PR3 (인쇄 속도)")));
    details->click();
    QVERIFY(!Notes(preview).contains(QStringLiteral("^PQ")));
}

QTEST_MAIN(TestPreviewCaption)
#include "tst_previewcaption.moc"
