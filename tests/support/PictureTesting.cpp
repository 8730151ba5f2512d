#include "PictureTesting.h"

#include <QProcess>
#include <QStandardPaths>

namespace hanlabel::test {

QRect InkBox(const QImage& picture, const QRect& area) {
    const QRect within = (area.isNull() ? picture.rect() : area).intersected(picture.rect());
    QRect box;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            if (qGray(picture.pixel(x, y)) < 128)
                box = box.united(QRect(x, y, 1, 1));
    return box;
}

QString Describe(const QRect& box) {
    return QStringLiteral("%1,%2 %3x%4").arg(box.left()).arg(box.top()).arg(box.width()).arg(box.height());
}

QStringList DecodeBarcodes(const QImage& picture, const QString& path) {
    if (QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty())
        return {QStringLiteral("zbarimg is not installed (zbar-tools, scripts/setup.sh)")};
    // A quiet zone around the symbols, as on a label's white stock.
    QImage framed(picture.width() + 40, picture.height() + 40, QImage::Format_RGB32);
    framed.fill(Qt::white);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            framed.setPixel(x + 20, y + 20, picture.pixel(x, y));
    framed.save(path, "PNG");
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("--quiet"), path});
    if (!zbar.waitForFinished(20000))
        return {QStringLiteral("zbarimg did not finish")};
    QStringList lines = QString::fromUtf8(zbar.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    lines.sort();
    return lines;
}

} // namespace hanlabel::test
