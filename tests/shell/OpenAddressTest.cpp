#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include <stdlib.h>

#include "platform/shell/OpenAddress.h"

namespace fs = std::filesystem;

namespace {

TEST(OpenAddressTest, OnlyWebAddressesPass) {
    struct Case {
        const char* address;
        bool web;
    } cases[] = {
        {"http://host/song.m4a", true},
        {"HTTPS://host/x?a=1&b=2", true},
        {"https://127.0.0.1:8443/", true},
        {"", false},
        {"http://", false},
        {"file:///etc/passwd", false},
        {"javascript:alert(1)", false},
        {"ftp://host/x", false},
        {"/usr/bin/xterm", false},
        {"--help", false},
        {"httpx://host", false},
        {" http://host", false},
        {"http://host/a b", false},
        {"http://host/\nx", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(shell::IsWebAddress(c.address), c.web) << c.address;
    }
}

// A stand-in "xdg-open" first in PATH writes down the arguments it was started with.
TEST(OpenAddressTest, HandsTheAddressUnchangedToTheOpenerWithoutAShell) {
    std::string pattern = (fs::temp_directory_path() / "shell-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path folder = pattern;
    const fs::path record = folder / "opened.txt";
    {
        std::ofstream script(folder / "xdg-open");
        script << "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > '" << (folder / "tmp").string()
               << "'\nmv '" << (folder / "tmp").string() << "' '" << record.string() << "'\n";
    }
    fs::permissions(folder / "xdg-open", fs::perms::owner_all);
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", (folder.string() + ":" + oldPath).c_str(), 1);

    EXPECT_FALSE(shell::OpenWebAddress("file:///etc/passwd"));
    const std::string address = "https://host/play?s=a;touch${IFS}x&b=$(id)'\"";
    EXPECT_TRUE(shell::OpenWebAddress(address));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!fs::exists(record) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::setenv("PATH", oldPath.c_str(), 1);
    std::ifstream in(record);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "1|" + address + "|");
    fs::remove_all(folder);
}

}  // namespace
