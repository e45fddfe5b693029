// libFuzzer target: whatever a tile server sends, decoding returns, and what it accepts
// is a tile-sized picture from a body within the cap.
#include <QByteArray>
#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>

#include "TileImage.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // The image format plug-ins (JPEG, WebP, ...) load through the application object.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray body = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QImage image = tileimage::decodeTile(body);
    if (!image.isNull() && (!tileimage::isTileSize(image.size()) || body.size() > tileimage::kMaxBodyBytes))
        std::abort();
    return 0;
}
