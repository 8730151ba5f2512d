#include "preview/ZplRenderer.h"

#include "preview/LabelRenderer.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QPainter>

#include <algorithm>

namespace hanlabel {

namespace {

// What a printer setting does, for commands that change how, not what, the label prints.
QString SettingMeaning(const QString& command) {
    static const QHash<QString, QString> meanings = {
        {QStringLiteral("^PR"), QStringLiteral("인쇄 속도")},
        {QStringLiteral("^MD"), QStringLiteral("인쇄 농도")},
        {QStringLiteral("~SD"), QStringLiteral("인쇄 농도")},
        {QStringLiteral("^CI"), QStringLiteral("문자 집합")},
        {QStringLiteral("^MM"), QStringLiteral("인쇄 모드")},
        {QStringLiteral("^MN"), QStringLiteral("용지 감지")},
        {QStringLiteral("^MT"), QStringLiteral("인쇄 방식")},
        {QStringLiteral("^FX"), QStringLiteral("주석")},
        {QStringLiteral("^PO"), QStringLiteral("인쇄 방향")},
        {QStringLiteral("^LT"), QStringLiteral("상하 위치 보정")},
        {QStringLiteral("^LS"), QStringLiteral("좌우 위치 보정")},
        {QStringLiteral("~TA"), QStringLiteral("절단 위치")},
    };
    return meanings.value(command.left(3).toUpper());
}

} // namespace

PreviewResult RenderZpl(const QByteArray& stream) { return zpl::LabelRenderer().run(stream); }

QStringList PreviewResult::captionLines() const {
    QStringList lines;
    QString out = QStringLiteral("%1 %2장").arg(labelNoun).arg(labelCount);
    QStringList runs;
    for (const QString& run : serialValues)
        if (!runs.contains(run))
            runs << run;
    if (!runs.isEmpty())
        out += QStringLiteral(", 일련번호 ") + runs.join(QStringLiteral("; "));
    lines << out;
    const QSize size = label.size();
    const auto mm = [](int dots) { return QString::number(dots / double(kPreviewDotsPerMm), 'f', 1); };
    lines << (sizeGiven ? QStringLiteral("크기 %1 × %2 mm").arg(mm(size.width()), mm(size.height()))
                        : QStringLiteral("라벨 크기가 정해지지 않아 폭 %1 mm, 길이는 내용에 맞춰 그렸습니다")
                              .arg(mm(size.width())));
    for (const QString& w : warnings)
        lines << QStringLiteral("주의: %1").arg(w);
    QStringList settings;
    int others = 0;
    for (const QString& c : notDrawn) {
        const QString meaning = SettingMeaning(c);
        if (meaning.isEmpty())
            ++others;
        else if (!settings.contains(meaning))
            settings << meaning;
    }
    if (!settings.isEmpty())
        lines << QStringLiteral("그림에 나타나지 않는 설정: %1").arg(settings.join(QStringLiteral(", ")));
    if (others > 0)
        lines << QStringLiteral("주의: 그리지 못한 명령이 %1개 있습니다: 인쇄된 라벨이 그림과 다를 수 있습니다 (자세히)")
                     .arg(others);
    return lines;
}

QStringList PreviewResult::detailLines() const {
    QStringList lines;
    const QSize size = label.size();
    lines << QStringLiteral("라벨 %1 × %2 도트 (%3 × %4 mm, 203 dpi)%5")
                 .arg(size.width())
                 .arg(size.height())
                 .arg(QString::number(size.width() / double(kPreviewDotsPerMm), 'f', 1),
                      QString::number(size.height() / double(kPreviewDotsPerMm), 'f', 1),
                      sizeGiven ? QString() : QStringLiteral(", ^PW/^LL 없음: 기본 크기"));
    lines << (quantityText.isNull() ? QStringLiteral("수량: 1장 (^PQ 없음)")
                                    : QStringLiteral("수량: %1장 (^PQ%2)").arg(labelCount).arg(quantityText));
    lines << serials;
    for (const QString& c : notDrawn) {
        const QString meaning = SettingMeaning(c);
        lines << (meaning.isEmpty() ? QStringLiteral("그리지 않은 명령: %1").arg(c)
                                    : QStringLiteral("그리지 않은 명령: %1 (%2)").arg(c, meaning));
    }
    lines << details;
    return lines;
}

QImage PreviewPicture(const PreviewResult& result) {
    const QStringList lines = result.captionLines();
    QFont font(QStringLiteral("NanumGothic"));
    font.setPixelSize(16);
    const QFontMetrics fm(font);
    const int lineHeight = fm.height() + 2;
    int captionWidth = 0;
    for (const QString& l : lines)
        captionWidth = std::max(captionWidth, fm.horizontalAdvance(l));
    const int margin = 8;
    const QSize label = result.label.size();
    QImage picture(std::max(label.width(), captionWidth + 2 * margin),
                   label.height() + 2 * margin + int(lines.size()) * lineHeight, QImage::Format_RGB32);
    picture.fill(QColor(0xe8, 0xe8, 0xe8));
    QPainter p(&picture);
    p.drawImage(QPoint(0, 0), result.label);
    p.setFont(font);
    p.setPen(Qt::black);
    int y = label.height() + margin + fm.ascent();
    for (const QString& l : lines) {
        p.drawText(margin, y, l);
        y += lineHeight;
    }
    return picture;
}

} // namespace hanlabel
