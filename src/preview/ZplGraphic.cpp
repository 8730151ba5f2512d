#include "preview/ZplGraphic.h"

#include "preview/ZplTokenizer.h"

#include <vector>

namespace hanlabel::zpl {

namespace {

// The hexadecimal digits of a download, run lengths and row fills expanded, row after row.
class NibbleRows {
  public:
    NibbleRows(int rows, int rowNibbles)
        : m_rowNibbles(rowNibbles), m_nibbles(size_t(rows) * size_t(rowNibbles), 0) {}

    bool full() const { return m_pos == m_nibbles.size(); }
    int at(int row, int nibble) const { return m_nibbles[size_t(row) * m_rowNibbles + nibble]; }

    // Takes one character of the download; the run length applies to the next digit.
    void take(char c) {
        if (c >= 'G' && c <= 'Y') {
            m_repeat += c - 'G' + 1;
        } else if (c >= 'g' && c <= 'z') {
            m_repeat += (c - 'g' + 1) * 20;
        } else if (c == ',' || c == '!') {
            const size_t rowEnd = (m_pos / m_rowNibbles + 1) * size_t(m_rowNibbles);
            put(c == '!' ? 15 : 0, int(rowEnd - m_pos));
            m_repeat = 0;
        } else if (c == ':') {
            // At the start of a row: the row before it again.
            if (m_pos >= size_t(m_rowNibbles) && m_pos % m_rowNibbles == 0)
                for (int k = 0; k < m_rowNibbles; ++k)
                    put(m_nibbles[m_pos - m_rowNibbles], 1);
            m_repeat = 0;
        } else if (const int v = HexNibble(c); v >= 0) {
            put(v, m_repeat > 0 ? m_repeat : 1);
            m_repeat = 0;
        }
    }

  private:
    void put(int v, int count) {
        for (int k = 0; k < count && m_pos < m_nibbles.size(); ++k)
            m_nibbles[m_pos++] = static_cast<unsigned char>(v);
    }

    int m_rowNibbles;
    std::vector<unsigned char> m_nibbles;
    size_t m_pos = 0;
    int m_repeat = 0;
};

// The picture of the rows: four dots a digit, the high bit leftmost.
QImage ToImage(const NibbleRows& nibbles, int rows, int rowNibbles) {
    QImage image(rowNibbles * 4, rows, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    for (int y = 0; y < rows; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int nib = 0; nib < rowNibbles; ++nib) {
            const int v = nibbles.at(y, nib);
            for (int b = 0; b < 4; ++b)
                if (v & (8 >> b))
                    line[nib * 4 + b] = qRgba(0, 0, 0, 255);
        }
    }
    return image;
}

} // namespace

QByteArray GraphicKey(QByteArray name) {
    if (name.size() >= 2 && name[1] == ':')
        name = name.mid(2);
    const qsizetype dot = name.lastIndexOf('.');
    if (dot >= 0)
        name = name.left(dot);
    return name;
}

QImage DecodeGraphic(const QByteArray& data, int totalBytes, int bytesPerRow, bool* complete) {
    const int rows = bytesPerRow > 0 ? totalBytes / bytesPerRow : 0;
    const int rowNibbles = bytesPerRow * 2;
    NibbleRows nibbles(rows, rowNibbles);
    for (const char c : data) {
        if (nibbles.full())
            break;
        nibbles.take(c);
    }
    *complete = nibbles.full();
    return ToImage(nibbles, rows, rowNibbles);
}

} // namespace hanlabel::zpl
