#pragma once

#include "preview/PrinterFont.h"

#include <QPainter>
#include <QString>

namespace hanlabel::zpl {

// A bitmap font of the printer at 8 dots/mm: its cell, the gap after each character and the
// row its capitals stand on, from the top of the cell.
struct BitmapCell {
    char name;
    int height, width, gap, baseline;
};

// The printer's bitmap fonts A to H; null for any other name.
const BitmapCell* FindBitmapCell(char name);

// The whole multiple of a bitmap font's cell that a requested size asks for, as the printer rounds
// it: the nearest multiple, 1 to 10; 0 when nothing was asked.
int Magnification(int requested, int base);

// How the characters of one text field are measured and painted, in the field's own frame.
class TextFace {
  public:
    // Font 0, scaled to a cell of `height` dots, `width` stretching it across.
    static TextFace Scalable(const PrinterFont& font, int height, int width);
    // A bitmap font magnified by whole multiples across (mx) and down (my).
    static TextFace Bitmap(const PrinterFont& font, const BitmapCell& cell, int mx, int my);

    bool bitmap() const { return m_cell != nullptr; }
    int cellHeight() const;
    // Dots from the top of the cell to the baseline.
    int baseline() const;
    // Dots across the text: for a bitmap font the cells and their gaps.
    int advance(const QString& text) const;
    // Paints the text with the top of its first cell at `topLeft`.
    void paint(QPainter& painter, QPointF topLeft, const QString& text) const;

  private:
    TextFace(const PrinterFont& font) : m_font(&font) {}

    const PrinterFont* m_font;
    const BitmapCell* m_cell = nullptr;
    int m_height = 0, m_width = 0; // font 0
    int m_mx = 1, m_my = 1;        // bitmap fonts
};

} // namespace hanlabel::zpl
