#include "jobs/BookLabelJob.h"

#include "core/Cp949.h"
#include "jobs/JobSteps.h"
#include "preview/FieldReading.h"
#include "settings/SettingsFile.h"

#include <algorithm>

namespace hanlabel {

namespace {
constexpr int kLayoutLines = 5;

// Whether a character is one of the digits 0 to 9 that the printer's "d" counts over.
bool IsAsciiDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

// The bytes a character takes in code page 949; one for a character it cannot represent, which
// stops the job when the piece is written anyway.
qsizetype Cp949Length(char32_t c) {
    const std::optional<QByteArray> bytes = EncodeCp949Char(c);
    return bytes ? bytes->size() : 1;
}

// Whether the quantity can follow "^PQ": not empty, ASCII digits and blanks only. Any other
// character would make the printer read a different count or start a command of its own.
bool QuantityGiven(const QString& quantity) {
    if (quantity.isEmpty())
        return false;
    return std::all_of(quantity.begin(), quantity.end(),
                       [](QChar c) { return c == u' ' || IsAsciiDigit(c.unicode()); });
}

} // namespace

QString SerialMask(const QString& serialNumber, bool ascending) {
    const qsizetype n = serialNumber.size();
    if (n < 2 || n > 13)
        return {};
    // The printer counts over the bytes of the printed data, and a "d" over a letter would turn
    // it into a digit: so every byte of any other character is kept as it is with "%".
    QString mask;
    for (const char32_t c : serialNumber.toUcs4()) {
        if (IsAsciiDigit(c))
            mask += u'd';
        else
            mask += QString(Cp949Length(c), u'%');
    }
    const qsizetype lastDigit = mask.lastIndexOf(u'd');
    if (lastDigit < 0)
        return {};
    // The increment is aligned with the end of the mask: one "%" for each kept byte after the
    // last digit puts the 1 under that digit.
    const QString keptTail(mask.size() - lastDigit - 1, u'%');
    return mask + (ascending ? QStringLiteral(",1") : QStringLiteral(",-1")) + keptTail;
}

QByteArray ComposeBookLabel(const BookLabelInputs& in, const QStringList& layout, ChannelKind kind,
                            GlyphSource& glyphs) {
    Q_ASSERT(layout.size() >= kLayoutLines);
    const QString mask = SerialMask(in.firstSerial, in.ascending);
    const QString serialField =
        FieldData(in.firstSerial) + QStringLiteral("^SF") + mask + QStringLiteral("^FS");

    PieceStream out(kind);
    out.write(JobSteps::Frame(layout[2], in.originX, in.originY));
    JobSteps::EmitTextField(out, glyphs, layout[0], layout[1], in.labelText);
    out.write(layout[3] + serialField);
    out.write(layout[4] + serialField);
    out.write(QStringLiteral("^PQ") + in.quantity + QStringLiteral("^XZ"));
    return out.bytes();
}

// Saves channel and origin, reads the layout, then composes the run unless the origin or the
// quantity cannot go into the stream.
void BookLabelJob::steps(BookLabelOutcome& out) {
    const QStringList layout = JobSteps::SaveAndReadSettings(
        m_env.folder,
        {SettingsFiles::BookChannel, SettingsFiles::BookOrigin, SettingsFiles::BookLayout, kLayoutLines},
        m_in, out, m_env.mode);
    if (!JobSteps::OriginAccepted(m_in, out))
        return;
    if (const auto refused =
            RefuseBarcodeValue({layout[3], layout[4]},
                               {{QStringLiteral("일련번호(Text2)"), QStringLiteral("Text2"), m_in.firstSerial}},
                               NonAscii::Accepted)) {
        out.status = JobStatus::FieldRejected;
        out.rejectedBox = refused->box;
        out.failure = refused->message;
        return;
    }

    if (!QuantityGiven(m_in.quantity)) {
        out.status = JobStatus::QuantityMissing;
        return;
    }

    // Composed completely first: an overflow or a missing glyph must not leave half a job in the printer.
    readyToSend(out, ComposeBookLabel(m_in, layout, sendChannel(), *m_env.glyphs));
}

} // namespace hanlabel
