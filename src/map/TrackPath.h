#pragma once
// What the map draws of a long line, cheaply: the points projected once, thinned to
// what a pixel can show, and cut to the part in view. Pure functions, so a track of
// ten hours or a route of a million points costs a redraw no more than the screen
// can show of it.

#include <QList>
#include <QPolygonF>
#include <QRectF>
#include <QVector>

#include "MapInterface.h"

namespace trackpath {

// World pixels at zoom 0 (a 256-pixel square), in order; coordinates that are not a
// usable position are left out.
QPolygonF projectAtZoomZero(const QVector<GeoCoordinate>& points);

// The points scaled by `scale` and thinned: a point goes when the line the kept ones
// draw passes within `tolerance` of it. The first and last points stay. Linear in
// the number of points.
QPolygonF simplified(const QPolygonF& zoomZero, double scale, double tolerance = 0.5);

// The pieces of the polyline inside the rectangle, each cut at its edges.
QList<QPolygonF> clipped(const QPolygonF& polyline, const QRectF& rect);

}  // namespace trackpath
