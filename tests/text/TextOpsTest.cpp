#include <gtest/gtest.h>

#include "platform/codepage/CodePage.h"
#include "text/core/TextOps.h"

using namespace text;

TEST(TextTest, EndsAtFirstZeroByte) {
    EXPECT_EQ(Text(std::string_view("ab\0cd", 5)).size(), 2u);
    EXPECT_EQ(Text(std::string("ab\0cd", 5)).bytes(), "ab");
    EXPECT_TRUE(Text(nullptr).empty());
}

TEST(TextOpsTest, FindStepsOverDoubleByteCharacters) {
    // "中" is D6 D0; searching "\xD0" must not match its second byte.
    const Text text(
        "\xD6\xD0\xD0"
        "a");
    EXPECT_EQ(Find(text, Text("\xD0")), 3);
    EXPECT_EQ(Find(Text("abcabc"), Text("c")), 3);
    EXPECT_EQ(Find(Text("abcabc"), Text("c"), 4), 6);
    EXPECT_EQ(Find(Text("ABC"), Text("b")), -1);
    EXPECT_EQ(Find(Text("ABC"), Text("b"), 1, Case::Ignore), 2);
    EXPECT_EQ(Find(Text(""), Text("a")), -1);
    EXPECT_EQ(Find(Text("a"), Text("")), -1);
}

TEST(TextOpsTest, FindLastHonoursTheLimit) {
    EXPECT_EQ(FindLast(Text("a;b;c"), Text(";")), 4);
    EXPECT_EQ(FindLast(Text("a;b;c"), Text(";"), 3), 2);
    EXPECT_EQ(FindLast(Text("abc"), Text(";")), -1);
}

TEST(TextOpsTest, TrimRemovesAsciiAndFullWidthSpacesOnly) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"  a b  ", "a b"}, {"\xA1\xA1 x\xA1\xA1", "x"}, {"\tx\r\n", "\tx\r\n"}, {"", ""},
        {"   ", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(Trim(Text(c.in)), Text(c.out)) << c.in;
}

TEST(TextOpsTest, SplitFollowsTheItemRules) {
    struct Case {
        const char* in;
        std::vector<std::string> items;
    } cases[] = {
        {"a,b", {"a", "b"}}, {"a,,b", {"a", "", "b"}}, {"a,b,", {"a", "b"}}, {",", {""}}, {"", {}},
        {"ab", {"ab"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> got;
        for (const Text& item : Split(Text(c.in), Text(","))) got.push_back(item.bytes());
        EXPECT_EQ(got, c.items) << c.in;
    }
}

TEST(TextOpsTest, LeftRightMidWithCountsOfZeroOrLess) {
    EXPECT_EQ(Left(Text("abc"), 2), Text("ab"));
    EXPECT_EQ(Left(Text("abc"), 0), Text());
    EXPECT_EQ(Right(Text("abc"), 2), Text("bc"));
    EXPECT_EQ(Right(Text("abc"), 9), Text("abc"));
    EXPECT_EQ(Right(Text("abc"), -1), Text());
    EXPECT_EQ(Mid(Text("abcdef"), 2, 3), Text("bcd"));
    EXPECT_EQ(Mid(Text("abc"), 9, 3), Text());
}

TEST(TextOpsTest, CaseFoldingTouchesAsciiOnly) {
    const Text mixed("AbC\xC3\xC1");  // GBK bytes stay as they are
    EXPECT_EQ(ToLowerAscii(mixed), Text("abc\xC3\xC1"));
    EXPECT_EQ(ToUpperAscii(mixed), Text("ABC\xC3\xC1"));
    EXPECT_TRUE(EqualsIgnoreCase(Text("Set-Cookie"), Text("set-cookie")));
}

TEST(TextOpsTest, ReplaceAllKeepsDoubleByteCharactersWhole) {
    // "：" is A3 BA; a search for "\xBA" must not split it.
    EXPECT_EQ(ReplaceAll(Text("a\xA3\xBA"
                              "b"),
                         Text("\xBA"), Text(" ")),
              Text("a\xA3\xBA"
                   "b"));
    EXPECT_EQ(ReplaceAll(Text("a:b:c"), Text(":"), Text(" ")), Text("a b c"));
    EXPECT_EQ(ReplaceAll(Text("Cookie: a"), Text("cookie:"), Text(""), Case::Ignore), Text(" a"));
}
