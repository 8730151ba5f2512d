#include "CupsServer.h"

#include "FakePrinter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace hanlabel::test {

namespace {

const QString kCupsd = QStringLiteral("/usr/sbin/cupsd");

void WriteText(const QString& path, const QString& text) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text.toUtf8());
}

} // namespace

quint16 FreeLoopbackPort() {
    quint16 port = 0;
    ::close(LoopbackSocket(-1, &port));
    return port;
}

bool CupsServer::start(quint16 devicePort, QString* why, const QString& moreQueues) {
    if (!QFile::exists(kCupsd)) {
        *why = QStringLiteral("cupsd is not installed");
        return false;
    }
    if (::geteuid() != 0) {
        *why = QStringLiteral("cupsd needs root");
        return false;
    }
    m_port = FreeLoopbackPort();
    const QString root = m_dir.path();
    for (const char* sub : {"serverroot", "state", "cache", "spool", "tmp", "log"})
        QDir(root).mkpath(QString::fromLatin1(sub));
    QFile::setPermissions(root, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                    QFileDevice::ReadOther | QFileDevice::ExeOther | QFileDevice::ReadGroup |
                                    QFileDevice::ExeGroup);
    WriteText(root + "/cupsd.conf",
              QStringLiteral("Listen 127.0.0.1:%1\nLogLevel warn\nBrowsing No\n"
                             "WebInterface No\nDefaultAuthType None\n"
                             "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                             "<Policy default>\n  <Limit All>\n    Order deny,allow\n"
                             "  </Limit>\n</Policy>\n")
                  .arg(m_port));
    WriteText(
        root + "/cups-files.conf",
        QStringLiteral("FileDevice Yes\nServerRoot %1/serverroot\nStateDir %1/state\nCacheDir %1/cache\n"
                       "RequestRoot %1/spool\nTempDir %1/tmp\nErrorLog %1/log/error_log\n"
                       "AccessLog %1/log/access_log\nPageLog %1/log/page_log\nPrintcap %1/printcap\n")
            .arg(root));
    // A queue without a driver is a raw queue: the job reaches the device unchanged.
    WriteText(root + "/serverroot/printers.conf",
              QStringLiteral(
                  "<Printer hanlabel>\nInfo hanlabel test queue\n"
                  "DeviceURI socket://127.0.0.1:%1\nState Idle\nType 4\nAccepting Yes\n"
                  "Shared No\nJobSheets none none\nOpPolicy default\nErrorPolicy abort-job\n</Printer>\n")
                      .arg(devicePort) +
                  moreQueues);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(kCupsd, {"-f", "-c", root + "/cupsd.conf", "-s", root + "/cups-files.conf"});
    if (!m_process.waitForStarted(5000)) {
        *why = QStringLiteral("cupsd did not start: ") + m_process.errorString();
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000) {
        if (accepting())
            return true;
        if (m_process.state() != QProcess::Running)
            break;
        QThread::msleep(50);
    }
    *why = QStringLiteral("cupsd did not come up: ") + QString::fromLocal8Bit(m_process.readAll()) +
           QString::fromLocal8Bit(readLog());
    return false;
}

CupsServer::~CupsServer() {
    if (m_process.state() == QProcess::Running) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(2000);
    }
}

QByteArray CupsServer::readLog() const {
    QFile log(m_dir.filePath("log/error_log"));
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}

bool CupsServer::accepting() const {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(m_port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

} // namespace hanlabel::test
