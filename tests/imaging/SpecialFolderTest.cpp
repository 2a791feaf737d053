#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "imaging/SpecialFolder.h"
#include "platform/codepage/CodePage.h"
#include "tests/imaging/TempFolder.h"

using imaging::SpecialFolder;

namespace {

class SpecialFolderTest : public testing::Test {
protected:
    // A home of its own with no XDG variables: every folder falls back to its place under it.
    TempFolder home;
    std::string home_ = home.path().string();
    ScopedEnv homeVar_{"HOME", home.path().string()};
    ScopedEnv config_{"XDG_CONFIG_HOME", std::nullopt};
    ScopedEnv data_{"XDG_DATA_HOME", std::nullopt};
    ScopedEnv cache_{"XDG_CACHE_HOME", std::nullopt};
    ScopedEnv dataDirs_{"XDG_DATA_DIRS", std::nullopt};

    std::string Make(const std::string& relative) {
        std::filesystem::create_directories(home.path() / relative);
        return (home.path() / relative).string() + "/";
    }
    static Text Gbk(const std::string& utf8) { return codepage::GbkFromUtf8(utf8); }
};

TEST_F(SpecialFolderTest, TemporaryFolderComesFromTmpdirWithOneSlash) {
    {
        ScopedEnv tmp("TMPDIR", home.path().string() + "/临时");
        EXPECT_EQ(SpecialFolder({.type = 11}), Gbk(home.path().string() + "/临时/"));
        EXPECT_EQ(imaging::SpecialFolderUtf8({.type = 11}), home.path().string() + "/临时/");
    }
    {
        ScopedEnv tmp("TMPDIR", "/var/tmp/");
        EXPECT_EQ(SpecialFolder({.type = 11}), Text("/var/tmp/"));
    }
    for (const std::optional<std::string>& unset : {std::optional<std::string>(), {""}}) {
        ScopedEnv tmp("TMPDIR", unset);
        EXPECT_EQ(SpecialFolder({.type = 11}), Text("/tmp/"));
    }
}

TEST_F(SpecialFolderTest, EachTypeMapsToItsXdgFolderWhenItExists) {
    const struct {
        int type;
        const char* relative;
    } cases[] = {{1, "Documents"},
                 {3, "Desktop"},
                 {4, ".local/share/fonts"},
                 {5, ".local/share/applications"},
                 {6, ".local/share/applications"},
                 {7, ".config/autostart"},
                 {8, ".local/share"},
                 {12, ".cache"}};
    for (const auto& c : cases) {
        EXPECT_EQ(SpecialFolder({.type = c.type}), Text()) << "type " << c.type << " missing";
    }
    for (const auto& c : cases) {
        const std::string folder = Make(c.relative);
        EXPECT_EQ(SpecialFolder({.type = c.type}), Gbk(folder)) << "type " << c.type;
    }
    for (int type : {0, 14, -5}) {
        EXPECT_EQ(SpecialFolder({.type = type}), Gbk(home_ + "/Desktop/")) << "counts as 3";
    }
    for (int type : {2, 9, 10}) EXPECT_EQ(SpecialFolder({.type = type}), Text()) << type;
}

TEST_F(SpecialFolderTest, UserDirsAndXdgVariablesAreHonoured) {
    const std::string desk = Make("桌面");
    Make(".config");
    std::ofstream(home.path() / ".config/user-dirs.dirs")
        << "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/桌面\"\n";
    EXPECT_EQ(SpecialFolder({.type = 3}), Gbk(desk));

    const std::string cache = Make("elsewhere/cache");
    ScopedEnv cacheVar("XDG_CACHE_HOME", cache);
    EXPECT_EQ(SpecialFolder({.type = 12}), Gbk(cache));

    const std::string shared = Make("shared");
    ScopedEnv dirs("XDG_DATA_DIRS", shared + ":/usr/share");
    EXPECT_EQ(SpecialFolder({.type = 13}), Gbk(shared));
}

TEST_F(SpecialFolderTest, AShellFolderNumberTakesPrecedence) {
    const std::string desk = Make("Desktop");
    EXPECT_EQ(SpecialFolder({.type = 11, .csidl = 16}), Gbk(desk));
    EXPECT_EQ(SpecialFolder({.type = 11, .csidl = 999}), Text());
    EXPECT_EQ(SpecialFolder({.csidl = 36}), Text()) << "the system root has no counterpart";
}

}  // namespace
