#pragma once

#include "compose/PieceStream.h"
#include "jobs/JobTypes.h"

namespace hanlabel {

// The control values of the member card window that the job reads.
struct MemberCardInputs {
    QString combo1;       // port text
    bool option5 = false; // framing 9600,E,7,1 (else Option6, 9600,N,8,1)
    QString text6;        // label home x, as typed
    QString text5;        // label home y, as typed
    QString text1;        // affiliation
    QString text2;        // name
    QString text3;        // member number, first part
    QString text4;        // member number, second part
    bool check1 = true;   // any state but unchecked masks Text4 in the number line
};

// What the window shows after the job.
struct MemberCardOutcome {
    JobStatus status = JobStatus::Failed;
    QString failure;
    std::optional<QString> text6, text5;    // the origin reloaded from position1.ini
    std::optional<QStringList> layoutLines; // the seven lines of DPOS1.ini, for the position dialog
    bool clearEntries = false;              // empty Text2, Text3 and Text4 (only after a complete send)
};

// "*" ... "*******" as long as the second part of the member number (1 to 7), else empty.
QString StarMask(const QString& text4);

// The complete stream of one member card. Throws Failure before anything is sent.
QByteArray ComposeMemberCard(const MemberCardInputs& in, const QStringList& layout, ChannelKind kind,
                             GlyphSource& glyphs);

// The print button of the member card window.
class MemberCardJob {
  public:
    MemberCardJob(MemberCardInputs inputs, JobEnvironment env);
    MemberCardOutcome Command1_Click();

  private:
    MemberCardInputs m_in;
    JobEnvironment m_env;
};

} // namespace hanlabel
