#include "preview/LabelRenderer.h"


#include <QTransform>

#include <algorithm>
#include <cmath>

namespace hanlabel::zpl {

int Margin(int height) { return std::max(8, height); }

QImage FieldCanvas(int width, int height) {
    QImage image(std::max(1, width), std::max(1, height), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void PreparePainter(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setPen(Qt::black);
}

namespace {

// Degrees clockwise of an orientation: N normal, R 90, I 180, B 270.
int Degrees(char orientation) {
    switch (orientation) {
    case 'R':
        return 90;
    case 'I':
        return 180;
    case 'B':
        return 270;
    default:
        return 0;
    }
}

} // namespace

// Draws the field at its origin from the label home and starts a new one.
void LabelRenderer::finishField() {
    if (m_field.box)
        place(paintBox(), 'N');
    if (!m_field.graphic.isNull())
        if (const auto graphic = paintGraphic())
            place(*graphic, 'N');
    if (m_field.hasData) {
        const QByteArray bytes =
            m_field.hex ? ResolveHexEscapes(m_field.data, m_field.hexIndicator) : m_field.data;
        if (m_field.kind == FieldKind::Code128 || m_field.kind == FieldKind::Code39) {
            if (const auto barcode = paintBarcode(bytes))
                place(*barcode, m_field.orientation ? m_field.orientation : m_defaultOrientation);
        } else if (m_field.kind == FieldKind::Text) {
            drawTextField(bytes);
        }
        if (m_field.serial)
            m_serials.push_back({m_originX, m_originY, m_typeset, bytes, m_field.serialMask, m_field.serialIncrement});
    }
    m_field = Field();
}

// A Code 128 or Code 39 symbol of the field; a symbol that cannot be encoded is a warning.
std::optional<FieldPicture> LabelRenderer::paintBarcode(const QByteArray& data) {
    BarcodeLook look = ReadBarcodeLook(m_field.barcodeParams, m_field.kind == FieldKind::Code39, m_bars);
    if (m_field.fontBeforeBarcode)
        look.lineFace = fieldFace();
    // In mode N the invocation codes are read; the automatic modes draw ">" as data.
    if (!look.code39 && look.mode != 'N' && data.contains('>'))
        note(QStringLiteral("바코드 속의 > 를 글자 그대로 그렸습니다: 프린터는 다른 값으로 읽을 수 있습니다."),
             QStringLiteral("%1: 코드 128 전환 문자(>)를 데이터로 그렸습니다.").arg(Note(m_field.barcodeRaw)));
    const Bars bars = EncodeBars(data, look);
    if (!bars.error.isEmpty()) {
        note(QStringLiteral("바코드 하나를 만들 수 없어 그리지 않았습니다: 프린터도 인쇄하지 않습니다."),
             QStringLiteral("%1: 바코드를 만들 수 없습니다 (%2).").arg(Note(m_field.barcodeRaw), bars.error));
        return std::nullopt;
    }
    if (look.line && !bars.text.isEmpty())
        m_barcodeLines << bars.text;
    // The line is centred on the bars and may reach past them on both sides.
    const int symbol = BarsWidth(bars, look);
    const int lineHeight = LineHeight(m_font, look);
    const int m = Margin(lineHeight) + std::max(0, LineWidth(m_font, bars, look) - symbol) / 2;
    const int height = look.barHeight + lineHeight + 8;
    FieldPicture field{FieldCanvas(symbol + 2 * m, height + 2 * m), {}, {}};
    QPainter painter(&field.image);
    PreparePainter(painter);
    field.box = PaintBarcode(painter, m_font, QPoint(m, m), bars, look);
    const int lineAbove = look.line && look.above && !bars.text.isEmpty() ? field.box.height() - look.barHeight : 0;
    field.origin = QPoint(m, m + lineAbove + look.barHeight);
    return field;
}

// The recalled graphic, magnified by whole dots.
std::optional<FieldPicture> LabelRenderer::paintGraphic() {
    const auto it = m_graphics.constFind(m_field.graphic);
    if (it == m_graphics.constEnd()) {
        const QString name = QString::fromLatin1(m_field.graphic);
        note(QStringLiteral("내려받지 않은 그래픽 %1은(는) 인쇄되지 않습니다.").arg(name),
             QStringLiteral("^XG%1: 다운로드되지 않은 그래픽입니다.").arg(name));
        return std::nullopt;
    }
    QImage image = *it;
    if (m_field.graphicMx > 1 || m_field.graphicMy > 1)
        image = image.scaled(image.width() * m_field.graphicMx, image.height() * m_field.graphicMy,
                             Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const QRect box(QPoint(0, 0), image.size());
    return FieldPicture{image.convertToFormat(QImage::Format_ARGB32_Premultiplied), box, box.bottomLeft() + QPoint(0, 1)};
}

// A box of the given line thickness; a line as thick as half the box fills it.
FieldPicture LabelRenderer::paintBox() const {
    const QList<QByteArray>& p = m_field.boxParams;
    const int thickness = std::max(1, IntParam(p, 2, 1));
    const int w = std::max(thickness, IntParam(p, 0, thickness));
    const int h = std::max(thickness, IntParam(p, 1, thickness));
    const QColor colour = CharParam(p, 3, 'B') == 'W' ? Qt::white : Qt::black;
    FieldPicture field{FieldCanvas(w, h), QRect(0, 0, w, h), QPoint(0, h)};
    QPainter painter(&field.image);
    if (2 * thickness >= std::min(w, h)) {
        painter.fillRect(QRect(0, 0, w, h), colour);
    } else {
        painter.fillRect(QRect(0, 0, w, thickness), colour);
        painter.fillRect(QRect(0, h - thickness, w, thickness), colour);
        painter.fillRect(QRect(0, 0, thickness, h), colour);
        painter.fillRect(QRect(w - thickness, 0, thickness, h), colour);
    }
    return field;
}

// "^FO" puts the top left of the turned field's area at the origin; "^FT" puts the field's own
// origin there, which turns with the field.
QRect LabelRenderer::place(const FieldPicture& field, char orientation) {
    QTransform turn;
    turn.rotate(Degrees(orientation));
    const QTransform exact = QImage::trueMatrix(turn, field.image.width(), field.image.height());
    const QImage turned = orientation == 'N' || !Degrees(orientation) ? field.image : field.image.transformed(turn);
    const QRect box = exact.mapRect(QRectF(field.box)).toAlignedRect();
    const QPoint origin = exact.map(QPointF(field.origin)).toPoint();
    const QPoint at(m_homeX + m_originX, m_homeY + m_originY);
    const QPoint offset = at - (m_typeset ? origin : box.topLeft());
    m_painter->drawImage(offset, turned);
    const QRect placed = box.translated(offset);
    mark(placed);
    return placed;
}

// Records where ink went: for the length of an open label and for fields beyond the label.
void LabelRenderer::mark(const QRect& area) {
    m_contentBottom = std::max(m_contentBottom, area.bottom() + 1);
    const QRect label(0, 0, m_label.width(), m_lengthGiven ? m_label.height() : kOpenLength);
    if (!label.contains(area))
        note(QStringLiteral("라벨 밖으로 나가는 필드가 있습니다: 그 부분은 인쇄되지 않습니다."),
             QStringLiteral("^F%1%2,%3의 필드가 라벨(%4 × %5 도트) 밖으로 나갑니다.")
                 .arg(QChar(m_typeset ? u'T' : u'O'))
                 .arg(m_originX)
                 .arg(m_originY)
                 .arg(m_label.width())
                 .arg(m_lengthGiven ? QString::number(m_label.height()) : QStringLiteral("?")));
}

} // namespace hanlabel::zpl
