#pragma once

#include <QString>

#include <cstdint>

namespace hanlabel {

class GlyphSource;
class PieceStream;

// Emits one text field: per ASCII character a printer-font field ("^FO" x "," y+3 "^A0,35,35"),
// per other character a graphic download "~DG" and its recall "^XG" at (x, y). x advances by
// scale x 18 or scale x 32 per character and holds the next position on return.
// Throws Failure on a 16-bit overflow or a glyph that cannot be had.
void PrintTextLpt(PieceStream& out, GlyphSource& glyphs, int16_t& x, int16_t y, const QString& text,
                  int16_t scale);
void PrintTextComm(PieceStream& out, GlyphSource& glyphs, int16_t& x, int16_t y, const QString& text,
                   int16_t scale);

// The dots a text field of `text` advances at scale 1: how far it reaches from its position.
int TextFieldWidth(const QString& text);

} // namespace hanlabel
