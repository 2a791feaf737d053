#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QString>

#include "app/Application.h"
#include "platform/ui/MainWindow.h"
#include "tests/app/FakeKaraokeService.h"
#include "text/core/Text.h"

namespace apptest {

// UIDs the fake service knows (16 bytes each), by the number of their songs, and one it does
// not know.
inline const std::string kNoSongs = "00000000000000a0";
inline const std::string kOneSong = "00000000000000a1";
inline const std::string kTenSongs = "0000000000000a10";
inline const std::string kTwentyFive = "0000000000000a25";
inline const std::string kUnknown = "ffffffffffffffff";
// Ten songs whose names, links and media files try every corner of the download.
inline const std::string kTricky = "000000000000b0b0";

// The songs of the 25-song user: "第N首" with N from 1, share id "s25n<N>", media "media <N>".
fake::Song NumberedSong(int n);

// The real main window on the offscreen platform with the application logic bound to it as the
// program binds it, pointed
// at one fake service for the whole test program; a fresh window, application and program folder
// for every test. Messages are captured instead of shown; status texts are recorded in turn.
class AppFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    static fake::Service& Service() { return *service_; }
    ui::QtWindowOps& Ops() { return window_->Ops(); }
    ui::MainWindow& Window() { return *window_; }
    app::Application& App() { return *app_; }

    void TypeUid(const std::string& uid);
    // Types the UID and runs the lookup.
    void LookUp(const std::string& uid);
    // Runs the window's event loop (through which workers reach the window) until `done`.
    void ServeWindowUntil(const std::function<bool()>& done);
    // Runs the window's event loop until no action runs.
    void WaitUntilIdle();
    // Looks the user up and walks its songs.
    void LookUpAndWalk(const std::string& uid);

    // The list's rows as UTF-8, cell by cell.
    std::vector<std::vector<std::string>> Rows();
    std::string Status();
    std::vector<std::string> Messages() const;
    bool ButtonEnabled(const char* name);

    std::filesystem::path programDirectory_;
    std::vector<Text> messages_;
    std::vector<QString> statusTexts_;
    bool workersEnded_ = false;  // what closing the window's Shutdown said

private:
    static std::unique_ptr<fake::Service> service_;
    std::unique_ptr<ui::MainWindow> window_;
    std::unique_ptr<app::Application> app_;
};

std::string Utf8(const Text& text);

}  // namespace apptest
