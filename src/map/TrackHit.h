#pragma once
// Which recorded sample a click on the drawn track means. The line on screen may
// be thinned, so the answer comes from the recording's own samples.

#include <QPointF>
#include <QVector>
#include <cstdint>
#include <functional>
#include <optional>

#include "Class_Video_Info.h"
#include "MapInterface.h"

namespace trackhit {

inline constexpr double kClickTolerance = 6.0;  // pixels: a finger's width off the line still counts

// Each sample's place in the widget, nothing for a sample without a usable fix.
QVector<std::optional<QPointF>> samplePixels(const telemetry::Class_Video_Info& record,
                                             const std::function<QPointF(GeoCoordinate)>& toWidget);

// The sample at the clicked place of the track through the pixels (consecutive
// fixes joined, a sample without one breaking the line): of the piece nearest to
// the click, its end nearer along it. Nothing when no piece passes within the
// tolerance.
std::optional<uint32_t> sampleAt(const QVector<std::optional<QPointF>>& pixels, QPointF click,
                                 double tolerance = kClickTolerance);

}  // namespace trackhit
