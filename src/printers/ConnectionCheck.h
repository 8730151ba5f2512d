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

// The outcome of checking a target without printing.
struct CheckResult {
    enum Verdict {
        Ready,     // the target can take a job
        Attention, // it is there, but something needs looking at (paper out, no status answer)
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

// Checks where a port prints, without printing a label: a device exists and opens for writing;
// a file can be written; a network printer accepts a connection and, when it answers "~HS" in
// time, reports its state; a CUPS queue exists, with its state and reasons; serial port 1 opens
// at 9600 baud with the framing.
CheckResult CheckPortTarget(ChannelKind kind, const QString& target, SerialFraming framing,
                            const CheckOptions& options = {});

} // namespace hanlabel
