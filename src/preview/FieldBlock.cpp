#include "preview/FieldBlock.h"

#include <QStringList>

#include <algorithm>

namespace hanlabel::zpl {

namespace {

// The lines of one paragraph, each a list of words, filled greedily to the widths.
QList<QStringList> WrapParagraph(const QString& paragraph, int firstWidth, int laterWidth,
                                 const std::function<int(const QString&)>& width) {
    QList<QStringList> lines;
    QStringList line;
    const auto limit = [&] { return lines.isEmpty() ? firstWidth : laterWidth; };
    QStringList words = paragraph.split(u' ', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        const QString joined = (line + QStringList{word}).join(u' ');
        if (width(joined) <= limit() || (line.isEmpty() && word.size() == 1)) {
            line << word;
            continue;
        }
        if (!line.isEmpty()) {
            lines << line;
            line.clear();
            --i; // the word starts the next line
            continue;
        }
        // A word wider than a whole line is cut with a hyphen at the line's end, the rest goes on.
        qsizetype fits = 1;
        while (fits + 1 < word.size() && width(word.left(fits + 1) + u'-') <= limit())
            ++fits;
        lines << QStringList{word.left(fits) + u'-'};
        words.insert(i + 1, word.mid(fits));
    }
    if (!line.isEmpty() || lines.isEmpty())
        lines << line;
    return lines;
}

} // namespace

QList<BlockPiece> LayoutBlock(const QString& text, const BlockFormat& format,
                              const std::function<int(const QString&)>& width) {
    QList<QStringList> lines;
    QList<bool> endsParagraph;
    for (const QString& paragraph : text.split(QStringLiteral("\\&"))) {
        const int first = lines.isEmpty() ? format.width : format.width - format.indent;
        const QList<QStringList> wrapped = WrapParagraph(paragraph, first, format.width - format.indent, width);
        for (qsizetype i = 0; i < wrapped.size(); ++i) {
            lines << wrapped[i];
            endsParagraph << (i + 1 == wrapped.size());
        }
    }
    QList<BlockPiece> pieces;
    const int lastLine = std::max(1, format.lines) - 1;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const int indent = n == 0 ? 0 : format.indent;
        const int room = format.width - indent;
        const QString joined = lines[n].join(u' ');
        const int used = width(joined);
        const int line = int(std::min<qsizetype>(n, lastLine));
        const bool lastOfBlock = n + 1 == lines.size() || endsParagraph[n];
        if (format.justify == 'J' && !lastOfBlock && lines[n].size() > 1) {
            // The room left over is shared out between the gaps of the line.
            const int gaps = int(lines[n].size()) - 1;
            const int spare = room - used;
            int x = indent;
            for (int w = 0; w <= gaps; ++w) {
                pieces.append({lines[n][w], x, line, n > lastLine});
                x += width(lines[n][w] + u' ') + (w < gaps ? spare * (w + 1) / gaps - spare * w / gaps : 0);
            }
            continue;
        }
        int x = indent;
        if (format.justify == 'C')
            x += (room - used) / 2;
        else if (format.justify == 'R')
            x += room - used;
        pieces.append({joined, x, line, n > lastLine});
    }
    return pieces;
}

} // namespace hanlabel::zpl
