#include <gtest/gtest.h>

#include <string>

#include "app/FeedText.h"
#include "app/SongFileNames.h"
#include "platform/codepage/CodePage.h"

namespace {

Text Gbk(const std::string& utf8) { return codepage::GbkFromUtf8(utf8); }

TEST(FeedTextTest, AddressesCarryPageAndUidAsGiven) {
    EXPECT_EQ(app::FeedAddress("k.example:8443", 3, Text("abcdef0123456789")),
              "https://k.example:8443/cgi/fcgi-bin/kg_ugc_get_homepage?type=get_uinfo&start=3"
              "&num=10&share_uid=abcdef0123456789");
    EXPECT_EQ(app::FeedAddress("h", 0, Text(" a b")),
              "https://h/cgi/fcgi-bin/kg_ugc_get_homepage?type=get_uinfo&start=0&num=10"
              "&share_uid= a b");
    EXPECT_EQ(app::PlayPageAddress("h", Text("x&y")), "https://h/play?s=x&y");
    EXPECT_EQ(app::PlayPageAddress("h", Text()), "https://h/play?s=");
}

TEST(FeedTextTest, UnwrapDropsEighteenBytesInFrontAndOneBehind) {
    const auto unwrap = [](const std::string& body) {
        return app::UnwrapFeedBody(ByteSet(body.begin(), body.end())).bytes();
    };
    EXPECT_EQ(unwrap(R"(jsonp_callback_01({"a":1}))"), R"({"a":1})");
    EXPECT_EQ(unwrap("123456789012345678X"), "");    // 19 bytes
    EXPECT_EQ(unwrap("123456789012345678XY"), "X");  // 20 bytes
    EXPECT_EQ(unwrap(""), "");
    EXPECT_EQ(unwrap(R"(jsonp_callback_01({"t":"a+b%2Fc%D6%D0"}))"), "{\"t\":\"a b/c\xD6\xD0\"}");
    // The body ends at its first zero byte.
    EXPECT_EQ(unwrap(std::string("jsonp_callback_01(ab\0cd)", 24)), "a");
}

TEST(FeedTextTest, MediaAddressIsTheMatchWithoutKeyAndQuote) {
    EXPECT_EQ(app::MediaAddressFromMatch(Text(R"(playurl":"https://m/x.m4a")")).bytes(),
              "https://m/x.m4a");
    EXPECT_EQ(app::MediaAddressFromMatch(Text(R"(PLAYURL":"h")")).bytes(), "h");
    EXPECT_EQ(app::MediaAddressFromMatch(Text(R"(playurl":"")")).bytes(), "");
    EXPECT_EQ(app::MediaAddressFromMatch(Text()).bytes(), "");
}

TEST(FeedTextTest, CleanTitleReplacesColonsAndQuestionMarksOnly) {
    struct Case {
        std::string in;
        std::string out;
    } cases[] = {
        {"a:b？c", "a b c"},      {"问：为什么?", "问 为什么 "},
        {"::??", "    "},         {"a\\b/c*d\"e<f>g|h", "a\\b/c*d\"e<f>g|h"},
        {"普通的歌", "普通的歌"}, {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(app::CleanTitle(Gbk(c.in)), Gbk(c.out)) << c.in;
    }
    // A double-byte character whose second byte is not a colon stays whole.
    EXPECT_EQ(app::CleanTitle(Text("\xA3\xBB:")), Text("\xA3\xBB "));
}

TEST(FeedTextTest, PagesAreTheSongCountByTenRoundedUp) {
    struct Case {
        int songs;
        int pages;
    } cases[] = {{0, 0},
                 {1, 1},
                 {9, 1},
                 {10, 1},
                 {11, 2},
                 {20, 2},
                 {25, 3},
                 {100, 10},
                 {-5, 0},
                 {-15, 0},
                 {2147483647, 214748365}};
    for (const Case& c : cases) EXPECT_EQ(app::LastPageFor(c.songs), c.pages) << c.songs;
}

TEST(FeedTextTest, CountsFromTheFeedBecomeIntsSafely) {
    EXPECT_EQ(app::TruncateToInt(25.9), 25);
    EXPECT_EQ(app::TruncateToInt(-2.5), -2);
    EXPECT_EQ(app::TruncateToInt(1e300), 2147483647);
    EXPECT_EQ(app::TruncateToInt(-1e300), -2147483647 - 1);
    EXPECT_EQ(app::TruncateToInt(0.0 / 0.0), 0);
}

TEST(FeedTextTest, SongFileNamesAreSafeAndDistinctWithinARun) {
    app::SongFileNames names;
    EXPECT_EQ(names.Next(Gbk("abc")), "abc1.m4a");
    EXPECT_EQ(names.Next(Gbk("abc")), "abc1 (2).m4a");
    EXPECT_EQ(names.Next(Gbk("ABC")), "ABC1 (3).m4a");
    EXPECT_EQ(names.Next(Gbk("abc")), "abc1 (4).m4a");
    EXPECT_EQ(names.Next(Gbk("../../x")), ".._.._x1.m4a");
    EXPECT_EQ(names.Next(Gbk("a/b")), "a_b1.m4a");
    EXPECT_EQ(names.Next(Gbk("a_b")), "a_b1 (2).m4a");
    EXPECT_EQ(names.Next(Text()), "1.m4a");
    EXPECT_EQ(names.Next(Gbk("歌")), "歌1.m4a");
    app::SongFileNames nextRun;
    EXPECT_EQ(nextRun.Next(Gbk("abc")), "abc1.m4a");
}

}  // namespace
