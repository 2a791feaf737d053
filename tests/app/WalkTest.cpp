#include <string>
#include <vector>

#include "tests/app/AppFixture.h"

namespace apptest {
namespace {

using WalkTest = AppFixture;

std::vector<std::string> FeedRequestsSince(std::size_t before, const fake::Service& service) {
    const auto all = service.FeedRequests();
    return std::vector<std::string>(all.begin() + static_cast<long>(before), all.end());
}

TEST_F(WalkTest, TwentyFiveSongsGiveNumberedRowsPageByPage) {
    const auto before = Service().FeedRequests().size();
    LookUpAndWalk(kTwentyFive);
    EXPECT_EQ(FeedRequestsSince(before, Service()),
              (std::vector<std::string>{"1/" + kTwentyFive, "1/" + kTwentyFive, "2/" + kTwentyFive,
                                        "3/" + kTwentyFive}));
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 25u);
    for (int n = 1; n <= 25; ++n) {
        EXPECT_EQ(rows[n - 1],
                  (std::vector<std::string>{std::to_string(n), "第" + std::to_string(n) + "首",
                                            Service().MediaAddress("s25n" + std::to_string(n)),
                                            "等待下载"}));
    }
    std::vector<std::string> statusTexts;
    for (const QString& text : statusTexts_) statusTexts.push_back(text.toStdString());
    EXPECT_EQ(statusTexts,
              (std::vector<std::string>{"第1页，解析完成", "第2页，解析完成", "第3页，解析完成"}));
    EXPECT_EQ(App().State().PageCursor, 4);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(WalkTest, ASecondWalkAddsNothingUntilTheNextLookup) {
    LookUpAndWalk(kTenSongs);
    ASSERT_EQ(Rows().size(), 10u);
    const auto before = Service().FeedRequests().size();
    App().OnParseSongsClicked();
    WaitUntilIdle();
    EXPECT_EQ(Rows().size(), 10u);
    EXPECT_EQ(Service().FeedRequests().size(), before);

    // A new lookup starts from page 1 again; the rows are appended and numbered on.
    LookUpAndWalk(kOneSong);
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 11u);
    EXPECT_EQ(rows[10][0], "11");
    EXPECT_EQ(rows[10][1], "第1首");
}

TEST_F(WalkTest, AWalkBeforeAnyLookupFetchesPageZeroOnly) {
    const auto before = Service().FeedRequests().size();
    TypeUid(kTwentyFive);
    App().OnParseSongsClicked();
    WaitUntilIdle();
    EXPECT_EQ(FeedRequestsSince(before, Service()), std::vector<std::string>{"0/" + kTwentyFive});
    EXPECT_EQ(Status(), "第0页，解析完成");
    EXPECT_TRUE(Rows().empty());
}

TEST_F(WalkTest, TheButtonChecksTheUidFirst) {
    struct Case {
        const char* label;
        std::string lookup;  // looked up first when not empty
        std::string uid;
        std::vector<std::string> messages;
    } cases[] = {
        {"empty", "", "", {"请输入UID！"}},
        {"wrong length, no songs", "", "0123456789", {"该用户没有歌曲或UID错误！"}},
        {"wrong length after a lookup with songs", kOneSong, "0123456789", {}},
    };
    for (const Case& c : cases) {
        if (!c.lookup.empty()) LookUp(c.lookup);
        messages_.clear();
        const auto before = Service().FeedRequests().size();
        TypeUid(c.uid);
        App().OnParseSongsClicked();
        EXPECT_FALSE(App().IsBusy()) << c.label;
        EXPECT_EQ(Messages(), c.messages) << c.label;
        EXPECT_EQ(Service().FeedRequests().size(), before) << c.label;
    }
}

TEST_F(WalkTest, NamesAndLinksComeCleanedFromFeedAndPlayPages) {
    LookUpAndWalk(kTricky);
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[0][1], "a b c");
    EXPECT_EQ(rows[4][1], "歌 曲/1");  // "+" and "%2F" in the feed
    EXPECT_EQ(rows[0][2], Service().MediaAddress("t0"));
    EXPECT_EQ(rows[5][2], "");  // no address on the play page
    EXPECT_EQ(rows[5][3], "等待下载");
    EXPECT_EQ(rows[7][2], Service().MediaAddress("t7"));  // PLAYURL in capitals
    EXPECT_EQ(rows[8][2], "file:///etc/passwd");
}

}  // namespace
}  // namespace apptest
