#include "channels/SerialTransport.h"

#include "channels/DescriptorLink.h"
#include "channels/PrinterMapping.h"

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
            m_serial.setPortName(m_path);
            if (!m_serial.open(QIODevice::WriteOnly))
                fail(QStringLiteral("를 열 수 없습니다"),
                     m_serial.errorString() + (m_serial.error() == QSerialPort::DeviceNotFoundError
                                                   ? PrinterDialogHint()
                                                   : QString()));
            m_fd = int(m_serial.handle());
            ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
            applyFraming();
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

    [[noreturn]] void refuse(const QString& setting, const QString& reason) const {
        throw Failure(QStringLiteral("%1 포트(%2)에 통신 설정 %3을 적용할 수 없습니다 (%4): %5")
                          .arg(kSerialPortName, m_path, FramingText(m_framing), setting, reason));
    }

    // Applies 9600 baud and the framing to the open port; a setting the device refuses, or does
    // not keep, stops the job before any byte is written.
    void applyFraming() {
        QSerialPort& port = m_serial;
        const bool even7 = m_framing == SerialFraming::Even7;
        const QString baudText = QStringLiteral("속도 9600");
        const QString bitsText = even7 ? QStringLiteral("데이터 비트 7") : QStringLiteral("데이터 비트 8");
        const QString parityText = even7 ? QStringLiteral("짝수 패리티") : QStringLiteral("패리티 없음");
        const QString stopText = QStringLiteral("정지 비트 1");
        const QString flowText = QStringLiteral("흐름 제어 없음");

        if (!port.setBaudRate(QSerialPort::Baud9600))
            refuse(baudText, port.errorString());
        if (!port.setDataBits(even7 ? QSerialPort::Data7 : QSerialPort::Data8))
            refuse(bitsText, port.errorString());
        if (!port.setParity(even7 ? QSerialPort::EvenParity : QSerialPort::NoParity))
            refuse(parityText, port.errorString());
        if (!port.setStopBits(QSerialPort::OneStop))
            refuse(stopText, port.errorString());
        if (!port.setFlowControl(QSerialPort::NoFlowControl))
            refuse(flowText, port.errorString());

        // A device may accept a setting and silently keep another (a pseudo-terminal always
        // holds 8 data bits without parity), so read the line settings back.
        termios tio{};
        if (::tcgetattr(static_cast<int>(port.handle()), &tio) != 0)
            fail(QStringLiteral("를 설정할 수 없습니다"), SystemReason(errno));
        const QString kept = QStringLiteral("장치가 이 값을 유지하지 않습니다");
        if (::cfgetospeed(&tio) != B9600)
            refuse(baudText, kept);
        if ((tio.c_cflag & CSIZE) != (even7 ? CS7 : CS8))
            refuse(bitsText, kept);
        const bool parityOn = (tio.c_cflag & PARENB) != 0;
        if (parityOn != even7 || (even7 && (tio.c_cflag & PARODD) != 0))
            refuse(parityText, kept);
        if ((tio.c_cflag & CSTOPB) != 0)
            refuse(stopText, kept);
        if ((tio.c_cflag & CRTSCTS) != 0 || (tio.c_iflag & (IXON | IXOFF)) != 0)
            refuse(flowText, kept);
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
