#include "tests/cli/CliFixture.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/codepage/CodePage.h"

namespace clitest {
namespace {

std::unique_ptr<fake::Service> service;

fake::Song NamedSong(const std::string& title, const std::string& shareId,
                     const std::string& media) {
    return fake::Song{.title = codepage::GbkFromUtf8(title), .shareId = shareId, .media = media};
}

// "第N首" with share id <prefix>n<N> and media "media <N>".
fake::User Numbered(const char* nickname, int songs, const std::string& prefix) {
    fake::User user{.nickname = codepage::GbkFromUtf8(nickname)};
    for (int n = 1; n <= songs; ++n) {
        user.songs.push_back(NamedSong("第" + std::to_string(n) + "首",
                                       prefix + "n" + std::to_string(n),
                                       Media("media " + std::to_string(n))));
    }
    return user;
}

}  // namespace

std::string Media(const std::string& text) { return std::string("\0m4a\xff", 5) + text; }

void CliFixture::SetUpTestSuite() {
    service = std::make_unique<fake::Service>();
    service->AddUser(kNoSongs, Numbered("没有歌", 0, "c0"));
    service->AddUser(kTenSongs, Numbered("十首", 10, "c10"));
    service->AddUser(kTwentyFive, Numbered("小明 K歌", 25, "c25"));

    fake::User someFail{.nickname = codepage::GbkFromUtf8("有失败")};
    someFail.songs = {
        NamedSong("好歌", "cf1", Media("good one")),
        NamedSong("无链接", "cf2", Media("never fetched")),
        NamedSong("缺失", "cf3", ""),
        NamedSong("本地", "cf4", Media("never fetched")),
        NamedSong("又一首", "cf5", Media("good two")),
    };
    someFail.songs[1].play = fake::PlayPage::NoLink;
    someFail.songs[3].link = "file:///etc/passwd";
    service->AddUser(kSomeFail, std::move(someFail));

    fake::User oddNames{.nickname = codepage::GbkFromUtf8("怪\x1b[31m名")};
    oddNames.songs = {
        NamedSong("tab\there \"q\" back\\slash", "ce1", Media("odd one")),
        NamedSong("歌\x1b]0;title\x07尾", "ce2", Media("odd two")),
    };
    service->AddUser(kOddNames, std::move(oddNames));

    fake::User stalls{.nickname = codepage::GbkFromUtf8("卡住")};
    stalls.songs = {NamedSong("先到", "c5a", Media("first")),
                    fake::Song{.title = codepage::GbkFromUtf8("卡住"),
                               .shareId = "c5b",
                               .generatedMediaBytes = 50'000'000,
                               .stall = true}};
    service->AddUser(kStalls, std::move(stalls));
}

void CliFixture::TearDownTestSuite() { service.reset(); }

fake::Service& CliFixture::Service() { return *service; }

void CliFixture::SetUp() {
    std::string pattern = (std::filesystem::temp_directory_path() / "cli-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    currentDirectory_ = pattern;
}

void CliFixture::TearDown() { std::filesystem::remove_all(currentDirectory_); }

CliResult CliFixture::Run(const std::vector<std::string>& args, std::stop_token interrupt,
                          bool terminal, int columns) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = cli::RunCli(args, out, err,
                                   cli::CliEnvironment{
                                       .serviceHost = service->Host(),
                                       .currentDirectory = currentDirectory_,
                                       .errIsTerminal = terminal,
                                       .terminalColumns = columns,
                                       .interrupt = interrupt,
                                   });
    return CliResult{.status = status, .out = out.str(), .err = err.str()};
}

std::map<std::string, std::string> FilesIn(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().lexically_relative(folder).string()] =
            std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

}  // namespace clitest
