#include "ui/kit/Decoration.h"

#include <QPainter>
#include <QPainterPath>

// The resources of a static library must be registered explicitly, outside any namespace.
static void InitKitResources() { Q_INIT_RESOURCE(kit); }

namespace hanlabel {

QPixmap SampleBarcodePixmap() {
    InitKitResources();
    return QPixmap(QStringLiteral(":/kit/barcode.png"));
}

QPixmap PortraitSilhouettePixmap() {
    QPixmap pixmap(183, 238);
    pixmap.fill(QColor(214, 224, 236));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(120, 132, 150));

    // Shoulders: a rounded bust rising from the bottom edge.
    QPainterPath bust;
    bust.moveTo(14, 238);
    bust.cubicTo(14, 178, 52, 158, 91.5, 158);
    bust.cubicTo(131, 158, 169, 178, 169, 238);
    bust.closeSubpath();
    painter.drawPath(bust);
    // Neck and head.
    painter.drawRect(QRectF(78, 128, 27, 36));
    painter.drawEllipse(QRectF(55, 48, 73, 88));

    painter.setPen(QPen(QColor(160, 170, 184), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(1, 1, 181, 236));
    return pixmap;
}

} // namespace hanlabel
