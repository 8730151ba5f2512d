#include "lists/ListLock.h"

#include "core/Failure.h"
#include "lists/SentMarks.h"

#include <QFile>
#include <QSysInfo>

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

namespace hanlabel {

namespace {

// The operator's account name, else its number.
QString UserName() {
    if (const passwd* pw = ::getpwuid(::geteuid()))
        return QString::fromLocal8Bit(pw->pw_name);
    return QString::number(::geteuid());
}

// What the holder wrote: "program\tuser\thost\tpid".
QString HolderText(int fd) {
    char buffer[512];
    const ssize_t n = ::pread(fd, buffer, sizeof buffer - 1, 0);
    const QStringList parts = QString::fromUtf8(buffer, n > 0 ? n : 0).trimmed().split(u'\t');
    if (parts.size() < 4)
        return QStringLiteral("누가 인쇄하는지는 알 수 없습니다");
    return QStringLiteral("%1, 사용자 %2, 컴퓨터 %3, 프로세스 %4").arg(parts[0], parts[1], parts[2], parts[3]);
}

} // namespace

QString ListLock::PathFor(const QString& listPath) { return listPath + QStringLiteral(".lock"); }

ListLock::ListLock(const QString& listPath, const QString& program) {
    const QString path = PathFor(listPath);
    const QByteArray native = QFile::encodeName(path);
    // Writable for every operator the umask lets in, so that the next one can record itself.
    m_fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (m_fd < 0 && (errno == EACCES || errno == EROFS))
        m_fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (m_fd < 0)
        throw Failure(BesideListFailure(QStringLiteral("명단 잠금 파일"), path,
                                        QString::fromLocal8Bit(std::strerror(errno))));
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EINTR)
            continue;
        const QString holder = HolderText(m_fd);
        ::close(std::exchange(m_fd, -1));
        if (error == EWOULDBLOCK)
            throw Failure(QStringLiteral("이 명단은 지금 다른 곳에서 인쇄 중입니다 (%1). 그 인쇄가 끝난 뒤에 "
                                         "다시 여십시오: 이미 보낸 카드는 건너뜁니다.")
                              .arg(holder));
        throw Failure(QStringLiteral("명단을 잠글 수 없습니다: %1\n(%2)")
                          .arg(path, QString::fromLocal8Bit(std::strerror(error))));
    }
    const QByteArray who = QStringLiteral("%1\t%2\t%3\t%4\n")
                               .arg(program, UserName(), QSysInfo::machineHostName())
                               .arg(::getpid())
                               .toUtf8();
    if (::ftruncate(m_fd, 0) == 0) {
        [[maybe_unused]] const ssize_t n = ::pwrite(m_fd, who.constData(), size_t(who.size()), 0);
    }
}

ListLock::~ListLock() {
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace hanlabel
