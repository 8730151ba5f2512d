#include "channels/SerialTransport.h"

#include "channels/DescriptorLink.h"
#include "printers/SerialLine.h"

#include <QSerialPort>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>

namespace hanlabel {

namespace {

// Small enough that progress moves visibly at 9600 baud (about 960 bytes a second).
constexpr qint64 kSerialChunk = 256;
const QString kSerialPortName = QStringLiteral("COM1");

// Serial port 1: opened and set up through QSerialPort, then written without blocking. Bytes
// count as reached once the driver no longer queues them.
class SerialLink final : public DescriptorLink {
  public:
    SerialLink(const QString& device, SerialFraming framing)
        : DescriptorLink(kSerialPortName, device), m_framing(framing) {}

    ~SerialLink() override {
        // QSerialPort closes its own descriptor.
        m_fd = -1;
    }

    bool open(SendPump&) override {
        if (!m_serial.isOpen()) {
            OpenSerialLine(m_serial, m_path, m_framing, QIODevice::WriteOnly);
            m_fd = int(m_serial.handle());
            ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
        }
        return lock();
    }

    qint64 chunk() const override { return kSerialChunk; }

    qint64 reached(qint64 written) override { return std::max<qint64>(0, written - queued()); }

    bool complete() override {
        if (queued() > 0)
            return false;
        // Only the last few bytes in the chip remain; close() restores the earlier line settings
        // at once, so it must come after them.
        while (::tcdrain(m_fd) != 0 && errno == EINTR) {
        }
        m_serial.close();
        m_fd = -1;
        return true;
    }

    void abandon() override {
        ::tcflush(m_fd, TCOFLUSH);
        m_serial.close();
        m_fd = -1;
    }

  private:
    // Bytes the driver still holds for the line.
    int queued() const {
        int count = 0;
        return m_fd >= 0 && ::ioctl(m_fd, TIOCOUTQ, &count) == 0 ? count : 0;
    }

    SerialFraming m_framing;
    QSerialPort m_serial;
};

// Serial port 1 at 9600 baud with the framing applied after the port has opened.
class SerialTransport final : public Transport {
  public:
    SerialTransport(QString device, SerialFraming framing)
        : m_device(std::move(device)), m_framing(framing) {}

    QString description() const override {
        return QStringLiteral("%1 (%2, %3)").arg(kSerialPortName, m_device, FramingText(m_framing));
    }

  protected:
    std::unique_ptr<Link> link() const override { return std::make_unique<SerialLink>(m_device, m_framing); }

  private:
    QString m_device;
    SerialFraming m_framing;
};

} // namespace

std::unique_ptr<Transport> MakeSerialTransport(const QString& device, SerialFraming framing) {
    return std::make_unique<SerialTransport>(device, framing);
}

} // namespace hanlabel
