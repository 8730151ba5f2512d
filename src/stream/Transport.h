#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

namespace hanlabel {

enum class ChannelKind;

// Serial framing of port 1: Option5 "9600,E,7,1" or Option6 "9600,N,8,1".
enum class SerialFraming { Even7, None8 };
QString FramingText(SerialFraming framing);

// Called while a job is sent: bytes that have left so far, of the total.
using ProgressFn = std::function<void(qint64 sent, qint64 total)>;

// Where a composed job goes. send() opens, writes every byte and closes; it returns only when
// every byte has left, and throws Failure naming the port and the system's reason otherwise.
class Transport {
  public:
    virtual ~Transport() = default;
    virtual QString description() const = 0;
    virtual void send(const QByteArray& stream, const ProgressFn& progress) = 0;
};

// The device that stands for "LPT1": $HANLABEL_LPT1, else /dev/lp0 (Windows: LPT1).
QString ParallelPortTarget();
// The device of serial port 1: $HANLABEL_COM1, else /dev/ttyS0 (Windows: COM1).
QString SerialPortTarget();

// "LPT1" opened as a sequential output file: a plain file is truncated per job.
std::unique_ptr<Transport> MakeParallelTransport(const QString& target);
// Serial port 1 at 9600 baud with the framing applied after the port has opened.
std::unique_ptr<Transport> MakeSerialTransport(const QString& device, SerialFraming framing);
// The same with another limit on how long the port may take no byte before the job fails.
std::unique_ptr<Transport> MakeSerialTransport(const QString& device, SerialFraming framing,
                                               std::chrono::milliseconds stallLimit);
// How long serial port 1 may take no byte before a job fails.
inline constexpr std::chrono::milliseconds kSerialStallLimit{30000};

// The transport for an "LPT1" target: a file or device path (/dev/usb/lp0), "tcp://HOST:PORT",
// "cups:QUEUE", "preview:" or "preview:PATH.png".
std::unique_ptr<Transport> MakeTargetTransport(const QString& target);

// The transport for a job on the chosen channel, from the platform mapping above.
std::unique_ptr<Transport> OpenTransport(ChannelKind kind, SerialFraming framing);

} // namespace hanlabel
