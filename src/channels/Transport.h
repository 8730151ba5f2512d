#pragma once

#include "core/Channel.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace hanlabel {

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

} // namespace hanlabel
