#pragma once

#include "preview/PrinterFont.h"
#include "preview/TextFaces.h"

#include <QByteArray>
#include <QList>
#include <QPainter>
#include <QString>

#include <optional>
#include <vector>

namespace hanlabel::zpl {

// A symbol as the printer encodes it: widths in modules and the interpretation line.
struct Bars {
    std::vector<int> modules; // bar, space, bar, ... in modules
    QString text;             // the interpretation line
    QString error;
};

// The "^BY" defaults a barcode field starts from.
struct BarDefaults {
    int moduleWidth = 2;
    double ratio = 3.0;
    int barHeight = 10;
};

// How one barcode field is encoded and drawn.
struct BarcodeLook {
    bool code39 = false;     // Code 39 ("^B3"), else Code 128 ("^BC")
    char mode = 'N';         // Code 128's mode: N reads subsets from the data, A (U, D) packs automatically
    bool checkDigit = false; // Code 39's modulo-43 check digit
    int narrow = 2;          // dots of a module, and of a narrow Code 39 element
    int wide = 6;            // dots of a wide Code 39 element
    int barHeight = 10;
    bool line = true;   // the interpretation line
    bool above = false; // the interpretation line above the bars
    bool uccCheckDigit = false; // "^BC" e=Y: a modulo 10 digit over the data's digits ends the data
    std::optional<TextFace> lineFace; // the line's font from a font command before the barcode
};

// The look of a field from the parameters of "^BCo,h,f,g,e,m" or "^B3o,e,h,f,g" and the "^BY" defaults.
BarcodeLook ReadBarcodeLook(const QList<QByteArray>& params, bool code39, const BarDefaults& defaults);

// The bars of the data in the look's symbology: Code 128 in mode N by the printer's own rules
// (subset B unless the data invokes another), anything else through libzint.
Bars EncodeBars(const QByteArray& data, const BarcodeLook& look);

// The modulo 10 check digit of the digits in a text: weights 3 and 1 from the rightmost digit, the
// digit that makes the sum a multiple of ten.
char Mod10CheckDigit(const QString& text);

// Dots across the bars, and across and down the interpretation line as painted.
int BarsWidth(const Bars& bars, const BarcodeLook& look);
int LineWidth(const PrinterFont& font, const Bars& bars, const BarcodeLook& look);
int LineHeight(const PrinterFont& font, const BarcodeLook& look);

// Paints the symbol with its top left at `at`; returns the area it covers.
QRect PaintBarcode(QPainter& painter, const PrinterFont& font, QPoint at, const Bars& bars,
                   const BarcodeLook& look);

} // namespace hanlabel::zpl
