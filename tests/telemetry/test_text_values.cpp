// A sample's text fields, the compact lists that hold them, and reading numbers from them.
#include <gtest/gtest.h>

#include <cstdlib>

#include <random>

#include <bit>

#include <clocale>
#include <limits>
#include <stdexcept>

#include "Class_Subtitle_Info.h"
#include "CompactText.h"
#include "TextValues.h"

using namespace telemetry;

// Texts on both sides of the inline limit, and bytes a damaged file may hold.
TEST(SampleText, KeepsEveryTextWholeAndNullApart) {
    const std::string texts[] = {"", "S", "1234567", "12345678", std::string("a\0b", 3), "\xff\xfe",
                                 "1034567.123456", std::string(70000, 'x')};
    const SampleText null;
    EXPECT_FALSE(null.has_value() || null == "");  // null is not the empty text
    EXPECT_EQ(std::tuple(null.view(), Text(null)), std::tuple("", std::nullopt));
    for (const std::string& text : texts) {
        SCOPED_TRACE(text.size());
        SampleText t(text);
        ASSERT_TRUE(t.has_value() && t == text);
        EXPECT_EQ(std::tuple(t.view(), Text(t)), std::tuple(text, text));
        EXPECT_NE(t, null);
        SampleText copy = t;  // copies are deep: each lives on alone
        SampleText moved = std::move(t);
        EXPECT_FALSE(t.has_value());
        EXPECT_EQ(copy, moved);
        copy = copy;
        moved = moved.view();  // assigning its own text to a field
        EXPECT_EQ(std::tuple(copy.view(), moved.view()), std::tuple(text, text));
        copy = SampleText();
        EXPECT_FALSE(copy.has_value());
    }
    EXPECT_NE(SampleText("1234567"), SampleText("12345678"));
    EXPECT_EQ(sizeof(Class_Subtitle_Info), 15 * sizeof(SampleText));
    EXPECT_EQ(sizeof(SampleText), 8u);
}

TEST(TextList, EntriesComeBackAsStored) {
    const std::vector<std::string> texts{"", "\x00\x3e$1$2", "", "\xff", std::string(300, 'y'), ""};
    TextList list;
    for (const std::string& t : texts) list.push_back(t);
    EXPECT_TRUE(list == texts);
    EXPECT_EQ(std::vector<std::string>(list.begin(), list.end()), texts);
    EXPECT_EQ(std::tuple(list.back(), list.at(4)), std::tuple("", texts[4]));
    EXPECT_THROW(list.at(6), std::out_of_range);
    EXPECT_FALSE(list == std::vector<std::string>(texts.begin(), texts.end() - 1));
    EXPECT_TRUE(TextList().empty());

    DecimalList numbers;  // read back as signed decimal texts
    for (uint32_t v : {0u, 62u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) numbers.push_back(v);
    const std::vector<std::string> decimals{"0", "62", "2147483647", "-2147483648", "-1"};
    EXPECT_TRUE(numbers == decimals);
    EXPECT_EQ(std::vector<std::string>(numbers.begin(), numbers.end()), decimals);
    EXPECT_EQ(numbers.value(4), 0xFFFFFFFFu);
    EXPECT_THROW(numbers.at(5), std::out_of_range);
}

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
            fields.append(i ? "|" : "").append(s.field(i).has_value() ? s.field(i).view() : "~");
        EXPECT_EQ(std::tuple(fields, threw), std::tuple(c.fields, c.throws));
    }
    for (const auto& [lat, fix] : {std::pair("451234", true), {"0.9", false}, {"-451234", false}}) {
        Class_Subtitle_Info s;
        s.setSubtitleInfo(std::string("$0$0$1$1034567$") + lat + "$0$0$2016$5$12$9$3$7$N$E");
        EXPECT_EQ(hasPositionFix(s), fix) << lat;  // judged by the integer value of lat
    }
    EXPECT_FALSE(hasPositionFix(Class_Subtitle_Info{}));
}

// The leading number only, clamped to the signed 32-bit range.
TEST(IntegerValue, ReadsTheLeadingNumberOnly) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max(), kMin = std::numeric_limits<int32_t>::min();
    for (const auto& [text, value] : std::vector<std::pair<const char*, int32_t>>{
             {"12.9", 12}, {"3abc", 3}, {" \t\n-7x", -7}, {"+5", 5}, {"007", 7}, {"abc", 0}, {"", 0}, {"- 3", 0},
             {"0x1F", 0}, {"2147483647", kMax}, {"2147483648", kMax}, {"99999999999999999999999", kMax},
             {"-2147483648", kMin}, {"-99999999999999999999999", kMin}})
        EXPECT_EQ(integerValue(text), value) << text;
    EXPECT_EQ(integerValue(std::optional<std::string>()), 0);
}

// The longest leading decimal number, correctly rounded; a bare exponent mark is not
// part of it, and hexadecimal, infinities and NaN read as 0. Qt sets the locale from
// the environment: a decimal comma must not change readings.
TEST(FloatingValue, ReadsTheLongestLeadingDecimalNumberInAnyLocale) {
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "C.UTF-8"})
        if (std::setlocale(LC_NUMERIC, name)) break;
    for (const auto& [text, value] : std::vector<std::pair<const char*, double>>{
             {"45.9", 45.9}, {"  +2.5km", 2.5}, {"-.5e-1", -0.05}, {"1e3", 1000.0}, {"1e", 1.0}, {"1e+x", 1.0},
             {"5.", 5.0}, {"1,5", 1.0}, {"", 0}, {".", 0}, {"-", 0}, {"e5", 0}, {"inf", 0}, {"-infinity", 0},
             {"nan", 0}, {"NaN(1)", 0}, {"abc", 0}, {"0x10", 0}, {"0.1", 0.1}, {"451234.5", 451234.5}})
        EXPECT_EQ(floatingValue(text), value) << text;
    std::setlocale(LC_NUMERIC, saved.c_str());

    // The short decimals cameras write take a fast path: it must round as strtod does,
    // to the last bit, up to the longest mantissa it takes and past it.
    std::mt19937_64 rng(7);
    std::vector<std::string> texts = {"0.98", "-1.13", "481374", "36.0", "-0", "+2.5", ".5", "5.", "007",
                                      "0.1234567890123", "821.72843949926903", "12345678901234567890", "999999999999999",
                                      "9999999999999999", "0.000000000000001", "1.5e-3"};
    for (int n = 0; n < 20000; ++n) {
        const std::string digits = std::to_string(rng() % 10'000'000'000'000'000ULL);
        const size_t point = rng() % (digits.size() + 1);
        std::string text = rng() % 3 == 0 ? "-" : "";
        text.append(digits, 0, point);
        if (rng() % 4) text.push_back('.');
        texts.push_back(text.append(digits, point));
    }
    for (const std::string& text : texts)
        EXPECT_EQ(std::bit_cast<uint64_t>(floatingValue(text)), std::bit_cast<uint64_t>(std::strtod(text.c_str(), nullptr)))
            << text;
}
