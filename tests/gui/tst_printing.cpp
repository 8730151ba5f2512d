#include "ChannelTesting.h"
#include "LabelWindows.h"
#include "ModalBoxes.h"
#include "WindowFixture.h"

#include "channels/ParallelTransport.h"
#include "channels/PreviewTransport.h"
#include "channels/SendJob.h"
#include "ui/kit/FormKit.h"
#include "ui/kit/JobProgress.h"
#include "ui/windows/BookLabelWindow.h"
#include "ui/windows/PreviewWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace hanlabel;
using namespace std::chrono_literals;
using hanlabel::test::FifoReader;
using hanlabel::test::ModalBoxes;

namespace {

// Long enough for any step of these tests on a loaded machine; none is expected to take it.
constexpr int kPatienceMs = 30000;

// What every box, option and check box of a window holds, in one list to compare.
QStringList Contents(const QWidget& window) {
    QStringList contents;
    for (const QLineEdit* box : window.findChildren<QLineEdit*>())
        contents << box->objectName() + QLatin1Char('=') + box->text();
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>())
        if (button->isCheckable())
            contents << button->objectName() +
                            (button->isChecked() ? QStringLiteral(" on") : QStringLiteral(" off"));
    return contents;
}

// The print box of a window while it is shown.
QDialog* ShownBox(const QWidget& window) {
    auto* box = window.findChild<QDialog*>(QStringLiteral("progressDialog"));
    return box && box->isVisible() ? box : nullptr;
}

// The box's notice while it is shown.
QLabel* ShownNotice(const QDialog* box) {
    auto* notice = box ? box->findChild<QLabel*>(QStringLiteral("stallNotice")) : nullptr;
    return notice && notice->isVisible() ? notice : nullptr;
}

// A send of 100,000 bytes to a FIFO on a worker, with its box over a plain window.
struct SendWithBox {
    static constexpr int kSize = 100000;
    SendWithBox(const QString& fifo, std::chrono::milliseconds stallAfter, int delayMs)
        : send(MakeParallelTransport(fifo), QByteArray(kSize, 'x')),
          progress(&window, &send, kSize, delayMs) {
        send.setStallAfter(stallAfter);
        window.show();
        send.start();
    }
    QWidget window;
    SendJob send;
    JobProgress progress;
};

} // namespace

// The label windows while a job is sent: the box with its stall notice and cancel button, a window
// that keeps running its events but takes no input until the outcome, and one job per press.
class TestPrinting : public QObject {
    Q_OBJECT

  private:
    test::WindowFixture<mainfrm> m_fixture;
    QTemporaryDir m_dir;
    QString m_fifo;

    // The window of the row's kind, loaded from the fixture's folder, shown and active, with the
    // row's text typed into its boxes and "LPT1" chosen.
    std::unique_ptr<LabelWindow> typedWindow();

  private slots:
    void initTestCase() { InstallKoreanFontSubstitutions(); }
    void init();
    void cleanup() { qunsetenv("HANLABEL_STALL_NOTICE_MS"); }

    void stalledSendIsCancelled_data();
    void stalledSendIsCancelled();
    void printerThatComesBackGetsOneJob_data();
    void printerThatComesBackGetsOneJob();
    void previewShowsBesideItsWindow_data();
    void previewShowsBesideItsWindow();
    void stallShowsTheBoxAtOnce();
    void boxComesAfterItsDelay();
};

void TestPrinting::init() {
    m_fixture.reset();
    // "LPT1" is a FIFO that nobody reads yet: the send waits from the start.
    m_fifo = m_dir.filePath(QStringLiteral("printer-%1.fifo").arg(QTest::currentTestFunction()));
    QFile::remove(m_fifo);
    qputenv("HANLABEL_LPT1", m_fifo.toLocal8Bit());
    qputenv("HANLABEL_STALL_NOTICE_MS", "200");
}

std::unique_ptr<LabelWindow> TestPrinting::typedWindow() {
    QFETCH(QString, kind);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, texts);
    auto window = test::ShownLoaded(kind);
    if (!window)
        return {};
    window->Combo1->setEditText(QStringLiteral("LPT1"));
    for (qsizetype i = 0; i < boxes.size(); ++i) {
        auto* box = window->findChild<QLineEdit*>(boxes[i]);
        box->setFocus();
        box->selectAll();
        test::Type(box, texts[i]);
    }
    return window;
}

void TestPrinting::stalledSendIsCancelled_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("book labels") << "mainfrm" << QStringList{"Text1", "Text2", "Text5"}
                                 << QStringList{"한국A", "0012", "3"};
    QTest::newRow("member card") << "main1frm" << QStringList{"Text1", "Text2", "Text3", "Text4"}
                                 << QStringList{"도서관", "홍길동", "200401", "0123"};
}

void TestPrinting::stalledSendIsCancelled() {
    QFETCH(QStringList, boxes);
    FifoReader printer(m_fifo); // makes the FIFO; nobody reads it
    const auto window = typedWindow();
    QVERIFY(window);
    const QStringList typed = Contents(*window);
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&ticks] { ++ticks; });
    timer.start(10);

    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QVERIFY(window->isPrinting());

    // The box says what is wrong and offers the way out, while this thread goes on with its events.
    QDialog* box = nullptr;
    QVERIFY(QTest::qWaitFor([&] { return ShownNotice(box = ShownBox(*window)); }, kPatienceMs));
    QCOMPARE(box->windowTitle(), QStringLiteral("인쇄 중"));
    QCOMPARE(QApplication::activeModalWidget(), box);
    const QString notice = ShownNotice(box)->text();
    QVERIFY2(notice.contains(QStringLiteral("LPT1")) && notice.contains(m_fifo), qPrintable(notice));
    auto* cancel = box->findChild<QPushButton*>(QStringLiteral("cancelButton"));
    QVERIFY(cancel && cancel->isVisible() && cancel->isEnabled());
    QCOMPARE(cancel->text(), QStringLiteral("취소"));
    const int ticksAtNotice = ticks;
    QVERIFY(QTest::qWaitFor([&] { return ticks >= ticksAtNotice + 5; }, kPatienceMs));
    QVERIFY(window->isPrinting());

    // Presses and typing meanwhile are neither taken nor kept for later.
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    window->Command1->click();
    QTest::keyClick(window->findChild<QLineEdit*>(boxes.last()), Qt::Key_Return);
    QTest::keyClicks(window->findChild<QLineEdit*>(boxes.first()), QStringLiteral("xyz"));
    QCOMPARE(Contents(*window), typed);

    ModalBoxes reports;
    QTest::mouseClick(cancel, Qt::LeftButton);
    QVERIFY(test::WaitForOutcome(window.get(), kPatienceMs));
    QCOMPARE(reports.seen.size(), 1);
    // The operator's own cancel is no error.
    QCOMPARE(reports.seen[0].icon, QMessageBox::Information);
    QCOMPARE(reports.seen[0].title, QStringLiteral("인쇄 취소"));
    QVERIFY2(reports.seen[0].text.startsWith(QStringLiteral("인쇄를 취소했습니다.")) &&
                 reports.seen[0].text.contains(QStringLiteral(": 0 / ")),
             qPrintable(reports.seen[0].text));
    QVERIFY(!window->findChild<QDialog*>(QStringLiteral("progressDialog")));
    QCOMPARE(Contents(*window), typed);
    // No press was waiting behind the cancelled job.
    QCoreApplication::processEvents();
    QVERIFY(!window->isPrinting());
    QCOMPARE(reports.seen.size(), 1);
}

void TestPrinting::printerThatComesBackGetsOneJob_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("emptiedAfter");
    QTest::newRow("book labels") << "mainfrm" << QStringList{"Text1", "Text2", "Text5"}
                                 << QStringList{"AB", "0012", "2"} << QStringList{};
    QTest::newRow("member card") << "main1frm" << QStringList{"Text1", "Text2", "Text3", "Text4"}
                                 << QStringList{"LIB", "KIM", "200401", "0123"}
                                 << QStringList{"Text2", "Text3", "Text4"};
}

// A printer that takes data again after the notice gets the job whole, once, however often the
// operator pressed meanwhile; the window then goes on as after any print.
void TestPrinting::printerThatComesBackGetsOneJob() {
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, texts);
    QFETCH(QStringList, emptiedAfter);
    FifoReader printer(m_fifo);
    const auto window = typedWindow();
    QVERIFY(window);
    ModalBoxes reports;

    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return ShownNotice(ShownBox(*window)); }, kPatienceMs));
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    window->Command1->click();
    QTest::keyClick(window->findChild<QLineEdit*>(boxes.last()), Qt::Key_Return);

    printer.start({.expected = qint64(1) << 30});
    QVERIFY(test::WaitForOutcome(window.get(), kPatienceMs));
    QCoreApplication::processEvents();
    QVERIFY(!window->isPrinting());
    const QByteArray received = printer.stop();
    QCOMPARE(reports.seen.size(), 0);
    QCOMPARE(received.count("^XA"), 1);
    QVERIFY(received.endsWith("^XZ\r\n"));
    QVERIFY(!window->findChild<QDialog*>(QStringLiteral("progressDialog")));
    for (qsizetype i = 0; i < boxes.size(); ++i)
        QCOMPARE(window->findChild<QLineEdit*>(boxes[i])->text(),
                 emptiedAfter.contains(boxes[i]) ? QString() : texts[i]);
}

void TestPrinting::previewShowsBesideItsWindow_data() { printerThatComesBackGetsOneJob_data(); }

// The virtual printer draws the job on the worker; the picture shows in the preview window of the
// label window that printed it.
void TestPrinting::previewShowsBesideItsWindow() {
    qputenv("HANLABEL_LPT1", "preview:");
    const auto window = typedWindow();
    QVERIFY(window);
    ModalBoxes reports;
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QVERIFY(test::WaitForOutcome(window.get(), kPatienceMs));
    QCOMPARE(reports.seen.size(), 0);
    QVERIFY(QTest::qWaitFor(
        [&] { return window->findChild<PreviewWindow*>(QString(), Qt::FindDirectChildrenOnly); },
        kPatienceMs));
    QVERIFY(!window->findChild<PreviewWindow*>()->label().isNull());
}

// The notice needs no delay: the box comes up with it however long the delay is.
void TestPrinting::stallShowsTheBoxAtOnce() {
    FifoReader printer(m_fifo);
    SendWithBox job(m_fifo, 100ms, 3600 * 1000);
    bool finished = false;
    connect(&job.send, &SendJob::finished, this, [&finished] { finished = true; });
    QVERIFY(QTest::qWaitFor([&] { return job.progress.dialog(); }, kPatienceMs));
    QVERIFY(ShownNotice(job.progress.dialog()));
    auto* cancel = job.progress.dialog()->findChild<QPushButton*>(QStringLiteral("cancelButton"));
    QVERIFY(cancel->isVisible());

    // Cancel stays pressed; the box waits for the send to end.
    QTest::mouseClick(cancel, Qt::LeftButton);
    QVERIFY(!cancel->isEnabled());
    QVERIFY(QTest::qWaitFor([&] { return finished; }, kPatienceMs));
    QVERIFY(job.send.wasCancelled());
    QVERIFY(job.progress.dialog()->isVisible());
}

// Without a stall the box comes after its delay: the bytes so far, no notice, no button, and
// neither Escape nor the close box takes it away.
void TestPrinting::boxComesAfterItsDelay() {
    FifoReader printer(m_fifo);
    SendWithBox job(m_fifo, 3600s, 0);
    QVERIFY(QTest::qWaitFor([&] { return job.progress.dialog(); }, kPatienceMs));
    QDialog* box = job.progress.dialog();
    QVERIFY(box->isVisible());
    QCOMPARE(QApplication::activeModalWidget(), box);
    const QString text = box->findChild<QLabel*>(QStringLiteral("progressText"))->text();
    QVERIFY2(text.contains(QStringLiteral("0 / 100000 바이트")), qPrintable(text));
    QCOMPARE(box->findChild<QProgressBar*>(QStringLiteral("progressBar"))->maximum(), SendWithBox::kSize);
    QVERIFY(!ShownNotice(box));
    QVERIFY(!box->findChild<QPushButton*>(QStringLiteral("cancelButton"))->isVisible());
    QTest::keyClick(box, Qt::Key_Escape);
    box->close();
    QVERIFY(box->isVisible());
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
