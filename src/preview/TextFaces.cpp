#include "preview/TextFaces.h"

#include <QFontMetricsF>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace hanlabel::zpl {

namespace {

// The fonts' matrices at 8 dots/mm (height x width), gaps between characters and baselines.
constexpr BitmapCell kCells[] = {
    {'A', 9, 5, 1, 7},     {'B', 11, 7, 2, 11},  {'C', 18, 10, 2, 14}, {'D', 18, 10, 2, 14},
    {'E', 28, 15, 5, 23},  {'F', 26, 13, 3, 21}, {'G', 60, 40, 8, 48}, {'H', 21, 13, 6, 21},
};

// The size of the outlines the stand-in shapes are cut from.
constexpr int kOutlineSize = 200;

} // namespace

const BitmapCell* FindBitmapCell(char name) {
    const auto it = std::find_if(std::begin(kCells), std::end(kCells),
                                 [name](const BitmapCell& c) { return c.name == name; });
    return it == std::end(kCells) ? nullptr : it;
}

int Magnification(int requested, int base) {
    if (requested <= 0 || base <= 0)
        return 0;
    return std::clamp(int(std::lround(double(requested) / base)), 1, 10);
}

TextFace TextFace::Scalable(const PrinterFont& font, int height, int width) {
    TextFace face(font);
    face.m_height = height;
    face.m_width = width;
    return face;
}

TextFace TextFace::Bitmap(const PrinterFont& font, const BitmapCell& cell, int mx, int my) {
    TextFace face(font);
    face.m_cell = &cell;
    face.m_mx = mx;
    face.m_my = my;
    return face;
}

int TextFace::cellHeight() const { return m_cell ? m_cell->height * m_my : m_height; }

int TextFace::baseline() const { return m_cell ? m_cell->baseline * m_my : PrinterFont::CapHeight(m_height); }

int TextFace::advance(const QString& text) const {
    if (m_cell)
        return int(text.size()) * (m_cell->width + m_cell->gap) * m_mx;
    const double sx = m_width > 0 ? double(m_width) / m_height : 1.0;
    return int(std::ceil(QFontMetricsF(m_font->font(m_height)).horizontalAdvance(text) * sx));
}

void TextFace::paint(QPainter& painter, QPointF topLeft, const QString& text) const {
    painter.save();
    if (!m_cell) {
        const double sx = m_width > 0 ? double(m_width) / m_height : 1.0;
        painter.setFont(m_font->font(m_height));
        painter.translate(topLeft + QPointF(0, baseline()));
        painter.scale(sx, 1.0);
        painter.drawText(0, 0, text);
        painter.restore();
        return;
    }
    // The shapes stand in for the printer's: each character's outline, its capitals as tall as
    // the cell's top to its baseline, narrowed to the cell where wider, centred in it.
    const QFont outline = m_font->font(kOutlineSize);
    QPainterPath capital;
    capital.addText(0, 0, outline, QStringLiteral("H"));
    const double scale = baseline() / std::max(1.0, capital.boundingRect().height());
    const double cellWidth = m_cell->width * m_mx;
    const double step = (m_cell->width + m_cell->gap) * m_mx;
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (qsizetype i = 0; i < text.size(); ++i) {
        QPainterPath glyph;
        glyph.addText(0, 0, outline, text.mid(i, 1));
        const QRectF ink = glyph.boundingRect();
        if (ink.isEmpty())
            continue;
        const double sx = std::min(scale, cellWidth / ink.width());
        QTransform t;
        t.translate(topLeft.x() + i * step + (cellWidth - ink.width() * sx) / 2 - ink.left() * sx,
                    topLeft.y() + baseline());
        t.scale(sx, scale);
        painter.drawPath(t.map(glyph));
    }
    painter.restore();
}

} // namespace hanlabel::zpl
