// lookup and list, as a user runs them.
#include <string>
#include <vector>

#include "tests/cli/CliFixture.h"

namespace clitest {
namespace {

using CliLookupListTest = CliFixture;

// The page statuses a walk of `pages` pages writes on standard error, one line each.
std::string PageLines(int pages) {
    std::string lines;
    for (int page = 1; page <= pages; ++page) {
        lines += "第" + std::to_string(page) + "页，解析完成\n";
    }
    return lines;
}

// What "list" prints for a numbered user, tab-separated or as JSON lines.
std::string NumberedList(const std::string& host, const std::string& prefix, int songs, bool json) {
    std::string lines;
    for (int n = 1; n <= songs; ++n) {
        const std::string number = std::to_string(n);
        const std::string name = "第" + number + "首";
        const std::string link = "https://" + host + "/media/" + prefix + "n" + number + ".m4a";
        lines += json ? R"({"number":)" + number + R"(,"name":")" + name + R"(","link":")" + link +
                            "\"}\n"
                      : number + "\t" + name + "\t" + link + "\n";
    }
    return lines;
}

TEST_F(CliLookupListTest, LookupPrintsNicknameSongsAndPagesOrTheWindowsMessages) {
    struct Case {
        std::string uid;
        int status;
        std::string out;
        std::string err;
    };
    const std::vector<Case> cases = {
        {kNoSongs, 0, "nickname: 没有歌\nsongs: 0\npages: 0\n", "该用户没有歌曲\n"},
        {kTenSongs, 0, "nickname: 十首\nsongs: 10\npages: 1\n", ""},
        {kTwentyFive, 0, "nickname: 小明 K歌\nsongs: 25\npages: 3\n", ""},
        {kUnknown, 2, "", "uid输入错误，请重新输入！\n该用户没有歌曲\n"},
        {"0123456789abcde", 2, "", "uid错误，请重新输入\n"},
        {"0123456789abcdef0", 2, "", "uid错误，请重新输入\n"},
        {"", 2, "", "请输入UID\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("uid '" + c.uid + "'");
        const CliResult result = Run({"lookup", c.uid});
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.out, c.out);
        EXPECT_EQ(result.err, c.err);
    }
}

TEST_F(CliLookupListTest, AUidOfTheWrongLengthIsNeverSentToTheService) {
    const std::size_t before = Service().FeedRequests().size();
    EXPECT_EQ(Run({"list", "0123456789abcde"}).status, 2);
    EXPECT_EQ(Run({"download", ""}).status, 2);
    EXPECT_EQ(Service().FeedRequests().size(), before);
    EXPECT_FALSE(std::filesystem::exists(currentDirectory_ / "K歌歌曲"));
}

TEST_F(CliLookupListTest, ListPrintsEverySongOnceInOrderAsColumnsOrJsonLines) {
    struct Case {
        std::string uid;
        std::string prefix;
        int songs;
        int pages;
    };
    for (const Case& c : {Case{kNoSongs, "c0", 0, 0}, Case{kTenSongs, "c10", 10, 1},
                          Case{kTwentyFive, "c25", 25, 3}}) {
        for (const bool json : {false, true}) {
            SCOPED_TRACE(std::to_string(c.songs) + " songs" + (json ? ", --json" : ""));
            const CliResult result = json ? Run({"list", "--json", c.uid}) : Run({"list", c.uid});
            EXPECT_EQ(result.status, 0);
            EXPECT_EQ(result.out, NumberedList(Service().Host(), c.prefix, c.songs, json));
            EXPECT_EQ(result.err, (c.songs == 0 ? "该用户没有歌曲\n" : "") + PageLines(c.pages));
        }
    }
}

TEST_F(CliLookupListTest, NamesFromTheNetworkCannotBreakTheColumnsTheJsonOrTheTerminal) {
    const std::string link = "https://" + Service().Host() + "/media/";
    const CliResult plain = Run({"list", kOddNames});
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out, "1\ttab here \"q\" back\\slash\t" + link + "ce1.m4a\n" +
                             "2\t歌 ]0;title 尾\t" + link + "ce2.m4a\n");
    const CliResult json = Run({"list", kOddNames, "--json"});
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.out, R"({"number":1,"name":"tab\there \"q\" back\\slash","link":")" + link +
                            "ce1.m4a\"}\n" +
                            R"({"number":2,"name":"歌\u001b]0;title\u0007尾","link":")" + link +
                            "ce2.m4a\"}\n");
    const CliResult lookup = Run({"lookup", kOddNames});
    EXPECT_EQ(lookup.out, "nickname: 怪 [31m名\nsongs: 2\npages: 1\n");
}

TEST_F(CliLookupListTest, ListOfAUserTheServiceDoesNotKnowFailsAsABadUid) {
    const std::size_t before = Service().FeedRequests().size();
    const CliResult result = Run({"list", kUnknown});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "uid输入错误，请重新输入！\n该用户没有歌曲\n");
    EXPECT_EQ(Service().FeedRequests().size(), before + 1) << "the lookup only, no walk";
}

}  // namespace
}  // namespace clitest
