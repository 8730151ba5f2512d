#include "preview/FieldReading.h"

#include "preview/Barcodes.h"
#include "preview/ZplTokenizer.h"

#include <algorithm>

namespace hanlabel {

LayoutBarcodeInfo ReadLayoutBarcode(const QString& layoutLine) {
    // Layout lines are code page 949 text whose commands are ASCII, so Latin-1 keeps them intact.
    for (const zpl::Command& cmd : zpl::Tokenize(layoutLine.toLatin1())) {
        if (cmd.prefix != '^' || (cmd.code != "BC" && cmd.code != "B3"))
            continue;
        const bool code39 = cmd.code == "B3";
        const zpl::BarcodeLook look = zpl::ReadBarcodeLook(zpl::Params(cmd.params), code39, zpl::BarDefaults());
        return {code39 ? LayoutBarcode::Code39 : LayoutBarcode::Code128, look.line};
    }
    return {};
}

namespace {

std::optional<BarcodeValueRefusal> RefuseInLine(const QString& layoutLine, const QList<ValueBox>& boxes,
                                                NonAscii nonAscii) {
    const LayoutBarcode kind = ReadLayoutBarcode(layoutLine).kind;
    if (kind == LayoutBarcode::None)
        return std::nullopt;
    for (const ValueBox& box : boxes) {
        if (kind == LayoutBarcode::Code128 && box.text.contains(u'>'))
            return BarcodeValueRefusal{
                box.objectName,
                QStringLiteral("%1에 > 를 쓸 수 없습니다: 바코드가 다른 값으로 인쇄됩니다").arg(box.caption)};
        const bool outsideAscii =
            std::any_of(box.text.begin(), box.text.end(), [](QChar c) { return c.unicode() > 0x7f; });
        if (nonAscii == NonAscii::Refused && outsideAscii)
            return BarcodeValueRefusal{
                box.objectName,
                QStringLiteral("%1에 한글 등 영문·숫자 밖의 글자를 쓸 수 없습니다: 바코드에 담을 수 없습니다")
                    .arg(box.caption)};
    }
    return std::nullopt;
}

} // namespace

std::optional<BarcodeValueRefusal> RefuseBarcodeValue(const QStringList& layoutLines,
                                                      const QList<ValueBox>& boxes, NonAscii nonAscii) {
    for (const QString& line : layoutLines)
        if (auto refusal = RefuseInLine(line, boxes, nonAscii))
            return refusal;
    return std::nullopt;
}

} // namespace hanlabel
