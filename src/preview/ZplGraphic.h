#pragma once

#include <QByteArray>
#include <QImage>

namespace hanlabel::zpl {

// The key a graphic is stored under: "R:NAME.GRF" and "NAME" name the same stored graphic.
QByteArray GraphicKey(QByteArray name);

// The bits of a "~DG" download: plain hexadecimal, also with the printer's run-length letters
// (G..Y = 1..19, g..z = 20..400), "," (rest of row white), "!" (rest of row black), ":" (row again).
// Black dots are opaque, the rest transparent; `complete` tells whether the data filled every row.
QImage DecodeGraphic(const QByteArray& data, int totalBytes, int bytesPerRow, bool* complete);

} // namespace hanlabel::zpl
