#include "TrackHit.h"

#include <QLineF>
#include <algorithm>
#include <cmath>

namespace trackhit {

QVector<std::optional<QPointF>> samplePixels(const QVector<std::optional<GeoCoordinate>>& fixes,
                                             const std::function<QPointF(GeoCoordinate)>& toWidget) {
    QVector<std::optional<QPointF>> pixels;
    pixels.reserve(fixes.size());
    for (const std::optional<GeoCoordinate>& fix : fixes) pixels.append(fix ? std::optional(toWidget(*fix)) : std::nullopt);
    return pixels;
}

std::optional<uint32_t> sampleAt(const QVector<std::optional<QPointF>>& pixels, QPointF click, double tolerance) {
    std::optional<uint32_t> best;
    double bestDistance = tolerance;
    const auto consider = [&](double distance, uint32_t sample) {
        if (distance > bestDistance || (best && distance == bestDistance)) return;
        bestDistance = distance;
        best = sample;
    };
    for (qsizetype i = 0; i < pixels.size(); ++i) {
        if (!pixels[i]) continue;
        const QPointF a = *pixels[i];
        if (i + 1 >= pixels.size() || !pixels[i + 1]) {
            consider(QLineF(a, click).length(), uint32_t(i));
            continue;
        }
        const QPointF b = *pixels[i + 1], ab = b - a;
        const double lengthSquared = QPointF::dotProduct(ab, ab);
        const double t = lengthSquared > 0 ? std::clamp(QPointF::dotProduct(click - a, ab) / lengthSquared, 0.0, 1.0) : 0.0;
        consider(QLineF(a + ab * t, click).length(), uint32_t(t <= 0.5 ? i : i + 1));
    }
    return best;
}

}  // namespace trackhit
