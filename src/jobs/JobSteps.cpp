#include "jobs/JobSteps.h"

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

bool OriginAccepted(const LabelJobInputs& in, LabelJobOutcome& out) {
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
                      .arg(out.rejectedOrigin == OriginBox::X ? in.originBoxes.x : in.originBoxes.y);
    return false;
}

WindowSettings ReadWindowSettings(const QString& folder, LabelKind kind) {
    const bool book = kind == LabelKind::Book;
    const QStringList origin = ReadSettingsFile(
        ApplicationFile(folder, book ? SettingsFiles::BookOrigin : SettingsFiles::MemberOrigin), 2);
    const QStringList channel = ReadSettingsFile(
        ApplicationFile(folder, book ? SettingsFiles::BookChannel : SettingsFiles::MemberChannel), 2);
    return {origin[0], origin[1], channel[0], FramingFromCode(channel[1])};
}

QStringList ChannelLines(const QString& portText, SerialFraming framing) {
    return {portText, FramingCode(framing)};
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

} // namespace hanlabel::JobSteps
