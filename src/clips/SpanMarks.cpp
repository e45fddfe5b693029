#include "SpanMarks.h"

#include <algorithm>

namespace clips {

bool isBefore(const TimelineMark& a, const TimelineMark& b) {
    return a.row != b.row ? a.row < b.row : a.seconds < b.seconds;
}

bool placeMark(std::optional<TimelineMark>& in, std::optional<TimelineMark>& out, bool isIn, TimelineMark at) {
    if (isIn ? out && !isBefore(at, *out) : in && !isBefore(*in, at)) return false;
    (isIn ? in : out) = at;
    return true;
}

std::pair<TimelineMark, TimelineMark> eventSpan(int32_t row, double seconds, double length,
                                                std::optional<double> previousLength,
                                                std::optional<double> nextLength, double before, double after) {
    TimelineMark from{row, seconds - before}, to{row, seconds + after};
    if (from.seconds < 0) from = previousLength ? TimelineMark{row - 1, std::max(0.0, *previousLength + from.seconds)}
                                                : TimelineMark{row, 0.0};
    if (to.seconds > length) to = nextLength ? TimelineMark{row + 1, std::min(*nextLength, to.seconds - length)}
                                             : TimelineMark{row, length};
    return {from, to};
}

RowMarks marksInRow(const std::optional<TimelineMark>& in, const std::optional<TimelineMark>& out, int32_t row,
                    double length) {
    RowMarks marks;
    if (in && in->row == row) marks.in = in->seconds;
    if (out && out->row == row) marks.out = out->seconds;
    if (in && out && in->row <= row && row <= out->row)
        marks.span = std::pair{in->row < row ? 0.0 : in->seconds, out->row > row ? length : out->seconds};
    return marks;
}

}  // namespace clips
