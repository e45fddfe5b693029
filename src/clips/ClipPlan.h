#pragma once
// Which recordings a span of their joined timeline covers, and where in each.

#include <cstddef>
#include <optional>
#include <vector>

namespace clips {

struct ClipPiece {
    size_t file = 0;             // index into the recordings given
    double in = 0, out = 0;      // seconds within that recording
    bool operator==(const ClipPiece&) const = default;
};

// The recordings, with the given durations in seconds, played one after another;
// [from, to] on that joined timeline. nullopt when the span is empty or reaches
// outside it. Recordings the span only touches at a boundary are left out.
std::optional<std::vector<ClipPiece>> planClip(const std::vector<double>& durations, double from, double to);

}  // namespace clips
