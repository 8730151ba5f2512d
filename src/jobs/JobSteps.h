#pragma once

#include "compose/PieceStream.h"
#include "jobs/JobTypes.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace hanlabel {

// Steps the book and member card jobs share.
namespace JobSteps {

// The settings files of one kind of job, and how many lines its layout file must have.
struct JobFiles {
    QString channel;
    QString origin;
    QString layout;
    int layoutLines = 0;
};

// The steps before composing: saves the channel choice and the origin, takes the origin back as
// read (into the inputs and the outcome) and returns the layout lines, also kept in the outcome.
// In ComposeOnly mode nothing is written: the channel and origin lines get the checks a write
// would make and the origin is taken as typed, which is what reading it back gives.
// Throws Failure.
QStringList SaveAndReadSettings(const QString& folder, const JobFiles& files, LabelJobInputs& in,
                                LabelJobOutcome& out, JobMode mode = JobMode::Print);

// The step after the settings: an origin holding "^" or "~" (as read back) would start a printer
// command inside "^LH", so it sets the outcome to OriginRejected with a message naming the box
// (in.originBoxes). Returns whether the job may go on.
bool OriginAccepted(const LabelJobInputs& in, LabelJobOutcome& out);

// What a label window starts with, from its origin and channel settings files.
struct WindowSettings {
    QString originX;
    QString originY;
    QString portText;
    std::optional<SerialFraming> framing; // nothing when the file names none
};

// Reads a label window's origin file, then its channel file. Throws Failure when one is missing
// or too short.
WindowSettings ReadWindowSettings(const QString& folder, LabelKind kind);

// The lines of a channel settings file: the port text and the framing code.
QStringList ChannelLines(const QString& portText, SerialFraming framing);

// Saves the channel settings file: the port text and the framing code.
void SaveChannelSettings(const QString& path, const QString& portText, SerialFraming framing);

// Saves the origin file and reads it straight back; returns what the boxes show from now on.
QStringList SaveAndReloadOrigin(const QString& path, const QString& x, const QString& y);

// The job frame: "^XA", the print-speed fragment, "^LH" and the origin as typed.
QString Frame(const QString& speedFragment, const QString& x, const QString& y);

// One text field through the emitter of the channel's flavour.
void EmitTextField(PieceStream& out, GlyphSource& glyphs, const QString& xLine, const QString& yLine,
                   const QString& text);

} // namespace JobSteps
} // namespace hanlabel
