// The command line's own texts and its usage errors.
#include <string>
#include <vector>

#include "tests/cli/CliFixture.h"

namespace clitest {
namespace {

using CliUsageTest = CliFixture;

TEST_F(CliUsageTest, BadUsageSaysWhatIsWrongAndExitsWithTwoBeforeAnyRequest) {
    struct Case {
        std::vector<std::string> args;
        std::string problem;
    };
    const std::vector<Case> cases = {
        {{}, "no command given"},
        {{"fetch", kTenSongs}, "unknown command 'fetch'"},
        {{"lookup"}, "'lookup' needs a UID"},
        {{"download", "-o", "x"}, "'download' needs a UID"},
        {{"list", kTenSongs, kTwentyFive}, "unexpected argument '" + kTwentyFive + "'"},
        {{"list", "--all", kTenSongs}, "unknown option '--all'"},
        {{"lookup", "--json", kTenSongs}, "option '--json' belongs to 'list'"},
        {{"list", kTenSongs, "-o", "x"}, "option '-o' belongs to 'download'"},
        {{"download", kTenSongs, "-o"}, "option '-o' needs a folder"},
        {{"download", kTenSongs, "--output="}, "option '-o' needs a folder"},
    };
    const std::size_t before = Service().FeedRequests().size();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.problem);
        const CliResult result = Run(c.args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "karaoke-downloader-cli: " + c.problem +
                                  "\nTry 'karaoke-downloader-cli --help' for more information.\n");
    }
    EXPECT_EQ(Service().FeedRequests().size(), before);
}

TEST_F(CliUsageTest, HelpAndVersionGoToStandardOutputAndWinOverEverythingElse) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"-h"}, {"list", kTenSongs, "--help"}, {"bogus", "-h"}}) {
        const CliResult result = Run(args);
        EXPECT_EQ(result.status, 0);
        EXPECT_TRUE(result.out.starts_with("Usage: karaoke-downloader-cli COMMAND UID"))
            << result.out;
        EXPECT_NE(result.out.find("download UID [-o DIR]"), std::string::npos);
        EXPECT_EQ(result.err, "");
    }
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"--version"}, {"-V"}, {"download", "-V"}}) {
        const CliResult result = Run(args);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, "karaoke-downloader-cli " KARAOKE_VERSION "\n");
        EXPECT_EQ(result.err, "");
    }
    // After "--" an option is a UID like any other text.
    const CliResult uid = Run({"lookup", "--", "--help"});
    EXPECT_EQ(uid.status, 2);
    EXPECT_EQ(uid.err, "uid错误，请重新输入\n");
}

}  // namespace
}  // namespace clitest
