#include "jobs/MemberCardJob.h"

#include "core/AppFolder.h"
#include "core/Failure.h"
#include "jobs/JobSteps.h"
#include "settings/SettingsFile.h"

namespace hanlabel {

namespace {
constexpr int kLayoutLines = 7;
}

QString StarMask(const QString& text4) {
    const qsizetype n = text4.size();
    if (n < 1 || n > 7)
        return {};
    return QString(n, u'*');
}

QByteArray ComposeMemberCard(const MemberCardInputs& in, const QStringList& layout, ChannelKind kind,
                             GlyphSource& glyphs) {
    Q_ASSERT(layout.size() >= kLayoutLines);
    const QString shownSecondPart = in.check1 ? StarMask(in.text4) : in.text4;

    PieceStream out(kind);
    out.write(JobSteps::Frame(layout[0], in.text6, in.text5));
    JobSteps::EmitTextField(out, glyphs, layout[1], layout[2], in.text1);
    JobSteps::EmitTextField(out, glyphs, layout[3], layout[4], in.text2);
    out.write(layout[5] + FieldData(in.text3 + in.text4) + QStringLiteral("^FS"));
    out.write(layout[6] + FieldData(in.text3 + QLatin1Char('-') + shownSecondPart) + QStringLiteral("^FS"));
    out.write(QStringLiteral("^XZ"));
    return out.bytes();
}

MemberCardJob::MemberCardJob(MemberCardInputs inputs, JobEnvironment env)
    : m_in(std::move(inputs)), m_env(std::move(env)) {}

MemberCardOutcome MemberCardJob::Command1_Click() {
    MemberCardOutcome out;
    try {
        JobSteps::SaveChannelSettings(ApplicationFile(m_env.folder, SettingsFiles::MemberChannel),
                                      m_in.combo1, m_in.option5);
        const QStringList origin = JobSteps::SaveAndReloadOrigin(
            ApplicationFile(m_env.folder, SettingsFiles::MemberOrigin), m_in.text6, m_in.text5);
        m_in.text6 = origin[0];
        m_in.text5 = origin[1];
        out.text6 = origin[0];
        out.text5 = origin[1];

        const QStringList layout =
            ReadSettingsFile(ApplicationFile(m_env.folder, SettingsFiles::MemberLayout), kLayoutLines);
        out.layoutLines = layout;

        // Composed completely first: nothing is sent unless the whole card can be.
        const ChannelKind kind = ChooseChannel(m_in.combo1);
        const QByteArray stream = ComposeMemberCard(m_in, layout, kind, *m_env.glyphs);
        JobSteps::Send(stream, kind, m_in.option5, m_env.progress);
        out.status = JobStatus::Printed;
        out.clearEntries = true;
    } catch (const Failure& failure) {
        out.status = JobStatus::Failed;
        out.failure = failure.message();
    }
    return out;
}

} // namespace hanlabel
