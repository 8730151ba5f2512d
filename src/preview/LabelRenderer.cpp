#include "preview/LabelRenderer.h"

#include <algorithm>

namespace hanlabel::zpl {

namespace {

// The shortest label the picture is cut to when the job names no length.
constexpr int kMinimumLength = 25 * kPreviewDotsPerMm;
// The largest width and length the canvas takes.
constexpr int kLargestSide = 32000;

// The first format: from the first ^XA up to and including the next ^XZ.
FormatSpan FindFormat(const std::vector<Command>& commands) {
    FormatSpan span{commands.size(), commands.size()};
    for (size_t i = 0; i < commands.size(); ++i) {
        if (commands[i].prefix == '^' && commands[i].code == "XA" && span.begin == commands.size())
            span.begin = i;
        else if (commands[i].prefix == '^' && commands[i].code == "XZ" && span.begin != commands.size()) {
            span.end = i;
            break;
        }
    }
    return span;
}

// The "^PW" width and "^LL" length of the format, 0 where it names none; read before drawing.
QSize NamedSize(const std::vector<Command>& commands, FormatSpan format) {
    int width = 0, length = 0;
    for (size_t i = format.begin; i < format.end; ++i) {
        if (commands[i].prefix != '^')
            continue;
        if (commands[i].code == "PW")
            width = IntParam(Params(commands[i].params), 0, 0);
        else if (commands[i].code == "LL")
            length = IntParam(Params(commands[i].params), 0, 0);
    }
    return QSize(width, length);
}

} // namespace

PreviewResult LabelRenderer::run(const QByteArray& stream) {
    const std::vector<Command> commands = Tokenize(stream);
    const FormatSpan format = FindFormat(commands);
    const QSize size = NamedSize(commands, format);
    openCanvas(size.width(), size.height());
    runCommands(commands, format);
    m_painter.reset();
    for (const SerialField& serial : m_serials) {
        m_result.serials << DescribeSerial(serial, m_result.labelCount);
        m_result.serialValues << SerialRun(serial, m_result.labelCount);
    }
    noteClearNumbers();
    m_result.label = croppedLabel();
    return m_result;
}

// A white label of the named size; the default width and an open length where it names none.
void LabelRenderer::openCanvas(int width, int length) {
    m_result.sizeGiven = width > 0 && length > 0;
    m_lengthGiven = length > 0;
    if (width <= 0)
        width = kPreviewDefaultWidth;
    width = std::min(width, kLargestSide);
    m_label = QRect(0, 0, width, m_lengthGiven ? std::min(length, kLargestSide) : kOpenLength);
    m_image = QImage(m_label.size(), QImage::Format_RGB32);
    m_image.fill(Qt::white);
    m_painter = std::make_unique<QPainter>(&m_image);
    m_painter->setRenderHint(QPainter::Antialiasing, false);
    m_painter->setRenderHint(QPainter::TextAntialiasing, false);
    m_painter->setPen(Qt::black);
}

// Graphic downloads wherever they stand, the format's commands; what lies outside is noted.
void LabelRenderer::runCommands(const std::vector<Command>& commands, FormatSpan format) {
    const size_t n = commands.size();
    int skipped = 0;
    m_result.formatCount = int(std::count_if(commands.begin(), commands.end(), [](const Command& c) {
        return c.prefix == '^' && c.code == "XA";
    }));
    for (size_t i = 0; i < n; ++i) {
        const Command& cmd = commands[i];
        const bool inFormat = format.begin < n && i > format.begin && i < format.end;
        if (cmd.prefix == '~' && cmd.code == "DG")
            download(cmd);
        else if (inFormat)
            execute(cmd);
        else if (i == format.begin || i == format.end)
            continue;
        else if (i > format.end)
            ++skipped;
        else
            skip(cmd);
    }
    if (format.begin == n)
        note(QStringLiteral("인쇄할 라벨이 없습니다."), QStringLiteral("라벨 형식(^XA … ^XZ)이 없습니다."));
    else if (format.end == n)
        note(QStringLiteral("라벨이 끝나지 않아 프린터가 인쇄하지 않을 수 있습니다."),
             QStringLiteral("라벨 형식이 ^XZ로 끝나지 않습니다."));
    if (skipped > 0)
        note(QStringLiteral("라벨 형식 %1개 중 첫 형식만 그렸습니다.").arg(m_result.formatCount),
             QStringLiteral("첫 라벨 형식 뒤의 명령 %1개는 그리지 않았습니다.").arg(skipped));
}

// The label as printed: an open length ends a little below the content.
QImage LabelRenderer::croppedLabel() const {
    if (m_lengthGiven)
        return m_image;
    const int length = std::clamp(m_contentBottom + 2 * kPreviewDotsPerMm, kMinimumLength, kOpenLength);
    return m_image.copy(0, 0, m_label.width(), length);
}

} // namespace hanlabel::zpl
