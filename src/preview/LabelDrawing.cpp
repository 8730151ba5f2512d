#include "preview/LabelRenderer.h"

#include "core/Cp949.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace hanlabel::zpl {

// Draws the field at its origin from the label home and starts a new one.
void LabelRenderer::finishField() {
    const int x = m_homeX + m_originX;
    const int y = m_homeY + m_originY;
    if (m_field.box)
        drawBox(x, y);
    if (!m_field.graphic.isNull())
        drawGraphic(x, y);
    if (m_field.hasData) {
        // The bytes with "^FH" escapes resolved; the text decoded as the printer's code page 949.
        const QByteArray bytes =
            m_field.hex ? ResolveHexEscapes(m_field.data, m_field.hexIndicator) : m_field.data;
        const QString data = DecodeCp949(bytes);
        if (m_field.kind == FieldKind::Code128 || m_field.kind == FieldKind::Code39)
            drawBarcode(x, y, bytes);
        else if (m_field.kind == FieldKind::Text) {
            const int h = m_field.hasFont ? m_field.fontHeight : m_defaultFontHeight;
            const int w = m_field.hasFont ? m_field.fontWidth : m_defaultFontWidth;
            drawText(x, y, data, h, w);
        }
        if (m_field.serial)
            m_serials.push_back({m_originX, m_originY, bytes, m_field.serialMask, m_field.serialIncrement});
    }
    m_field = Field();
}

// Records where ink went: for the length of an open label and for fields beyond the label.
void LabelRenderer::mark(const QRect& area) {
    m_contentBottom = std::max(m_contentBottom, area.bottom() + 1);
    const QRect label(0, 0, m_label.width(), m_lengthGiven ? m_label.height() : kOpenLength);
    if (!label.contains(area))
        m_result.warnings << QStringLiteral("^FO%1,%2의 필드가 라벨(%3 × %4 도트) 밖으로 나갑니다.")
                                 .arg(m_originX)
                                 .arg(m_originY)
                                 .arg(m_label.width())
                                 .arg(m_lengthGiven ? QString::number(m_label.height())
                                                    : QStringLiteral("?"));
}

// Text in the printer font: the capitals' top at y, the width scaling the face across.
void LabelRenderer::drawText(int x, int y, const QString& text, int height, int width) {
    if (height <= 0 || text.isEmpty())
        return;
    const QFont font = m_font.font(height);
    const double sx = width > 0 ? double(width) / height : 1.0;
    m_painter->save();
    m_painter->setFont(font);
    m_painter->translate(x, y + PrinterFont::CapHeight(height));
    if (sx != 1.0)
        m_painter->scale(sx, 1.0);
    m_painter->drawText(0, 0, text);
    m_painter->restore();
    const int advance = int(std::ceil(QFontMetricsF(font).horizontalAdvance(text.trimmed()) * sx));
    mark(QRect(x, y, std::max(1, advance), height));
}

// A Code 128 or Code 39 symbol of the field; a symbol that cannot be encoded is a warning.
void LabelRenderer::drawBarcode(int x, int y, const QByteArray& data) {
    const BarcodeLook look =
        ReadBarcodeLook(m_field.barcodeParams, m_field.kind == FieldKind::Code39, m_bars);
    // In mode N the invocation codes are read; the automatic modes draw ">" as data.
    if (!look.code39 && look.mode != 'N' && data.contains('>'))
        m_result.warnings << QStringLiteral("%1: 코드 128 전환 문자(>)를 데이터로 그렸습니다.")
                                 .arg(Note(m_field.barcodeRaw));
    const Bars bars = EncodeBars(data, look);
    if (!bars.error.isEmpty()) {
        m_result.warnings << QStringLiteral("%1: 바코드를 만들 수 없습니다 (%2).")
                                 .arg(Note(m_field.barcodeRaw), bars.error);
        return;
    }
    mark(PaintBarcode(*m_painter, m_font, QPoint(x, y), bars, look));
}

// The recalled graphic, magnified by whole dots.
void LabelRenderer::drawGraphic(int x, int y) {
    const auto it = m_graphics.constFind(m_field.graphic);
    if (it == m_graphics.constEnd()) {
        m_result.warnings << QStringLiteral("^XG%1: 다운로드되지 않은 그래픽입니다.")
                                 .arg(QString::fromLatin1(m_field.graphic));
        return;
    }
    QImage image = *it;
    if (m_field.graphicMx > 1 || m_field.graphicMy > 1)
        image = image.scaled(image.width() * m_field.graphicMx, image.height() * m_field.graphicMy,
                             Qt::IgnoreAspectRatio, Qt::FastTransformation);
    m_painter->drawImage(QPoint(x, y), image);
    mark(QRect(QPoint(x, y), image.size()));
}

// A box of the given line thickness; a line as thick as half the box fills it.
void LabelRenderer::drawBox(int x, int y) {
    const QList<QByteArray>& p = m_field.boxParams;
    const int thickness = std::max(1, IntParam(p, 2, 1));
    const int w = std::max(thickness, IntParam(p, 0, thickness));
    const int h = std::max(thickness, IntParam(p, 1, thickness));
    const QColor colour = CharParam(p, 3, 'B') == 'W' ? Qt::white : Qt::black;
    if (2 * thickness >= std::min(w, h)) {
        m_painter->fillRect(QRect(x, y, w, h), colour);
    } else {
        m_painter->fillRect(QRect(x, y, w, thickness), colour);
        m_painter->fillRect(QRect(x, y + h - thickness, w, thickness), colour);
        m_painter->fillRect(QRect(x, y, thickness, h), colour);
        m_painter->fillRect(QRect(x + w - thickness, y, thickness, h), colour);
    }
    mark(QRect(x, y, w, h));
}

} // namespace hanlabel::zpl
