#include "channels/CupsTransport.h"
#include "channels/PreviewTransport.h"
#include "channels/TargetFactory.h"
#include "channels/TcpTransport.h"
#include "compose/PieceStream.h"
#include "core/Failure.h"
#include "core/Signals.h"

#include "ChannelTesting.h"

#include "CupsServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

#include <arpa/inet.h>
#include <cups/cups.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace hanlabel;
using namespace hanlabel::test;
using namespace std::chrono_literals;
using hanlabel::test::CupsServer;

namespace {

// A small book-label-like job with its CR LF line ends, as the parallel port gets it.
QByteArray SampleJob() {
    PieceStream out(ChannelKind::Parallel);
    out.write("^XA^PR3^PW400^LL200^LH20,10");
    out.write("^FO40,33^A0,35,35^FDA ^FS");
    out.write("^FO40,65^A0N,28,28^FD00012^SFddddd,1^FS");
    out.write("^PQ3^XZ");
    return out.bytes();
}

// A job large enough that socket buffers cannot swallow it whole.
QByteArray LargeJob(int size) {
    QByteArray job = SampleJob();
    while (job.size() < size)
        job += "^FX filler to make the job large^FS\r\n";
    return job;
}

// What a peer does with the connection it accepts.
enum class PeerMode { ReadAll, ReadFewThenClose, NeverRead, ReadSlowly, ReadFewThenReset };

// A printer stand-in on 127.0.0.1: accepts one connection (optionally after a delay) and reads,
// drops or ignores the job.
class LoopbackPeer {
  public:
    explicit LoopbackPeer(PeerMode mode, std::chrono::milliseconds acceptDelay = 0ms, int backlog = 4)
        : m_mode(mode), m_delay(acceptDelay) {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (mode == PeerMode::ReadSlowly || mode == PeerMode::NeverRead) {
            // A printer's small receive buffer: the sender soon waits for it.
            const int size = 4096;
            ::setsockopt(m_listener, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        }
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(m_listener, backlog);
        socklen_t len = sizeof addr;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
    }
    ~LoopbackPeer() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_listener);
    }

    void start() {
        m_thread = std::thread([this] { serve(); });
    }
    quint16 port() const { return m_port; }
    QString target() const { return QStringLiteral("tcp://127.0.0.1:%1").arg(m_port); }
    // The printer as the messages name it.
    QString name() const { return QStringLiteral("네트워크 프린터 127.0.0.1 (포트 %1)").arg(m_port); }
    // Waits until the peer has seen the end of the connection; the bytes it read.
    QByteArray received() {
        if (m_thread.joinable())
            m_thread.join();
        return m_received;
    }

  private:
    void serve() {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < m_delay.count() && !m_stop)
            std::this_thread::sleep_for(10ms);
        pollfd p{m_listener, POLLIN, 0};
        while (!m_stop && ::poll(&p, 1, 50) == 0) {
        }
        if (m_stop)
            return;
        const int fd = ::accept(m_listener, nullptr, nullptr);
        if (fd < 0)
            return;
        char buffer[4096];
        if (m_mode == PeerMode::ReadFewThenClose || m_mode == PeerMode::ReadFewThenReset) {
            const ssize_t n = ::recv(fd, buffer, 10, MSG_WAITALL);
            if (n > 0)
                m_received.append(buffer, n);
            if (m_mode == PeerMode::ReadFewThenReset) {
                const linger now{1, 0};
                ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &now, sizeof now);
            }
        } else if (m_mode == PeerMode::ReadSlowly) {
            // About 10 KB a second, a kilobyte at a time.
            while (!m_stop) {
                const ssize_t n = ::recv(fd, buffer, 1024, 0);
                if (n <= 0)
                    break;
                m_received.append(buffer, n);
                std::this_thread::sleep_for(100ms);
            }
        } else if (m_mode == PeerMode::ReadAll) {
            pollfd q{fd, POLLIN, 0};
            while (!m_stop) {
                if (::poll(&q, 1, 50) <= 0)
                    continue;
                const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
                if (n <= 0)
                    break;
                m_received.append(buffer, n);
            }
        } else {
            while (!m_stop)
                std::this_thread::sleep_for(10ms);
        }
        ::close(fd);
    }

    PeerMode m_mode;
    std::chrono::milliseconds m_delay;
    int m_listener = -1;
    quint16 m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    QByteArray m_received;
};

// A port on 127.0.0.1 where nothing listens.
quint16 ClosedPort() {
    LoopbackPeer probe(PeerMode::ReadAll);
    return probe.port();
}

QString FailureOf(Transport& transport, const QByteArray& job) {
    try {
        transport.send(job, {});
    } catch (const Failure& failure) {
        return failure.message();
    }
    return {};
}

} // namespace

// The printer targets beyond the port: raw TCP, a CUPS queue and the virtual printer.
class TestTargets : public QObject {
    Q_OBJECT
  private slots:
    // QtTest's crash handler takes SIGPIPE over when the run starts; put back what the program
    // does first, so that a broken pipe is the channel's failure as it is in the program.
    void initTestCase() { IgnoreChannelSignals(); }
    void tcpDeliversTheJobUnchanged_data();
    void tcpDeliversTheJobUnchanged();
    void tcpFailures_data();
    void tcpFailures();
    void tcpSilentAddress();
    void tcpSlowReaderTakesTheWholeJob();
    void tcpPeerNeverReadsStallsUntilCancelled();
    void tcpMalformedTargets_data();
    void tcpMalformedTargets();
    void cupsRawQueue();
    void previewWritesPicture();
    void previewPresentsToTheWindow();
    void previewFailures();
    void lpt1MappingReachesEveryTarget();

  private:
    QTemporaryDir m_dir;
};

void TestTargets::tcpDeliversTheJobUnchanged_data() {
    QTest::addColumn<int>("acceptDelayMs");
    QTest::addColumn<int>("size");
    QTest::newRow("prompt peer") << 0 << 0;
    QTest::newRow("peer accepts slowly") << 700 << 0;
    QTest::newRow("large job, slow peer") << 400 << 3 * 1024 * 1024;
}

void TestTargets::tcpDeliversTheJobUnchanged() {
    QFETCH(int, acceptDelayMs);
    QFETCH(int, size);
    LoopbackPeer peer(PeerMode::ReadAll, std::chrono::milliseconds(acceptDelayMs));
    peer.start();
    const QByteArray job = size > 0 ? LargeJob(size) : SampleJob();
    qint64 lastSent = -1, lastTotal = -1;
    auto transport = MakeTcpTransport(peer.target());
    transport->send(job, [&](qint64 sent, qint64 total) {
        lastSent = sent;
        lastTotal = total;
    });
    QCOMPARE(lastSent, qint64(job.size()));
    QCOMPARE(lastTotal, qint64(job.size()));
    const QByteArray received = peer.received();
    QCOMPARE(received.size(), job.size());
    QVERIFY(received == job);
}

void TestTargets::tcpFailures_data() {
    QTest::addColumn<int>("mode"); // -1: nothing listens
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("reason");
    QTest::newRow("refused") << -1 << 0 << QStringLiteral("상대가 연결을 거부했습니다");
    QTest::newRow("closes early") << int(PeerMode::ReadFewThenClose) << 4 * 1024 * 1024 << QString();
    QTest::newRow("reset mid-job") << int(PeerMode::ReadFewThenReset) << 4 * 1024 * 1024 << QString();
}

void TestTargets::tcpFailures() {
    QFETCH(int, mode);
    QFETCH(int, size);
    QFETCH(QString, reason);
    std::unique_ptr<LoopbackPeer> peer;
    QString target = QStringLiteral("tcp://127.0.0.1:%1").arg(ClosedPort());
    if (mode >= 0) {
        peer = std::make_unique<LoopbackPeer>(PeerMode(mode));
        peer->start();
        target = peer->target();
    }
    const QByteArray job = size > 0 ? LargeJob(size) : SampleJob();
    auto transport = MakeTcpTransport(target, 1000ms);
    QElapsedTimer clock;
    clock.start();
    const QString failure = FailureOf(*transport, job);
    QVERIFY2(!failure.isEmpty(), "the job must fail");
    const QString name = QStringLiteral("네트워크 프린터 127.0.0.1 (포트 %1)").arg(target.section(u':', -1));
    QVERIFY2(failure.contains(name), qPrintable(failure));
    if (!reason.isEmpty())
        QVERIFY2(failure.contains(reason), qPrintable(failure));
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
}

void TestTargets::tcpSilentAddress() {
    // A listener whose queue is full drops further connection attempts: to the sender it is a
    // printer that never answers.
    LoopbackPeer full(PeerMode::NeverRead, 0ms, 0);
    const int first = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(full.port());
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QCOMPARE(::connect(first, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    auto transport = MakeTcpTransport(full.target(), 300ms);
    QElapsedTimer clock;
    clock.start();
    const QString failure = FailureOf(*transport, SampleJob());
    ::close(first);
    QVERIFY2(failure.contains(full.name()) && failure.contains(QStringLiteral("응답이 없습니다")),
             qPrintable(failure));
    QVERIFY(clock.elapsed() >= 250 && clock.elapsed() < 3000);
}

void TestTargets::tcpSlowReaderTakesTheWholeJob() {
    LoopbackPeer peer(PeerMode::ReadSlowly);
    peer.start();
    const QByteArray job = Pattern(30 * 1024);
    auto transport = MakeTcpTransport(peer.target());
    SendWatch watch;
    const SendOutcome outcome = watch.run(*transport, job);
    QVERIFY2(outcome.ok, qPrintable(outcome.message));
    QCOMPARE(watch.lastProgress(), qint64(job.size()));
    const QByteArray received = peer.received();
    QCOMPARE(received.size(), job.size());
    QVERIFY(received == job);
}

void TestTargets::tcpPeerNeverReadsStallsUntilCancelled() {
    LoopbackPeer peer(PeerMode::NeverRead);
    peer.start();
    const int size = 4 * 1024 * 1024;
    auto transport = MakeTcpTransport(peer.target());
    SendWatch watch;
    std::thread operatorThread([&] {
        watch.waitForStall();
        watch.control.cancel();
    });
    const SendOutcome outcome = watch.run(*transport, Pattern(size));
    operatorThread.join();
    QVERIFY(outcome.cancelled);
    QVERIFY2(outcome.message.contains(peer.name()) &&
                 outcome.message.contains(QStringLiteral(" / %1 바이트").arg(size)),
             qPrintable(outcome.message));
    const QString notice = watch.notices().value(0);
    QVERIFY2(notice.contains(peer.name()) && notice.contains(QStringLiteral("네트워크")),
             qPrintable(notice));
}

void TestTargets::tcpMalformedTargets_data() {
    QTest::addColumn<QString>("target");
    QTest::newRow("port out of range") << "tcp://127.0.0.1:70000";
    QTest::newRow("port not a number") << "tcp://127.0.0.1:lp";
    QTest::newRow("no host") << "tcp://:9100";
    QTest::newRow("unclosed v6") << "tcp://[::1:9100";
}

void TestTargets::tcpMalformedTargets() {
    QFETCH(QString, target);
    auto transport = MakeTcpTransport(target, 300ms);
    const QString failure = FailureOf(*transport, SampleJob());
    QVERIFY2(failure.contains(target) && failure.contains(QStringLiteral("주소가 틀립니다")),
             qPrintable(failure));
}

void TestTargets::cupsRawQueue() {
    LoopbackPeer device(PeerMode::ReadAll);
    CupsServer cups;
    QString why;
    if (!cups.start(device.port(), &why))
        QSKIP(qPrintable(why));
    device.start();
    cupsSetServer(cups.server().toUtf8().constData());
    const QByteArray job = SampleJob();
    auto transport = MakeCupsTransport(QStringLiteral("cups:hanlabel"));
    transport->send(job, {});
    const QByteArray received = device.received();
    QVERIFY2(received == job, cups.readLog().right(2000).constData());

    // A queue that does not exist, and a server that does not answer.
    auto missing = MakeCupsTransport(QStringLiteral("cups:no-such-queue"));
    QString failure = FailureOf(*missing, job);
    QVERIFY2(failure.contains(QStringLiteral("no-such-queue")), qPrintable(failure));
    cupsSetServer(QStringLiteral("127.0.0.1:%1").arg(ClosedPort()).toUtf8().constData());
    failure = FailureOf(*transport, job);
    QVERIFY2(failure.contains(QStringLiteral("hanlabel")) &&
                 failure.contains(QStringLiteral("상대가 연결을 거부했습니다")),
             qPrintable(failure));
    cupsSetServer(nullptr);
}

void TestTargets::previewWritesPicture() {
    const QString path = m_dir.filePath("label.png");
    auto transport = MakePreviewTransport(QStringLiteral("preview:") + path);
    qint64 lastSent = -1;
    transport->send(SampleJob(), [&](qint64 sent, qint64) { lastSent = sent; });
    QCOMPARE(lastSent, qint64(SampleJob().size()));
    QImage picture(path);
    QVERIFY(!picture.isNull());
    // The label (^PW400^LL200) sits at the top left with the caption below it.
    QVERIFY(picture.width() >= 400);
    QVERIFY(picture.height() > 200);
    bool ink = false;
    for (int y = 0; y < 200 && !ink; ++y)
        for (int x = 0; x < 400 && !ink; ++x)
            ink = qGray(picture.pixel(x, y)) < 128;
    QVERIFY(ink);
}

void TestTargets::previewPresentsToTheWindow() {
    int shown = 0;
    PreviewResult last;
    SendControl control;
    control.picture = [&](const PreviewResult& result) {
        ++shown;
        last = result;
    };
    auto transport = MakePreviewTransport(QStringLiteral("preview:"));
    transport->send(SampleJob(), control);
    transport->send(SampleJob(), control);
    QCOMPARE(shown, 2);
    QCOMPARE(last.label.size(), QSize(400, 200));
    QCOMPARE(last.labelCount, qint64(3));
    QCOMPARE(last.serials.size(), 1);
    QVERIFY2(last.serials[0].contains(QStringLiteral("00012 → 00013 → 00014")), qPrintable(last.serials[0]));
}

void TestTargets::previewFailures() {
    auto window = MakePreviewTransport(QStringLiteral("preview:"));
    QVERIFY(FailureOf(*window, SampleJob()).contains(QStringLiteral("미리보기")));
    const QString path = m_dir.filePath("no/such/folder/label.png");
    auto file = MakePreviewTransport(QStringLiteral("preview:") + path);
    const QString failure = FailureOf(*file, SampleJob());
    QVERIFY2(failure.contains(path), qPrintable(failure));
    QVERIFY(!QFile::exists(path));
}

void TestTargets::lpt1MappingReachesEveryTarget() {
    const QByteArray job = SampleJob();
    // A network printer.
    LoopbackPeer peer(PeerMode::ReadAll);
    peer.start();
    qputenv("HANLABEL_LPT1", peer.target().toUtf8());
    OpenTransport(ChannelKind::Parallel, SerialFraming::Even7)->send(job, {});
    QVERIFY(peer.received() == job);
    // The virtual printer writing a picture.
    const QString png = m_dir.filePath("mapped.png");
    qputenv("HANLABEL_LPT1", (QStringLiteral("preview:") + png).toUtf8());
    OpenTransport(ChannelKind::Parallel, SerialFraming::Even7)->send(job, {});
    QVERIFY(!QImage(png).isNull());
    // A path is still a device or file.
    const QString file = m_dir.filePath("lp0");
    qputenv("HANLABEL_LPT1", file.toUtf8());
    OpenTransport(ChannelKind::Parallel, SerialFraming::Even7)->send(job, {});
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll() == job);
    // A queue name reaches libcups, which reports it when the server is not there.
    cupsSetServer(QStringLiteral("127.0.0.1:%1").arg(ClosedPort()).toUtf8().constData());
    qputenv("HANLABEL_LPT1", "cups:label-queue");
    auto queue = OpenTransport(ChannelKind::Parallel, SerialFraming::Even7);
    QVERIFY(FailureOf(*queue, job).contains(QStringLiteral("label-queue")));
    cupsSetServer(nullptr);
    qunsetenv("HANLABEL_LPT1");
}

QTEST_MAIN(TestTargets)
#include "tst_targets.moc"
