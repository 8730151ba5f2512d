#include "channels/ParallelTransport.h"
#include "channels/SendJob.h"
#include "core/Signals.h"

#include "ChannelTesting.h"
#include "TestSupport.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <condition_variable>
#include <mutex>
#include <thread>

using namespace hanlabel;
using namespace hanlabel::test;
using namespace std::chrono_literals;

namespace {

// What a window sees of a job: its signals, received on this thread through queued connections.
struct Window : QObject {
    explicit Window(SendJob& job) {
        connect(&job, &SendJob::progress, this, [this](qint64 sent, qint64 total) {
            onThisThread &= QThread::currentThread() == thread();
            progress.append({sent, total});
        });
        connect(&job, &SendJob::stallChanged, this, [this](bool stalled, const QString& notice) {
            onThisThread &= QThread::currentThread() == thread();
            stalls.append({stalled, notice});
        });
        connect(&job, &SendJob::finished, this, [this](bool ok, const QString& message) {
            onThisThread &= QThread::currentThread() == thread();
            finished.append({ok, message});
        });
    }
    QList<std::pair<qint64, qint64>> progress;
    QList<std::pair<bool, QString>> stalls;
    QList<std::pair<bool, QString>> finished;
    bool onThisThread = true;
};

} // namespace

// The send off the user-interface thread: what a window sees of it through queued signals.
class TestSendJob : public QObject {
    Q_OBJECT
  private slots:
    // QtTest's crash handler takes SIGPIPE over when the run starts; put back what the program
    // does first, so that a broken pipe is the channel's failure as it is in the program.
    void initTestCase() { IgnoreChannelSignals(); }
    void completesWithProgress();
    void stalledSendKeepsTheEventLoopRunningUntilCancelled();
    void failureArrivesAsMessage();
    void deletingARunningJobCancelsIt();
};

void TestSendJob::completesWithProgress() {
    QTemporaryDir dir;
    const QString path = dir.filePath("lp0");
    const QByteArray job = Pattern(100000);
    SendJob send(MakeParallelTransport(path), job);
    Window window(send);
    send.start();
    QTRY_COMPARE_WITH_TIMEOUT(window.finished.size(), 1, 10000);
    QVERIFY2(window.finished[0].first, qPrintable(window.finished[0].second));
    QVERIFY(!send.wasCancelled());
    QVERIFY(!window.progress.isEmpty());
    QCOMPARE(window.progress.last(), std::make_pair(qint64(job.size()), qint64(job.size())));
    QVERIFY(window.stalls.isEmpty());
    QVERIFY(window.onThisThread);
    QCOMPARE(ReadFileBytes(path), job);
}

void TestSendJob::stalledSendKeepsTheEventLoopRunningUntilCancelled() {
    QTemporaryDir dir;
    FifoReader printer(dir.filePath("printer.fifo")); // nobody reads it
    const int size = 300 * 1024;
    SendJob send(MakeParallelTransport(printer.path()), Pattern(size));
    send.setStallAfter(300ms);
    Window window(send);
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&] { ++ticks; });
    timer.start(10);
    send.start();

    // The notice comes while this thread goes on with its own events.
    QTRY_VERIFY_WITH_TIMEOUT(!window.stalls.isEmpty(), 10000);
    QCOMPARE(window.stalls[0].first, true);
    QVERIFY(window.stalls[0].second.contains(printer.path()));
    const int ticksAtNotice = ticks;
    QTRY_VERIFY_WITH_TIMEOUT(ticks > ticksAtNotice + 3, 10000);
    QVERIFY(window.finished.isEmpty());
    QVERIFY(send.isRunning());

    send.cancel();
    QTRY_COMPARE_WITH_TIMEOUT(window.finished.size(), 1, 10000);
    QCOMPARE(window.finished[0].first, false);
    QVERIFY(send.wasCancelled());
    const QString report = window.finished[0].second;
    QVERIFY2(report.contains(QStringLiteral("0 / %1 바이트").arg(size)), qPrintable(report));
    QVERIFY(window.onThisThread);
    QTRY_VERIFY(!send.isRunning());
}

void TestSendJob::failureArrivesAsMessage() {
    const QString path = QStringLiteral("/dev/hanlabel-test-absent-printer");
    if (QFileInfo::exists(path))
        QSKIP("the test's own device name exists on this machine");
    SendJob send(MakeParallelTransport(path), "^XA^XZ\r\n");
    QCOMPARE(send.target(), "LPT1 (" + path + ")");
    Window window(send);
    send.start();
    QTRY_COMPARE_WITH_TIMEOUT(window.finished.size(), 1, 10000);
    QCOMPARE(window.finished[0].first, false);
    QVERIFY(!send.wasCancelled());
    // The operator is pointed to the dialog, never to a variable.
    QVERIFY(window.finished[0].second.contains(QStringLiteral("\"프린터 연결...\"")));
    QVERIFY(!window.finished[0].second.contains("HANLABEL_LPT1"));
    QVERIFY(!QFileInfo::exists(path));
}

void TestSendJob::deletingARunningJobCancelsIt() {
    QTemporaryDir dir;
    FifoReader printer(dir.filePath("printer.fifo")); // nobody reads it
    auto send = std::make_unique<SendJob>(MakeParallelTransport(printer.path()), Pattern(1000));
    send->start();
    QThread::msleep(100);
    // Should the reset not cancel the send, it would wait for ever: after five seconds a reader
    // takes the bytes so that the send ends on its own and the test fails instead of hanging.
    std::mutex lock;
    std::condition_variable returned;
    bool done = false;
    bool rescued = false;
    std::thread watchdog([&] {
        std::unique_lock<std::mutex> held(lock);
        if (returned.wait_for(held, std::chrono::seconds(5), [&] { return done; }))
            return;
        rescued = true;
        held.unlock();
        FifoReader::Plan plan;
        plan.expected = 1000;
        printer.start(plan);
    });
    send.reset(); // returns only once the worker has ended
    {
        const std::lock_guard<std::mutex> held(lock);
        done = true;
    }
    returned.notify_one();
    watchdog.join();
    QVERIFY2(!rescued, "the send ended only once a reader took its bytes: deleting the job did not cancel it");
}

QTEST_MAIN(TestSendJob)
#include "tst_sendjob.moc"
