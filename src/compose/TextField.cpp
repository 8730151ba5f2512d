#include "compose/TextField.h"

#include "compose/GraphicCompression.h"
#include "compose/PieceStream.h"
#include "core/Cp949.h"
#include "core/Failure.h"
#include "core/Numeric.h"
#include "glyphs/GlyphSource.h"

namespace hanlabel {

namespace {

constexpr int kAsciiAdvance = 18;
constexpr int kGlyphAdvance = 32;
constexpr int kGlyphBytesPerRow = 4;

// Both flavours run this; the stream already knows how its channel ends a piece.
void emitTextField(PieceStream& out, GlyphSource& glyphs, int16_t& x, int16_t y, const QString& text,
                   int16_t scale) {
    const QList<uint> characters = text.toUcs4();
    if (characters.size() > 32766) // the character counter is 16-bit
        throw Failure(QStringLiteral("글자 수가 너무 많습니다 (overflow): %1자").arg(characters.size()));
    for (const char32_t ch : characters) {
        int advance = 0;
        if (ch < 0x80) {
            const int16_t fieldY = Add16(y, 3);
            const QString cell = QString(QChar(ch)) + QLatin1Char(' ');
            out.write(QStringLiteral("^FO%1,%2^A0,35,35%3^FS")
                          .arg(NumberToText((long long)x), NumberToText((long long)fieldY), FieldData(cell)));
            advance = kAsciiAdvance;
        } else {
            const Glyph glyph = glyphs.lookup(ch);
            const QByteArray data = out.graphicData() == GraphicData::Compressed
                                        ? CompressGraphicData(glyph.data, kGlyphBytesPerRow)
                                        : glyph.data;
            out.writeDownload(QStringLiteral("~DG%1,140,4,").arg(glyph.name) + QString::fromLatin1(data),
                              glyph.name, glyph.data);
            out.write(QStringLiteral("^FO%1,%2^XG%3.GRF,1,1^FS")
                          .arg(NumberToText((long long)x), NumberToText((long long)y), glyph.name));
            advance = kGlyphAdvance;
        }
        x = Add16(x, Mul16(scale, advance));
    }
}

} // namespace

int TextFieldWidth(const QString& text) {
    int width = 0;
    for (const char32_t ch : text.toUcs4())
        width += ch < 0x80 ? kAsciiAdvance : kGlyphAdvance;
    return width;
}

void PrintTextLpt(PieceStream& out, GlyphSource& glyphs, int16_t& x, int16_t y, const QString& text,
                  int16_t scale) {
    Q_ASSERT(out.kind() == ChannelKind::Parallel);
    emitTextField(out, glyphs, x, y, text, scale);
}

void PrintTextComm(PieceStream& out, GlyphSource& glyphs, int16_t& x, int16_t y, const QString& text,
                   int16_t scale) {
    Q_ASSERT(out.kind() == ChannelKind::Serial);
    emitTextField(out, glyphs, x, y, text, scale);
}

} // namespace hanlabel
