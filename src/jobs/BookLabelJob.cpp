#include "jobs/BookLabelJob.h"

#include "core/AppFolder.h"
#include "core/Failure.h"
#include "jobs/JobSteps.h"
#include "settings/SettingsFile.h"

namespace hanlabel {

namespace {
constexpr int kLayoutLines = 5;
}

QString SerialMask(const QString& serialNumber, bool ascending) {
    const qsizetype n = serialNumber.size();
    if (n < 2 || n > 13)
        return {};
    return QString(n, u'd') + (ascending ? QStringLiteral(",1") : QStringLiteral(",-1"));
}

QByteArray ComposeBookLabel(const BookLabelInputs& in, const QStringList& layout, ChannelKind kind,
                            GlyphSource& glyphs) {
    Q_ASSERT(layout.size() >= kLayoutLines);
    const QString mask = SerialMask(in.text2, in.option1);
    const QString serialField = FieldData(in.text2) + QStringLiteral("^SF") + mask + QStringLiteral("^FS");

    PieceStream out(kind);
    out.write(JobSteps::Frame(layout[2], in.text3, in.text4));
    JobSteps::EmitTextField(out, glyphs, layout[0], layout[1], in.text1);
    out.write(layout[3] + serialField);
    out.write(layout[4] + serialField);
    out.write(QStringLiteral("^PQ") + in.text5 + QStringLiteral("^XZ"));
    return out.bytes();
}

BookLabelJob::BookLabelJob(BookLabelInputs inputs, JobEnvironment env)
    : m_in(std::move(inputs)), m_env(std::move(env)) {}

BookLabelOutcome BookLabelJob::Command1_Click() {
    m_out = {};
    try {
        JobSteps::SaveChannelSettings(ApplicationFile(m_env.folder, SettingsFiles::BookChannel), m_in.combo1,
                                      m_in.option5);
        PrintBookLabel();
    } catch (const Failure& failure) {
        m_out.status = JobStatus::Failed;
        m_out.failure = failure.message();
    }
    return m_out;
}

void BookLabelJob::PrintBookLabel() {
    const QStringList origin = JobSteps::SaveAndReloadOrigin(
        ApplicationFile(m_env.folder, SettingsFiles::BookOrigin), m_in.text3, m_in.text4);
    m_in.text3 = origin[0];
    m_in.text4 = origin[1];
    m_out.text3 = origin[0];
    m_out.text4 = origin[1];

    const QStringList layout =
        ReadSettingsFile(ApplicationFile(m_env.folder, SettingsFiles::BookLayout), kLayoutLines);
    m_out.layoutLines = layout;

    if (m_in.text5.isEmpty()) {
        m_out.status = JobStatus::QuantityMissing;
        return;
    }

    // Composed completely first: an overflow or a missing glyph must not leave half a job in the printer.
    const ChannelKind kind = ChooseChannel(m_in.combo1);
    const QByteArray stream = ComposeBookLabel(m_in, layout, kind, *m_env.glyphs);
    JobSteps::Send(stream, kind, m_in.option5, m_env.progress);
    m_out.status = JobStatus::Printed;
}

} // namespace hanlabel
