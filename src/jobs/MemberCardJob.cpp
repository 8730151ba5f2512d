#include "jobs/MemberCardJob.h"

#include "jobs/JobSteps.h"
#include "preview/FieldReading.h"
#include "settings/SettingsFile.h"

namespace hanlabel {

namespace {
constexpr int kLayoutLines = 7;
}

QString StarMask(const QString& secondPart) {
    const qsizetype n = secondPart.size();
    if (n < 1 || n > 7)
        return {};
    return QString(n, u'*');
}

QByteArray ComposeMemberCard(const MemberCardInputs& in, const QStringList& layout, ChannelKind kind,
                             GlyphSource& glyphs) {
    Q_ASSERT(layout.size() >= kLayoutLines);
    const QString& first = in.memberNumberFirst;
    const QString& second = in.memberNumberSecond;
    const QString shownSecondPart = in.maskSecondPart ? StarMask(second) : second;

    PieceStream out(kind);
    out.write(JobSteps::Frame(layout[0], in.originX, in.originY));
    JobSteps::EmitTextField(out, glyphs, layout[1], layout[2], in.affiliation);
    JobSteps::EmitTextField(out, glyphs, layout[3], layout[4], in.name);
    out.write(layout[5] + FieldData(first + second) + QStringLiteral("^FS"));
    out.write(layout[6] + FieldData(first + QLatin1Char('-') + shownSecondPart) + QStringLiteral("^FS"));
    out.write(QStringLiteral("^XZ"));
    return out.bytes();
}

std::optional<BarcodeValueRefusal> RefuseMemberNumber(const MemberCardInputs& in, const QStringList& layout,
                                                      bool window) {
    const QString caption = QStringLiteral("회원번호");
    return RefuseBarcodeValue(
        {layout.value(5), layout.value(6)},
        {{window ? caption + QStringLiteral("(Text3)") : caption, QStringLiteral("Text3"), in.memberNumberFirst},
         {window ? caption + QStringLiteral("(Text4)") : caption, QStringLiteral("Text4"), in.memberNumberSecond}},
        NonAscii::Refused);
}

std::optional<QStringList> MemberCardSettings(const QString& folder, MemberCardInputs& in,
                                              LabelJobOutcome& out, JobMode mode) {
    const QStringList layout =
        JobSteps::SaveAndReadSettings(folder,
                                      {SettingsFiles::MemberChannel, SettingsFiles::MemberOrigin,
                                       SettingsFiles::MemberLayout, kLayoutLines},
                                      in, out, mode);
    if (!JobSteps::OriginAccepted(in, out))
        return std::nullopt;
    if (const auto refused = RefuseMemberNumber(in, layout, true)) {
        out.status = JobStatus::FieldRejected;
        out.rejectedBox = refused->box;
        out.failure = refused->message;
        return std::nullopt;
    }
    return layout;
}

// Saves channel and origin, reads the layout, then composes the card, unless the origin cannot
// go into the stream.
void MemberCardJob::steps(MemberCardOutcome& out) {
    const std::optional<QStringList> layout = MemberCardSettings(m_env.folder, m_in, out, m_env.mode);
    if (!layout)
        return;

    // Composed completely first: nothing is sent unless the whole card can be.
    readyToSend(out, ComposeMemberCard(m_in, *layout, sendChannel(), *m_env.glyphs));
}

} // namespace hanlabel
