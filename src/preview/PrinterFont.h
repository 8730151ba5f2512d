#pragma once

#include <QFont>

namespace hanlabel::zpl {

// Font 0 of the printer, approximated by a condensed bold sans face. The capitals of a field of
// height h fill the top 26/35 of it, as the printer's font does.
class PrinterFont {
  public:
    PrinterFont();

    // Dots from the top of a field of this height to the baseline of its capitals.
    static int CapHeight(int height);

    // The face sized so that its capitals are CapHeight(height) dots tall.
    QFont font(int height) const;

  private:
    QFont m_base;
    double m_capRatio = 0.72;
};

} // namespace hanlabel::zpl
