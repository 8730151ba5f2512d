#include "jobs/JobSteps.h"

#include "channels/TargetFactory.h"
#include "compose/TextField.h"
#include "core/Numeric.h"
#include "settings/SettingsFile.h"

namespace hanlabel::JobSteps {

void SaveChannelSettings(const QString& path, const QString& portText, bool option5) {
    WriteSettingsFile(path, {portText, FramingCode(option5)});
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

void Send(const QByteArray& stream, ChannelKind kind, bool option5, const ProgressFn& progress) {
    const auto transport = OpenTransport(kind, option5 ? SerialFraming::Even7 : SerialFraming::None8);
    transport->send(stream, progress);
}

} // namespace hanlabel::JobSteps
