#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <QTableWidget>

#include "tests/app/AppFixture.h"

namespace fs = std::filesystem;

namespace apptest {
namespace {

using DownloadTest = AppFixture;

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::map<std::string, std::string> FilesIn(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        files[entry.path().filename().string()] =
            entry.is_regular_file() ? Read(entry.path()) : "<folder>";
    }
    return files;
}

std::string Media(const std::string& text) { return std::string("\0m4a\xff", 5) + text; }

TEST_F(DownloadTest, SongsLandUnderSafeDistinctNamesAndFailuresAreMarked) {
    const fs::path folder = programDirectory_ / "K歌歌曲";
    fs::create_directory(folder);
    std::ofstream(folder / "缺失1.m4a", std::ios::binary) << "earlier good download";
    LookUpAndWalk(kTricky);
    App().OnDownloadSongsClicked();
    WaitUntilIdle();

    EXPECT_EQ(FilesIn(folder), (std::map<std::string, std::string>{
                                   {"a b c1.m4a", Media("alpha")},
                                   {"同名1.m4a", Media("first twin")},
                                   {"同名1 (2).m4a", Media("second twin")},
                                   {".._.._逃出1.m4a", Media("escape")},
                                   {"歌 曲_11.m4a", Media("slash")},
                                   {"缺失1.m4a", "earlier good download"},
                                   {"大写1.m4a", Media("upper")},
                                   {"_nul.x1.m4a", Media("device")},
                               }));
    EXPECT_EQ(FilesIn(programDirectory_).size(), 1u) << "nothing written beside the folder";
    std::vector<std::string> states;
    for (const auto& row : Rows()) states.push_back(row[3]);
    EXPECT_EQ(states, (std::vector<std::string>{"下载完成", "下载完成", "下载完成", "下载完成",
                                                "下载完成", "下载失败", "下载失败", "下载完成",
                                                "下载失败", "下载完成"}));
    EXPECT_EQ(Utf8(Ops().EditText("编辑框1")), folder.string());
    EXPECT_EQ(Status(), "下载结束：完成 7 首，失败 3 首");
}

TEST_F(DownloadTest, ProgressShowsTheSongCountAndThePercentage) {
    LookUpAndWalk(kTenSongs);
    statusTexts_.clear();
    App().OnDownloadSongsClicked();
    WaitUntilIdle();
    std::vector<std::string> statusTexts;
    for (const QString& text : statusTexts_) statusTexts.push_back(text.toStdString());
    ASSERT_EQ(statusTexts.size(), 11u);
    EXPECT_EQ(statusTexts.front(), "下载中 1/10");
    EXPECT_EQ(statusTexts[9], "下载中 10/10");
    EXPECT_EQ(statusTexts.back(), "下载结束：完成 10 首，失败 0 首");
    for (int n = 1; n <= 10; ++n) {
        EXPECT_EQ(Read(programDirectory_ / "K歌歌曲" / ("第" + std::to_string(n) + "首1.m4a")),
                  "media " + std::to_string(n));
    }
}

TEST_F(DownloadTest, ARowShowsItsPercentageWhileItsSongArrives) {
    Service().AddUser(
        "00000000000000d1",
        fake::User{.nickname = Text("big"),
                   .songs = {fake::Song{
                       .title = Text("big"), .shareId = "big1", .generatedMediaBytes = 3000000}}});
    LookUpAndWalk("00000000000000d1");
    std::vector<QString> states;
    auto* list = Window().findChild<QTableWidget*>(QStringLiteral("超级列表框1"));
    QObject::connect(list, &QTableWidget::itemChanged, [&](QTableWidgetItem* item) {
        if (item->column() == 3) states.push_back(item->text());
    });
    App().OnDownloadSongsClicked();
    WaitUntilIdle();
    ASSERT_GE(states.size(), 2u);
    EXPECT_TRUE(states.front().endsWith('%')) << states.front().toStdString();
    EXPECT_EQ(states[states.size() - 2], QStringLiteral("100%"));
    EXPECT_EQ(states.back(), QStringLiteral("下载完成"));
    const std::string file = Read(programDirectory_ / "K歌歌曲" / "big1.m4a");
    ASSERT_EQ(file.size(), 3000000u);
    for (std::size_t i = 0; i < file.size(); i += 99991) {
        ASSERT_EQ(file[i], fake::GeneratedByte(i)) << i;
    }
}

TEST_F(DownloadTest, AFolderThatCannotBeMadeFailsEveryRowAndSaysWhy) {
    std::ofstream(programDirectory_ / "K歌歌曲") << "a file of the user";
    LookUpAndWalk(kOneSong);
    const int mediaRequests = Service().MediaRequests();
    App().OnDownloadSongsClicked();
    WaitUntilIdle();
    EXPECT_EQ(Read(programDirectory_ / "K歌歌曲"), "a file of the user");
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Rows()[0][3], "下载失败");
    EXPECT_EQ(Status(),
              "下载目录无法创建（已有同名文件）：" + (programDirectory_ / "K歌歌曲").string());
    EXPECT_EQ(Service().MediaRequests(), mediaRequests);
}

TEST_F(DownloadTest, AnEmptyListOnlyPreparesTheFolder) {
    Ops().SetEditText("编辑框1", Text("*"));
    App().OnDownloadSongsClicked();
    WaitUntilIdle();
    EXPECT_TRUE(fs::is_directory(programDirectory_ / "K歌歌曲"));
    EXPECT_TRUE(FilesIn(programDirectory_ / "K歌歌曲").empty());
    EXPECT_EQ(Utf8(Ops().EditText("编辑框1")), (programDirectory_ / "K歌歌曲").string());
}

}  // namespace
}  // namespace apptest
