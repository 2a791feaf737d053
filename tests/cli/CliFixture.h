#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/RunCli.h"
#include "tests/app/FakeKaraokeService.h"

namespace clitest {

// UIDs the fake service knows (16 bytes each) and one it does not know.
inline const std::string kNoSongs = "00000000000000c0";
inline const std::string kTenSongs = "0000000000000c10";
inline const std::string kTwentyFive = "0000000000000c25";
inline const std::string kUnknown = "ffffffffffffffff";
// Five songs: the 1st and the 5th download, the three between fail in three different ways.
inline const std::string kSomeFail = "00000000000000cf";
// Two songs whose names hold a tab, quotes, a backslash and a terminal escape sequence.
inline const std::string kOddNames = "00000000000000ce";
// Two songs: the first downloads, the second sends its first piece and then stalls.
inline const std::string kStalls = "00000000000000c5";

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

// The command line driven as a user would, against one fake service on loopback for the whole
// test program, in a fresh current directory for every test.
class CliFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    static fake::Service& Service();

    // Runs the command line with standard error as a pipe (or a terminal of `columns` columns
    // when `terminal`), until it ends or `interrupt` stops it.
    CliResult Run(const std::vector<std::string>& args, std::stop_token interrupt = {},
                  bool terminal = false, int columns = 80);

    std::filesystem::path currentDirectory_;
};

// Every file under `folder`, hidden ones included, by its path relative to `folder`, with its
// bytes.
std::map<std::string, std::string> FilesIn(const std::filesystem::path& folder);

// The media bytes of the fixture's songs.
std::string Media(const std::string& text);

}  // namespace clitest
