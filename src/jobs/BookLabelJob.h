#pragma once

#include "compose/PieceStream.h"
#include "jobs/JobTypes.h"

namespace hanlabel {

// The control values of the book label window that the job reads.
struct BookLabelInputs {
    QString combo1;       // port text
    bool option5 = false; // framing 9600,E,7,1 (else Option6, 9600,N,8,1)
    QString text3;        // label home x, as typed
    QString text4;        // label home y, as typed
    QString text1;        // label text
    QString text2;        // first serial number
    bool option1 = true;  // ascending (else Option2, descending)
    QString text5;        // quantity
};

// What the window shows after the job.
struct BookLabelOutcome {
    JobStatus status = JobStatus::Failed;
    QString failure;                        // the message when status is Failed
    std::optional<QString> text3, text4;    // the origin reloaded from position.ini
    std::optional<QStringList> layoutLines; // the five lines of DPOS.ini, for the position dialog
};

// The serial mask for a first serial number: n "d" and ",1" or ",-1" for 2 <= n <= 13, else empty.
QString SerialMask(const QString& serialNumber, bool ascending);

// The complete stream of a book label job from its inputs and the five layout lines.
// Throws Failure (overflow, glyph) before anything is sent.
QByteArray ComposeBookLabel(const BookLabelInputs& in, const QStringList& layout, ChannelKind kind,
                            GlyphSource& glyphs);

// The print button of the book label window: records the channel choice, then PrintBookLabel.
class BookLabelJob {
  public:
    BookLabelJob(BookLabelInputs inputs, JobEnvironment env);
    BookLabelOutcome Command1_Click();

  private:
    void PrintBookLabel();

    BookLabelInputs m_in;
    JobEnvironment m_env;
    BookLabelOutcome m_out;
};

} // namespace hanlabel
