#pragma once
// Following the vehicle: the map pans only when the marker nears an edge, so the
// view holds still most of the time and the driver can read it.

#include <QPointF>
#include <QSizeF>
#include <optional>

inline constexpr double kFollowMargin = 0.15;  // of the view's width and height, at each edge

// Where the view's centre goes (widget pixels) when the marker at `marker` is within
// the margin of an edge or outside the view: onto the marker, which leaves the most
// road ahead in any direction. Nothing while the marker is well inside.
std::optional<QPointF> followPan(QPointF marker, QSizeF view, double margin = kFollowMargin);
