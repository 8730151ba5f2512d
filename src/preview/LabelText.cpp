#include "preview/LabelRenderer.h"

#include <QStringDecoder>

#include <algorithm>

namespace hanlabel::zpl {

namespace {

// Field data as the printer's font prints it without "^CI": its default code page 850.
QString PrinterCodePage(const QByteArray& bytes) {
    QStringDecoder decoder("IBM850");
    return decoder.isValid() ? QString(decoder.decode(bytes)) : QString::fromLatin1(bytes);
}

// The scalable font's box ends at its last character, not at a trailing blank.
QString WithoutTrailingBlanks(const QString& text) {
    qsizetype n = text.size();
    while (n > 0 && text[n - 1] == u' ')
        --n;
    return text.left(n);
}

} // namespace

// The font of the field: its font command's, else the "^CF" font. A name 1 to 9 that no font was
// stored under falls back on the "^CF" font, as the printer does; bitmap fonts are magnified by
// whole multiples of their cell.
TextFace LabelRenderer::fieldFace() {
    char name = m_field.hasFont && m_field.fontName ? m_field.fontName : m_defaultFontName;
    int h = m_field.hasFont ? m_field.fontHeight : m_defaultFontHeight;
    int w = m_field.hasFont ? m_field.fontWidth : m_defaultFontWidth;
    if (name >= '1' && name <= '9') {
        note(QStringLiteral("글꼴 %1은(는) 프린터에 없어 기본 글꼴 %2로 그렸습니다: 프린터도 그렇게 인쇄합니다.")
                 .arg(QChar(name))
                 .arg(QChar(m_defaultFontName)));
        name = m_defaultFontName;
    }
    if (const BitmapCell* cell = FindBitmapCell(name)) {
        int my = Magnification(h, cell->height);
        int mx = Magnification(w, cell->width);
        if (!my)
            my = mx ? mx : 1;
        if (!mx)
            mx = my;
        note(QStringLiteral("글꼴 %1의 글자 모양은 비슷하게만 그렸습니다: 글자의 크기와 자리는 프린터와 같습니다.")
                 .arg(QChar(name)));
        return TextFace::Bitmap(m_font, *cell, mx, my);
    }
    if (name != '0')
        note(QStringLiteral("프린터 글꼴 %1은(는) 모양과 크기를 알 수 없어 글꼴 0으로 그렸습니다: 인쇄와 다릅니다.")
                 .arg(QChar(name)));
    if (h <= 0)
        h = m_defaultFontHeight;
    if (w <= 0)
        w = h;
    return TextFace::Scalable(m_font, h, w);
}

// Text in the printer's font; bytes above 127 print as its default code page has them.
void LabelRenderer::drawTextField(const QByteArray& bytes) {
    const char orientation = m_field.orientation ? m_field.orientation : m_defaultOrientation;
    const TextFace face = fieldFace();
    if (face.cellHeight() <= 0 || bytes.isEmpty())
        return;
    noteCodePage(bytes);
    const QString text = PrinterCodePage(bytes);
    m_texts << text;
    const FieldPicture picture = m_field.block ? paintBlock(text, face, *m_field.block) : paintText(text, face);
    const QRect placed = place(picture, orientation);
    // "^FT" without coordinates continues on the baseline after this field.
    if (orientation == 'N' && !m_field.block)
        m_nextTypeset = QPoint(placed.right() + 1 - m_homeX, placed.top() + face.baseline() - m_homeY);
}

// One line: the cell's top at the field's top, its baseline the "^FT" origin.
FieldPicture LabelRenderer::paintText(const QString& text, const TextFace& face) {
    const int advance = std::max(1, face.advance(face.bitmap() ? text : WithoutTrailingBlanks(text)));
    const int m = Margin(face.cellHeight());
    FieldPicture field{FieldCanvas(advance + 2 * m, face.cellHeight() + 2 * m),
                       QRect(m, m, advance, face.cellHeight()), QPoint(m, m + face.baseline())};
    QPainter painter(&field.image);
    PreparePainter(painter);
    face.paint(painter, QPointF(m, m), text);
    return field;
}

// "^FB": the lines of the block one under the other; "^FT" places the baseline of its last line.
FieldPicture LabelRenderer::paintBlock(const QString& text, const TextFace& face, const BlockFormat& format) {
    const int pitch = face.cellHeight() + format.spacing;
    const int height = std::max(1, format.lines * face.cellHeight() + (format.lines - 1) * format.spacing);
    const int m = Margin(face.cellHeight());
    FieldPicture field{FieldCanvas(format.width + 2 * m, height + 2 * m), QRect(m, m, std::max(1, format.width), height),
                       QPoint(m, m + (format.lines - 1) * pitch + face.baseline())};
    if (format.width < face.advance(QStringLiteral("W"))) {
        note(QStringLiteral("글자보다 좁은 칸(^FB)의 글자는 프린터가 인쇄하지 않습니다."));
        return field;
    }
    const QList<BlockPiece> pieces = LayoutBlock(text, format, [&face](const QString& s) { return face.advance(s); });
    if (!face.bitmap() && (pieces.size() > 1 || format.justify != 'L'))
        note(QStringLiteral("칸(^FB) 안의 줄바꿈과 맞춤은 대략적입니다: 미리보기의 글꼴 0은 글자 폭이 프린터와 조금 다릅니다."));
    QPainter painter(&field.image);
    PreparePainter(painter);
    for (const BlockPiece& piece : pieces)
        face.paint(painter, QPointF(m + piece.x, m + piece.line * pitch), piece.text);
    if (std::any_of(pieces.begin(), pieces.end(), [](const BlockPiece& p) { return p.overflow; }))
        note(QStringLiteral("칸(^FB)에 다 들어가지 않는 글자가 마지막 줄에 겹쳐 인쇄됩니다."));
    return field;
}

} // namespace hanlabel::zpl
