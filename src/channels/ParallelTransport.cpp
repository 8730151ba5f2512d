#include "channels/ParallelTransport.h"

#include "channels/DescriptorLink.h"
#include "printers/PrinterMapping.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hanlabel {

namespace {

constexpr qint64 kParallelChunk = 4096;
const QString kParallelPortName = QStringLiteral("LPT1");

// True for paths in the device folder, where a missing name is a missing device: creating a
// plain file there would swallow the labels. A symbolic link counts by where it points.
bool InDeviceFolder(const QString& path) {
    const QFileInfo info(path);
    const QString resolved = info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
    return QDir::cleanPath(resolved).startsWith(QLatin1String("/dev/"));
}

bool IsFifo(const QByteArray& path) {
    struct stat st {};
    return ::stat(path.constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

// A device, FIFO or plain file opened for writing only and without blocking; a plain file is
// truncated per job once the job holds its lock.
class FileLink final : public DescriptorLink {
  public:
    explicit FileLink(const QString& path) : DescriptorLink(kParallelPortName, path) {}

    bool open(SendPump&) override {
        if (m_fd < 0 && !openPath())
            return false;
        if (!lock())
            return false;
        struct stat st {};
        if (::fstat(m_fd, &st) == 0 && S_ISREG(st.st_mode) && ::ftruncate(m_fd, 0) != 0)
            fail(QStringLiteral("를 비울 수 없습니다"), SystemReason(errno));
        return true;
    }

    QString waitingFor() const override {
        return m_noReader ? QStringLiteral("받는 쪽이 열려 있지 않아 기다립니다.")
                          : DescriptorLink::waitingFor();
    }

    qint64 chunk() const override { return kParallelChunk; }

    bool complete() override {
        closeChecked();
        return true;
    }

  private:
    // False while a FIFO has no reader.
    bool openPath() {
        const QByteArray native = QFile::encodeName(m_path);
        const bool device = InDeviceFolder(m_path);
        const int flags = O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (device ? 0 : O_CREAT);
        m_fd = ::open(native.constData(), flags, 0666);
        if (m_fd >= 0) {
            m_noReader = false;
            return true;
        }
        const int error = errno;
        if (error == ENXIO && IsFifo(native)) {
            m_noReader = true;
            return false;
        }
        if (error == ENOENT && device)
            fail(QStringLiteral("를 열 수 없습니다"),
                 QStringLiteral("그런 장치가 없습니다. 프린터가 켜져 연결되어 있는지 확인하세요.") +
                     PrinterDialogHint());
        fail(QStringLiteral("를 열 수 없습니다"), SystemReason(error));
    }

    bool m_noReader = false;
};

// "LPT1": a device, FIFO or file.
class ParallelTransport final : public Transport {
  public:
    explicit ParallelTransport(QString target) : m_target(std::move(target)) {}

    QString description() const override {
        return QStringLiteral("%1 (%2)").arg(kParallelPortName, m_target);
    }

  protected:
    std::unique_ptr<Link> link() const override { return std::make_unique<FileLink>(m_target); }

  private:
    QString m_target;
};

} // namespace

std::unique_ptr<Transport> MakeParallelTransport(const QString& target) {
    return std::make_unique<ParallelTransport>(target);
}

} // namespace hanlabel
