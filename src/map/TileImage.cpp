#include "TileImage.h"

#include <QBuffer>
#include <QImageReader>

namespace tileimage {

bool isTileSize(QSize size) { return size.width() == size.height() && (size.width() == 256 || size.width() == 512); }

QImage decodeTile(const QByteArray& body) {
    if (body.size() > kMaxBodyBytes) return {};
    QBuffer buffer;
    buffer.setData(body);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // The header's size first: a 4000 x 4000 picture is refused without decoding it.
    if (!isTileSize(reader.size())) return {};
    QImage image;
    if (!reader.read(&image) || !isTileSize(image.size())) return {};
    return image;
}

}  // namespace tileimage
