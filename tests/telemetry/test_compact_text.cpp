#include <gtest/gtest.h>

#include <stdexcept>

#include "Class_Subtitle_Info.h"
#include "CompactText.h"

using namespace telemetry;

// Texts on both sides of the inline limit, and bytes a damaged file may hold.
TEST(SampleText, KeepsEveryTextWholeAndNullApart) {
    const std::string texts[] = {"", "S", "1234567", "12345678", std::string("a\0b", 3), "\xff\xfe", "1034567.123456",
                                 std::string(70000, 'x')};
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
}

TEST(SampleText, ASampleIsFifteenSmallFields) {
    EXPECT_EQ(sizeof(Class_Subtitle_Info), 15 * sizeof(SampleText));
    EXPECT_EQ(sizeof(SampleText), 8u);
}

TEST(TextList, EntriesComeBackAsStoredIncludingEmptyOnes) {
    const std::vector<std::string> texts{"", "\x00\x3e$1$2", "", "\xff", std::string(300, 'y'), ""};
    TextList list;
    for (const std::string& t : texts) list.push_back(t);
    EXPECT_TRUE(list == texts);
    EXPECT_EQ(std::vector<std::string>(list.begin(), list.end()), texts);
    EXPECT_EQ(std::tuple(list.back(), list.at(4)), std::tuple("", texts[4]));
    EXPECT_THROW(list.at(6), std::out_of_range);
    EXPECT_FALSE(list == std::vector<std::string>(texts.begin(), texts.end() - 1));
    EXPECT_TRUE(TextList().empty());
}

TEST(DecimalList, ValuesReadAsSignedDecimalTexts) {
    DecimalList list;
    for (uint32_t v : {0u, 62u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) list.push_back(v);
    const std::vector<std::string> texts{"0", "62", "2147483647", "-2147483648", "-1"};
    EXPECT_TRUE(list == texts);
    EXPECT_EQ(std::vector<std::string>(list.begin(), list.end()), texts);
    EXPECT_EQ(list.value(4), 0xFFFFFFFFu);
    EXPECT_THROW(list.at(5), std::out_of_range);
}
