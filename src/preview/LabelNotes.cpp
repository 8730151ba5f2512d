#include "preview/LabelRenderer.h"

#include "core/Cp949.h"

namespace hanlabel::zpl {

namespace {

// The text without blanks and dashes, the way a number line and a barcode line are compared.
QString Compact(const QString& text) {
    QString out;
    for (const QChar c : text)
        if (c != u' ' && c != u'-')
            out += c;
    return out;
}

// Whether a line with stars shows the same number as a barcode's line wherever it has no star.
bool MaskedCopyOf(const QString& masked, const QString& clear) {
    if (masked.size() != clear.size() || masked.count(u'*') == masked.size() || clear.contains(u'*'))
        return false;
    for (qsizetype i = 0; i < masked.size(); ++i)
        if (masked[i] != u'*' && masked[i] != clear[i])
            return false;
    return true;
}

} // namespace

void LabelRenderer::note(const QString& words, const QString& detail) {
    if (!m_result.warnings.contains(words))
        m_result.warnings << words;
    if (!detail.isEmpty())
        m_result.details << detail;
}

// Without "^CI" the printer's font reads each byte in its own code page: a Hangul syllable's two
// code page 949 bytes print as two other characters.
void LabelRenderer::noteCodePage(const QByteArray& bytes) {
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return;
    if (m_characterSetChanged) {
        note(QStringLiteral("문자 집합을 바꾼 라벨(^CI)의 영문·숫자 밖의 글자는 기본 코드 페이지로 그렸습니다: 인쇄와 다를 수 있습니다."));
        return;
    }
    QString characters;
    for (const QChar c : DecodeCp949(bytes))
        if (c.unicode() > 0x7f && !characters.contains(c))
            characters += c;
    note(QStringLiteral("이 글자는 프린터 글꼴로 한글이 인쇄되지 않습니다: %1").arg(characters),
         QStringLiteral("^CI 없이 프린터 글꼴로 보낸 %1바이트 이상의 글자는 코드 페이지 850 글자로 그렸습니다: %2")
             .arg(128)
             .arg(characters));
}

// A number line masked with stars shows nothing hidden when the barcode's line prints it in clear.
void LabelRenderer::noteClearNumbers() {
    for (const QString& text : std::as_const(m_texts)) {
        if (!text.contains(u'*'))
            continue;
        const QString masked = Compact(text);
        for (const QString& line : std::as_const(m_barcodeLines))
            if (MaskedCopyOf(masked, Compact(line)))
                note(QStringLiteral("별표(*)로 가린 번호가 바코드의 해석 줄에 그대로 인쇄됩니다: %1").arg(line),
                     QStringLiteral("바코드 명령의 세 번째 값(해석 줄)을 N으로 하면 번호가 인쇄되지 않습니다."));
    }
}

} // namespace hanlabel::zpl
