#include "glyphs/GlyphSource.h"

#include "core/Failure.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QMutex>
#include <QMutexLocker>
#include <QPainter>
#include <QRawFont>

#include <cmath>

namespace hanlabel {

namespace {

// The database glyphs are NanumGothic Bold at 25 px without antialiasing, pen at (4, 25) of
// the 32 x 35 cell; drawing with the same face and pen reproduces them dot for dot.
const char kPreferredFamily[] = "NanumGothic";
constexpr int kPixelSize = 25;
constexpr int kCellWidth = 32;
constexpr int kCellHeight = 35;
constexpr int kBaselineRow = 25;

constexpr int kNameBase = 36;
constexpr int kNameFirstDigit = 16; // "G", the first base-36 digit that is no hex digit
constexpr int kNameLength = 4;

QString characterText(char32_t character) { return QString::fromUcs4(&character, 1); }

QString noFontMessage(char32_t character) {
    const bool printable = character <= 0x10FFFF && !(character >= 0xD800 && character <= 0xDFFF);
    return QStringLiteral("글꼴에 없는 문자라 인쇄할 수 없습니다: \"%1\" (U+%2)")
        .arg(printable ? characterText(character) : QString(),
             QString::number(uint(character), 16).toUpper().rightJustified(4, QLatin1Char('0')));
}

QFont glyphFont(const QString& family) {
    QFont font(family);
    font.setBold(true);
    font.setPixelSize(kPixelSize);
    // Font merging would silently draw a missing character from another face; the caller picks
    // the face that has it instead.
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

bool fontHas(const QFont& font, char32_t character) {
    const QRawFont raw = QRawFont::fromFont(font);
    return raw.isValid() && raw.supportsCharacter(uint(character));
}

// The first face that really has the character: NanumGothic, then the Korean faces, then any.
std::optional<QFont> fontFor(char32_t character) {
    const QFont preferred = glyphFont(QLatin1String(kPreferredFamily));
    if (fontHas(preferred, character))
        return preferred;
    QStringList families = QFontDatabase::families(QFontDatabase::Korean);
    for (const QString& family : QFontDatabase::families()) {
        if (!families.contains(family))
            families.append(family);
    }
    for (const QString& family : families) {
        const QFont font = glyphFont(family);
        if (fontHas(font, character))
            return font;
    }
    return std::nullopt;
}

// The character in the cell, as the 280 uppercase hex digits of a "~DG" download.
QByteArray drawCell(const QFont& font, char32_t character) {
    const QString text = characterText(character);
    QImage image(kCellWidth, kCellHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setFont(font);
        painter.setPen(Qt::black);
        // Centred on its advance: a 24-dot Hangul syllable lands on columns 4..27.
        const int advance = QFontMetrics(font).horizontalAdvance(text);
        const int penX = int(std::floor((kCellWidth - advance) / 2.0));
        painter.drawText(QPoint(penX, kBaselineRow), text);
    }
    QByteArray hex;
    hex.reserve(kCellWidth / 4 * kCellHeight);
    for (int row = 0; row < kCellHeight; ++row) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(row));
        for (int byte = 0; byte < kCellWidth / 8; ++byte) {
            uint value = 0;
            for (int bit = 0; bit < 8; ++bit) {
                if (qGray(line[byte * 8 + bit]) < 128)
                    value |= 0x80u >> bit;
            }
            hex += QByteArray::number(value, 16).toUpper().rightJustified(2, '0');
        }
    }
    return hex;
}

} // namespace

// The name is 16 * 36^3 + the code point written as 4 base-36 digits (0-9, A-Z). Its first
// digit is then G or later, so it never equals the 4 hex digits of a CP949 code that the
// database uses as names. It covers U+0000..U+E3CFF; a code point beyond gets no name.
QString FontGlyphName(char32_t character) {
    const qint64 limit = qint64(kNameBase) * kNameBase * kNameBase * kNameBase;
    qint64 value = qint64(kNameFirstDigit) * kNameBase * kNameBase * kNameBase + qint64(character);
    if (value >= limit)
        return {};
    QString name(kNameLength, QLatin1Char('0'));
    for (int i = kNameLength - 1; i >= 0; --i) {
        const int digit = int(value % kNameBase);
        name[i] = QLatin1Char(digit < 10 ? char('0' + digit) : char('A' + digit - 10));
        value /= kNameBase;
    }
    return name;
}

Glyph DrawGlyphFromFont(char32_t character) {
    // Choosing a face means asking every installed family, so each answer is kept, failures too.
    static QMutex mutex;
    static QHash<char32_t, std::optional<Glyph>> cache;
    QMutexLocker lock(&mutex);
    if (const auto cached = cache.constFind(character); cached != cache.constEnd()) {
        if (!*cached)
            throw Failure(noFontMessage(character));
        return **cached;
    }
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw Failure(QStringLiteral("글꼴로 글자를 그리려면 화면 환경이 필요합니다: \"%1\"")
                          .arg(characterText(character)));

    std::optional<Glyph> glyph;
    const QString name = FontGlyphName(character);
    if (!name.isEmpty()) {
        if (const std::optional<QFont> font = fontFor(character))
            glyph = Glyph{name, drawCell(*font, character), true};
    }
    cache.insert(character, glyph);
    if (!glyph)
        throw Failure(noFontMessage(character));
    return *glyph;
}

} // namespace hanlabel
