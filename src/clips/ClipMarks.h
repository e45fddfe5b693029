#pragma once
// Where the user marked a clip's In and Out: a second of one row's recording, so a
// span can start in one recording and end in a later one.

#include <cstdint>

namespace clips {

struct TimelineMark {
    int32_t row = 0;       // the table row of the recording
    double seconds = 0;    // video time within it
    bool operator==(const TimelineMark&) const = default;
};

}  // namespace clips
