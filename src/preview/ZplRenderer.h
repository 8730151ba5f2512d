#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

namespace hanlabel {

// Printer resolution of the picture: 203 dpi, 8 dots per millimetre, one pixel per dot.
inline constexpr int kPreviewDotsPerMm = 8;
// Label size when the job names none: a 4-inch print head; the length follows the content.
inline constexpr int kPreviewDefaultWidth = 812;

// What the virtual printer makes of one job.
struct PreviewResult {
    QImage label;           // the first label, one pixel per dot, white with black ink
    bool sizeGiven = false; // the job set the width (^PW) and the length (^LL)
    QString quantityText;   // the argument of "^PQ" as sent; empty when the job has none
    qint64 labelCount = 1;  // labels the printer makes from the format
    int formatCount = 0;    // label formats (^XA) in the stream; the first is drawn
    QString labelNoun = QStringLiteral("라벨"); // what the operator calls one label: "라벨", "회원증"
    QStringList serialValues; // per serialized field, the values it runs through, in words
    QStringList serials;      // per serialized field: its place, mask and values, in ZPL terms
    QStringList notDrawn;     // commands the picture does not show, in stream order
    QStringList warnings;     // in words: what the printer will do otherwise, or what is not drawn
    QStringList details;      // the same in ZPL terms, behind "자세히"

    // The lines under the picture: what comes out, then the warnings, in words.
    QStringList captionLines() const;
    // The ZPL details: size in dots, "^PQ", serial fields, each command not drawn, each warning's detail.
    QStringList detailLines() const;
};

// Renders the first label format (^XA ... ^XZ) of a ZPL II stream as the label printer would
// print it. Carriage returns and line feeds between commands are ignored, as the printer does.
PreviewResult RenderZpl(const QByteArray& stream);

// The label with its caption lines underneath; the label stays at the top left, dot for pixel.
QImage PreviewPicture(const PreviewResult& result);

} // namespace hanlabel
