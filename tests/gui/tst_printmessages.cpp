#include "ui/dialogs/PrintMessages.h"
#include "ui/kit/FormKit.h"

#include "ModalBoxes.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace hanlabel;
using hanlabel::test::ModalBoxes;

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

QTEST_MAIN(TestPrintMessages)
#include "tst_printmessages.moc"
