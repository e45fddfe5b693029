#include "ImageRotation.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

QImage imageRotated(const QImage& image, float degrees) {
    const float d = float(std::fmod(double(degrees), 360.0));
    if (d == 0.0f) return image;
    const qreal w = image.width(), h = image.height();
    QSizeF canvas;
    if (d == 90.0f || d == 270.0f || d == -90.0f || d == -270.0f) canvas = {h, w};
    else if (d == 180.0f || d == -180.0f) canvas = {w, h};
    else canvas = {std::max(w, h) + 20, std::max(w, h) + 20};

    QImage out(canvas.toSize(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // Rotate about the origin, then move to the canvas centre; Qt's y grows
    // downwards, so a counter-clockwise turn is a negative angle here.
    p.translate(canvas.width() / 2, canvas.height() / 2);
    p.rotate(-d);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPointF(-w / 2, -h / 2), image);
    return out;
}
