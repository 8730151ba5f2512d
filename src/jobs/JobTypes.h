#pragma once

#include "channels/SendOrder.h"
#include "core/Channel.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace hanlabel {

class GlyphSource;

// The two label windows. Each has its own settings files and its own option of the kind choice.
enum class LabelKind { Book, Member };

// What a job's steps do with the settings files.
enum class JobMode {
    Print,       // rewrite the channel and origin files, as a print does
    ComposeOnly, // write nothing: the same checks and the same composition, for the preview
};

// What a job needs from the window that runs it, besides the control values.
struct JobEnvironment {
    QString folder;                // the application folder with the settings files
    GlyphSource* glyphs = nullptr; // the window's bound glyph database
    JobMode mode = JobMode::Print;
};

// How the two origin boxes are named to the operator (caption and control), for the message that
// refuses one; given by the window that runs the job.
struct OriginBoxNames {
    QString x = QStringLiteral("좌측위치");
    QString y = QStringLiteral("상하위치");
};

// The values every label job reads: the channel choice and the label origin.
struct LabelJobInputs {
    QString portText;                             // "LPT1" for the parallel port, else serial port 1
    SerialFraming framing = SerialFraming::None8; // framing of the serial port
    QString originX;                              // label home x, as typed
    QString originY;                              // label home y, as typed
    OriginBoxNames originBoxes;                   // the boxes the two values come from
    // For this print only, never saved (the batch command's --port and --framing): the port and
    // framing the job is composed for and sent with, while the channel file keeps the two above.
    std::optional<QString> sendPort;
    std::optional<SerialFraming> sendFraming;
};

enum class JobStatus {
    Composed,        // the whole job is composed; its order waits to be sent
    Printed,         // the whole job has left for the printer
    QuantityMissing, // book job: the quantity was empty or not digits and blanks; nothing sent
    OriginRejected,  // an origin box holds "^" or "~"; nothing sent, failure names the box
    FieldRejected,   // a box's value would print otherwise in a barcode; nothing sent, failure names it
    Failed,          // failure holds the message for the operator
};

// One of the two origin boxes of a label window.
enum class OriginBox { X, Y };

// What every label job reports back to its window.
struct LabelJobOutcome {
    JobStatus status = JobStatus::Failed;
    QString failure;                         // the message when status is Failed or OriginRejected
    OriginBox rejectedOrigin = OriginBox::X; // the box to correct when status is OriginRejected
    QString rejectedBox;                     // the objectName of the box when status is FieldRejected
    SendOrder order;                         // what to send when status is Composed
    std::optional<QString> originX, originY; // the origin as saved and read back
    std::optional<QStringList> layoutLines;  // the layout file's lines, for the position dialog
    bool cancelled = false;                  // Failed because the send was cancelled
};

} // namespace hanlabel
