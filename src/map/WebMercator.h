#pragma once
// Web-Mercator projection as the standard raster tiles use it: the world is a
// square of 256 * 2^zoom pixels, x growing east, y growing south.

#include <QPointF>
#include <QSize>

#include "MapInterface.h"

namespace webmercator {

inline constexpr int kTileSize = 256;
inline constexpr double kMaxLatitude = 85.05112878;
inline constexpr double kMinZoom = 0, kMaxZoom = 19;

double worldSize(double zoom);
QPointF project(GeoCoordinate c, double zoom);    // world pixels
GeoCoordinate unproject(QPointF p, double zoom);  // inverse of project
// The largest zoom at which a span of degrees around the centre fits the viewport.
double zoomForSpan(GeoCoordinate centre, double spanLatitude, double spanLongitude, QSize viewport);

}  // namespace webmercator
