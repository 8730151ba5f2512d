#include "jobs/BookLabelJob.h"

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

// Saves channel and origin, reads the layout, then prints the run unless the quantity is empty.
void BookLabelJob::print(BookLabelOutcome& out) {
    const QStringList layout = JobSteps::SaveAndReadSettings(
        m_env.folder,
        {SettingsFiles::BookChannel, SettingsFiles::BookOrigin, SettingsFiles::BookLayout, kLayoutLines},
        m_in, out);

    if (m_in.quantity.isEmpty()) {
        out.status = JobStatus::QuantityMissing;
        return;
    }

    // Composed completely first: an overflow or a missing glyph must not leave half a job in the printer.
    const ChannelKind kind = ChooseChannel(m_in.portText);
    const QByteArray stream = ComposeBookLabel(m_in, layout, kind, *m_env.glyphs);
    JobSteps::Send(stream, kind, m_in.framing, m_env.progress);
    out.status = JobStatus::Printed;
}

} // namespace hanlabel
