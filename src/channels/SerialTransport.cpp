#include "channels/SerialTransport.h"

#include "channels/PrinterMapping.h"
#include "core/Failure.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QThread>

#include <algorithm>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <sys/ioctl.h>
#include <termios.h>
#endif

namespace hanlabel {

namespace {

// Small enough that progress moves visibly at 9600 baud (about 960 bytes a second).
constexpr qint64 kSerialChunk = 256;
constexpr int kWaitSliceMs = 200;
const QString kSerialPortName = QStringLiteral("COM1");

// Sends the stream through a serial device at 9600 baud and returns once every byte has left.
class SerialTransport final : public Transport {
  public:
    SerialTransport(QString device, SerialFraming framing, std::chrono::milliseconds stallLimit)
        : m_device(std::move(device)), m_framing(framing), m_stallLimit(stallLimit) {}

    QString description() const override {
        return QStringLiteral("%1 (%2, %3)").arg(kSerialPortName, m_device, FramingText(m_framing));
    }

    void send(const QByteArray& stream, const ProgressFn& progress) override {
        QSerialPort port;
        port.setPortName(m_device);
        if (!port.open(QIODevice::WriteOnly))
            fail(QStringLiteral("를 열 수 없습니다"),
                 port.errorString() +
                     (port.error() == QSerialPort::DeviceNotFoundError ? PrinterDialogHint() : QString()));
        applyFraming(port);

        const qint64 total = stream.size();
        qint64 sent = 0;
        while (sent < total) {
            const qint64 size = std::min(kSerialChunk, total - sent);
            if (port.write(stream.constData() + sent, size) != size)
                fail(QStringLiteral("에 쓸 수 없습니다"), port.errorString());
            waitUntilHandedOver(port);
            sent += size;
            if (progress)
                progress(sent, total);
        }
        drain(port);
        // close() restores the earlier line settings at once, so it must come after the drain.
        port.close();
        if (total == 0 && progress)
            progress(0, 0);
    }

  private:
    [[noreturn]] void fail(const QString& what, const QString& reason) const {
        throw Failure(QStringLiteral("%1 포트(%2)%3: %4").arg(kSerialPortName, m_device, what, reason));
    }

    [[noreturn]] void refuse(const QString& setting, const QString& reason) const {
        throw Failure(QStringLiteral("%1 포트(%2)에 통신 설정 %3을 적용할 수 없습니다 (%4): %5")
                          .arg(kSerialPortName, m_device, FramingText(m_framing), setting, reason));
    }

    // Applies 9600 baud and the framing to the open port; a setting the device refuses, or does
    // not keep, stops the job before any byte is written.
    void applyFraming(QSerialPort& port) const {
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

#ifndef Q_OS_WIN
        // A device may accept a setting and silently keep another (a pseudo-terminal always
        // holds 8 data bits without parity), so read the line settings back.
        termios tio{};
        if (::tcgetattr(static_cast<int>(port.handle()), &tio) != 0)
            fail(QStringLiteral("를 설정할 수 없습니다"), QString::fromLocal8Bit(std::strerror(errno)));
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
#endif
    }

    [[noreturn]] void stalled() const {
        fail(QStringLiteral("를 통해 보낼 수 없습니다"),
             QStringLiteral("%1초 동안 한 바이트도 나가지 않았습니다")
                 .arg(QString::number(m_stallLimit.count() / 1000.0)));
    }

    // Waits until the port has handed every written byte to the system.
    void waitUntilHandedOver(QSerialPort& port) const {
        QElapsedTimer idle;
        idle.start();
        qint64 pending = port.bytesToWrite();
        while (pending > 0) {
            if (!port.waitForBytesWritten(kWaitSliceMs)) {
                const QSerialPort::SerialPortError error = port.error();
                if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError)
                    fail(QStringLiteral("에 쓸 수 없습니다"), port.errorString());
                port.clearError();
            }
            const qint64 now = port.bytesToWrite();
            if (now < pending) {
                pending = now;
                idle.restart();
            } else if (idle.hasExpired(m_stallLimit.count())) {
                stalled();
            }
        }
    }

    // Waits until the system has put every byte on the line.
    void drain(QSerialPort& port) const {
#ifdef Q_OS_WIN
        if (!::FlushFileBuffers(reinterpret_cast<HANDLE>(port.handle())))
            fail(QStringLiteral("에 쓸 수 없습니다"),
                 QStringLiteral("FlushFileBuffers 오류 %1").arg(::GetLastError()));
#else
        const int fd = static_cast<int>(port.handle());
        // tcdrain() has no limit of its own; watch the output queue first so a dead line fails.
        QElapsedTimer idle;
        idle.start();
        int queued = 0;
        int last = -1;
        while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0) {
            if (last < 0 || queued < last) {
                last = queued;
                idle.restart();
            } else if (idle.hasExpired(m_stallLimit.count())) {
                stalled();
            }
            QThread::msleep(10);
        }
        while (::tcdrain(fd) != 0) {
            if (errno != EINTR)
                fail(QStringLiteral("에 쓸 수 없습니다"), QString::fromLocal8Bit(std::strerror(errno)));
        }
#endif
    }

    QString m_device;
    SerialFraming m_framing;
    std::chrono::milliseconds m_stallLimit;
};

} // namespace

std::unique_ptr<Transport> MakeSerialTransport(const QString& device, SerialFraming framing) {
    return MakeSerialTransport(device, framing, kSerialStallLimit);
}

std::unique_ptr<Transport> MakeSerialTransport(const QString& device, SerialFraming framing,
                                               std::chrono::milliseconds stallLimit) {
    return std::make_unique<SerialTransport>(device, framing, stallLimit);
}

} // namespace hanlabel
