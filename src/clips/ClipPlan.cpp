#include "ClipPlan.h"

#include <algorithm>
#include <cmath>

namespace clips {

std::optional<std::vector<ClipPiece>> planClip(const std::vector<double>& durations, double from, double to) {
    if (!std::isfinite(from) || !std::isfinite(to) || from < 0 || to <= from) return std::nullopt;
    std::vector<ClipPiece> pieces;
    double start = 0;  // of the current recording on the joined timeline
    for (size_t i = 0; i < durations.size(); ++i) {
        const double end = start + durations[i];
        if (from < end && to > start) pieces.push_back({i, std::max(from, start) - start, std::min(to, end) - start});
        start = end;
    }
    // A small tolerance: durations come rounded from the container.
    if (to > start + 1e-6 || pieces.empty()) return std::nullopt;
    return pieces;
}

}  // namespace clips
