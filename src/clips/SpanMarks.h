#pragma once
// The clip span the user marks: placing In and Out, the span an event proposes, and
// the part of the span that lies in one recording (for drawing it).

#include <optional>
#include <utility>

#include "ClipMarks.h"

namespace clips {

// Along the list of recordings: by row, then by time.
bool isBefore(const TimelineMark& a, const TimelineMark& b);

// Places In (isIn) or Out at `at`. A mark that would leave Out at or before In is
// refused and both marks stay as they were; returns whether it was placed.
bool placeMark(std::optional<TimelineMark>& in, std::optional<TimelineMark>& out, bool isIn, TimelineMark at);

// The span from `before` seconds ahead of an event to `after` seconds past it. Where
// it runs off the recording it continues into the neighbouring row when that row is
// of the same trip (its length given), and is cut at the recording's edge otherwise.
std::pair<TimelineMark, TimelineMark> eventSpan(int32_t row, double seconds, double length,
                                                std::optional<double> previousLength,
                                                std::optional<double> nextLength, double before = 10.0,
                                                double after = 5.0);

// What of the marks lies in one row of `length` seconds: the In and Out marks that
// are in it, and the part of the span (both marks set) that covers it.
struct RowMarks {
    std::optional<double> in, out;
    std::optional<std::pair<double, double>> span;
    bool operator==(const RowMarks&) const = default;
};
RowMarks marksInRow(const std::optional<TimelineMark>& in, const std::optional<TimelineMark>& out, int32_t row,
                    double length);

}  // namespace clips
