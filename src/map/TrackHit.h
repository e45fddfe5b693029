#pragma once
// Which recorded sample a click on the drawn track means. The track is drawn
// through every fix, thinned only below a pixel, so a click on the line is a
// click near the fixes themselves.

#include <QPointF>
#include <QVector>
#include <cstdint>
#include <functional>
#include <optional>

#include "MapInterface.h"

namespace trackhit {

inline constexpr double kClickTolerance = 6.0;  // pixels: a finger's width off the line still counts

// Each sample's place in the widget from its fix, nothing for a sample without one.
QVector<std::optional<QPointF>> samplePixels(const QVector<std::optional<GeoCoordinate>>& fixes,
                                             const std::function<QPointF(GeoCoordinate)>& toWidget);

// The sample at the clicked place of the track through the pixels (consecutive
// fixes joined, a sample without one breaking the line): of the piece nearest to
// the click, its end nearer along it. Nothing when no piece passes within the
// tolerance.
std::optional<uint32_t> sampleAt(const QVector<std::optional<QPointF>>& pixels, QPointF click,
                                 double tolerance = kClickTolerance);

}  // namespace trackhit
