#pragma once

#include <QPixmap>

namespace hanlabel {

// The sample barcode picture of both label windows (477 x 40 pixels).
QPixmap SampleBarcodePixmap();

// A neutral portrait silhouette for the member card window (183 x 238 pixels), drawn, not a photo.
QPixmap PortraitSilhouettePixmap();

} // namespace hanlabel
