#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <thread>

#include "platform/codepage/CodePage.h"
#include "platform/com/Apartment.h"
#include "regex/RegexObject.h"

namespace {

const Text kPlayUrlPattern("playurl\":\"(.*?)\"");
const Text kMetaCharsetPattern("<meta.+?charset=[^\\w]?([-\\w]+)");

}  // namespace

TEST(RegexObjectTest, OmittedOptionsIgnoreCaseAnchorLinesAndCollectEveryMatch) {
    RegexObject re;
    ASSERT_TRUE(re.Create(Text("^ab$"), Text("AB\nab\r\naB\nabc")));
    EXPECT_EQ(re.MatchCount(), 3);
    EXPECT_EQ(re.MatchText(1), Text("AB"));
    EXPECT_EQ(re.MatchText(3), Text("aB"));
}

TEST(RegexObjectTest, GivenOptionsOverrideTheDefaults) {
    struct Case {
        const char* name;
        RegexOptions options;
        int expected;
    } cases[] = {
        {"case sensitive", {.caseSensitive = true}, 1},
        {"not multi-line", {.multiline = false}, 0},
        {"not global", {.global = false}, 1},
        {"all given as defaults",
         {.caseSensitive = false, .multiline = true, .global = true, .quotePlaceholder = false},
         2},
    };
    for (const Case& c : cases) {
        RegexObject re;
        ASSERT_TRUE(re.Create(Text("^ab$"), Text("AB\nab"), c.options)) << c.name;
        EXPECT_EQ(re.MatchCount(), c.expected) << c.name;
    }
}

TEST(RegexObjectTest, PlayUrlPatternGivesTheStretchAndTheAddress) {
    const Text page(
        "<script>window.__DATA__ = {\"name\":\"x\",\"playurl\":\"http://h/a.m4a?f=1\","
        "\"playurl_video\":\"\"};</script>");
    RegexObject re;
    ASSERT_TRUE(re.Create(kPlayUrlPattern, page));
    EXPECT_EQ(re.MatchText(1), Text("playurl\":\"http://h/a.m4a?f=1\""));
    EXPECT_EQ(re.SubMatchText(1, 1), Text("http://h/a.m4a?f=1"));
    EXPECT_EQ(re.SubMatchCount(), 1);
    int position = 0;
    re.MatchText(1, &position);
    EXPECT_EQ(position, static_cast<int>(page.view().find("playurl")));
    re.SubMatchText(1, 1, &position);
    EXPECT_EQ(position, static_cast<int>(page.view().find("http")));
}

TEST(RegexObjectTest, NoMatchGivesALiveEmptyCollection) {
    RegexObject re;
    EXPECT_TRUE(re.Create(kPlayUrlPattern, Text("<html>nothing here</html>")));
    EXPECT_EQ(re.MatchCount(), 0);
    int position = 7;
    EXPECT_EQ(re.MatchText(1, &position), Text());
    EXPECT_EQ(position, -1);
    EXPECT_EQ(re.SubMatchText(1, 1, &position), Text());
    EXPECT_EQ(position, -1);
    EXPECT_EQ(re.SubMatchCount(), 0);
    EXPECT_EQ(re.GetPattern(), kPlayUrlPattern);
}

TEST(RegexObjectTest, OutOfRangeNumbersGiveEmptyTexts) {
    RegexObject re;
    ASSERT_TRUE(re.Create(Text("(a)(b)?"), Text("a ab")));
    EXPECT_EQ(re.MatchCount(), 2);
    EXPECT_EQ(re.SubMatchCount(), 2);
    EXPECT_EQ(re.MatchText(0), Text());
    EXPECT_EQ(re.MatchText(3), Text());
    EXPECT_EQ(re.MatchText(std::numeric_limits<int>::min()), Text());
    EXPECT_EQ(re.SubMatchText(1, 0), Text());
    EXPECT_EQ(re.SubMatchText(1, 3), Text());
    EXPECT_EQ(re.SubMatchText(1, 2), Text());  // took no part
    EXPECT_EQ(re.SubMatchText(2, 2), Text("b"));
}

TEST(RegexObjectTest, QuotePlaceholderStandsForADoubleQuote) {
    const Text pattern = Text("a") + "#引号"_gbk + Text("b");
    const Text subject = Text("a\"b ") + pattern;
    RegexObject with;
    ASSERT_TRUE(with.Create(pattern, subject, {.quotePlaceholder = true}));
    EXPECT_EQ(with.GetPattern(), Text("a\"b"));
    EXPECT_EQ(with.MatchCount(), 1);
    EXPECT_EQ(with.MatchText(1), Text("a\"b"));

    RegexObject without;
    ASSERT_TRUE(without.Create(pattern, subject));
    EXPECT_EQ(without.MatchCount(), 1);
    EXPECT_EQ(without.MatchText(1), pattern);
}

TEST(RegexObjectTest, ARejectedPatternGivesFalseAndEmptyReads) {
    RegexObject re;
    ASSERT_TRUE(re.Create(Text("a"), Text("a")));
    EXPECT_FALSE(re.Create(Text("(a"), Text("a")));
    EXPECT_EQ(re.MatchCount(), 0);
    EXPECT_EQ(re.MatchText(1), Text());
    EXPECT_EQ(re.SubMatchText(1, 1), Text());
    EXPECT_EQ(re.SubMatchCount(), 0);
    EXPECT_EQ(re.ReplaceAll(Text("x")), Text());
}

TEST(RegexObjectTest, ReadsBeforeAnyCreateAreEmpty) {
    RegexObject re;
    EXPECT_EQ(re.GetPattern(), Text());
    EXPECT_EQ(re.MatchCount(), 0);
    EXPECT_EQ(re.MatchText(1), Text());
    EXPECT_EQ(re.ReplaceAll(Text("x")), Text());
}

TEST(RegexObjectTest, MetaCharsetPatternFindsTheDeclaredName) {
    struct Case {
        const char* name;
        const char* head;
        const char* expected;
    } cases[] = {
        {"bare utf-8", "<meta charset=utf-8>", "utf-8"},
        {"quoted utf-8", "<meta charset=\"utf-8\">", "utf-8"},
        {"single-quoted upper case", "<META CHARSET='UTF-8' />", "UTF-8"},
        {"http-equiv", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">",
         "gbk"},
        {"gb2312 after other tags",
         "<title>t</title>\r\n<meta content=\"text/html;charset=gb2312\">", "gb2312"},
        {"first of two", "<meta charset=big5><meta charset=utf-8>", "big5"},
        {"none declared", "<meta name=\"viewport\" content=\"width=device-width\">", ""},
    };
    for (const Case& c : cases) {
        const Text page = Text("<!DOCTYPE html><html><head>") + Text(c.head) +
                          "<title>中文标题</title></head>"_gbk;
        RegexObject re;
        ASSERT_TRUE(re.Create(kMetaCharsetPattern, page)) << c.name;
        EXPECT_EQ(re.SubMatchText(1, 1), Text(c.expected)) << c.name;
    }
}

TEST(RegexObjectTest, PositionsAreByteOffsetsInChineseText) {
    // FirstIndex counts UTF-16 units: the second "b" is unit 3 but byte 5 of the GBK text, and a
    // byte search from offset 3 would stop at the first "b".
    const Text subject = "中中bb"_gbk;
    RegexObject re;
    ASSERT_TRUE(re.Create(Text("(b)"), subject));
    ASSERT_EQ(re.MatchCount(), 2);
    int position = 0;
    EXPECT_EQ(re.MatchText(2, &position), Text("b"));
    EXPECT_EQ(position, 5);
    EXPECT_EQ(re.SubMatchText(2, 1, &position), Text("b"));
    EXPECT_EQ(position, 5);

    const Text page = "<div>歌曲名称</div>playurl\":\"http://h/中文.m4a\""_gbk;
    ASSERT_TRUE(re.Create(kPlayUrlPattern, page));
    EXPECT_EQ(re.SubMatchText(1, 1, &position), "http://h/中文.m4a"_gbk);
    EXPECT_EQ(position, static_cast<int>(page.view().find("http")));
    re.MatchText(1, &position);
    EXPECT_EQ(position, static_cast<int>(page.view().find("playurl")));
}

TEST(RegexObjectTest, ReplaceAllUsesGroupReferences) {
    RegexObject re;
    ASSERT_TRUE(re.Create(Text("(\\w+)@(\\w+)"), "甲a@b乙c@d"_gbk));
    EXPECT_EQ(re.ReplaceAll("$2在$1"_gbk), "甲b在a乙d在c"_gbk);
    ASSERT_TRUE(re.Create(Text("(\\w+)@(\\w+)"), "a@b c@d"_gbk, {.global = false}));
    EXPECT_EQ(re.ReplaceAll(Text("[$&]")), Text("[a@b] c@d"));
}

TEST(RegexObjectTest, EmptyMatchesAdvanceThroughTheSubject) {
    RegexObject re;
    ASSERT_TRUE(re.Create(Text("x*"), "a中"_gbk));
    EXPECT_EQ(re.MatchCount(), 3);
    EXPECT_EQ(re.ReplaceAll(Text("-")), "-a-中-"_gbk);
}

TEST(RegexObjectTest, RunawayPatternEndsAsNoMatch) {
    RegexObject re;
    EXPECT_TRUE(re.Create(Text("(a|aa)+$"), Text(std::string(80, 'a') + "!")));
    EXPECT_EQ(re.MatchCount(), 0);
}

TEST(RegexObjectTest, CopySharesTheMatchesAndKeepsItsOwnSubject) {
    RegexObject original;
    ASSERT_TRUE(original.Create(Text("(\\d)"), Text("a1b2")));
    RegexObject copy = original.Copy();
    ASSERT_TRUE(original.Create(Text("z"), Text("zz")));
    EXPECT_EQ(copy.MatchCount(), 2);
    EXPECT_EQ(copy.SubMatchText(2, 1), Text("2"));
    EXPECT_EQ(copy.GetPattern(), Text("(\\d)"));
    EXPECT_EQ(copy.ReplaceAll(Text("<$1>")), Text("a<1>b<2>"));
    EXPECT_EQ(original.ReplaceAll(Text("y")), Text("yy"));
}

TEST(RegexObjectTest, ConstructionAndDestructionBalanceTheApartment) {
    bool before = true, during = false, afterCopy = false, after = true;
    std::thread([&] {
        before = com::HasApartment();
        {
            RegexObject re;
            during = com::HasApartment() && re.Create(Text("a"), Text("a"));
            {
                RegexObject copy = re.Copy();
                copy.MatchCount();
            }
            afterCopy = com::HasApartment();
        }
        after = com::HasApartment();
    }).join();
    EXPECT_FALSE(before);
    EXPECT_TRUE(during);
    EXPECT_TRUE(afterCopy);
    EXPECT_FALSE(after);
}
