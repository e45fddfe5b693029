#include "ChannelLoad.h"

bool fallingBehind(const std::vector<int64_t>& dropCounts) {
    constexpr size_t kSeconds = 5;
    if (dropCounts.size() < kSeconds + 1) return false;
    int secondsDropping = 0;
    int64_t dropped = 0;
    for (size_t i = dropCounts.size() - kSeconds; i < dropCounts.size(); ++i) {
        const int64_t d = dropCounts[i] - dropCounts[i - 1];
        if (d <= 0) continue;  // none, or a count that started again
        ++secondsDropping;
        dropped += d;
    }
    return secondsDropping >= 4 && dropped >= 5;
}
