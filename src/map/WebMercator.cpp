#include "WebMercator.h"

#include <algorithm>
#include <cmath>

namespace webmercator {

namespace {
constexpr double kPi = 3.14159265358979323846;
}

double worldSize(double zoom) { return kTileSize * std::exp2(zoom); }

QPointF project(GeoCoordinate c, double zoom) {
    const double lat = std::clamp(c.latitude, -kMaxLatitude, kMaxLatitude) * kPi / 180.0;
    const double size = worldSize(zoom);
    const double x = (c.longitude + 180.0) / 360.0 * size;
    const double y = (1.0 - std::log(std::tan(lat) + 1.0 / std::cos(lat)) / kPi) / 2.0 * size;
    return {x, y};
}

GeoCoordinate unproject(QPointF p, double zoom) {
    const double size = worldSize(zoom);
    const double lon = p.x() / size * 360.0 - 180.0;
    const double n = kPi - 2.0 * kPi * p.y() / size;
    const double lat = 180.0 / kPi * std::atan(std::sinh(n));
    return {lat, lon};
}

double zoomForSpan(GeoCoordinate centre, double spanLatitude, double spanLongitude, QSize viewport) {
    if (viewport.isEmpty() || spanLatitude <= 0 || spanLongitude <= 0) return kMaxZoom;
    // Extent of the span in world pixels at zoom 0, then the zoom that fits it.
    const QPointF a = project({centre.latitude + spanLatitude / 2, centre.longitude - spanLongitude / 2}, 0);
    const QPointF b = project({centre.latitude - spanLatitude / 2, centre.longitude + spanLongitude / 2}, 0);
    const double zx = std::log2(viewport.width() / std::max(1e-12, b.x() - a.x()));
    const double zy = std::log2(viewport.height() / std::max(1e-12, b.y() - a.y()));
    return std::clamp(std::min(zx, zy), kMinZoom, kMaxZoom);
}

}  // namespace webmercator
