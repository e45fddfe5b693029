#include "Track.h"

namespace trips {

std::vector<std::vector<GeoPoint>> trackRuns(std::span<const telemetry::Sample> samples, size_t step) {
    std::vector<std::vector<GeoPoint>> runs;
    if (step == 0) step = 1;
    bool open = false;
    size_t inRun = 0;
    std::optional<GeoPoint> last;  // the run's latest point not kept yet
    for (const telemetry::Sample& s : samples) {
        const auto& fix = s.fix;
        if (!fix) {
            if (open && last) runs.back().push_back(*last);
            open = false;
            last.reset();
            continue;
        }
        if (!open) runs.emplace_back(), open = true, inRun = 0;
        if (inRun++ % step == 0) {
            runs.back().push_back(*fix);
            last.reset();
        } else {
            last = fix;
        }
    }
    if (open && last) runs.back().push_back(*last);
    return runs;
}

}  // namespace trips
