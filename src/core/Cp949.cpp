#include "core/Cp949.h"

#include "core/Failure.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>

namespace hanlabel {

namespace {
constexpr const char* kCodecName = "windows-949";
}

std::optional<QByteArray> EncodeCp949Char(char32_t codePoint) {
    // Encoded one character at a time so that an unmappable one is reported instead of
    // silently becoming "?".
    QStringEncoder encoder(kCodecName, QStringConverter::Flag::Stateless);
    if (!encoder.isValid())
        throw Failure(QStringLiteral("코드 페이지 949 변환기를 찾을 수 없습니다."));
    const QByteArray bytes = encoder.encode(QString::fromUcs4(&codePoint, 1));
    if (encoder.hasError() || bytes.isEmpty())
        return std::nullopt;
    return bytes;
}

QByteArray EncodeCp949(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (char32_t cp : text.toUcs4()) {
        if (cp < 0x80) { // ASCII is the same in CP949
            out.append(char(cp));
            continue;
        }
        const auto bytes = EncodeCp949Char(cp);
        if (!bytes)
            throw Failure(QStringLiteral("코드 페이지 949로 나타낼 수 없는 문자입니다: \"%1\" (U+%2)")
                              .arg(QString::fromUcs4(&cp, 1))
                              .arg(uint(cp), 4, 16, QLatin1Char('0'))
                              .toUpper());
        out.append(*bytes);
    }
    return out;
}

namespace {
QStringDecoder cp949Decoder() {
    QStringDecoder decoder(kCodecName, QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        throw Failure(QStringLiteral("코드 페이지 949 변환기를 찾을 수 없습니다."));
    return decoder;
}
} // namespace

QString DecodeCp949(const QByteArray& bytes) { return cp949Decoder().decode(bytes); }

std::optional<QString> DecodeCp949Exactly(const QByteArray& bytes) {
    QStringDecoder decoder = cp949Decoder();
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace hanlabel
