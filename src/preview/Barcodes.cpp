#include "preview/Barcodes.h"

#include "preview/Code128.h"
#include "preview/ZplTokenizer.h"


#include <zint.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace hanlabel::zpl {

namespace {

// Dots between the bars and the interpretation line.
constexpr int kLineGap = 2;

// The module widths of libzint's rectangles, spaces between them included.
std::vector<int> ModulesOf(const zint_symbol& symbol) {
    std::vector<int> modules;
    const zint_vector* vector = symbol.vector;
    if (!vector || symbol.width <= 0)
        return modules;
    const double unit = vector->width / symbol.width;
    int cursor = 0;
    for (const zint_vector_rect* r = vector->rectangles; r; r = r->next) {
        const int start = int(std::lround(r->x / unit));
        const int width = std::max(1, int(std::lround(r->width / unit)));
        if (!modules.empty() || start > 0) {
            if (modules.empty())
                modules.push_back(0); // a symbol never starts with a space; keep the parity
            modules.push_back(start - cursor);
        }
        modules.push_back(width);
        cursor = start + width;
    }
    return modules;
}

// Dots of one element: a module, or a narrow or wide Code 39 element.
int ElementDots(int modules, const BarcodeLook& look) {
    return look.code39 ? (modules <= 0 ? 0 : modules == 1 ? look.narrow : look.wide) : modules * look.narrow;
}

// Paints the bars from the top left; returns the width of the symbol in dots.
int PaintBars(QPainter& painter, QPoint at, const Bars& bars, const BarcodeLook& look) {
    int cursor = at.x();
    for (size_t i = 0; i < bars.modules.size(); ++i) {
        const int dots = ElementDots(bars.modules[i], look);
        if (i % 2 == 0 && dots > 0)
            painter.fillRect(QRect(cursor, at.y(), dots, look.barHeight), Qt::black);
        cursor += dots;
    }
    return cursor - at.x();
}

// The interpretation line's font: the font command's before the barcode, else font 0 at the
// printer's default height for the module width.
TextFace LineFace(const PrinterFont& font, const BarcodeLook& look) {
    if (look.lineFace)
        return *look.lineFace;
    const int height = std::max(10, 9 * look.narrow);
    return TextFace::Scalable(font, height, height);
}

// Paints the interpretation line centred on the symbol, its top at `top`.
void PaintLine(QPainter& painter, const PrinterFont& font, int x, int top, int symbolWidth, const QString& text,
               const BarcodeLook& look) {
    const TextFace face = LineFace(font, look);
    face.paint(painter, QPointF(x + (symbolWidth - face.advance(text)) / 2, top), text);
}

// The bars of a symbology or mode the printer packs itself, from libzint's vector output.
Bars EncodeWithZint(const QByteArray& data, const BarcodeLook& look) {
    Bars bars;
    std::unique_ptr<zint_symbol, void (*)(zint_symbol*)> symbol(ZBarcode_Create(), ZBarcode_Delete);
    symbol->symbology = look.code39 ? BARCODE_CODE39 : BARCODE_CODE128;
    symbol->option_2 = look.checkDigit ? 1 : 0;
    symbol->show_hrt = 0;
    int rc = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(data.constData()),
                             int(data.size()));
    if (rc < ZINT_ERROR)
        rc = ZBarcode_Buffer_Vector(symbol.get(), 0);
    if (rc >= ZINT_ERROR) {
        bars.error = QString::fromLatin1(symbol->errtxt);
        return bars;
    }
    bars.text = QString::fromLatin1(reinterpret_cast<const char*>(symbol->text));
    bars.modules = ModulesOf(*symbol);
    return bars;
}

} // namespace

BarcodeLook ReadBarcodeLook(const QList<QByteArray>& p, bool code39, const BarDefaults& defaults) {
    // The height and the line flags stand one place later in "^B3", after its check-digit flag.
    const int heightIndex = code39 ? 2 : 1;
    BarcodeLook look;
    look.code39 = code39;
    look.checkDigit = code39 && CharParam(p, 1, 'N') == 'Y';
    look.narrow = defaults.moduleWidth;
    look.wide = int(std::lround(defaults.ratio * defaults.moduleWidth));
    look.barHeight = IntParam(p, heightIndex, defaults.barHeight);
    look.line = CharParam(p, heightIndex + 1, 'Y') == 'Y';
    look.above = CharParam(p, heightIndex + 2, 'N') == 'Y';
    look.mode = code39 ? 'N' : CharParam(p, 5, 'N');
    look.uccCheckDigit = !code39 && CharParam(p, 4, 'N') == 'Y';
    return look;
}

char Mod10CheckDigit(const QString& text) {
    int sum = 0, weight = 3;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        if (!text[i].isDigit() || text[i].unicode() > 0x7f)
            continue;
        sum += weight * (text[i].unicode() - u'0');
        weight = weight == 3 ? 1 : 3;
    }
    return char('0' + (10 - sum % 10) % 10);
}

int BarsWidth(const Bars& bars, const BarcodeLook& look) {
    int width = 0;
    for (const int m : bars.modules)
        width += ElementDots(m, look);
    return width;
}

int LineWidth(const PrinterFont& font, const Bars& bars, const BarcodeLook& look) {
    if (!look.line || bars.text.isEmpty())
        return 0;
    return LineFace(font, look).advance(bars.text);
}

int LineHeight(const PrinterFont& font, const BarcodeLook& look) { return LineFace(font, look).cellHeight(); }

Bars EncodeBars(const QByteArray& data, const BarcodeLook& look) {
    if (look.code39)
        return EncodeWithZint(data, look);
    if (look.mode != 'N')
        return EncodeWithZint(
            look.uccCheckDigit ? data + Mod10CheckDigit(QString::fromLatin1(data)) : data, look);
    Code128Symbol symbol = EncodeCode128(data);
    // The printer adds the UCC digit to the data it encodes and prints under the bars.
    if (look.uccCheckDigit && !symbol.values.empty())
        symbol = EncodeCode128(data + Mod10CheckDigit(symbol.text));
    Bars bars;
    if (symbol.values.empty())
        bars.error = QStringLiteral("데이터가 없습니다");
    bars.modules = Code128Modules(symbol.values);
    bars.text = symbol.text;
    return bars;
}

QRect PaintBarcode(QPainter& painter, const PrinterFont& font, QPoint at, const Bars& bars,
                   const BarcodeLook& look) {
    const int textHeight = LineHeight(font, look);
    const int barTop = look.line && look.above ? at.y() + textHeight + kLineGap : at.y();
    const int symbolWidth = PaintBars(painter, QPoint(at.x(), barTop), bars, look);
    int bottom = barTop + look.barHeight;
    if (look.line && !bars.text.isEmpty()) {
        const int textTop = look.above ? at.y() : barTop + look.barHeight + kLineGap;
        PaintLine(painter, font, at.x(), textTop, symbolWidth, bars.text, look);
        bottom = std::max(bottom, textTop + textHeight);
    }
    return QRect(at.x(), at.y(), std::max(1, symbolWidth), bottom - at.y());
}

} // namespace hanlabel::zpl
