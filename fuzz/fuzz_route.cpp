// libFuzzer target: whatever a routing server sends, reading its answer returns, and a
// usable answer holds only usable coordinates.
#include <QByteArray>

#include <cstdint>
#include <cstdlib>

#include "PositionFix.h"
#include "RouteAnswer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const DirectionsAnswer answer =
        routeanswer::parseRouteBody(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (answer.ok() == !answer.error.isEmpty()) std::abort();
    for (const Route& route : answer.routes)
        for (const GeoCoordinate& c : route.polyline)
            if (!telemetry::isUsableCoordinate(c.latitude, c.longitude)) std::abort();
    return 0;
}
