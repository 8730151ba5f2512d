#pragma once

#include "core/Channel.h"
#include "printers/CupsQueues.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

namespace hanlabel {

// What the "~HS" (host status) answer of a ZPL printer says.
struct HostStatus {
    bool paperOut = false;
    bool paused = false;
    bool bufferFull = false;
    bool partialFormat = false; // a format is half received and waits for the rest
    bool corruptRam = false;
    bool underTemperature = false;
    bool overTemperature = false;
    bool headOpen = false;
    bool ribbonOut = false;
    int formatsInBuffer = 0;
};

// Reads the three <STX>...<ETX><CR><LF> strings of a "~HS" answer; nothing when the bytes do not
// hold the first two strings with their fields.
std::optional<HostStatus> ParseHostStatus(const QByteArray& answer);

// The conditions of a host status in Korean, one a line; empty when the printer is ready.
QStringList HostStatusProblems(const HostStatus& status);

// The outcome of checking a target without printing. The first line says what was found in one
// of a few plain sentences: "프린터가 응답했습니다." only when a printer answered its status
// request; "장치는 열리지만 프린터의 응답은 확인하지 못했습니다." when the device or connection
// opened and nothing answered in time; "파일에 쓸 수 있습니다." for a file; what failed otherwise.
struct CheckResult {
    enum Verdict {
        Ready,     // the target can take a job
        Attention, // it is there, but something needs looking at (paper out, no answer)
        Failed,    // it cannot be reached or opened
    };
    Verdict verdict = Failed;
    QStringList lines; // what was found, in Korean
};

struct CheckOptions {
    std::chrono::milliseconds connect{3000}; // for a network printer to accept the connection
    std::chrono::milliseconds status{1000};  // for it to answer "~HS"
    CupsServerAddress cups = CurrentCupsServer();
};

// Checks where a port prints, without printing a label. "~HS" is asked of a network printer, of a
// device that opens for reading too (a USB printer's back channel) and on serial port 1 at 9600
// baud with the framing; a file or its folder must be writable; a CUPS queue must exist, with its
// state and reasons.
CheckResult CheckPortTarget(ChannelKind kind, const QString& target, SerialFraming framing,
                            const CheckOptions& options = {});

} // namespace hanlabel
