#include "TestSupport.h"

#include "core/Cp949.h"
#include "core/Failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace hanlabel::test {

void OriginRejectionColumns() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("x");
    QTest::addColumn<QString>("y");
    QTest::addColumn<OriginBox>("box");
    QTest::addColumn<QString>("named");
}

void OriginRejectionRows(const QString& xName, const QString& yName, const QString& kind) {
    if (kind.isEmpty()) {
        QTest::addColumn<QString>("x");
        QTest::addColumn<QString>("y");
        QTest::addColumn<OriginBox>("box");
        QTest::addColumn<QString>("named");
    }
    const auto row = [&kind](const char* tag) -> QTestData& {
        if (kind.isEmpty())
            return QTest::newRow(tag);
        return QTest::addRow("%s, %s", qPrintable(kind), tag) << kind;
    };
    row("caret in x") << QStringLiteral("1^XA") << QStringLiteral("10") << OriginBox::X << xName;
    row("tilde in y") << QStringLiteral("20") << QStringLiteral("~JR") << OriginBox::Y << yName;
    row("both, x first") << QStringLiteral("^") << QStringLiteral("~") << OriginBox::X << xName;
}

void VerifyOriginRejected(const LabelJobOutcome& out, const AppFolderFixture& app, const QString& lptPath,
                          const QString& channelFile, const QString& originFile, const QStringList& layout) {
    QFETCH(QString, x);
    QFETCH(QString, y);
    QFETCH(OriginBox, box);
    QFETCH(QString, named);
    QCOMPARE(out.status, JobStatus::OriginRejected);
    QCOMPARE(out.rejectedOrigin, box);
    QVERIFY2(out.failure.contains(named), qPrintable(out.failure));
    QVERIFY(!QFile::exists(lptPath));
    QCOMPARE(app.readBytes(channelFile), QByteArray("LPT1\r\n2\r\n"));
    QCOMPARE(app.readBytes(originFile), (x + "\r\n" + y + "\r\n").toLatin1());
    QCOMPARE(out.originX.value(), x);
    QCOMPARE(out.originY.value(), y);
    QCOMPARE(out.layoutLines.value(), layout);
}

QString TestDataPath(const QString& name) { return QStringLiteral(HANLABEL_TEST_DATA "/") + name; }

QString SampleDatabasePath() { return QStringLiteral(HANLABEL_SAMPLE_APP "/견고딕24X24.mdb"); }

QByteArray ReadFileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

AppFolderFixture::AppFolderFixture() {
    const QDir sample(QStringLiteral(HANLABEL_SAMPLE_APP));
    for (const QFileInfo& info : sample.entryInfoList(QDir::Files)) {
        const QString target = file(info.fileName());
        QFile::copy(info.absoluteFilePath(), target);
        QFile::setPermissions(target,
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    }
}

QString AppFolderFixture::file(const QString& name) const { return m_dir.filePath(name); }

void AppFolderFixture::writeLines(const QString& name, const QStringList& lines) const {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += EncodeCp949(line) + "\r\n";
    writeBytes(name, bytes);
}

void AppFolderFixture::writeBytes(const QString& name, const QByteArray& bytes) const {
    QFile f(file(name));
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QByteArray AppFolderFixture::readBytes(const QString& name) const { return ReadFileBytes(file(name)); }

void AppFolderFixture::useGlyphDatabase(const QString& testDataName) const {
    const QString target = file(QStringLiteral("견고딕24X24.mdb"));
    QFile::remove(target);
    QFile::copy(TestDataPath(testDataName), target);
}

QString CompareGolden(const QString& name, const QByteArray& actual) {
    const QString path = TestDataPath(QStringLiteral("golden/") + name);
    if (qEnvironmentVariableIntValue("HANLABEL_REGENERATE_GOLDEN") == 1) {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QStringLiteral("cannot regenerate %1").arg(path);
        f.write(actual);
        return {};
    }
    return CheckGolden(name, actual);
}

QString CheckGolden(const QString& name, const QByteArray& actual) {
    const QString path = TestDataPath(QStringLiteral("golden/") + name);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("golden file %1 is missing (regenerate with HANLABEL_REGENERATE_GOLDEN=1)")
            .arg(path);
    const QByteArray expected = f.readAll();
    if (expected == actual)
        return {};
    qsizetype i = 0;
    while (i < expected.size() && i < actual.size() && expected[i] == actual[i])
        ++i;
    return QStringLiteral("%1 differs at byte %2 (expected %3 bytes, got %4): expected \"%5\", got \"%6\"")
        .arg(name)
        .arg(i)
        .arg(expected.size())
        .arg(actual.size())
        .arg(QString::fromLatin1(expected.mid(qMax<qsizetype>(0, i - 20), 60).toPercentEncoding(" ^~,")),
             QString::fromLatin1(actual.mid(qMax<qsizetype>(0, i - 20), 60).toPercentEncoding(" ^~,")));
}

struct PtyCapture::State {
    int master = -1;
    int slave = -1;
    std::atomic<bool> stop{false};
    std::mutex mutex;
    QByteArray bytes;
    std::thread reader;
    QByteArray answer;
    qsizetype answered = 0; // requests answered so far
};

PtyCapture::PtyCapture(QByteArray statusAnswer) : m_state(std::make_unique<State>()) {
    m_state->answer = std::move(statusAnswer);
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&m_state->master, &m_state->slave, name, &raw, nullptr) != 0)
        return;
    m_slavePath = QString::fromLocal8Bit(name);
    tcsetattr(m_state->master, TCSANOW, &raw);
    // The slave stays open here too, so the master never sees a hang-up between jobs.
    m_state->reader = std::thread([s = m_state.get()] {
        char buffer[4096];
        while (!s->stop) {
            pollfd p{s->master, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0)
                continue;
            const ssize_t n = read(s->master, buffer, sizeof buffer);
            if (n > 0) {
                std::lock_guard lock(s->mutex);
                s->bytes.append(buffer, n);
                if (!s->answer.isEmpty() && s->bytes.count("~HS") > s->answered) {
                    ++s->answered;
                    [[maybe_unused]] const ssize_t w = write(s->master, s->answer.constData(), size_t(s->answer.size()));
                }
            }
        }
    });
}

PtyCapture::~PtyCapture() {
    m_state->stop = true;
    if (m_state->reader.joinable())
        m_state->reader.join();
    if (m_state->master >= 0)
        close(m_state->master);
    if (m_state->slave >= 0)
        close(m_state->slave);
}

QByteArray PtyCapture::received() {
    std::lock_guard lock(m_state->mutex);
    return m_state->bytes;
}

QByteArray PtyCapture::waitFor(qsizetype byteCount, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (received().size() >= byteCount)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return received();
}

QString FailureAsOperator(const Operator& who, const std::function<void()>& call) {
    int channel[2];
    if (pipe(channel) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const std::vector<gid_t> groups(who.groups.cbegin(), who.groups.cend());
        QByteArray message = "could not become the operator";
        if (setgroups(groups.size(), groups.data()) == 0 && setgid(who.gid) == 0 && setuid(who.uid) == 0) {
            umask(022);
            message.clear();
            try {
                call();
            } catch (const Failure& failure) {
                message = failure.message().toUtf8();
            }
        }
        const ssize_t written = write(channel[1], message.constData(), size_t(message.size()));
        _exit(written == message.size() ? 0 : 1);
    }
    close(channel[1]);
    QByteArray message;
    char buffer[512];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;)
        message.append(buffer, n);
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return QStringLiteral("the child process failed");
    return QString::fromUtf8(message);
}

} // namespace hanlabel::test
