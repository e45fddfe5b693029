#pragma once
// Whether playback keeps up with the channels it composes: mpv counts the frames it drops,
// at the output and in the decoder; a count that grows second after second means the
// computer cannot decode every channel in time, while a burst (a seek, another program
// starting) passes.

#include <cstddef>
#include <cstdint>
#include <vector>

// The drop counts read once a second of playback at normal speed, oldest first, since the
// last seek or pause. True when the last five seconds dropped frames in at least four of
// them and at least five frames in all.
bool fallingBehind(const std::vector<int64_t>& dropCounts);
