#include "app/WindowManager.h"
#include "ui/dialogs/PrintMessages.h"
#include "ui/kit/FormKit.h"
#include "ui/windows/BookLabelWindow.h"
#include "ui/windows/PreviewWindow.h"

#include "ModalBoxes.h"
#include "TestSupport.h"
#include "WindowFixture.h"

#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

using namespace hanlabel;
using hanlabel::test::AppFolderFixture;
using hanlabel::test::ModalBoxes;

namespace {

// A book label window on a fresh application folder whose printer connection file holds `lpt1`
// (no variable decides), with a label of `quantity` typed in.
struct BookDesk {
    explicit BookDesk(const QString& lpt1, const QString& quantity = QStringLiteral("1")) {
        qunsetenv("HANLABEL_LPT1");
        qputenv("HANLABEL_HOME", folder.path().toLocal8Bit());
        if (!lpt1.isEmpty())
            folder.writeBytes(QStringLiteral("printer.ini"), "LPT1=" + lpt1.toUtf8() + "\n");
        window = std::make_unique<mainfrm>();
        window->Form_Load();
        window->Text1->setText(QStringLiteral("AB"));
        window->Text2->setText(QStringLiteral("0001"));
        window->Text5->setText(quantity);
        window->show();
    }
    ~BookDesk() { qunsetenv("HANLABEL_HOME"); }
    AppFolderFixture folder;
    std::unique_ptr<mainfrm> window;
};

} // namespace

// The boxes the label windows show after a print besides the failure box, offscreen.
class TestPrintMessages : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { InstallKoreanFontSubstitutions(); }
    void noPrinterChosenOffersTheDialog_data();
    void noPrinterChosenOffersTheDialog();
    void cancelIsNoError();
    void sentText_data();
    void sentText();
    void firstPrintLeadsToTheChoice();
    void progressBoxAndCancel();
    void statusLineAfterAPrint_data();
    void statusLineAfterAPrint();
    void printedPreviewClosesWhenThePrinterChanges();
};

void TestPrintMessages::noPrinterChosenOffersTheDialog_data() {
    QTest::addColumn<QString>("press"); // the button's text
    QTest::addColumn<bool>("opened");
    QTest::newRow("프린터 연결...") << QStringLiteral("프린터 연결...") << true;
    QTest::newRow("closed") << QStringLiteral("close") << false;
}

void TestPrintMessages::noPrinterChosenOffersTheDialog() {
    QFETCH(QString, press);
    QFETCH(bool, opened);
    QWidget window;
    window.show();
    QString text, title;
    QStringList buttons;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll.stop();
        text = box->text();
        title = box->windowTitle();
        for (QAbstractButton* button : box->buttons())
            buttons << button->text();
        QAbstractButton* choose = box->findChild<QPushButton*>(QStringLiteral("choosePrinter"));
        QVERIFY(choose && box->defaultButton() == choose);
        (press == QLatin1String("close") ? box->button(QMessageBox::Close) : choose)->click();
    });
    poll.start();
    bool openCalled = false;
    ShowNoPrinterChosen(&window, QStringLiteral("/dev/lp0"), [&] { openCalled = true; });
    QCOMPARE(openCalled, opened);
    QCOMPARE(title, QStringLiteral("프린터를 고르세요"));
    QCOMPARE(text, QStringLiteral("아직 이 컴퓨터의 프린터를 고르지 않았습니다.\n\n"
                                  "\"프린터 연결...\"을 눌러 라벨 프린터를 고른 뒤 다시 인쇄하세요.\n"
                                  "(기본으로 찾아본 장치 /dev/lp0이(가) 없습니다.)"));
    QVERIFY2(buttons.contains(QStringLiteral("프린터 연결...")), qPrintable(buttons.join(u'|')));
    // The operator's words only: no variable, no target syntax.
    for (const QString& word :
         {QStringLiteral("HANLABEL_"), QStringLiteral("tcp://"), QStringLiteral("cups:")})
        QVERIFY(!text.contains(word));
}

void TestPrintMessages::cancelIsNoError() {
    ModalBoxes boxes;
    const QString message =
        QStringLiteral("인쇄를 취소했습니다. LPT1 (/tmp/a.zpl): 0 / 1776 바이트가 전달되었습니다.");
    ShowPrintCancelled(nullptr, message);
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Information);
    QCOMPARE(boxes.seen[0].title, QStringLiteral("인쇄 취소"));
    QCOMPARE(boxes.seen[0].text, message);
}

void TestPrintMessages::sentText_data() {
    QTest::addColumn<int>("labels");
    QTest::addColumn<QTime>("at");
    QTest::addColumn<QString>("text");
    QTest::newRow("three in the afternoon")
        << 3 << QTime(14, 2, 59) << QStringLiteral("인쇄를 보냈습니다 (3장, 14:02)");
    QTest::newRow("one in the morning")
        << 1 << QTime(9, 5) << QStringLiteral("인쇄를 보냈습니다 (1장, 09:05)");
}

void TestPrintMessages::sentText() {
    QFETCH(int, labels);
    QFETCH(QTime, at);
    QFETCH(QString, text);
    QCOMPARE(PrintSentText(labels, at), text);
}

// A fresh install: no printer chosen, the built-in device missing. The message says so and its
// button opens the printer dialog.
void TestPrintMessages::firstPrintLeadsToTheChoice() {
    if (QFileInfo::exists(QStringLiteral("/dev/lp0")))
        QSKIP("this machine has /dev/lp0");
    AppFolderFixture folder;
    qunsetenv("HANLABEL_LPT1");
    qputenv("HANLABEL_HOME", folder.path().toLocal8Bit());
    WindowManager windows;
    windows.start();
    mainfrm* window = windows.bookWindow();
    window->Text1->setText(QStringLiteral("AB"));
    window->Text5->setText(QStringLiteral("1"));
    QString title, opened;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal); box && title.isEmpty()) {
            title = box->windowTitle() + u'|' + box->objectName();
            box->findChild<QPushButton*>(QStringLiteral("choosePrinter"))->click();
        } else if (modal && !qobject_cast<QMessageBox*>(modal)) {
            opened = modal->objectName();
            static_cast<QDialog*>(modal)->reject();
        }
    });
    poll.start();
    window->Command1->click();
    QVERIFY(test::WaitForOutcome(window));
    QTRY_COMPARE(opened, QStringLiteral("PrinterDialog"));
    QCOMPARE(title, QStringLiteral("프린터를 고르세요|noPrinterChosen"));
    window->close();
    qunsetenv("HANLABEL_HOME");
}

// The single job's box says what goes, with the bar and "취소" from the start; a cancel is
// reported as information, titled "인쇄 취소".
void TestPrintMessages::progressBoxAndCancel() {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("printer.fifo"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    BookDesk desk(fifo);
    QString boxText;
    bool barShown = false, cancelShown = false;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, [&] {
        auto* progress = desk.window->findChild<QDialog*>(QStringLiteral("progressDialog"));
        if (!progress || !progress->isVisible())
            return;
        poll.stop();
        boxText = progress->findChild<QLabel*>(QStringLiteral("progressText"))->text();
        barShown = progress->findChild<QProgressBar*>(QStringLiteral("progressBar"))->isVisible();
        auto* cancel = progress->findChild<QPushButton*>(QStringLiteral("cancelButton"));
        cancelShown = cancel->isVisible();
        cancel->click();
    });
    poll.start();
    ModalBoxes boxes;
    desk.window->Command1->click();
    QVERIFY(test::WaitForOutcome(desk.window.get(), 20000));
    QCOMPARE(boxText, QStringLiteral("라벨을 프린터로 보내는 중입니다"));
    QVERIFY(barShown);
    QVERIFY(cancelShown);
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Information);
    QCOMPARE(boxes.seen[0].title, QStringLiteral("인쇄 취소"));
    QVERIFY2(boxes.seen[0].text.startsWith(QStringLiteral("인쇄를 취소했습니다.")),
             qPrintable(boxes.seen[0].text));
    QVERIFY(desk.window->statusBar()->currentMessage().isEmpty());
}

void TestPrintMessages::statusLineAfterAPrint_data() {
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("says");
    QTest::newRow("three labels") << "3" << QStringLiteral("인쇄를 보냈습니다 (3장, ");
    QTest::newRow("one label") << "1" << QStringLiteral("인쇄를 보냈습니다 (1장, ");
}

// After a print to a file the status line says so until the next action; the client area below
// the menu keeps its size.
void TestPrintMessages::statusLineAfterAPrint() {
    QFETCH(QString, quantity);
    QFETCH(QString, says);
    QTemporaryDir dir;
    BookDesk desk(dir.filePath(QStringLiteral("labels.zpl")), quantity);
    QCOMPARE(desk.window->centralWidget()->size(), QSize(TwipsToPixels(6990), TwipsToPixels(4020)));
    QStatusBar* status = desk.window->findChild<QStatusBar*>(QStringLiteral("statusLine"));
    QVERIFY(status && status->currentMessage().isEmpty());
    {
        ModalBoxes boxes;
        desk.window->Command1->click();
        QVERIFY(test::WaitForOutcome(desk.window.get()));
        QCOMPARE(boxes.seen.size(), 0);
    }
    const QString message = status->currentMessage();
    QVERIFY2(message.startsWith(says) && message.endsWith(u')') && message.size() == says.size() + 6,
             qPrintable(message));
    QTest::keyClick(desk.window->Text1, Qt::Key_C);
    QCOMPARE(status->currentMessage(), QString());
}

// A picture of an earlier print closes once the port prints elsewhere; a "미리보기" stays.
void TestPrintMessages::printedPreviewClosesWhenThePrinterChanges() {
    BookDesk desk(QStringLiteral("preview:"));
    desk.window->Command1->click();
    QVERIFY(test::WaitForOutcome(desk.window.get()));
    auto* preview = desk.window->findChild<PreviewWindow*>();
    QVERIFY(preview && preview->isVisible());
    QCOMPARE(preview->windowTitle(), QStringLiteral("미리보기 창에 인쇄한 라벨 (1장)"));
    QVERIFY(desk.window->statusBar()->currentMessage().isEmpty());
    desk.folder.writeBytes(QStringLiteral("printer.ini"),
                           "LPT1=" + desk.folder.file("a.zpl").toUtf8() + "\n");
    desk.window->updatePortTooltip();
    QVERIFY(!preview->isVisible());
    desk.window->preview->trigger();
    QVERIFY(preview->isVisible());
    QCOMPARE(preview->windowTitle(), QStringLiteral("라벨 미리보기 (1장)"));
    desk.window->updatePortTooltip();
    QVERIFY(preview->isVisible());
}

QTEST_MAIN(TestPrintMessages)
#include "tst_printmessages.moc"
