#include "jobs/JobSteps.h"

#include "channels/SendJob.h"
#include "channels/TargetFactory.h"
#include "compose/TextField.h"
#include "core/AppFolder.h"
#include "core/Numeric.h"
#include "settings/SettingsFile.h"

namespace hanlabel::JobSteps {

QStringList SaveAndReadSettings(const QString& folder, const JobFiles& files, LabelJobInputs& in,
                                LabelJobOutcome& out, JobMode mode) {
    const QString channelFile = ApplicationFile(folder, files.channel);
    const QString originFile = ApplicationFile(folder, files.origin);
    QStringList origin{in.originX, in.originY};
    if (mode == JobMode::ComposeOnly) {
        CheckSettingsLines(channelFile, ChannelLines(in.portText, in.framing));
        CheckSettingsLines(originFile, origin);
    } else {
        SaveChannelSettings(channelFile, in.portText, in.framing);
        origin = SaveAndReloadOrigin(originFile, in.originX, in.originY);
    }
    in.originX = origin[0];
    in.originY = origin[1];
    out.originX = origin[0];
    out.originY = origin[1];

    const QStringList layout = ReadSettingsFile(ApplicationFile(folder, files.layout), files.layoutLines);
    out.layoutLines = layout;
    return layout;
}

bool OriginAccepted(const LabelJobInputs& in, const OriginBoxNames& boxes, LabelJobOutcome& out) {
    const auto holdsCommandPrefix = [](const QString& text) {
        return text.contains(u'^') || text.contains(u'~');
    };
    if (holdsCommandPrefix(in.originX))
        out.rejectedOrigin = OriginBox::X;
    else if (holdsCommandPrefix(in.originY))
        out.rejectedOrigin = OriginBox::Y;
    else
        return true;
    out.status = JobStatus::OriginRejected;
    out.failure = QStringLiteral("%1에 ^ 또는 ~ 를 쓸 수 없습니다: 프린터 명령의 시작으로 읽힙니다.")
                      .arg(out.rejectedOrigin == OriginBox::X ? boxes.x : boxes.y);
    return false;
}

QStringList ChannelLines(const QString& portText, SerialFraming framing) {
    return {portText, FramingCode(framing == SerialFraming::Even7)};
}

void SaveChannelSettings(const QString& path, const QString& portText, SerialFraming framing) {
    WriteSettingsFile(path, ChannelLines(portText, framing));
}

QStringList SaveAndReloadOrigin(const QString& path, const QString& x, const QString& y) {
    WriteSettingsFile(path, {x, y});
    return ReadSettingsFile(path, 2);
}

QString Frame(const QString& speedFragment, const QString& x, const QString& y) {
    return QStringLiteral("^XA") + speedFragment + QStringLiteral("^LH") + x + QLatin1Char(',') + y;
}

void EmitTextField(PieceStream& out, GlyphSource& glyphs, const QString& xLine, const QString& yLine,
                   const QString& text) {
    int16_t x = DotPositionFromText(xLine);
    const int16_t y = DotPositionFromText(yLine);
    if (out.kind() == ChannelKind::Parallel)
        PrintTextLpt(out, glyphs, x, y, text, 1);
    else
        PrintTextComm(out, glyphs, x, y, text, 1);
}

std::unique_ptr<SendJob> MakeSendJob(const SendOrder& order) {
    return std::make_unique<SendJob>(OpenTransport(order.kind, order.framing), order.stream);
}

} // namespace hanlabel::JobSteps
