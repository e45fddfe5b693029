#pragma once
// Turning a tile server's body into a tile image: a pure function of the bytes, so a
// fuzzer and the tests reach it without a network. A hostile server may send huge
// bodies or huge pictures; both are refused before any pixel is decoded.

#include <QByteArray>
#include <QImage>

namespace tileimage {

inline constexpr qint64 kMaxBodyBytes = 1 << 20;

// Whether a picture of this size is a tile: a square of 256 or 512 pixels.
bool isTileSize(QSize size);

// The decoded tile, or a null image when the body is too long, is not a picture, or
// is a picture of another size than a tile's.
QImage decodeTile(const QByteArray& body);

}  // namespace tileimage
