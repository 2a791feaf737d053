// The song list's popup menu: shown only with a selected row; open and copy the row's link.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QTableWidget>

#include "tests/app/AppFixture.h"

namespace fs = std::filesystem;

namespace apptest {
namespace {

class MenuTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        // A stand-in opener first in PATH writes down each address it is handed.
        opened_ = programDirectory_ / "opened.txt";
        const fs::path bin = programDirectory_ / "bin";
        fs::create_directory(bin);
        std::ofstream(bin / "xdg-open")
            << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << opened_.string() << "'\n";
        fs::permissions(bin / "xdg-open", fs::perms::owner_all);
        oldPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
        ::setenv("PATH", (bin.string() + ":" + oldPath_).c_str(), 1);
    }
    void TearDown() override {
        ::setenv("PATH", oldPath_.c_str(), 1);
        AppFixture::TearDown();
    }

    QTableWidget* List() {
        return Window().findChild<QTableWidget*>(QStringLiteral("超级列表框1"));
    }
    QMenu* Menu() { return Window().findChild<QMenu*>(QStringLiteral("超级列表框右键菜单")); }

    // Waits for the stand-in opener to write `lines` lines.
    std::string Opened(int lines) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (;;) {
            std::ifstream in(opened_);
            std::string text(std::istreambuf_iterator<char>(in), {});
            if (std::count(text.begin(), text.end(), '\n') >= lines ||
                std::chrono::steady_clock::now() > deadline) {
                return text;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    fs::path opened_;
    std::string oldPath_;
};

TEST_F(MenuTest, TheMenuComesOnlyWithASelectedRow) {
    LookUpAndWalk(kOneSong);
    List()->clearSelection();
    App().OnSongListRightClicked();
    EXPECT_FALSE(Menu()->isVisible());

    List()->selectRow(0);
    App().OnSongListRightClicked();
    EXPECT_TRUE(Menu()->isVisible());
    Menu()->hide();
}

TEST_F(MenuTest, OpenHandsOnlyWebLinksToTheSystemAndCopyPutsTheLinkOnTheClipboard) {
    LookUpAndWalk(kTricky);
    List()->selectRow(8);  // file:///etc/passwd
    App().OnOpenMusicLinkSelected();
    App().OnCopyMusicLinkSelected();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "file:///etc/passwd");

    List()->selectRow(7);
    App().OnOpenMusicLinkSelected();
    EXPECT_EQ(Opened(1), Service().MediaAddress("t7") + "\n");
    App().OnCopyMusicLinkSelected();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), Service().MediaAddress("t7"));

    List()->clearSelection();
    App().OnCopyMusicLinkSelected();
    App().OnOpenMusicLinkSelected();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), Service().MediaAddress("t7"));
    EXPECT_EQ(Opened(1), Service().MediaAddress("t7") + "\n");
}

}  // namespace
}  // namespace apptest
