#include "printers/SerialLine.h"

#include "core/Failure.h"
#include "core/SystemReason.h"
#include "printers/PrinterMapping.h"

#include <QSerialPort>

#include <cerrno>

#include <termios.h>

namespace hanlabel {

namespace {

const QString kSerialPortName = QStringLiteral("COM1");

// QSerialPort's reasons are Qt's English texts: the common ones in the program's words.
QString PortReason(const QSerialPort& port) {
    switch (port.error()) {
    case QSerialPort::DeviceNotFoundError:
        return SystemReason(ENOENT);
    case QSerialPort::PermissionError:
        return SystemReason(EACCES);
    case QSerialPort::ResourceError:
        return SystemReason(EIO);
    case QSerialPort::UnsupportedOperationError:
        return QStringLiteral("장치가 이 설정을 지원하지 않습니다");
    case QSerialPort::TimeoutError:
        return SystemReason(ETIMEDOUT);
    default:
        break;
    }
    return QStringLiteral("직렬 포트 오류 (%1)").arg(port.errorString());
}

class LineSetup {
  public:
    LineSetup(QSerialPort& port, const QString& device, SerialFraming framing)
        : m_port(port), m_device(device), m_framing(framing) {}

    [[noreturn]] void fail(const QString& what, const QString& reason) const {
        throw Failure(QStringLiteral("%1 포트(%2)%3: %4").arg(kSerialPortName, m_device, what, reason));
    }

    [[noreturn]] void refuse(const QString& setting, const QString& reason) const {
        throw Failure(QStringLiteral("%1 포트(%2)에 통신 설정 %3을 적용할 수 없습니다 (%4): %5")
                          .arg(kSerialPortName, m_device, FramingText(m_framing), setting, reason));
    }

    void apply() {
        QSerialPort& port = m_port;
        const bool even7 = m_framing == SerialFraming::Even7;
        const QString baudText = QStringLiteral("속도 9600");
        const QString bitsText = even7 ? QStringLiteral("데이터 비트 7") : QStringLiteral("데이터 비트 8");
        const QString parityText = even7 ? QStringLiteral("짝수 패리티") : QStringLiteral("패리티 없음");
        const QString stopText = QStringLiteral("정지 비트 1");
        const QString flowText = QStringLiteral("흐름 제어 없음");

        if (!port.setBaudRate(QSerialPort::Baud9600))
            refuse(baudText, PortReason(port));
        if (!port.setDataBits(even7 ? QSerialPort::Data7 : QSerialPort::Data8))
            refuse(bitsText, PortReason(port));
        if (!port.setParity(even7 ? QSerialPort::EvenParity : QSerialPort::NoParity))
            refuse(parityText, PortReason(port));
        if (!port.setStopBits(QSerialPort::OneStop))
            refuse(stopText, PortReason(port));
        if (!port.setFlowControl(QSerialPort::NoFlowControl))
            refuse(flowText, PortReason(port));

        // A pseudo-terminal, for one, always holds 8 data bits without parity.
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

  private:
    QSerialPort& m_port;
    const QString& m_device;
    SerialFraming m_framing;
};

} // namespace

void OpenSerialLine(QSerialPort& port, const QString& device, SerialFraming framing,
                    QIODevice::OpenMode mode) {
    LineSetup setup(port, device, framing);
    port.setPortName(device);
    if (!port.open(mode))
        setup.fail(QStringLiteral("를 열 수 없습니다"),
                   PortReason(port) +
                       (port.error() == QSerialPort::DeviceNotFoundError ? PrinterDialogHint() : QString()));
    try {
        setup.apply();
    } catch (...) {
        port.close();
        throw;
    }
}

} // namespace hanlabel
