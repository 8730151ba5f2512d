#include "channels/ParallelTransport.h"
#include "channels/SendJob.h"
#include "core/Signals.h"

#include "ChannelTesting.h"
#include "TestSupport.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

using namespace hanlabel;
using namespace hanlabel::test;
using namespace std::chrono_literals;

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
    QSignalSpy progress(&send, &SendJob::progress);
    QSignalSpy finished(&send, &SendJob::finished);
    send.start();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished[0][0].toBool(), true);
    QVERIFY(!send.wasCancelled());
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last()[0].toLongLong(), qint64(job.size()));
    QCOMPARE(progress.last()[1].toLongLong(), qint64(job.size()));
    QCOMPARE(ReadFileBytes(path), job);
}

void TestSendJob::stalledSendKeepsTheEventLoopRunningUntilCancelled() {
    QTemporaryDir dir;
    FifoReader printer(dir.filePath("printer.fifo")); // nobody reads it
    const int size = 300 * 1024;
    SendJob send(MakeParallelTransport(printer.path()), Pattern(size));
    send.setStallAfter(300ms);
    QSignalSpy stalls(&send, &SendJob::stallChanged);
    QSignalSpy finished(&send, &SendJob::finished);
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&] { ++ticks; });
    timer.start(10);
    send.start();

    // The notice comes while this thread goes on with its own events.
    QTRY_VERIFY_WITH_TIMEOUT(!stalls.isEmpty(), 10000);
    QCOMPARE(stalls[0][0].toBool(), true);
    QVERIFY(stalls[0][1].toString().contains(printer.path()));
    const int ticksAtNotice = ticks;
    QTRY_VERIFY_WITH_TIMEOUT(ticks > ticksAtNotice + 3, 10000);
    QVERIFY(finished.isEmpty());
    QVERIFY(send.isRunning());

    send.cancel();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished[0][0].toBool(), false);
    QVERIFY(send.wasCancelled());
    const QString report = finished[0][1].toString();
    QVERIFY2(report.contains(QStringLiteral("0 / %1 바이트").arg(size)), qPrintable(report));
    QTRY_VERIFY(!send.isRunning());
}

void TestSendJob::failureArrivesAsMessage() {
    const QString path = QStringLiteral("/dev/hanlabel-test-absent-printer");
    if (QFileInfo::exists(path))
        QSKIP("the test's own device name exists on this machine");
    SendJob send(MakeParallelTransport(path), "^XA^XZ\r\n");
    QCOMPARE(send.target(), "LPT1 (" + path + ")");
    QSignalSpy finished(&send, &SendJob::finished);
    send.start();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished[0][0].toBool(), false);
    QVERIFY(!send.wasCancelled());
    QVERIFY(finished[0][1].toString().contains("HANLABEL_LPT1"));
    QVERIFY(!QFileInfo::exists(path));
}

void TestSendJob::deletingARunningJobCancelsIt() {
    QTemporaryDir dir;
    FifoReader printer(dir.filePath("printer.fifo")); // nobody reads it
    auto send = std::make_unique<SendJob>(MakeParallelTransport(printer.path()), Pattern(1000));
    send->start();
    QThread::msleep(100);
    send.reset(); // returns only once the worker has ended
}

QTEST_MAIN(TestSendJob)
#include "tst_sendjob.moc"
