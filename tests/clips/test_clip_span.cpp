// The marked span as rows and seconds on their joined timeline, or why there is none.
#include <gtest/gtest.h>

#include "ClipSpan.h"

namespace {

using clips::ClipSpan;
using clips::TimelineMark;
using Mark = std::optional<TimelineMark>;

TEST(ClipSpan, MarksGiveRowsAndJoinedSeconds) {
    // A and B one trip; C not indexed; E another trip than D.
    const std::vector<clips::SpanRow> rows{{"A.MP4", 60.0, false}, {"B.MP4", 30.0, true}, {"C.MP4", std::nullopt, false},
                                           {"D.MP4", 20.0, true}, {"E.MP4", 10.0, false}};
    const struct {
        const char* name;
        Mark in, out;
        std::optional<ClipSpan> span;
        const char* reason;  // a part of it
    } cases[] = {
        {"same row", TimelineMark{0, 12.5}, TimelineMark{0, 30}, ClipSpan{0, 0, 12.5, 30}, ""},
        {"across two rows", TimelineMark{0, 50}, TimelineMark{1, 5}, ClipSpan{0, 1, 50, 65}, ""},
        {"a mark past the end stands at the end", TimelineMark{1, 10}, TimelineMark{1, 99}, ClipSpan{1, 1, 10, 30}, ""},
        {"no marks", std::nullopt, std::nullopt, std::nullopt, "Mark In (I) and Mark Out (O) first"},
        {"no Out", TimelineMark{0, 1}, std::nullopt, std::nullopt, "Mark In (I) and Mark Out (O) first"},
        {"Out before In, same row", TimelineMark{0, 30}, TimelineMark{0, 12}, std::nullopt, "before Mark In"},
        {"Out on In", TimelineMark{0, 30}, TimelineMark{0, 30}, std::nullopt, "before Mark In"},
        {"Out in an earlier row", TimelineMark{1, 1}, TimelineMark{0, 50}, std::nullopt, "before Mark In"},
        {"through a row not indexed", TimelineMark{1, 20}, TimelineMark{3, 5}, std::nullopt, "C.MP4 is not indexed"},
        {"on a row not indexed", TimelineMark{2, 0}, TimelineMark{2, 1}, std::nullopt, "C.MP4 is not indexed"},
        {"into another trip", TimelineMark{3, 1}, TimelineMark{4, 1}, std::nullopt, "E.MP4 does not follow D.MP4"},
        {"a row no longer listed", TimelineMark{0, 1}, TimelineMark{5, 1}, std::nullopt, "no longer listed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const clips::SpanOrReason got = clips::spanOfMarks(c.in, c.out, rows);
        EXPECT_EQ(got.span, c.span);
        EXPECT_EQ(got.reason.isEmpty(), !*c.reason);
        EXPECT_TRUE(got.reason.contains(QString::fromUtf8(c.reason))) << got.reason.toStdString();
    }
}

}  // namespace
