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

// The fifteen fields joined by "|" ("~" for null), and whether the decode threw.
// The leading-zero rule only tests the value: a padded 07 gains a third digit, and
// non-numbers and negatives gain one too. Fields whose components exist are stored,
// in order, before a missing one fails; nothing is trimmed or validated.
TEST(SubtitleInfo, FieldsInComponentOrderThenFailAtTheFirstMissingOne) {
    const struct {
        std::string text, fields;
        bool throws;
    } cases[] = {
        {std::string("\x00\x3e", 2) + "$0.01$-0.02$0.98$1034567$451234$270$45.9$2016$5$12$9$3$07$N$W",
         "0.01|-0.02|0.98|1034567|451234|270|45.9|2016|05|12|09|03|007|N|W", false},
        {"$a$b$c$d$e$f$g$$-1$xy$10$9$ 5$S$", "a|b|c|d|e|f|g|0|0-1|0xy|10|09|0 5|S|", false},
        {"lead$$2$3$4$5$6$7$8$9$10$11$12$13$14$15$16$17", "|2|3|4|5|6|7|08|09|10|11|12|13|14|15", false},
        {"$ 1 $2$3$4$5$6$7$8$9$10$11$12$13$S $w", " 1 |2|3|4|5|6|7|08|09|10|11|12|13|S |w", false},
        {"$1$2$3$4$5$6$7$2016$5$9", "1|2|3|4|5|6|7|2016|05|09|~|~|~|~|~", true},
        {"$1$2$3$4$5$6$7$8$9$10$11$12$13$14", "1|2|3|4|5|6|7|08|09|10|11|12|13|14|~", true},
        {"no separators at all", "~|~|~|~|~|~|~|~|~|~|~|~|~|~|~", true},
        {"", "~|~|~|~|~|~|~|~|~|~|~|~|~|~|~", true},
        {"$$$$$$$$$$$$$$$", "|||||||0|0|0|0|0|0||", false},
        {"\xff$\xc3(\x80$$3$4$5$6$7$7$9$10$11$12$13$\xe9$", "\xc3(\x80||3|4|5|6|7|07|09|10|11|12|13|\xe9|", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Class_Subtitle_Info s;
        bool threw = false;
        try {
            s.setSubtitleInfo(c.text);
        } catch (const std::out_of_range&) {
            threw = true;
        }
        std::string fields;
        for (int i = 0; i < Class_Subtitle_Info::kFieldCount; ++i)
            fields += (i ? "|" : "") + (s.field(i).has_value() ? std::string(s.field(i).view()) : "~");
        EXPECT_EQ(fields, c.fields);
        EXPECT_EQ(threw, c.throws);
    }
    const auto s = decode("$0.01$-0.02$0.98$1034567$451234$270$45.9$2016$5$12$9$3$07$N$W");
    EXPECT_EQ(std::tuple(s.lon, s.lat, s.heading, s.WE), std::tuple("1034567", "451234", "270", "W"));  // named fields
}

TEST(SubtitleInfo, PositionFixIsJudgedByTheIntegerValueOfLat) {
    for (const auto& [lat, fix] : std::initializer_list<std::pair<const char*, bool>>{{"451234", true}, {"0.9", false}, {"-451234", false}})
        EXPECT_EQ(telemetry::hasPositionFix(decode(std::string("$0$0$1$1034567$") + lat + "$0$0$2016$5$12$9$3$7$N$E")), fix) << lat;
    EXPECT_FALSE(telemetry::hasPositionFix(Class_Subtitle_Info{}));
}
