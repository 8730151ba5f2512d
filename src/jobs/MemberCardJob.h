#pragma once

#include "compose/PieceStream.h"
#include "jobs/LabelJob.h"
#include "preview/FieldReading.h"

#include <optional>

namespace hanlabel {

// What the member card job reads: one card with the member's affiliation, name and number.
struct MemberCardInputs : LabelJobInputs {
    QString affiliation;
    QString name;
    QString memberNumberFirst;  // the first part of the member number
    QString memberNumberSecond; // the second part of the member number
    bool maskSecondPart = true; // the readable number line shows the second part as stars
};

// What the member card window shows after the job.
struct MemberCardOutcome : LabelJobOutcome {};

// "*" ... "*******" as long as the second part of the member number (1 to 7), else empty.
QString StarMask(const QString& secondPart);

// The complete stream of one member card. Throws Failure before anything is sent.
QByteArray ComposeMemberCard(const MemberCardInputs& in, const QStringList& layout, ChannelKind kind,
                             GlyphSource& glyphs);

// A member number the card's barcode would not print as typed: a ">" for a "^BC" line, a character
// outside ASCII for a "^BC" or "^B3" line. The window's message names the box (Text3 or Text4), a
// list row's names the member number.
std::optional<BarcodeValueRefusal> RefuseMemberNumber(const MemberCardInputs& in, const QStringList& layout,
                                                      bool window);

// The member card job's steps before composing: saves the channel choice and the origin, takes the
// origin back as read, reads the layout and checks the origin and the member number. Returns the
// layout lines, or nothing when a box was refused (the outcome says which); in ComposeOnly mode it writes nothing
// (see JobSteps::SaveAndReadSettings). Throws Failure.
std::optional<QStringList> MemberCardSettings(const QString& folder, MemberCardInputs& in,
                                              LabelJobOutcome& out, JobMode mode = JobMode::Print);

// The member card job: records the channel choice and the origin, then
// composes the card.
class MemberCardJob final : public LabelJob<MemberCardInputs, MemberCardOutcome> {
  public:
    using LabelJob::LabelJob;

  private:
    void steps(MemberCardOutcome& out) override;
};

} // namespace hanlabel
