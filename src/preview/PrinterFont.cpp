#include "preview/PrinterFont.h"

#include <QFontMetricsF>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace hanlabel::zpl {

PrinterFont::PrinterFont() {
    m_base.setFamilies({QStringLiteral("Nimbus Sans Narrow"), QStringLiteral("DejaVu Sans Condensed"),
                        QStringLiteral("Liberation Sans Narrow"), QStringLiteral("DejaVu Sans")});
    m_base.setStyleHint(QFont::SansSerif);
    m_base.setBold(true);
    m_base.setStyleStrategy(QFont::NoAntialias);
    m_base.setHintingPreference(QFont::PreferNoHinting);
    // The capital height of the face actually found, measured once at a large size.
    QFont probe = m_base;
    probe.setPixelSize(200);
    m_capRatio = QFontMetricsF(probe).tightBoundingRect(QStringLiteral("H")).height() / 200.0;
    if (m_capRatio <= 0.1)
        m_capRatio = 0.72;
}

int PrinterFont::CapHeight(int height) { return int(std::lround(height * 26.0 / 35.0)); }

QFont PrinterFont::font(int height) const {
    QFont f = m_base;
    f.setPixelSize(std::max(1, int(std::lround(CapHeight(height) / m_capRatio))));
    return f;
}

} // namespace hanlabel::zpl
