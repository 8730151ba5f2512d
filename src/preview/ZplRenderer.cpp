#include "preview/ZplRenderer.h"

#include "core/Cp949.h"
#include "preview/Barcodes.h"
#include "preview/PrinterFont.h"
#include "preview/SerialNumbers.h"
#include "preview/ZplGraphic.h"
#include "preview/ZplTokenizer.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace hanlabel {

namespace {

using namespace zpl;

// Canvas length while the length is unknown; cropped to the content afterwards.
constexpr int kOpenLength = 2436;
constexpr int kMinimumLength = 25 * kPreviewDotsPerMm;

enum class FieldKind { Text, Code128, Code39, Unsupported };

struct Field {
    FieldKind kind = FieldKind::Text;
    bool hasFont = false;
    int fontHeight = 0, fontWidth = 0;
    char orientation = 'N';
    bool hex = false;
    char hexIndicator = '_';
    bool hasData = false;
    QByteArray data;
    bool serial = false;
    QString serialMask, serialIncrement;
    QByteArray graphic;
    int graphicMx = 1, graphicMy = 1;
    bool box = false;
    QList<QByteArray> boxParams;
    QList<QByteArray> barcodeParams;
    QByteArray barcodeRaw;
};

class Renderer {
  public:
    PreviewResult run(const QByteArray& stream);

  private:
    void execute(const Command& cmd);
    void finishField();
    void download(const Command& cmd);
    void drawText(int x, int y, const QString& text, int height, int width);
    void drawBarcode(int x, int y, const QByteArray& data);
    void drawGraphic(int x, int y);
    void drawBox(int x, int y);
    void mark(const QRect& area);
    QByteArray fieldBytes() const;

    PreviewResult m_result;
    QImage m_image;
    std::unique_ptr<QPainter> m_painter;
    PrinterFont m_font;
    QRect m_label;
    bool m_lengthGiven = false;
    int m_contentBottom = 0;
    int m_homeX = 0, m_homeY = 0, m_originX = 0, m_originY = 0;
    BarDefaults m_bars;
    int m_defaultFontHeight = 9, m_defaultFontWidth = 5;
    Field m_field;
    QHash<QByteArray, QImage> m_graphics;
    std::vector<SerialField> m_serials; // described once the quantity is known
};

PreviewResult Renderer::run(const QByteArray& stream) {
    const std::vector<Command> commands = Tokenize(stream);
    // The first format: from the first ^XA up to and including the next ^XZ.
    size_t begin = commands.size(), end = commands.size();
    for (size_t i = 0; i < commands.size(); ++i) {
        if (commands[i].prefix == '^' && commands[i].code == "XA" && begin == commands.size())
            begin = i;
        else if (commands[i].prefix == '^' && commands[i].code == "XZ" && begin != commands.size()) {
            end = i;
            break;
        }
    }
    int width = 0, length = 0;
    for (size_t i = begin; i < end; ++i) {
        if (commands[i].prefix != '^')
            continue;
        if (commands[i].code == "PW")
            width = IntParam(Params(commands[i].params), 0, 0);
        else if (commands[i].code == "LL")
            length = IntParam(Params(commands[i].params), 0, 0);
    }
    m_result.sizeGiven = width > 0 && length > 0;
    m_lengthGiven = length > 0;
    if (width <= 0)
        width = kPreviewDefaultWidth;
    width = std::min(width, 32000);
    m_label = QRect(0, 0, width, m_lengthGiven ? std::min(length, 32000) : kOpenLength);
    m_image = QImage(m_label.size(), QImage::Format_RGB32);
    m_image.fill(Qt::white);
    m_painter = std::make_unique<QPainter>(&m_image);
    m_painter->setRenderHint(QPainter::Antialiasing, false);
    m_painter->setRenderHint(QPainter::TextAntialiasing, false);
    m_painter->setPen(Qt::black);

    int skipped = 0;
    for (size_t i = 0; i < commands.size(); ++i) {
        const Command& cmd = commands[i];
        const bool inFormat = begin < commands.size() && i > begin && i < end;
        if (cmd.prefix == '~' && cmd.code == "DG")
            download(cmd);
        else if (inFormat)
            execute(cmd);
        else if (i == begin || i == end)
            continue;
        else if (i > end)
            ++skipped;
        else if (!cmd.raw.trimmed().isEmpty())
            m_result.notDrawn << Note(cmd.raw);
    }
    if (begin == commands.size())
        m_result.warnings << QStringLiteral("라벨 형식(^XA … ^XZ)이 없습니다.");
    else if (end == commands.size())
        m_result.warnings << QStringLiteral("라벨 형식이 ^XZ로 끝나지 않습니다.");
    if (skipped > 0)
        m_result.warnings << QStringLiteral("첫 라벨 형식 뒤의 명령 %1개는 그리지 않았습니다.").arg(skipped);
    m_painter.reset();
    for (const SerialField& serial : m_serials)
        m_result.serials << DescribeSerial(serial, m_result.labelCount);

    if (!m_lengthGiven) {
        const int length = std::clamp(m_contentBottom + 2 * kPreviewDotsPerMm, kMinimumLength, kOpenLength);
        m_image = m_image.copy(0, 0, m_label.width(), length);
    }
    m_result.label = m_image;
    return m_result;
}

void Renderer::execute(const Command& cmd) {
    const QList<QByteArray> p = Params(cmd.params);
    const QByteArray& code = cmd.code;
    if (cmd.prefix != '^') {
        if (!cmd.raw.trimmed().isEmpty())
            m_result.notDrawn << Note(cmd.raw);
        return;
    }
    if (code == "LH") {
        m_homeX = IntParam(p, 0, m_homeX);
        m_homeY = IntParam(p, 1, m_homeY);
    } else if (code == "FO") {
        m_originX = IntParam(p, 0, 0);
        m_originY = IntParam(p, 1, 0);
    } else if (code == "A") {
        // "^A0N,28,28": the font name, then orientation, height and width.
        const QByteArray rest = cmd.params.mid(1);
        const QList<QByteArray> q = Params(rest);
        const char orientation = CharParam(q, 0, 'N');
        m_field.hasFont = true;
        m_field.fontHeight = IntParam(q, 1, m_defaultFontHeight);
        m_field.fontWidth = IntParam(q, 2, m_field.fontHeight);
        m_field.orientation = orientation;
        if (cmd.params.left(1) != "0")
            m_result.warnings << QStringLiteral("%1: 글꼴 0으로 그렸습니다.").arg(Note(cmd.raw));
        if (orientation != 'N')
            m_result.warnings << QStringLiteral("%1: 회전 없이 그렸습니다.").arg(Note(cmd.raw));
    } else if (code == "CF") {
        m_defaultFontHeight = IntParam(p, 1, m_defaultFontHeight);
        m_defaultFontWidth = IntParam(p, 2, m_defaultFontHeight);
    } else if (code == "FD") {
        m_field.hasData = true;
        m_field.data = cmd.params;
    } else if (code == "FH") {
        m_field.hex = true;
        m_field.hexIndicator = cmd.params.isEmpty() ? '_' : cmd.params[0];
    } else if (code == "FS") {
        finishField();
    } else if (code == "SF") {
        m_field.serial = true;
        m_field.serialMask = QString::fromLatin1(p.value(0));
        m_field.serialIncrement = QString::fromLatin1(p.value(1));
    } else if (code == "BY") {
        m_bars.moduleWidth = std::clamp(IntParam(p, 0, m_bars.moduleWidth), 1, 10);
        m_bars.ratio = std::clamp(DoubleParam(p, 1, m_bars.ratio), 2.0, 3.0);
        m_bars.barHeight = IntParam(p, 2, m_bars.barHeight);
    } else if (code == "BC" || code == "B3") {
        m_field.kind = code == "BC" ? FieldKind::Code128 : FieldKind::Code39;
        m_field.barcodeParams = p;
        m_field.barcodeRaw = cmd.raw;
        if (CharParam(p, 0, 'N') != 'N')
            m_result.warnings << QStringLiteral("%1: 회전 없이 그렸습니다.").arg(Note(cmd.raw));
    } else if (code.startsWith('B')) {
        m_field.kind = FieldKind::Unsupported;
        m_result.notDrawn << Note(cmd.raw);
    } else if (code == "XG") {
        m_field.graphic = GraphicKey(p.value(0));
        m_field.graphicMx = std::max(1, IntParam(p, 1, 1));
        m_field.graphicMy = std::max(1, IntParam(p, 2, 1));
    } else if (code == "GB") {
        m_field.box = true;
        m_field.boxParams = p;
    } else if (code == "PQ") {
        m_result.quantityText = QString::fromLatin1(cmd.params);
        bool ok = false;
        const qint64 count = p.value(0).trimmed().toLongLong(&ok);
        m_result.labelCount = ok && count >= 1 && count <= 99999999 ? count : 1;
    } else if (code == "PW" || code == "LL") {
        // read before drawing
    } else {
        m_result.notDrawn << Note(cmd.raw);
    }
}

// The field data as bytes, with the "^FH" escapes resolved.
QByteArray Renderer::fieldBytes() const {
    return m_field.hex ? ResolveHexEscapes(m_field.data, m_field.hexIndicator) : m_field.data;
}

void Renderer::finishField() {
    const int x = m_homeX + m_originX;
    const int y = m_homeY + m_originY;
    if (m_field.box)
        drawBox(x, y);
    if (!m_field.graphic.isNull())
        drawGraphic(x, y);
    if (m_field.hasData) {
        const QByteArray bytes = fieldBytes();
        const QString data = DecodeCp949(bytes);
        if (m_field.kind == FieldKind::Code128 || m_field.kind == FieldKind::Code39)
            drawBarcode(x, y, bytes);
        else if (m_field.kind == FieldKind::Text) {
            const int h = m_field.hasFont ? m_field.fontHeight : m_defaultFontHeight;
            const int w = m_field.hasFont ? m_field.fontWidth : m_defaultFontWidth;
            drawText(x, y, data, h, w);
        }
        if (m_field.serial)
            m_serials.push_back({m_originX, m_originY, data, m_field.serialMask, m_field.serialIncrement});
    }
    m_field = Field();
}

void Renderer::download(const Command& cmd) {
    // "~DGname,total,bytes per row,data": the data may hold commas of its own.
    const QByteArray& s = cmd.params;
    const qsizetype c1 = s.indexOf(',');
    const qsizetype c2 = c1 < 0 ? -1 : s.indexOf(',', c1 + 1);
    const qsizetype c3 = c2 < 0 ? -1 : s.indexOf(',', c2 + 1);
    if (c3 < 0) {
        m_result.warnings << QStringLiteral("%1: 그래픽 다운로드의 형식이 틀립니다.").arg(Note(cmd.raw));
        return;
    }
    const int total = s.mid(c1 + 1, c2 - c1 - 1).trimmed().toInt();
    const int perRow = s.mid(c2 + 1, c3 - c2 - 1).trimmed().toInt();
    if (total <= 0 || perRow <= 0 || total > 4 * 1024 * 1024) {
        m_result.warnings << QStringLiteral("%1: 그래픽 다운로드의 크기가 틀립니다.").arg(Note(cmd.raw));
        return;
    }
    bool complete = false;
    const QByteArray key = GraphicKey(s.left(c1));
    m_graphics.insert(key, DecodeGraphic(s.mid(c3 + 1), total, perRow, &complete));
    if (!complete)
        m_result.warnings << QStringLiteral("그래픽 %1: 데이터가 %2바이트보다 짧습니다.")
                                 .arg(QString::fromLatin1(key))
                                 .arg(total);
}

// Records where ink went: for the length of an open label and for fields beyond the label.
void Renderer::mark(const QRect& area) {
    m_contentBottom = std::max(m_contentBottom, area.bottom() + 1);
    const QRect label(0, 0, m_label.width(), m_lengthGiven ? m_label.height() : kOpenLength);
    if (!label.contains(area))
        m_result.warnings << QStringLiteral("^FO%1,%2의 필드가 라벨(%3 × %4 도트) 밖으로 나갑니다.")
                                 .arg(m_originX)
                                 .arg(m_originY)
                                 .arg(m_label.width())
                                 .arg(m_lengthGiven ? QString::number(m_label.height())
                                                    : QStringLiteral("?"));
}

void Renderer::drawText(int x, int y, const QString& text, int height, int width) {
    if (height <= 0 || text.isEmpty())
        return;
    const QFont font = m_font.font(height);
    const double sx = width > 0 ? double(width) / height : 1.0;
    m_painter->save();
    m_painter->setFont(font);
    m_painter->translate(x, y + PrinterFont::CapHeight(height));
    if (sx != 1.0)
        m_painter->scale(sx, 1.0);
    m_painter->drawText(0, 0, text);
    m_painter->restore();
    const int advance = int(std::ceil(QFontMetricsF(font).horizontalAdvance(text.trimmed()) * sx));
    mark(QRect(x, y, std::max(1, advance), height));
}

void Renderer::drawBarcode(int x, int y, const QByteArray& data) {
    const BarcodeLook look =
        ReadBarcodeLook(m_field.barcodeParams, m_field.kind == FieldKind::Code39, m_bars);
    if (!look.code39 && data.contains('>'))
        m_result.warnings << QStringLiteral("%1: 코드 128 전환 문자(>)를 데이터로 그렸습니다.")
                                 .arg(Note(m_field.barcodeRaw));
    const Bars bars = EncodeBars(data, look);
    if (!bars.error.isEmpty()) {
        m_result.warnings << QStringLiteral("%1: 바코드를 만들 수 없습니다 (%2).")
                                 .arg(Note(m_field.barcodeRaw), bars.error);
        return;
    }
    mark(PaintBarcode(*m_painter, m_font, QPoint(x, y), bars, look));
}

void Renderer::drawGraphic(int x, int y) {
    const auto it = m_graphics.constFind(m_field.graphic);
    if (it == m_graphics.constEnd()) {
        m_result.warnings << QStringLiteral("^XG%1: 다운로드되지 않은 그래픽입니다.")
                                 .arg(QString::fromLatin1(m_field.graphic));
        return;
    }
    QImage image = *it;
    if (m_field.graphicMx > 1 || m_field.graphicMy > 1)
        image = image.scaled(image.width() * m_field.graphicMx, image.height() * m_field.graphicMy,
                             Qt::IgnoreAspectRatio, Qt::FastTransformation);
    m_painter->drawImage(QPoint(x, y), image);
    mark(QRect(QPoint(x, y), image.size()));
}

void Renderer::drawBox(int x, int y) {
    const QList<QByteArray>& p = m_field.boxParams;
    const int thickness = std::max(1, IntParam(p, 2, 1));
    const int w = std::max(thickness, IntParam(p, 0, thickness));
    const int h = std::max(thickness, IntParam(p, 1, thickness));
    const QColor colour = CharParam(p, 3, 'B') == 'W' ? Qt::white : Qt::black;
    if (2 * thickness >= std::min(w, h)) {
        m_painter->fillRect(QRect(x, y, w, h), colour);
    } else {
        m_painter->fillRect(QRect(x, y, w, thickness), colour);
        m_painter->fillRect(QRect(x, y + h - thickness, w, thickness), colour);
        m_painter->fillRect(QRect(x, y, thickness, h), colour);
        m_painter->fillRect(QRect(x + w - thickness, y, thickness, h), colour);
    }
    mark(QRect(x, y, w, h));
}

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

PreviewResult RenderZpl(const QByteArray& stream) { return Renderer().run(stream); }

QStringList PreviewResult::captionLines() const {
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
    for (const QString& w : warnings)
        lines << QStringLiteral("주의: %1").arg(w);
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
