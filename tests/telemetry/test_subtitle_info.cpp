#include <gtest/gtest.h>

#include <stdexcept>

#include "Class_Subtitle_Info.h"

using telemetry::Class_Subtitle_Info;

namespace {
Class_Subtitle_Info decode(const std::string& text) {
    Class_Subtitle_Info s;
    s.setSubtitleInfo(text);
    return s;
}
}  // namespace

TEST(SubtitleInfo, FillsTheFifteenFieldsInComponentOrder) {
    const auto s = decode(std::string("\x00\x3e", 2) + "$0.01$-0.02$0.98$1034567$451234$270$45.9$2016$5$12$9$3$07$N$W");
    // The rule only tests the value, so a padded 07 gains a third digit.
    const char* expected[] = {"0.01", "-0.02", "0.98", "1034567", "451234", "270", "45.9", "2016",
                              "05",   "12",    "09",   "03",      "007",    "N",   "W"};
    for (int i = 0; i < Class_Subtitle_Info::kFieldCount; ++i) EXPECT_EQ(s.field(i), expected[i]) << i;
    EXPECT_EQ(s.lon, "1034567");  // longitude comes before latitude
    EXPECT_EQ(s.lat, "451234");
    EXPECT_EQ(s.heading, "270");
}

TEST(SubtitleInfo, LeadingZeroRuleForNonNumbersAndNegatives) {
    const auto s = decode("$a$b$c$d$e$f$g$$-1$xy$10$9$ 5$S$");
    EXPECT_EQ(s.year, "0");
    EXPECT_EQ(s.month, "0-1");
    EXPECT_EQ(s.day, "0xy");
    EXPECT_EQ(s.hour, "10");
    EXPECT_EQ(s.min, "09");
    EXPECT_EQ(s.second, "0 5");
    EXPECT_EQ(s.WE, "");  // nothing after the fifteenth "$": empty, which counts as east
}

TEST(SubtitleInfo, SplitIsExactAndExtraComponentsAreIgnored) {
    const auto s = decode("lead$$2$3$4$5$6$7$8$9$10$11$12$13$14$15$16$17");
    EXPECT_EQ(s.gx, "");
    EXPECT_EQ(s.gy, "2");
    EXPECT_EQ(s.WE, "15");
    const auto spaced = decode("$ 1 $2$3$4$5$6$7$8$9$10$11$12$13$S $w");
    EXPECT_EQ(spaced.gx, " 1 ");  // nothing is trimmed
    EXPECT_EQ(spaced.NS, "S ");
    EXPECT_EQ(spaced.WE, "w");
}

// Fields whose components exist are stored, in order, before a missing one
// fails; nothing is validated, so empty and non-UTF-8 components are stored too.
TEST(SubtitleInfo, StoresTheComponentsThatExistThenFails) {
    struct Case {
        std::string text;
        int filled;
    };
    const Case cases[] = {
        {"$1$2$3$4$5$6$7$2016$5$9", 10},  // ten "$"
        {"$1$2$3$4$5$6$7$8$9$10$11$12$13$14", 14},
        {"no separators at all", 0},
        {"", 0},
        {"$$$$$$$$$$$$$$$", 15},
        {"\xff$\xc3(\x80$2$3$4$5$6$7$8$9$10$11$12$13$\xe9$W", 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Class_Subtitle_Info s;
        if (c.filled < Class_Subtitle_Info::kFieldCount) EXPECT_THROW(s.setSubtitleInfo(c.text), std::out_of_range);
        else s.setSubtitleInfo(c.text);
        for (int i = 0; i < Class_Subtitle_Info::kFieldCount; ++i) EXPECT_EQ(s.field(i).has_value(), i < c.filled) << i;
    }
    Class_Subtitle_Info ten;
    EXPECT_THROW(ten.setSubtitleInfo(cases[0].text), std::out_of_range);
    EXPECT_EQ(ten.gx, "1");
    EXPECT_EQ(ten.year, "2016");
    EXPECT_EQ(ten.month, "05");
    EXPECT_EQ(ten.day, "09");
    const auto bytes = decode("\xff$\xc3(\x80$$3$4$5$6$7$7$9$10$11$12$13$\xe9$");
    EXPECT_EQ(bytes.gx, "\xc3(\x80");
    EXPECT_EQ(bytes.gy, "");
    EXPECT_EQ(bytes.year, "07");
    EXPECT_EQ(bytes.NS, "\xe9");
    EXPECT_EQ(bytes.WE, "");
}

TEST(SubtitleInfo, PositionFixIsJudgedByTheIntegerValueOfLat) {
    EXPECT_TRUE(telemetry::hasPositionFix(decode("$0$0$1$1034567$451234$0$0$2016$5$12$9$3$7$N$E")));
    EXPECT_FALSE(telemetry::hasPositionFix(decode("$0$0$1$1034567$0.9$0$0$2016$5$12$9$3$7$N$E")));
    EXPECT_FALSE(telemetry::hasPositionFix(decode("$0$0$1$1034567$-451234$0$0$2016$5$12$9$3$7$S$E")));
    EXPECT_FALSE(telemetry::hasPositionFix(Class_Subtitle_Info{}));
}
