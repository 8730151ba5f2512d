#include "core/Failure.h"
#include "ui/dialogs/PositionDialogs.h"
#include "ui/kit/FormKit.h"

#include "ModalBoxes.h"
#include "TestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace hanlabel;
using hanlabel::test::AppFolderFixture;
using hanlabel::test::ModalBoxes;

namespace {

const QStringList BookLines{"40", "20", "^PR3", "^FO40,65^A0N,28,28", "^FO40,100^BCN,60"};
const QStringList MemberLines{"^PR3", "260", "60", "260", "110", "^FO260,170^BCN,80,N", "^FO260,300^A0N,30,30"};

std::unique_ptr<PositionDialog> MakeDialog(const QString& kind) {
    if (kind == QLatin1String("defrm"))
        return std::make_unique<defrm>();
    return std::make_unique<de1frm>();
}

QString LayoutFile(const QString& kind) {
    return kind == QLatin1String("defrm") ? QStringLiteral("DPOS.ini") : QStringLiteral("DPOS1.ini");
}

// The dialog's boxes from top to bottom.
QList<QLineEdit*> BoxesTopDown(QWidget* dialog) {
    QList<QLineEdit*> boxes = dialog->findChildren<QLineEdit*>();
    std::sort(boxes.begin(), boxes.end(), [](QLineEdit* a, QLineEdit* b) { return a->y() < b->y(); });
    return boxes;
}

QStringList Texts(const QList<QLineEdit*>& boxes) {
    QStringList texts;
    for (QLineEdit* box : boxes)
        texts << box->text();
    return texts;
}

QByteArray CrLf(const QStringList& asciiLines) {
    QByteArray bytes;
    for (const QString& line : asciiLines)
        bytes += line.toLatin1() + "\r\n";
    return bytes;
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void cleanup();

    void bookLayout_data();
    void bookLayout();
    void memberLayout_data();
    void memberLayout();
    void tabOrderAndFocus_data();
    void tabOrderAndFocus();

    void openShowsFileLinesInRowOrder_data();
    void openShowsFileLinesInRowOrder();
    void jobCopyFillsBoxesInLineOrder_data();
    void jobCopyFillsBoxesInLineOrder();
    void saveWritesExactBytesAndDropsExtraLines_data();
    void saveWritesExactBytesAndDropsExtraLines();
    void savingTwiceConfirmsTwice();
    void closeDiscardsEdits_data();
    void closeDiscardsEdits();
    void loadFailureNamesTheFile_data();
    void loadFailureNamesTheFile();
    void failedSaveKeepsDialogAndEdits();
    void keysDoNotSaveOrClose();

  private:
    std::unique_ptr<AppFolderFixture> m_app;
    void useFreshFolder() {
        m_app = std::make_unique<AppFolderFixture>();
        qputenv("HANLABEL_HOME", m_app->path().toLocal8Bit());
    }
};

void TestDialogs::initTestCase() { InstallKoreanFontSubstitutions(); }

void TestDialogs::cleanup() {
    qunsetenv("HANLABEL_HOME");
    m_app.reset();
}

void TestDialogs::bookLayout_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("height");
    QTest::newRow("line 1") << "Text4"
                            << "Label4"
                            << "한글위치 (가로) :" << 240 << 390;
    QTest::newRow("line 2") << "Text5"
                            << "Label5"
                            << "한글위치 (세로) :" << 720 << 390;
    QTest::newRow("line 3") << "Text1"
                            << "Label1"
                            << "인쇄속도 조정하기 :" << 1200 << 390;
    QTest::newRow("line 5") << "Text3"
                            << "Label3"
                            << "바 코 드 조정하기 :" << 1680 << 375;
    QTest::newRow("line 4") << "Text2"
                            << "Label2"
                            << "라벨폰트 조정하기 :" << 2160 << 375;
}

void TestDialogs::bookLayout() {
    QFETCH(QString, box);
    QFETCH(QString, label);
    QFETCH(QString, caption);
    QFETCH(int, top);
    QFETCH(int, height);
    defrm dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("위치 조정"));
    QCOMPARE(dialog.size(), QSize(TwipsToPixels(5235), TwipsToPixels(3480)));
    auto* edit = dialog.findChild<QLineEdit*>(box);
    auto* text = dialog.findChild<QLabel*>(label);
    QVERIFY(edit && text);
    QCOMPARE(edit->geometry(), TwipsRect(2160, top, 2895, height));
    QCOMPARE(text->geometry(), TwipsRect(240, top + 120, 1815, 255));
    QCOMPARE(text->text(), caption);
    QCOMPARE(text->font().family(), QStringLiteral("굴림"));
    QCOMPARE(text->font().pointSizeF(), 9.75);
    QVERIFY(!text->font().bold());
    QCOMPARE(edit->palette().color(QPalette::Base), QColor(255, 192, 192));
    QVERIFY(edit->text().isEmpty());
    QCOMPARE(dialog.Command1->text(), QStringLiteral("저장하기"));
    QCOMPARE(dialog.Command1->geometry(), TwipsRect(960, 2880, 1215, 495));
    QCOMPARE(dialog.Command2->text(), QStringLiteral("종  료"));
    QCOMPARE(dialog.Command2->geometry(), TwipsRect(2760, 2880, 1335, 495));
}

void TestDialogs::memberLayout_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("caption");
    const QStringList captions{
        "인쇄속도 조정하기 :", "소 속(가로) :",     "소 속(세로) :",      "성 명(가로) :",
        "성 명(세로) :",       "바코드 조정하기 :", "회원번호 조정하기 :"};
    for (int row = 1; row <= 7; ++row)
        QTest::addRow("row %d", row) << row << captions[row - 1];
}

void TestDialogs::memberLayout() {
    QFETCH(int, row);
    QFETCH(QString, caption);
    de1frm dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("위치조정"));
    QCOMPARE(dialog.size(), QSize(TwipsToPixels(5310), TwipsToPixels(4425)));
    const int top = 240 + (row - 1) * 480;
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("Text%1").arg(row));
    auto* text = dialog.findChild<QLabel*>(QStringLiteral("Label%1").arg(row));
    QVERIFY(edit && text);
    QCOMPARE(edit->geometry(), TwipsRect(2160, top, 3015, 390));
    QCOMPARE(text->geometry(), TwipsRect(240, top + 120, 1815, 255));
    QCOMPARE(text->text(), caption);
    QCOMPARE(text->font().pointSizeF(), 9.75);
    QCOMPARE(edit->palette().color(QPalette::Base), QColor(255, 192, 192));
    QCOMPARE(dialog.Command1->geometry(), TwipsRect(960, 3840, 1215, 495));
    QCOMPARE(dialog.Command2->geometry(), TwipsRect(2640, 3840, 1335, 495));
    QCOMPARE(dialog.Command2->text(), QStringLiteral("종  료"));
}

void TestDialogs::tabOrderAndFocus_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("defrm") << "defrm" << QStringList{"Command1", "Text1", "Text2", "Text3",
                                                     "Command2", "Text4", "Text5"};
    QTest::newRow("de1frm") << "de1frm" << QStringList{"Command1", "Command2", "Text1", "Text2", "Text3",
                                                       "Text4",    "Text5",    "Text6", "Text7"};
}

void TestDialogs::tabOrderAndFocus() {
    QFETCH(QString, kind);
    QFETCH(QStringList, order);
    auto dialog = MakeDialog(kind);
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    QStringList seen;
    for (qsizetype i = 0; i < order.size(); ++i) {
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus);
        seen << focus->objectName();
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    QCOMPARE(seen, order);
    QCOMPARE(QApplication::focusWidget()->objectName(), order.first());
}

void TestDialogs::openShowsFileLinesInRowOrder_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QList<int>>("rowOrder");
    QTest::newRow("book: 1, 2, 3, 5, 4") << "defrm" << BookLines << QList<int>{1, 2, 3, 5, 4};
    QTest::newRow("member: 1 to 7") << "de1frm" << MemberLines << QList<int>{1, 2, 3, 4, 5, 6, 7};
}

void TestDialogs::openShowsFileLinesInRowOrder() {
    QFETCH(QString, kind);
    QFETCH(QStringList, lines);
    QFETCH(QList<int>, rowOrder);
    useFreshFolder();
    m_app->writeLines(LayoutFile(kind), lines);
    auto dialog = MakeDialog(kind);
    dialog->Form_Load();
    QStringList expected;
    for (int line : rowOrder)
        expected << lines[line - 1];
    QCOMPARE(Texts(BoxesTopDown(dialog.get())), expected);
    QCOMPARE(dialog->layoutLines(), lines);
}

void TestDialogs::jobCopyFillsBoxesInLineOrder_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("boxNames");
    QTest::newRow("defrm") << "defrm" << QStringList{"Text4", "Text5", "Text1", "Text2", "Text3"};
    QTest::newRow("de1frm") << "de1frm"
                            << QStringList{"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7"};
}

void TestDialogs::jobCopyFillsBoxesInLineOrder() {
    QFETCH(QString, kind);
    QFETCH(QStringList, boxNames);
    auto dialog = MakeDialog(kind);
    QStringList lines;
    for (qsizetype i = 0; i < boxNames.size(); ++i)
        lines << QStringLiteral("줄 %1").arg(i + 1);
    dialog->setLayoutLines(lines);
    for (qsizetype i = 0; i < boxNames.size(); ++i)
        QCOMPARE(dialog->findChild<QLineEdit*>(boxNames[i])->text(), lines[i]);
}

void TestDialogs::saveWritesExactBytesAndDropsExtraLines_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("fileLines");
    QTest::addColumn<QString>("editBox");
    QTest::addColumn<QString>("editText");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("book unchanged, sixth line dropped")
        << "defrm" << (BookLines + QStringList{"extra"}) << QString() << QString() << CrLf(BookLines);
    QStringList memberExtra = MemberLines;
    memberExtra << "eighth"
                << "ninth";
    QTest::newRow("member unchanged, eighth line dropped")
        << "de1frm" << memberExtra << QString() << QString() << CrLf(MemberLines);
    QStringList bookEdited = BookLines;
    bookEdited[4] = "  ^FO1,2^BY3 ";
    QTest::newRow("book Text3 is line 5, kept as typed") << "defrm" << BookLines << "Text3"
                                                         << "  ^FO1,2^BY3 " << CrLf(bookEdited);
    QStringList bookEmpty = BookLines;
    bookEmpty[0] = "";
    QTest::newRow("book empty Text4 gives an empty line 1") << "defrm" << BookLines << "Text4"
                                                            << "" << CrLf(bookEmpty);
    QByteArray hangul = CrLf(MemberLines);
    hangul.replace("^PR3", "^PR3\xB0\xA1");
    QTest::newRow("member Hangul in code page 949") << "de1frm" << MemberLines << "Text1"
                                                    << "^PR3가" << hangul;
}

void TestDialogs::saveWritesExactBytesAndDropsExtraLines() {
    QFETCH(QString, kind);
    QFETCH(QStringList, fileLines);
    QFETCH(QString, editBox);
    QFETCH(QString, editText);
    QFETCH(QByteArray, expected);
    useFreshFolder();
    m_app->writeLines(LayoutFile(kind), fileLines);
    auto dialog = MakeDialog(kind);
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->Form_Load();
    dialog->show();
    if (!editBox.isEmpty())
        dialog->findChild<QLineEdit*>(editBox)->setText(editText);
    ModalBoxes boxes;
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QCOMPARE(m_app->readBytes(LayoutFile(kind)), expected);
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].text, QStringLiteral("저장되었습니다."));
    QCOMPARE(boxes.seen[0].title, QStringLiteral("position"));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Information);
    QCOMPARE(boxes.seen[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(dialog->isVisible());
    if (!editBox.isEmpty())
        QCOMPARE(dialog->findChild<QLineEdit*>(editBox)->text(), editText);
}

void TestDialogs::savingTwiceConfirmsTwice() {
    useFreshFolder();
    defrm dialog;
    dialog.setAttribute(Qt::WA_DeleteOnClose, false);
    dialog.Form_Load();
    dialog.show();
    ModalBoxes boxes;
    QTest::mouseClick(dialog.Command1, Qt::LeftButton);
    const QByteArray first = m_app->readBytes("DPOS.ini");
    m_app->writeBytes("DPOS.ini", "overwritten\r\n");
    QTest::mouseClick(dialog.Command1, Qt::LeftButton);
    QCOMPARE(boxes.seen.size(), 2);
    QCOMPARE(boxes.seen[1].text, QStringLiteral("저장되었습니다."));
    QCOMPARE(m_app->readBytes("DPOS.ini"), first);
}

void TestDialogs::closeDiscardsEdits_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("byButton");
    QTest::newRow("defrm by 종  료") << "defrm" << true;
    QTest::newRow("defrm by close box") << "defrm" << false;
    QTest::newRow("de1frm by 종  료") << "de1frm" << true;
    QTest::newRow("de1frm by close box") << "de1frm" << false;
}

void TestDialogs::closeDiscardsEdits() {
    QFETCH(QString, kind);
    QFETCH(bool, byButton);
    useFreshFolder();
    const QByteArray before = m_app->readBytes(LayoutFile(kind));
    QPointer<PositionDialog> dialog = MakeDialog(kind).release();
    dialog->Form_Load();
    dialog->show();
    dialog->findChild<QLineEdit*>("Text1")->setText("edited");
    ModalBoxes boxes;
    if (byButton)
        QTest::mouseClick(dialog->Command2, Qt::LeftButton);
    else
        dialog->close();
    QTRY_VERIFY(dialog.isNull());
    QVERIFY(boxes.seen.isEmpty());
    QCOMPARE(m_app->readBytes(LayoutFile(kind)), before);

    // A new dialog reads the file again.
    auto again = MakeDialog(kind);
    again->Form_Load();
    QVERIFY(again->findChild<QLineEdit*>("Text1")->text() != QLatin1String("edited"));
    QCOMPARE(CrLf(again->layoutLines()), before);
}

void TestDialogs::loadFailureNamesTheFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("missing");
    QTest::newRow("book file missing") << "defrm" << QByteArray() << true;
    QTest::newRow("book file of four lines") << "defrm" << CrLf(BookLines.mid(0, 4)) << false;
    QTest::newRow("member file of six lines") << "de1frm" << CrLf(MemberLines.mid(0, 6)) << false;
    QTest::newRow("member file empty") << "de1frm" << QByteArray() << false;
}

void TestDialogs::loadFailureNamesTheFile() {
    QFETCH(QString, kind);
    QFETCH(QByteArray, content);
    QFETCH(bool, missing);
    useFreshFolder();
    if (missing)
        QVERIFY(QFile::remove(m_app->file(LayoutFile(kind))));
    else
        m_app->writeBytes(LayoutFile(kind), content);
    auto dialog = MakeDialog(kind);
    try {
        dialog->Form_Load();
        QFAIL("Form_Load accepted a missing or short layout file");
    } catch (const Failure& failure) {
        QVERIFY2(failure.message().contains(LayoutFile(kind)), qPrintable(failure.message()));
    }
}

void TestDialogs::failedSaveKeepsDialogAndEdits() {
    useFreshFolder();
    de1frm dialog;
    dialog.setAttribute(Qt::WA_DeleteOnClose, false);
    dialog.Form_Load();
    dialog.show();
    const QByteArray before = m_app->readBytes("DPOS1.ini");
    QVERIFY(QFile::setPermissions(m_app->file("DPOS1.ini"), QFile::ReadOwner | QFile::ReadUser));
    dialog.Text2->setText("999");
    ModalBoxes boxes;
    QTest::mouseClick(dialog.Command1, Qt::LeftButton);
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
    QVERIFY2(boxes.seen[0].text.contains("DPOS1.ini"), qPrintable(boxes.seen[0].text));
    QVERIFY(!boxes.seen[0].text.contains(QStringLiteral("저장되었습니다.")));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.Text2->text(), QStringLiteral("999"));
    QCOMPARE(m_app->readBytes("DPOS1.ini"), before);

    // Once the file is writable again, the same edits save.
    QVERIFY(QFile::setPermissions(m_app->file("DPOS1.ini"), QFile::ReadOwner | QFile::WriteOwner));
    QTest::mouseClick(dialog.Command1, Qt::LeftButton);
    QCOMPARE(boxes.seen.size(), 2);
    QCOMPARE(boxes.seen[1].text, QStringLiteral("저장되었습니다."));
    QVERIFY(m_app->readBytes("DPOS1.ini").contains("\r\n999\r\n"));
}

void TestDialogs::keysDoNotSaveOrClose() {
    useFreshFolder();
    const QByteArray before = m_app->readBytes("DPOS.ini");
    QPointer<defrm> dialog = new defrm;
    dialog->Form_Load();
    dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    ModalBoxes boxes;
    dialog->Text4->setFocus();
    QTest::keyClicks(dialog->Text4, "7");
    QTest::keyClick(dialog->Text4, Qt::Key_Return);
    QTest::keyClick(dialog->Text4, Qt::Key_Escape);
    QTest::qWait(50);
    QVERIFY(!dialog.isNull());
    QVERIFY(dialog->isVisible());
    QVERIFY(boxes.seen.isEmpty());
    QCOMPARE(m_app->readBytes("DPOS.ini"), before);
    // Enter on the focused save button saves.
    dialog->Command1->setFocus();
    QTest::keyClick(dialog->Command1, Qt::Key_Return);
    QCOMPARE(boxes.seen.size(), 1);
    QVERIFY(m_app->readBytes("DPOS.ini").startsWith(before.left(before.indexOf('\r')) + "7\r\n"));
    delete dialog;
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
