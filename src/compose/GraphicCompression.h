#pragma once

#include <QByteArray>

namespace hanlabel {

// The data of a "~DG" download in the printer's compressed form, for lists that send many glyphs:
//
//     out.write("~DG" + name + ",140,4," + CompressGraphicData(glyph.data, 4));   // 140 stays the size
//
// Row by row: a run of one digit as a repeat count before it (G..Y = 1..19, g..z = 20..400), ","
// for a row that ends in zero bytes, ":" for a row equal to the one before. To be read alike by
// every printer, a run never crosses the end of a row, "," stands only for whole bytes, the first
// row is never ":" and "!" is not used. `hex` must hold whole rows of `bytesPerRow` bytes in
// hexadecimal; anything else comes back unchanged, which the printer reads as before.
QByteArray CompressGraphicData(const QByteArray& hex, int bytesPerRow);

} // namespace hanlabel
