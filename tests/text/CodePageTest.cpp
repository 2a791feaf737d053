#include <gtest/gtest.h>

#include "platform/codepage/CodePage.h"
#include "text/CodePageText.h"

namespace {
ByteSet Bytes(std::string_view s) { return ByteSet(s.begin(), s.end()); }
}  // namespace

TEST(CodePageTest, Utf8ToGbkConvertsChineseText) {
    EXPECT_EQ(Utf8ToGbk(Bytes("\xE4\xB8\xAD")), Text("\xD6\xD0"));  // 中
    EXPECT_EQ("信息："_gbk, Text("\xD0\xC5\xCF\xA2\xA3\xBA"));
    EXPECT_EQ(codepage::Utf8FromGbk(Text("\xD6\xD0")), "\xE4\xB8\xAD");
}

TEST(CodePageTest, ACharacterGbkCannotHoldBecomesAQuestionMark) {
    // U+1F600 travels as a surrogate pair and has no GBK form.
    EXPECT_EQ(Utf8ToGbk(Bytes("a\xF0\x9F\x98\x80"
                              "b")),
              Text("a?b"));
}

TEST(CodePageTest, ToUtf16IncludesTheTerminatorAndStopsAtAZero) {
    EXPECT_EQ(ToUtf16(Bytes("ab"), 936), (ByteSet{'a', 0, 'b', 0, 0, 0}));
    EXPECT_EQ(ToUtf16(Bytes(std::string_view("a\0b", 3)), 936), (ByteSet{'a', 0, 0, 0}));
    EXPECT_EQ(ToUtf16(Bytes("\xD6\xD0"), 936), (ByteSet{0x2D, 0x4E, 0, 0}));
}

TEST(CodePageTest, EmptyInputsGiveEmptyResults) {
    EXPECT_TRUE(ToUtf16({}, 936).empty());
    EXPECT_TRUE(FromUtf16({}, 936).empty());
    EXPECT_TRUE(Utf16ToText({}).empty());
    EXPECT_TRUE(FromUtf16(ByteSet{0, 0, 'a', 0}, 936).empty());
}

TEST(CodePageTest, ARefusedConversionGivesNothing) {
    EXPECT_TRUE(ToUtf16(Bytes("abc"), 12345).empty());
    EXPECT_TRUE(FromUtf16(ByteSet{'a', 0}, 12345).empty());
}

TEST(CodePageTest, FromUtf16HasNoTerminatorAndUsesTheAnsiPageWhenOmitted) {
    const ByteSet units{0x2D, 0x4E, 'x', 0};
    EXPECT_EQ(FromUtf16(units, 65001), Bytes("\xE4\xB8\xAD"
                                             "x"));
    EXPECT_EQ(Utf16ToText(units), Text("\xD6\xD0"
                                       "x"));
    EXPECT_EQ(Utf16ToText(units, 936), Text("\xD6\xD0"
                                            "x"));
}

TEST(CodePageTest, InvalidUtf8BecomesReplacementCharacters) {
    const auto wide = codepage::Decode(
        "a\xFF"
        "b",
        codepage::kUtf8);
    ASSERT_TRUE(wide.has_value());
    EXPECT_EQ(*wide, std::u16string(u"a\uFFFDb"));
}
