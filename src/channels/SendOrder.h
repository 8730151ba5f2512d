#pragma once

#include "core/Channel.h"
#include "preview/ZplRenderer.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace hanlabel {

// A composed job and the channel it goes to.
struct SendOrder {
    QByteArray stream;
    ChannelKind kind = ChannelKind::Parallel;
    SerialFraming framing = SerialFraming::None8;
};

// How one send ended.
struct SendResult {
    bool ok = false;
    QString message; // the failure or the cancel report when !ok
    qint64 sent = 0; // bytes that reached the channel
    // What the virtual printer drew, when the send went to "preview:" and its sender asked for it.
    std::optional<PreviewResult> picture;
    bool cancelled = false; // the send was cancelled; message is the cancel report

    // A send that delivered all `bytes`.
    static SendResult delivered(qint64 bytes) {
        SendResult result;
        result.ok = true;
        result.sent = bytes;
        return result;
    }
    // A send that ended with `message`.
    static SendResult failed(QString message) {
        SendResult result;
        result.message = std::move(message);
        return result;
    }
};

} // namespace hanlabel
