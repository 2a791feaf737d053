#include "cli/TerminalText.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(TerminalTextTest, OneLineTurnsEveryControlCharacterIntoASpace) {
    EXPECT_EQ(cli::OneLine("a\tb\nc\rd\x1b[2Je\x7f"
                           "f\xc2\x9bg"),
              "a b c d [2Je f g");
    EXPECT_EQ(cli::OneLine("歌名 ok"), "歌名 ok");
    EXPECT_EQ(cli::OneLine("x\x9by\xe6"), "x\uFFFDy\uFFFD") << "stray bytes";
}

TEST(TerminalTextTest, JsonStringEscapesWhatJsonRequiresAndKeepsTheRest) {
    EXPECT_EQ(cli::JsonString(""), "\"\"");
    EXPECT_EQ(cli::JsonString("a\"b\\c/d"), R"("a\"b\\c/d")");
    EXPECT_EQ(cli::JsonString("\n\r\t\x01\x1f\x7f"), "\"\\n\\r\\t\\u0001\\u001f\x7f\"");
    EXPECT_EQ(cli::JsonString("第1首 ☃"), "\"第1首 ☃\"");
    EXPECT_EQ(cli::JsonString("x\xff"), R"("x\ufffd")");
}

TEST(TerminalTextTest, WidthCountsWideCharactersTwiceAndFittingNeverSplitsOne) {
    EXPECT_EQ(cli::DisplayWidth("abc"), 3);
    EXPECT_EQ(cli::DisplayWidth("第1首"), 5);
    EXPECT_EQ(cli::DisplayWidth("ｋａ"), 4);
    EXPECT_EQ(cli::FitWidth("第1首", 4), "第1");
    EXPECT_EQ(cli::FitWidth("第1首", 2), "第");
    EXPECT_EQ(cli::FitWidth("第1首", 1), "");
    EXPECT_EQ(cli::FitWidth("第1首", 0), "");
    EXPECT_EQ(cli::FitWidth("abc", 10), "abc");
}

}  // namespace
