#include <string>
#include <vector>

#include <QLabel>
#include <QPixmap>

#include "tests/app/AppFixture.h"

namespace apptest {
namespace {

using LookupTest = AppFixture;

TEST_F(LookupTest, MessagesFollowTheUidAndWhatTheServiceKnows) {
    struct Case {
        const char* label;
        std::string uid;
        std::vector<std::string> messages;
        bool requested;
    } cases[] = {
        {"empty", "", {"请输入UID"}, false},
        {"15 bytes", kTwentyFive.substr(1), {"uid错误，请重新输入"}, false},
        {"17 bytes", kTwentyFive + "0", {"uid错误，请重新输入"}, false},
        {"unknown user", kUnknown, {"uid输入错误，请重新输入！", "该用户没有歌曲"}, true},
        {"8 double-byte characters",
         "八个双字节字符串",
         {"uid输入错误，请重新输入！", "该用户没有歌曲"},
         true},
        {"no songs", kNoSongs, {"该用户没有歌曲"}, true},
        {"songs", kTwentyFive, {}, true},
    };
    for (const Case& c : cases) {
        messages_.clear();
        const auto requestsBefore = Service().FeedRequests().size();
        LookUp(c.uid);
        EXPECT_EQ(Messages(), c.messages) << c.label;
        EXPECT_EQ(Service().FeedRequests().size() - requestsBefore, c.requested ? 1u : 0u)
            << c.label;
    }
}

TEST_F(LookupTest, AUserWithSongsPreparesTheWalkAndShowsNameAndAvatar) {
    LookUp(kTwentyFive);
    EXPECT_EQ(Service().FeedRequests().back(), "1/" + kTwentyFive);
    EXPECT_EQ(App().State().SongCount, 25);
    EXPECT_EQ(App().State().LastPage, 3);
    EXPECT_EQ(App().State().PageCursor, 1);
    EXPECT_EQ(Utf8(Ops().EditText("编辑框1_用户名称")), "小明 K歌");
    const auto* avatar = Window().findChild<QLabel*>(QStringLiteral("图片框1"));
    ASSERT_NE(avatar, nullptr);
    EXPECT_EQ(avatar->pixmap().size(), QSize(56, 56));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(LookupTest, AnUnknownUserEmptiesNameAndPagesAndAZeroSongUserKeepsItsName) {
    LookUp(kTwentyFive);
    LookUp(kUnknown);
    EXPECT_EQ(Utf8(Ops().EditText("编辑框1_用户名称")), "");
    EXPECT_EQ(App().State().SongCount, 0);
    EXPECT_EQ(App().State().LastPage, 0);

    LookUp(kNoSongs);
    EXPECT_EQ(Utf8(Ops().EditText("编辑框1_用户名称")), "没有歌");
    EXPECT_EQ(App().State().LastPage, 0);
    const auto* avatar = Window().findChild<QLabel*>(QStringLiteral("图片框1"));
    EXPECT_EQ(avatar->pixmap().size(), QSize(56, 56));
}

TEST_F(LookupTest, OddCountsFromTheFeedStayInRange) {
    struct Case {
        double reported;
        int songs;
        int pages;
    } cases[] = {{10.9, 10, 1}, {11, 11, 2}, {-3, -3, 0}, {1e12, 2147483647, 214748365}};
    for (const Case& c : cases) {
        Service().AddUser("0000000000000c0c",
                          fake::User{.nickname = Text("c"), .reportedCount = c.reported});
        LookUp("0000000000000c0c");
        EXPECT_EQ(App().State().SongCount, c.songs) << c.reported;
        EXPECT_EQ(App().State().LastPage, c.pages) << c.reported;
    }
}

}  // namespace
}  // namespace apptest
