#include <gtest/gtest.h>

#include "text/UrlDecode.h"

TEST(UrlDecodeTest, DecodesLikeTheCLibraryHexConversion) {
    struct Case {
        std::string_view in;
        std::string_view out;
    } cases[] = {
        {"a+b%20c", "a b c"},
        {"100%", "100%"},
        {"%41", "A"},
        {"%4g", "\x04"},  // one digit read, three bytes consumed
        {"%zz", "%zz"},
        {"%E4%B8%AD", "\xE4\xB8\xAD"},
        {"ab%00cd", "ab"},
        {"%4", "\x04"},
        {"x%", "x%"},
        {"\xD6\xD0%21", "\xD6\xD0!"},
        {"", ""},
    };
    for (const auto& c : cases) {
        const Text out = UrlDecode(Text(c.in));
        EXPECT_EQ(out, Text(c.out)) << c.in;
        EXPECT_LE(out.size(), c.in.size()) << c.in;
    }
}

TEST(UrlDecodeTest, Utf8SwitchConvertsToGbk) {
    EXPECT_EQ(UrlDecode(Text("%E4%B8%AD"), true), Text("\xD6\xD0"));
    EXPECT_EQ(UrlDecode(Text("%E4%B8%AD"), false), Text("\xE4\xB8\xAD"));
}
