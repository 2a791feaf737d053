// download, as a user runs it: files, summary, progress and exit status.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "cli/TerminalText.h"
#include "tests/cli/CliFixture.h"

namespace fs = std::filesystem;

namespace clitest {
namespace {

using CliDownloadTest = CliFixture;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

TEST_F(CliDownloadTest, FailedSongsAreListedWithTheirReasonAndFailTheRun) {
    const CliResult result = Run({"download", kSomeFail});
    EXPECT_EQ(result.status, 1);
    const fs::path folder = currentDirectory_ / "K歌歌曲";
    EXPECT_EQ(FilesIn(currentDirectory_), (std::map<std::string, std::string>{
                                              {"K歌歌曲/好歌1.m4a", Media("good one")},
                                              {"K歌歌曲/又一首1.m4a", Media("good two")},
                                          }));
    EXPECT_EQ(result.out, "下载目录：" + folder.string() +
                              "\n"
                              "下载结束：完成 2 首，失败 3 首\n"
                              "下载失败的歌曲：\n"
                              "2\t无链接\t没有歌曲链接\n"
                              "3\t缺失\t服务器回答 HTTP 404\n"
                              "4\t本地\t不是 http 或 https 链接\n");
    // Plain progress lines, one per song, after the walk's page status.
    const std::vector<std::string> err = Lines(result.err);
    ASSERT_EQ(err.size(), 6u) << result.err;
    EXPECT_EQ(err[0], "第1页，解析完成");
    EXPECT_TRUE(err[1].starts_with("[1/5] 好歌  下载完成：13 B")) << err[1];
    EXPECT_EQ(err[2], "[2/5] 无链接  下载失败：没有歌曲链接");
    EXPECT_EQ(err[3], "[3/5] 缺失  下载失败：服务器回答 HTTP 404");
    EXPECT_EQ(err[4], "[4/5] 本地  下载失败：不是 http 或 https 链接");
    EXPECT_TRUE(err[5].starts_with("[5/5] 又一首  下载完成：13 B")) << err[5];
}

TEST_F(CliDownloadTest, EverySongDownloadedIntoTheChosenFolderEndsWithStatusZero) {
    const fs::path absolute = currentDirectory_ / "absolute" / "歌";
    struct Case {
        std::vector<std::string> args;
        fs::path folder;
    };
    const std::vector<Case> cases = {
        {{"download", kTenSongs, "-o", "backup/songs"}, currentDirectory_ / "backup/songs"},
        {{"download", "--output=" + absolute.string(), kTenSongs}, absolute},
        {{"-obackup2", "download", kTenSongs}, currentDirectory_ / "backup2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder.string());
        const CliResult result = Run(c.args);
        EXPECT_EQ(result.status, 0) << result.err;
        std::map<std::string, std::string> expected;
        for (int n = 1; n <= 10; ++n) {
            expected["第" + std::to_string(n) + "首1.m4a"] = Media("media " + std::to_string(n));
        }
        EXPECT_EQ(FilesIn(c.folder), expected);
        EXPECT_EQ(result.out,
                  "下载目录：" + c.folder.string() + "\n下载结束：完成 10 首，失败 0 首\n");
    }
    EXPECT_FALSE(fs::exists(currentDirectory_ / "K歌歌曲")) << "no default folder beside -o";
}

TEST_F(CliDownloadTest, AUserWithoutSongsOnlyGetsTheFolder) {
    const CliResult result = Run({"download", kNoSongs});
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(fs::is_directory(currentDirectory_ / "K歌歌曲"));
    EXPECT_TRUE(FilesIn(currentDirectory_).empty());
    EXPECT_EQ(result.err, "该用户没有歌曲\n");
}

TEST_F(CliDownloadTest, AFolderThatCannotBeMadeFailsEverySongAndKeepsTheUsersFile) {
    std::ofstream(currentDirectory_ / "K歌歌曲") << "a file of the user";
    const CliResult result = Run({"download", kSomeFail});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(FilesIn(currentDirectory_),
              (std::map<std::string, std::string>{{"K歌歌曲", "a file of the user"}}));
    const std::string why =
        "下载目录无法创建（已有同名文件）：" + (currentDirectory_ / "K歌歌曲").string();
    const std::vector<std::string> out = Lines(result.out);
    ASSERT_EQ(out.size(), 8u) << result.out;
    EXPECT_EQ(out[1], why);
    EXPECT_EQ(out[3], "1\t好歌\t" + why);
    EXPECT_EQ(out[7], "5\t又一首\t" + why);

    // Also without a song to put in it.
    const CliResult empty = Run({"download", kNoSongs});
    EXPECT_EQ(empty.status, 1);
    EXPECT_EQ(Lines(empty.out).at(1), why);
}

TEST_F(CliDownloadTest, OnATerminalProgressIsOneLiveLineWithinTheWidth) {
    constexpr int kColumns = 60;
    const CliResult result = Run({"download", kOddNames}, {}, true, kColumns);
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.err.find("下载中 2/2 [#####-----] 50%"), std::string::npos)
        << "the overall bar after the first song";
    EXPECT_TRUE(result.err.ends_with("\r\x1b[K")) << "the live line is gone at the end";
    // Every piece the terminal shows (between line breaks and returns) fits the width, and
    // holds no escape sequence but the line eraser.
    std::string shown = result.err;
    for (std::size_t at; (at = shown.find("\x1b[K")) != std::string::npos;) shown.erase(at, 3);
    EXPECT_EQ(shown.find_first_of("\x1b\x07"), std::string::npos);
    std::size_t start = 0;
    for (std::size_t end; start < shown.size(); start = end + 1) {
        end = shown.find_first_of("\r\n", start);
        if (end == std::string::npos) end = shown.size();
        EXPECT_LT(cli::DisplayWidth(shown.substr(start, end - start)), kColumns);
    }
    EXPECT_NE(result.err.find("[2/2] 歌 ]0;title 尾  下载完成："), std::string::npos);
}

TEST_F(CliDownloadTest, AnInterruptStopsTheDownloadAndLeavesNoPartialFile) {
    std::stop_source interrupt;
    CliResult result;
    std::thread command([&] { result = Run({"download", kStalls}, interrupt.get_token()); });

    // The stalled second song is under way once a file beside the first one has bytes.
    const fs::path folder = currentDirectory_ / "K歌歌曲";
    const auto partialHasBytes = [&] {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(folder, error)) {
            if (entry.path().filename() != "先到1.m4a" && entry.file_size(error) > 0) return true;
        }
        return false;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!partialHasBytes() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const bool sawPartial = partialHasBytes();
    interrupt.request_stop();
    command.join();

    ASSERT_TRUE(sawPartial) << "the second song never started";
    EXPECT_EQ(result.status, 130);
    EXPECT_EQ(FilesIn(currentDirectory_),
              (std::map<std::string, std::string>{{"K歌歌曲/先到1.m4a", Media("first")}}));
    EXPECT_EQ(result.out, "") << "no summary for a stopped run";
    EXPECT_TRUE(result.err.ends_with("karaoke-downloader-cli: interrupted\n")) << result.err;
}

}  // namespace
}  // namespace clitest
