#include "ClipSpan.h"

#include <algorithm>
#include <cmath>

#include <QCoreApplication>

namespace clips {
namespace {

QString tr(const char* text) { return QCoreApplication::translate("clips::ClipSpan", text); }

}  // namespace

SpanOrReason spanOfMarks(const std::optional<TimelineMark>& in, const std::optional<TimelineMark>& out,
                         const std::vector<SpanRow>& rows) {
    if (!in || !out) return {std::nullopt, tr("Mark In (I) and Mark Out (O) first.")};
    for (const TimelineMark& mark : {*in, *out})
        if (mark.row < 0 || size_t(mark.row) >= rows.size() || !std::isfinite(mark.seconds))
            return {std::nullopt, tr("A mark belongs to a recording that is no longer listed; mark the span again.")};
    for (int32_t row = in->row; row <= out->row; ++row) {
        const SpanRow& r = rows[size_t(row)];
        if (!r.seconds || !(*r.seconds > 0))
            return {std::nullopt, tr("%1 is not indexed or cannot be read, and a clip runs through consecutive "
                                     "recordings only.").arg(r.name)};
        if (row > in->row && !r.followsPrevious)
            return {std::nullopt, tr("%1 does not follow %2 in one trip, and a clip runs through consecutive "
                                     "recordings only.").arg(r.name, rows[size_t(row - 1)].name)};
    }
    auto at = [&](const TimelineMark& m) { return std::clamp(m.seconds, 0.0, *rows[size_t(m.row)].seconds); };
    ClipSpan span{in->row, out->row, at(*in), at(*out)};
    for (int32_t row = in->row; row < out->row; ++row) span.to += *rows[size_t(row)].seconds;
    if (out->row < in->row || span.to <= span.from)
        return {std::nullopt, tr("Mark Out (O) lies before Mark In (I); mark the span again.")};
    return {span, {}};
}

}  // namespace clips
