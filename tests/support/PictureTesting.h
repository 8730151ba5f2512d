#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

namespace hanlabel::test {

// The bounding box of the black dots inside an area of a picture (the whole picture by default).
QRect InkBox(const QImage& picture, const QRect& area = QRect());

// A box as "left,top widthxheight", for failure messages.
QString Describe(const QRect& box);

// What zbarimg reads from a picture, sorted: "CODE-128:data" lines. The picture is saved as
// `path` first. When zbarimg is missing or fails, the one line says so, so that a comparison
// with the expected symbols fails.
QStringList DecodeBarcodes(const QImage& picture, const QString& path);

} // namespace hanlabel::test
