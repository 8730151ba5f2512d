#pragma once

#include "compose/PieceStream.h"
#include "jobs/LabelJob.h"

namespace hanlabel {

// What the book label job reads: a run of labels with one text and numbered serial barcodes.
struct BookLabelInputs : LabelJobInputs {
    QString labelText;     // the text printed on every label
    QString firstSerial;   // the first serial number, as typed
    bool ascending = true; // serial numbers count up (else down)
    QString quantity;      // how many labels, as typed
};

// What the book label window shows after the job.
struct BookLabelOutcome : LabelJobOutcome {};

// The serial mask for a first serial number of 2 to 13 characters holding a digit, else empty:
// "d" under each ASCII digit, "%" under each code page 949 byte of any other character, then
// ",1" or ",-1" and one "%" per "%" after the last "d" ("0012A": "dddd%,1%").
QString SerialMask(const QString& serialNumber, bool ascending);

// The complete stream of a book label job from its inputs and the five layout lines.
// Throws Failure (overflow, glyph) before anything is sent.
QByteArray ComposeBookLabel(const BookLabelInputs& in, const QStringList& layout, ChannelKind kind,
                            GlyphSource& glyphs);

// The book label job: records the channel choice and the origin, then
// composes the run of labels unless the quantity is empty or holds more than digits and blanks.
class BookLabelJob final : public LabelJob<BookLabelInputs, BookLabelOutcome> {
  public:
    using LabelJob::LabelJob;

  private:
    void steps(BookLabelOutcome& out) override;
};

} // namespace hanlabel
