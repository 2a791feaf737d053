// One action at a time, and closing while a worker runs.
#include <filesystem>
#include <string>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "tests/app/AppFixture.h"

namespace fs = std::filesystem;

namespace apptest {
namespace {

using ActionsTest = AppFixture;

const char* const kButtons[] = {"按钮2_查询用户", "按钮1_解析歌曲", "按钮2_下载"};

TEST_F(ActionsTest, WhileAWorkerRunsTheOtherActionsAreRefused) {
    LookUp(kTenSongs);
    App().OnParseSongsClicked();
    // The worker cannot end before this thread serves its window operations.
    ASSERT_TRUE(App().IsBusy());
    for (const char* button : kButtons) EXPECT_FALSE(ButtonEnabled(button)) << button;

    const auto feedRequests = Service().FeedRequests().size();
    const int mediaRequests = Service().MediaRequests();
    LookUp(kTwentyFive);
    App().OnDownloadSongsClicked();
    App().OnParseSongsClicked();
    WaitUntilIdle();

    for (const char* button : kButtons) EXPECT_TRUE(ButtonEnabled(button)) << button;
    EXPECT_EQ(Rows().size(), 10u) << "only the one walk ran";
    EXPECT_EQ(Service().FeedRequests().size(), feedRequests + 1) << "no lookup, no second walk";
    EXPECT_EQ(Service().MediaRequests(), mediaRequests) << "no download";
    EXPECT_EQ(App().State().SongCount, 10);
    EXPECT_TRUE(Messages().empty());

    // Once it has ended, the next action runs.
    App().OnDownloadSongsClicked();
    EXPECT_FALSE(ButtonEnabled("按钮2_下载"));
    WaitUntilIdle();
    EXPECT_EQ(Service().MediaRequests(), mediaRequests + 10);
}

TEST_F(ActionsTest, ClosingDuringADownloadAbortsItAndLeavesNoPartialFile) {
    Service().AddUser(
        "00000000000000e1",
        fake::User{
            .nickname = Text("stall"),
            .songs = {fake::Song{.title = Text("done"), .shareId = "e1a", .media = "complete song"},
                      fake::Song{.title = Text("stall"),
                                 .shareId = "e1b",
                                 .generatedMediaBytes = 50000000,
                                 .stall = true}}});
    LookUpAndWalk("00000000000000e1");
    App().OnDownloadSongsClicked();
    // Serve the worker until the stalling song has started to arrive.
    auto* list = Window().findChild<QTableWidget*>(QStringLiteral("超级列表框1"));
    ServeWindowUntil([&] { return list->item(1, 3)->text().endsWith('%'); });
    ASSERT_TRUE(App().IsBusy());
    const fs::path folder = programDirectory_ / "K歌歌曲";
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 2) << "song and partial file";

    Ops().Close();  // what the window does when it closes, before it stops the workers
    EXPECT_TRUE(App().Shutdown());
    EXPECT_FALSE(App().IsBusy());
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"done1.m4a"});

    // After shutdown nothing starts any more.
    App().OnDownloadSongsClicked();
    EXPECT_FALSE(App().IsBusy());
}

TEST_F(ActionsTest, ClosingDuringAWalkStopsIt) {
    LookUp(kTwentyFive);
    App().OnParseSongsClicked();
    // Let a few rows arrive.
    ServeWindowUntil([&] { return Ops().RowCount("超级列表框1") >= 3; });
    ASSERT_TRUE(App().IsBusy());
    Ops().Close();
    EXPECT_TRUE(App().Shutdown());
    EXPECT_FALSE(App().IsBusy());
    EXPECT_LT(Rows().size(), 25u);
}

TEST_F(ActionsTest, TheWindowDrivesTheLogicAndClosingItStopsTheDownload) {
    Window().show();
    const auto button = [this](const char* name) {
        return Window().findChild<QPushButton*>(QString::fromUtf8(name));
    };
    QTest::keyClicks(Window().findChild<QLineEdit*>(QStringLiteral("编辑框1_uid")),
                     QString::fromStdString(kTenSongs));
    QTest::mouseClick(button("按钮2_查询用户"), Qt::LeftButton);
    EXPECT_EQ(Utf8(Ops().EditText("编辑框1_用户名称")), "十首");
    QTest::mouseClick(button("按钮1_解析歌曲"), Qt::LeftButton);
    WaitUntilIdle();
    ASSERT_EQ(Rows().size(), 10u);

    QTest::mouseClick(button("按钮2_下载"), Qt::LeftButton);
    ServeWindowUntil([this] { return Rows()[2][3] == "下载完成"; });
    ASSERT_TRUE(App().IsBusy());
    Window().close();
    EXPECT_TRUE(workersEnded_);
    EXPECT_FALSE(App().IsBusy());
    int files = 0;
    for (const auto& entry : fs::directory_iterator(programDirectory_ / "K歌歌曲")) {
        EXPECT_EQ(entry.path().filename().string().rfind("第", 0), 0u) << entry.path();
        ++files;
    }
    EXPECT_GE(files, 3);
    EXPECT_LT(files, 10);
}

TEST_F(ActionsTest, HowToGetUidShowsTheHelpWindowUntilItIsClosed) {
    for (int press = 0; press < 2; ++press) {
        QString shown;
        QTimer::singleShot(0, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                shown = modal->metaObject()->className();
                modal->close();
            }
        });
        App().OnHowToGetUidClicked();
        EXPECT_EQ(shown, QStringLiteral("ui::UidHelpWindow")) << press;
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

}  // namespace
}  // namespace apptest
