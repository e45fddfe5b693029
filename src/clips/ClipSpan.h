#pragma once
// The span between the In and Out marks as a clip: the rows it runs through and
// where it starts and ends on the timeline of those rows played one after another.

#include <cstdint>
#include <optional>
#include <vector>

#include <QString>

#include "ClipMarks.h"

namespace clips {

struct SpanRow {
    QString name;                   // as the table shows it, for the reason
    std::optional<double> seconds;  // its length; nullopt when not indexed or unreadable
    bool followsPrevious = false;   // it continues the row before it, in one trip
};

struct ClipSpan {
    int32_t firstRow = 0, lastRow = 0;
    double from = 0, to = 0;  // on the joined timeline of firstRow..lastRow
    bool operator==(const ClipSpan&) const = default;
};

struct SpanOrReason {
    std::optional<ClipSpan> span;
    QString reason;  // why there is none
};

// Every row from In's to Out's must be readable and follow the one before it: a
// clip runs through consecutive recordings. A mark past its recording's end stands
// at the end.
SpanOrReason spanOfMarks(const std::optional<TimelineMark>& in, const std::optional<TimelineMark>& out,
                         const std::vector<SpanRow>& rows);

}  // namespace clips
