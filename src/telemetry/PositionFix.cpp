#include "PositionFix.h"

#include <cmath>

#include "TextValues.h"

namespace telemetry {

bool isUsableCoordinate(double latitude, double longitude) {
    return std::isfinite(latitude) && std::isfinite(longitude) && std::fabs(latitude) <= 90.0 &&
           std::fabs(longitude) <= 180.0;
}

std::optional<Position> positionFromTexts(std::string_view lat, std::string_view lon, std::string_view ns,
                                          std::string_view we) {
    // A damaged text reads as 0, which is a place on the equator or the meridian.
    if (!isDecimalNumber(lat) || !isDecimalNumber(lon)) return std::nullopt;
    Position p{floatingValue(lat) / 10000.0, floatingValue(lon) / 10000.0};
    if (ns == "S") p.latitude = -p.latitude;
    if (we == "W") p.longitude = -p.longitude;
    if (!isUsableCoordinate(p.latitude, p.longitude)) return std::nullopt;
    return p;
}

std::optional<Position> positionFix(const Class_Subtitle_Info& sample) {
    if (!hasPositionFix(sample)) return std::nullopt;
    const auto text = [](const Text& t) { return t ? std::string_view(*t) : std::string_view(); };
    return positionFromTexts(text(sample.lat), text(sample.lon), text(sample.NS), text(sample.WE));
}

}  // namespace telemetry
