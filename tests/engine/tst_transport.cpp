#include "channels/ParallelTransport.h"
#include "channels/SerialTransport.h"
#include "channels/TargetFactory.h"
#include "compose/PieceStream.h"
#include "core/Failure.h"
#include "core/Signals.h"
#include "printers/PrinterMapping.h"

#include "ChannelTesting.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <QFileInfo>

#include <csignal>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

using namespace hanlabel;
using namespace hanlabel::test;
using namespace std::chrono_literals;

namespace {

// The ways a FIFO's reader behaves.
enum class FifoCase { NoReader, Pauses, Closes };

QString SystemText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// Records the progress calls of one send.
struct ProgressLog {
    QList<qint64> sent;
    QList<qint64> totals;
    ProgressFn fn() {
        return [this](qint64 s, qint64 t) {
            sent.append(s);
            totals.append(t);
        };
    }
};

// Sets or clears an environment variable for one test and puts the old value back afterwards.
class EnvGuard {
  public:
    explicit EnvGuard(const char* name) : m_name(name), m_had(qEnvironmentVariableIsSet(name)) {
        if (m_had)
            m_old = qgetenv(name);
    }
    ~EnvGuard() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

  private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

// A pseudo-terminal pair whose slave stands in for serial port 1.
class PtyPair {
  public:
    PtyPair() {
        if (::openpty(&m_master, &m_slave, nullptr, nullptr, nullptr) != 0)
            return;
        termios raw{};
        ::tcgetattr(m_master, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(m_master, TCSANOW, &raw);
        char name[256] = {};
        if (::ttyname_r(m_slave, name, sizeof name) == 0)
            m_slaveName = QString::fromLocal8Bit(name);
    }
    ~PtyPair() {
        if (m_slave >= 0)
            ::close(m_slave);
        if (m_master >= 0)
            ::close(m_master);
    }
    bool ok() const { return m_master >= 0 && !m_slaveName.isEmpty(); }
    int master() const { return m_master; }
    int slave() const { return m_slave; }
    // The printer's end hangs up: the port's writes fail from now on.
    void closeMaster() {
        ::close(m_master);
        m_master = -1;
    }
    QString slaveName() const { return m_slaveName; }

    // Reads the master until `expected` bytes came or nothing arrived for `quietMs`.
    QByteArray readMaster(qint64 expected, int quietMs) const {
        QByteArray got;
        char buffer[4096];
        while (got.size() < expected) {
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, quietMs) <= 0)
                break;
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got.append(buffer, n);
        }
        return got;
    }

  private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slaveName;
};

} // namespace

class TestTransport : public QObject {
    Q_OBJECT

  private slots:
    // QtTest's crash handler takes SIGPIPE over when the run starts; put back what the program
    // does first, so that a broken pipe is the channel's failure as it is in the program.
    void initTestCase() { IgnoreChannelSignals(); }
    void framingText_data();
    void framingText();
    void descriptions();

    void parallelSendsExactBytes_data();
    void parallelSendsExactBytes();
    void parallelTruncatesPerJob();
    void parallelMissingFolderFails();
    void parallelTarget_data();
    void parallelTarget();
    void serialTarget_data();
    void serialTarget();
    void openTransportFollowsMapping();

    void serialDeliversEveryByte_data();
    void serialDeliversEveryByte();
    void serialRefusedFramingSendsNothing();
    void serialMissingDeviceFails();

    void channelSignalsIgnored();
    void fifo_data();
    void fifo();
    void lockedTargetWaits();
    void twoJobsNeverInterleave_data();
    void twoJobsNeverInterleave();
    void absentDevicePathRefused_data();
    void absentDevicePathRefused();
    void fileSizeLimitIsAFailure();
    void serialPausingReader_data();
    void serialPausingReader();
    void serialNobodyReadsCancelled();
};

void TestTransport::framingText_data() {
    QTest::addColumn<SerialFraming>("framing");
    QTest::addColumn<QString>("text");
    QTest::newRow("Option5") << SerialFraming::Even7 << "9600,E,7,1";
    QTest::newRow("Option6") << SerialFraming::None8 << "9600,N,8,1";
}

void TestTransport::framingText() {
    QFETCH(SerialFraming, framing);
    QFETCH(QString, text);
    QCOMPARE(FramingText(framing), text);
}

void TestTransport::descriptions() {
    QCOMPARE(MakeParallelTransport("/dev/lp0")->description(), QString("LPT1 (/dev/lp0)"));
    QCOMPARE(MakeSerialTransport("/dev/ttyS0", SerialFraming::None8)->description(),
             QString("COM1 (/dev/ttyS0, 9600,N,8,1)"));
    QCOMPARE(MakeSerialTransport("/dev/ttyUSB1", SerialFraming::Even7)->description(),
             QString("COM1 (/dev/ttyUSB1, 9600,E,7,1)"));
}

void TestTransport::parallelSendsExactBytes_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("calls");
    QTest::newRow("empty") << 0 << 1;
    QTest::newRow("one byte") << 1 << 1;
    QTest::newRow("one chunk") << 4096 << 1;
    QTest::newRow("chunk and a byte") << 4097 << 2;
    QTest::newRow("large") << 100000 << 25;
}

void TestTransport::parallelSendsExactBytes() {
    QFETCH(int, size);
    QFETCH(int, calls);
    QTemporaryDir dir;
    const QString target = dir.filePath("lp0");
    QVERIFY(!QFile::exists(target));
    const QByteArray stream = Pattern(size);
    ProgressLog log;
    MakeParallelTransport(target)->send(stream, log.fn());

    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), stream);
    QCOMPARE(log.sent.size(), calls);
    QCOMPARE(log.sent.last(), qint64(size));
    for (qint64 total : log.totals)
        QCOMPARE(total, qint64(size));
    for (int i = 1; i < log.sent.size(); ++i)
        QVERIFY(log.sent[i] > log.sent[i - 1]);
}

void TestTransport::parallelTruncatesPerJob() {
    QTemporaryDir dir;
    const QString target = dir.filePath("lp0");
    auto transport = MakeParallelTransport(target);
    transport->send(Pattern(10000), {});
    const QByteArray second = "^XA^PQ1^XZ\r\n";
    transport->send(second, {});
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), second);
}

void TestTransport::parallelMissingFolderFails() {
    QTemporaryDir dir;
    const QString target = dir.filePath("no-such-folder/lp0");
    ProgressLog log;
    try {
        MakeParallelTransport(target)->send("^XA^XZ", log.fn());
        QFAIL("send to a missing folder succeeded");
    } catch (const Failure& failure) {
        QVERIFY2(failure.message().contains("LPT1"), qPrintable(failure.message()));
        QVERIFY2(failure.message().contains(target), qPrintable(failure.message()));
        QVERIFY2(failure.message().contains(QStringLiteral("그런 파일이나 장치가 없습니다")), qPrintable(failure.message()));
    }
    QVERIFY(log.sent.isEmpty());
    QVERIFY(!QFile::exists(target));
}

void TestTransport::parallelTarget_data() {
    QTest::addColumn<bool>("set");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("system"); // the system-wide file's content; empty: no such file
    QTest::addColumn<QString>("target");
    QTest::newRow("unset") << false << "" << QByteArray() << "/dev/lp0";
    QTest::newRow("empty") << true << "" << QByteArray() << "/dev/lp0";
    QTest::newRow("usb printer") << true << "/dev/usb/lp0" << QByteArray() << "/dev/usb/lp0";
    QTest::newRow("plain file") << true << "/tmp/label out.zpl" << QByteArray() << "/tmp/label out.zpl";
    QTest::newRow("system-wide file") << false << "" << QByteArray("LPT1=/srv/desk.zpl\n") << "/srv/desk.zpl";
    QTest::newRow("variable over the system-wide file")
        << true << "/dev/usb/lp0" << QByteArray("LPT1=/srv/desk.zpl\n") << "/dev/usb/lp0";
}

void TestTransport::parallelTarget() {
    QFETCH(bool, set);
    QFETCH(QString, value);
    QFETCH(QByteArray, system);
    QFETCH(QString, target);
    EnvGuard guard("HANLABEL_LPT1");
    if (set)
        qputenv("HANLABEL_LPT1", value.toLocal8Bit());
    else
        qunsetenv("HANLABEL_LPT1");
    QTemporaryDir dir;
    if (!system.isEmpty()) {
        QFile file(dir.filePath("printer.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(system);
        SetSystemPrinterMappingFile(file.fileName());
    }
    const auto restore = qScopeGuard([] { SetSystemPrinterMappingFile(QString()); });
    QCOMPARE(ParallelPortTarget(), target);
}

void TestTransport::serialTarget_data() {
    QTest::addColumn<bool>("set");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("target");
    QTest::newRow("unset") << false << ""
                           << "/dev/ttyS0";
    QTest::newRow("empty") << true << ""
                           << "/dev/ttyS0";
    QTest::newRow("usb adapter") << true << "/dev/ttyUSB0"
                                 << "/dev/ttyUSB0";
}

void TestTransport::serialTarget() {
    QFETCH(bool, set);
    QFETCH(QString, value);
    QFETCH(QString, target);
    EnvGuard guard("HANLABEL_COM1");
    if (set)
        qputenv("HANLABEL_COM1", value.toLocal8Bit());
    else
        qunsetenv("HANLABEL_COM1");
    QCOMPARE(SerialPortTarget(), target);
}

void TestTransport::openTransportFollowsMapping() {
    QTemporaryDir dir;
    const QString target = dir.filePath("lpt1.out");
    EnvGuard lpt("HANLABEL_LPT1");
    EnvGuard com("HANLABEL_COM1");
    qputenv("HANLABEL_LPT1", target.toLocal8Bit());
    qputenv("HANLABEL_COM1", "/dev/ttyUSB3");

    auto parallel = OpenTransport(ChannelKind::Parallel, SerialFraming::Even7);
    QCOMPARE(parallel->description(), "LPT1 (" + target + ")");
    parallel->send("^XA^XZ\r\n", {});
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("^XA^XZ\r\n"));

    QCOMPARE(OpenTransport(ChannelKind::Serial, SerialFraming::Even7)->description(),
             QString("COM1 (/dev/ttyUSB3, 9600,E,7,1)"));
    QCOMPARE(OpenTransport(ChannelKind::Serial, SerialFraming::None8)->description(),
             QString("COM1 (/dev/ttyUSB3, 9600,N,8,1)"));
}

void TestTransport::serialDeliversEveryByte_data() {
    QTest::addColumn<int>("size");
    QTest::newRow("one byte") << 1;
    QTest::newRow("one chunk") << 256;
    QTest::newRow("24 KB") << 24 * 1024 + 7;
    QTest::newRow("200 KB") << 200 * 1024;
}

void TestTransport::serialDeliversEveryByte() {
    QFETCH(int, size);
    PtyPair pty;
    QVERIFY(pty.ok());
    const QByteArray stream = Pattern(size);

    QByteArray received;
    std::thread reader([&] { received = pty.readMaster(size, 5000); });

    ProgressLog log;
    termios seen{};
    bool sawSettings = false;
    auto transport = MakeSerialTransport(pty.slaveName(), SerialFraming::None8);
    try {
        transport->send(stream, [&](qint64 sent, qint64 total) {
            log.sent.append(sent);
            log.totals.append(total);
            if (!sawSettings)
                sawSettings = ::tcgetattr(pty.slave(), &seen) == 0;
        });
    } catch (const Failure& failure) {
        reader.join();
        QFAIL(qPrintable(failure.message()));
    }
    reader.join();

    QCOMPARE(received.size(), stream.size());
    QVERIFY(received == stream);
    QCOMPARE(log.sent.last(), qint64(size));
    QCOMPARE(log.totals.last(), qint64(size));
    for (int i = 1; i < log.sent.size(); ++i)
        QVERIFY(log.sent[i] > log.sent[i - 1]);

    // While the port was open the line held 9600 baud, 8 data bits, no parity, 1 stop bit.
    QVERIFY(sawSettings);
    QCOMPARE(::cfgetospeed(&seen), speed_t(B9600));
    QCOMPARE(seen.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(seen.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
}

void TestTransport::serialRefusedFramingSendsNothing() {
    PtyPair pty;
    QVERIFY(pty.ok());
    ProgressLog log;
    try {
        MakeSerialTransport(pty.slaveName(), SerialFraming::Even7)->send(Pattern(2000), log.fn());
        QFAIL("a pseudo-terminal accepted 7 data bits with even parity");
    } catch (const Failure& failure) {
        const QString message = failure.message();
        QVERIFY2(message.contains("COM1"), qPrintable(message));
        QVERIFY2(message.contains(pty.slaveName()), qPrintable(message));
        QVERIFY2(message.contains("9600,E,7,1"), qPrintable(message));
        QVERIFY2(message.contains("데이터 비트 7"), qPrintable(message));
    }
    QVERIFY(log.sent.isEmpty());
    QCOMPARE(pty.readMaster(1, 300), QByteArray());
}

void TestTransport::serialMissingDeviceFails() {
    const QString device = "/dev/no-such-tty-hanlabel";
    try {
        MakeSerialTransport(device, SerialFraming::None8)->send("^XA^XZ", {});
        QFAIL("send to a missing device succeeded");
    } catch (const Failure& failure) {
        QVERIFY2(failure.message().contains("COM1"), qPrintable(failure.message()));
        QVERIFY2(failure.message().contains(device), qPrintable(failure.message()));
    }
}

void TestTransport::channelSignalsIgnored() {
    // A child process that starts with the default dispositions, as a program does, calls the
    // set-up and then writes into a pipe without a reader and past its file-size limit.
    QTemporaryDir dir;
    const QByteArray file = QFile::encodeName(dir.filePath("limited"));
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        ::signal(SIGPIPE, SIG_DFL);
        ::signal(SIGXFSZ, SIG_DFL);
        IgnoreChannelSignals();
        int pipe[2];
        if (::pipe(pipe) != 0)
            ::_exit(10);
        ::close(pipe[0]);
        if (::write(pipe[1], "x", 1) != -1 || errno != EPIPE)
            ::_exit(11);
        const rlimit small{1, 1};
        const int fd = ::open(file.constData(), O_WRONLY | O_CREAT, 0600);
        if (fd < 0 || ::setrlimit(RLIMIT_FSIZE, &small) != 0)
            ::_exit(12);
        if (::write(fd, "xx", 2) != 1 || ::write(fd, "x", 1) != -1 || errno != EFBIG)
            ::_exit(13);
        ::_exit(0);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY2(!WIFSIGNALED(status), ::strsignal(WTERMSIG(status)));
    QCOMPARE(WEXITSTATUS(status), 0);
}

void TestTransport::fifo_data() {
    QTest::addColumn<int>("reader");
    QTest::newRow("no reader") << int(FifoCase::NoReader);
    QTest::newRow("reader pauses past the stall time") << int(FifoCase::Pauses);
    QTest::newRow("reader closes after 1 KB") << int(FifoCase::Closes);
}

void TestTransport::fifo() {
    QFETCH(int, reader);
    QTemporaryDir dir;
    FifoReader printer(dir.filePath("printer.fifo"));
    const int size = 64 * 1024;
    const QByteArray job = Pattern(size);
    auto transport = MakeParallelTransport(printer.path());
    SendWatch watch;

    if (FifoCase(reader) == FifoCase::NoReader) {
        std::thread operatorThread([&] {
            watch.waitForStall();
            watch.control.cancel();
        });
        const SendOutcome outcome = watch.run(*transport, job);
        operatorThread.join();
        QVERIFY(outcome.cancelled);
        QVERIFY2(outcome.message.contains(QStringLiteral("0 / %1 바이트").arg(size)),
                 qPrintable(outcome.message));
        QCOMPARE(watch.stalls().value(0), true);
        const QString notice = watch.notices().value(0);
        QVERIFY2(notice.contains("LPT1") && notice.contains(printer.path()) &&
                     notice.contains(QStringLiteral("용지")),
                 qPrintable(notice));
        return;
    }

    const bool closes = FifoCase(reader) == FifoCase::Closes;
    printer.start({.expected = size, .first = 1024, .pauseMs = 1500, .closeAfterFirst = closes});
    const SendOutcome outcome = watch.run(*transport, job);
    const QByteArray received = printer.finish();
    if (closes) {
        QVERIFY(!outcome.ok && !outcome.cancelled);
        QVERIFY2(outcome.message.contains(QStringLiteral("받는 쪽이 닫혀 더 보낼 수 없습니다")) && outcome.message.contains(printer.path()),
                 qPrintable(outcome.message));
        QVERIFY(job.startsWith(received));
        return;
    }
    QVERIFY2(outcome.ok, qPrintable(outcome.message));
    QVERIFY(received == job);
    const QList<bool> stalls = watch.stalls();
    QVERIFY(stalls.size() >= 2);
    QVERIFY(stalls.first());
    QVERIFY(!stalls.last());
}

void TestTransport::lockedTargetWaits() {
    QTemporaryDir dir;
    const QString path = dir.filePath("lp0");
    const int holder = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    QVERIFY(holder >= 0);
    QCOMPARE(::flock(holder, LOCK_EX), 0);
    auto transport = MakeParallelTransport(path);
    SendWatch watch;
    SendOutcome outcome;
    std::thread job([&] { outcome = watch.run(*transport, "^XA^XZ\r\n"); });
    const bool stalled = watch.waitForStall();
    ::close(holder);
    job.join();
    QVERIFY(stalled);
    QVERIFY2(watch.notices().value(0).contains(QStringLiteral("다른 인쇄 작업")),
             qPrintable(watch.notices().value(0)));
    QVERIFY2(outcome.ok, qPrintable(outcome.message));
    QCOMPARE(ReadFileBytes(path), QByteArray("^XA^XZ\r\n"));
}

void TestTransport::twoJobsNeverInterleave_data() {
    QTest::addColumn<bool>("fifo");
    QTest::newRow("plain file") << false;
    QTest::newRow("FIFO") << true;
}

void TestTransport::twoJobsNeverInterleave() {
    QFETCH(bool, fifo);
    QTemporaryDir dir;
    const QString path = dir.filePath("shared");
    const int size = fifo ? 96 * 1024 : 4 * 1024 * 1024;
    const QByteArray first = Pattern(size, 1);
    const QByteArray second = Pattern(size, 2);
    FifoReader printer(fifo ? path : dir.filePath("unused.fifo"));
    if (fifo)
        printer.start({.expected = 2 * qint64(size)});
    SendOutcome outcomes[2];
    std::thread jobs[2];
    for (int i = 0; i < 2; ++i)
        jobs[i] = std::thread([&, i] {
            SendWatch watch(5000ms);
            outcomes[i] = watch.run(*MakeParallelTransport(path), i == 0 ? first : second);
        });
    for (std::thread& job : jobs)
        job.join();
    QVERIFY2(outcomes[0].ok, qPrintable(outcomes[0].message));
    QVERIFY2(outcomes[1].ok, qPrintable(outcomes[1].message));
    if (fifo) {
        const QByteArray received = printer.finish();
        QVERIFY(received == first + second || received == second + first);
    } else {
        // Each job truncates the file it holds, so exactly one job is left, whole.
        const QByteArray left = ReadFileBytes(path);
        QVERIFY(left == first || left == second);
    }
}

void TestTransport::absentDevicePathRefused_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("device folder") << "/dev/hanlabel-test-absent-printer";
    QTest::newRow("absent sub-folder") << "/dev/hanlabel-test-absent/lp0";
}

void TestTransport::absentDevicePathRefused() {
    QFETCH(QString, path);
    if (QFileInfo::exists(path))
        QSKIP("the test's own device name exists on this machine");
    SendWatch watch;
    const SendOutcome outcome = watch.run(*MakeParallelTransport(path), "^XA^XZ\r\n");
    QVERIFY(!outcome.ok && !outcome.cancelled);
    for (const QString& part : {QStringLiteral("LPT1"), path, QStringLiteral("\"프린터 연결...\"")})
        QVERIFY2(outcome.message.contains(part), qPrintable(outcome.message));
    // An operator's message names no variable and no target syntax.
    for (const QString& part : {QStringLiteral("HANLABEL_"), QStringLiteral("tcp://"), QStringLiteral("cups:")})
        QVERIFY2(!outcome.message.contains(part), qPrintable(outcome.message));
    QVERIFY(!QFileInfo::exists(path));
    QCOMPARE(watch.lastProgress(), qint64(-1));
}

void TestTransport::fileSizeLimitIsAFailure() {
    QTemporaryDir dir;
    const QString path = dir.filePath("lp0");
    rlimit old{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 16 * 1024;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    SendWatch watch;
    const SendOutcome outcome = watch.run(*MakeParallelTransport(path), Pattern(64 * 1024));
    ::setrlimit(RLIMIT_FSIZE, &old);
    QVERIFY(!outcome.ok && !outcome.cancelled);
    QVERIFY2(outcome.message.contains(SystemText(EFBIG)) && outcome.message.contains("16384 / 65536"),
             qPrintable(outcome.message));
}

void TestTransport::serialPausingReader_data() {
    QTest::addColumn<bool>("closes");
    QTest::newRow("reader pauses and resumes") << false;
    QTest::newRow("line closed mid-job") << true;
}

void TestTransport::serialPausingReader() {
    QFETCH(bool, closes);
    PtyPair pty;
    QVERIFY(pty.ok());
    const int size = 512 * 1024;
    const QByteArray job = Pattern(size);
    QByteArray received;
    std::thread printer([&] {
        received = pty.readMaster(1024, 5000);
        if (closes) {
            pty.closeMaster();
            return;
        }
        std::this_thread::sleep_for(1500ms);
        received += pty.readMaster(size - received.size(), 5000);
    });
    SendWatch watch;
    const SendOutcome outcome = watch.run(*MakeSerialTransport(pty.slaveName(), SerialFraming::None8), job);
    printer.join();
    if (closes) {
        QVERIFY(!outcome.ok && !outcome.cancelled);
        QVERIFY2(outcome.message.contains("COM1") && outcome.message.contains(QStringLiteral("입출력 오류")),
                 qPrintable(outcome.message));
        return;
    }
    QVERIFY2(outcome.ok, qPrintable(outcome.message));
    QVERIFY(received == job);
    const QList<bool> stalls = watch.stalls();
    QVERIFY(stalls.size() >= 2 && stalls.first() && !stalls.last());
}

void TestTransport::serialNobodyReadsCancelled() {
    // Nobody reads the master, so the pseudo-terminal fills up and no byte leaves any more.
    PtyPair pty;
    QVERIFY(pty.ok());
    const int size = 4 * 1024 * 1024;
    SendWatch watch;
    std::thread operatorThread([&] {
        watch.waitForStall();
        watch.control.cancel();
    });
    const SendOutcome outcome =
        watch.run(*MakeSerialTransport(pty.slaveName(), SerialFraming::None8), Pattern(size));
    operatorThread.join();
    QVERIFY(outcome.cancelled);
    QVERIFY2(outcome.message.contains(QStringLiteral(" / %1 바이트").arg(size)) &&
                 outcome.message.contains(pty.slaveName()) &&
                 outcome.message.contains(QStringLiteral("전원")),
             qPrintable(outcome.message));
    QVERIFY(watch.notices().value(0).contains("COM1"));
    // What did get through is the start of the stream, in order.
    const QByteArray got = pty.readMaster(size, 200);
    QVERIFY(!got.isEmpty());
    QVERIFY(Pattern(size).startsWith(got));
}

QTEST_MAIN(TestTransport)
#include "tst_transport.moc"
