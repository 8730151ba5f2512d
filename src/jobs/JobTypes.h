#pragma once

#include "channels/Transport.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace hanlabel {

class GlyphSource;

// What a job needs from the window that runs it, besides the control values.
struct JobEnvironment {
    QString folder;                // the application folder with the settings files
    GlyphSource* glyphs = nullptr; // the window's bound glyph database
    ProgressFn progress;           // optional: called while the job is transmitted
};

// The values every label job reads: the channel choice and the label origin.
struct LabelJobInputs {
    QString portText;                             // "LPT1" for the parallel port, else serial port 1
    SerialFraming framing = SerialFraming::None8; // framing of the serial port
    QString originX;                              // label home x, as typed
    QString originY;                              // label home y, as typed
};

enum class JobStatus {
    Printed,         // the whole job has left for the printer
    QuantityMissing, // book job: the quantity was empty or not digits and blanks; nothing sent
    OriginRejected,  // an origin box holds "^" or "~"; nothing sent, failure names the box
    Failed,          // failure holds the message for the operator
};

// One of the two origin boxes of a label window.
enum class OriginBox { X, Y };

// What every label job reports back to its window.
struct LabelJobOutcome {
    JobStatus status = JobStatus::Failed;
    QString failure;                         // the message when status is Failed or OriginRejected
    OriginBox rejectedOrigin = OriginBox::X; // the box to correct when status is OriginRejected
    std::optional<QString> originX, originY; // the origin as saved and read back
    std::optional<QStringList> layoutLines;  // the layout file's lines, for the position dialog
};

} // namespace hanlabel
