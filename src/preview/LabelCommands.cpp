#include "preview/LabelRenderer.h"

#include "preview/ZplGraphic.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace hanlabel::zpl {

namespace {

// The most labels "^PQ" may ask for.
constexpr qint64 kMostLabels = 99999999;

} // namespace

// The handler of a "^" command; none for a command the picture does not show.
LabelRenderer::Handler LabelRenderer::handlerFor(const QByteArray& code) {
    struct Entry {
        const char* code;
        Handler handler;
    };
    static const Entry table[] = {
        {"LH", &LabelRenderer::setHome},
        {"FO", &LabelRenderer::setOrigin},
        {"FT", &LabelRenderer::setTypeset},
        {"FW", &LabelRenderer::setDefaultOrientation},
        {"A", &LabelRenderer::setFont},
        {"CF", &LabelRenderer::setDefaultFont},
        {"FB", &LabelRenderer::setBlock},
        {"CI", &LabelRenderer::changeCharacterSet},
        {"FD", &LabelRenderer::setData},
        {"FH", &LabelRenderer::setHexIndicator},
        {"FS", &LabelRenderer::endField},
        {"SF", &LabelRenderer::setSerial},
        {"BY", &LabelRenderer::setBarDefaults},
        {"BC", &LabelRenderer::setBarcode},
        {"B3", &LabelRenderer::setBarcode},
        {"XG", &LabelRenderer::setGraphic},
        {"GB", &LabelRenderer::setBox},
        {"PQ", &LabelRenderer::setQuantity},
        {"PW", &LabelRenderer::readBeforeDrawing},
        {"LL", &LabelRenderer::readBeforeDrawing},
    };
    const auto it = std::find_if(std::begin(table), std::end(table),
                                 [&](const Entry& entry) { return code == entry.code; });
    return it == std::end(table) ? nullptr : it->handler;
}

// One command inside the format.
void LabelRenderer::execute(const Command& cmd) {
    if (cmd.prefix != '^')
        skip(cmd);
    else if (const Handler handler = handlerFor(cmd.code))
        (this->*handler)(cmd, Params(cmd.params));
    else {
        if (cmd.code.startsWith('B'))
            m_field.kind = FieldKind::Unsupported; // a symbology the picture cannot draw
        skip(cmd);
    }
}

// Lists a command the picture does not show; blank text between commands is no command.
void LabelRenderer::skip(const Command& cmd) {
    if (!cmd.raw.trimmed().isEmpty())
        m_result.notDrawn << Note(cmd.raw);
}

// "~DGname,total,bytes per row,data": stores the graphic; the data may hold commas of its own.
void LabelRenderer::download(const Command& cmd) {
    const QByteArray& s = cmd.params;
    const qsizetype c1 = s.indexOf(',');
    const qsizetype c2 = c1 < 0 ? -1 : s.indexOf(',', c1 + 1);
    const qsizetype c3 = c2 < 0 ? -1 : s.indexOf(',', c2 + 1);
    if (c3 < 0) {
        note(QStringLiteral("형식이 틀린 그래픽 다운로드가 있습니다: 그 그래픽은 인쇄되지 않습니다."),
             QStringLiteral("%1: 그래픽 다운로드의 형식이 틀립니다.").arg(Note(cmd.raw)));
        return;
    }
    const int total = s.mid(c1 + 1, c2 - c1 - 1).trimmed().toInt();
    const int perRow = s.mid(c2 + 1, c3 - c2 - 1).trimmed().toInt();
    if (total <= 0 || perRow <= 0 || total > 4 * 1024 * 1024) {
        note(QStringLiteral("크기가 틀린 그래픽 다운로드가 있습니다: 그 그래픽은 인쇄되지 않습니다."),
             QStringLiteral("%1: 그래픽 다운로드의 크기가 틀립니다.").arg(Note(cmd.raw)));
        return;
    }
    bool complete = false;
    const QByteArray key = GraphicKey(s.left(c1));
    m_graphics.insert(key, DecodeGraphic(s.mid(c3 + 1), total, perRow, &complete));
    if (!complete)
        note(QStringLiteral("그래픽 %1의 데이터가 모자라 일부만 그렸습니다.").arg(QString::fromLatin1(key)),
             QStringLiteral("그래픽 %1: 데이터가 %2바이트보다 짧습니다.").arg(QString::fromLatin1(key)).arg(total));
}

// "^LHx,y": the label home, added to every field origin.
void LabelRenderer::setHome(const Command&, const QList<QByteArray>& p) {
    m_homeX = IntParam(p, 0, m_homeX);
    m_homeY = IntParam(p, 1, m_homeY);
}

// "^FOx,y": the field origin, the top left of the field's area.
void LabelRenderer::setOrigin(const Command& cmd, const QList<QByteArray>& p) {
    m_originX = IntParam(p, 0, 0);
    m_originY = IntParam(p, 1, 0);
    m_typeset = false;
    noteJustification(cmd, p);
}

// The third value of "^FO" and "^FT" (newer printers: 1 right, 2 automatic) is not drawn.
void LabelRenderer::noteJustification(const Command& cmd, const QList<QByteArray>& p) {
    if (IntParam(p, 2, 0) != 0)
        note(QStringLiteral("오른쪽 맞춤이나 자동 맞춤으로 정한 필드는 왼쪽 맞춤으로 그렸습니다."),
             QStringLiteral("%1: 세 번째 값(맞춤)을 그리지 않았습니다.").arg(Note(cmd.raw)));
}

// "^FTx,y": the field origin at the text's baseline, a barcode's base or a graphic's or box's bottom
// left; a coordinate left out continues after the last text field.
void LabelRenderer::setTypeset(const Command& cmd, const QList<QByteArray>& p) {
    m_originX = IntParam(p, 0, m_nextTypeset.x());
    m_originY = IntParam(p, 1, m_nextTypeset.y());
    m_typeset = true;
    noteJustification(cmd, p);
}

// "^FWo": the orientation of fields whose font or barcode command names none.
void LabelRenderer::setDefaultOrientation(const Command&, const QList<QByteArray>& p) {
    const char o = CharParam(p, 0, m_defaultOrientation);
    if (o == 'N' || o == 'R' || o == 'I' || o == 'B')
        m_defaultOrientation = o;
}

// "^A0N,28,28": the font name, then orientation, height and width.
void LabelRenderer::setFont(const Command& cmd, const QList<QByteArray>&) {
    const QList<QByteArray> q = Params(cmd.params.mid(1));
    const char orientation = CharParam(q, 0, m_defaultOrientation);
    m_field.hasFont = true;
    m_field.fontName = cmd.params.isEmpty() ? 0 : char(std::toupper(static_cast<unsigned char>(cmd.params[0])));
    m_field.fontHeight = IntParam(q, 1, 0);
    m_field.fontWidth = IntParam(q, 2, 0);
    m_field.orientation = QByteArrayView("NRIB").contains(orientation) ? orientation : m_defaultOrientation;
}

// "^CFf,h,w": the font, height and width of fields without a font command.
void LabelRenderer::setDefaultFont(const Command&, const QList<QByteArray>& p) {
    const char name = CharParam(p, 0, m_defaultFontName);
    if (name == '0' || FindBitmapCell(name))
        m_defaultFontName = name;
    m_defaultFontHeight = IntParam(p, 1, m_defaultFontHeight);
    m_defaultFontWidth = IntParam(p, 2, 0);
}

// "^FBa,b,c,d,e": the field's text is laid into a block of lines.
void LabelRenderer::setBlock(const Command&, const QList<QByteArray>& p) {
    BlockFormat format;
    format.width = std::max(0, IntParam(p, 0, 0));
    format.lines = std::clamp(IntParam(p, 1, 1), 1, 9999);
    format.spacing = std::clamp(IntParam(p, 2, 0), -9999, 9999);
    const char justify = CharParam(p, 3, 'L');
    format.justify = QByteArrayView("LCRJ").contains(justify) ? justify : 'L';
    format.indent = std::clamp(IntParam(p, 4, 0), 0, 9999);
    m_field.block = format;
}

// "^CIa": another character set; the picture keeps the printer's default code page, so it is noted.
void LabelRenderer::changeCharacterSet(const Command& cmd, const QList<QByteArray>&) {
    m_characterSetChanged = true;
    skip(cmd);
}

// "^FD": the field data, commas included.
void LabelRenderer::setData(const Command& cmd, const QList<QByteArray>&) {
    m_field.hasData = true;
    m_field.data = cmd.params;
}

// "^FH": the field data holds hexadecimal escapes after the indicator character.
void LabelRenderer::setHexIndicator(const Command& cmd, const QList<QByteArray>&) {
    m_field.hex = true;
    m_field.hexIndicator = cmd.params.isEmpty() ? '_' : cmd.params[0];
}

// "^SFmask,increment": the field counts from label to label.
void LabelRenderer::setSerial(const Command&, const QList<QByteArray>& p) {
    m_field.serial = true;
    m_field.serialMask = QString::fromLatin1(p.value(0));
    m_field.serialIncrement = QString::fromLatin1(p.value(1));
}

// "^BYw,r,h": module width, wide-to-narrow ratio and bar height of the barcodes that follow.
void LabelRenderer::setBarDefaults(const Command&, const QList<QByteArray>& p) {
    m_bars.moduleWidth = std::clamp(IntParam(p, 0, m_bars.moduleWidth), 1, 10);
    m_bars.ratio = std::clamp(DoubleParam(p, 1, m_bars.ratio), 2.0, 3.0);
    m_bars.barHeight = IntParam(p, 2, m_bars.barHeight);
}

// "^BC" (Code 128) and "^B3" (Code 39): the field is a barcode; a font command before it sets the
// font of its interpretation line.
void LabelRenderer::setBarcode(const Command& cmd, const QList<QByteArray>& p) {
    m_field.kind = cmd.code == "BC" ? FieldKind::Code128 : FieldKind::Code39;
    m_field.barcodeParams = p;
    m_field.barcodeRaw = cmd.raw;
    m_field.fontBeforeBarcode = m_field.hasFont;
    const char orientation = CharParam(p, 0, m_defaultOrientation);
    m_field.orientation = QByteArrayView("NRIB").contains(orientation) ? orientation : m_defaultOrientation;
}

// "^XGname,mx,my": the field recalls a stored graphic, magnified.
void LabelRenderer::setGraphic(const Command&, const QList<QByteArray>& p) {
    m_field.graphic = GraphicKey(p.value(0));
    m_field.graphicMx = std::max(1, IntParam(p, 1, 1));
    m_field.graphicMy = std::max(1, IntParam(p, 2, 1));
}

// "^GBw,h,t,c": the field is a box.
void LabelRenderer::setBox(const Command&, const QList<QByteArray>& p) {
    m_field.box = true;
    m_field.boxParams = p;
}

// "^PQq": the number of labels; one where it is no number or out of range.
void LabelRenderer::setQuantity(const Command& cmd, const QList<QByteArray>& p) {
    m_result.quantityText = QString::fromLatin1(cmd.params);
    bool ok = false;
    const qint64 count = p.value(0).trimmed().toLongLong(&ok);
    m_result.labelCount = ok && count >= 1 && count <= kMostLabels ? count : 1;
}

// "^FS": the field is complete and drawn.
void LabelRenderer::endField(const Command&, const QList<QByteArray>&) { finishField(); }

// "^PW" and "^LL": the size, read before drawing.
void LabelRenderer::readBeforeDrawing(const Command&, const QList<QByteArray>&) {}

} // namespace hanlabel::zpl
