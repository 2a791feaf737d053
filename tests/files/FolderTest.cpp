#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <stdlib.h>

#include "platform/files/Directory.h"
#include "platform/files/PartialFile.h"
#include "platform/files/RunDirectory.h"

namespace fs = std::filesystem;

namespace {

class FolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "files-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
    }
    void TearDown() override { fs::remove_all(root_); }

    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void WriteFile(const fs::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    int EntryCount() const {
        return static_cast<int>(std::distance(fs::directory_iterator(root_), {}));
    }

    fs::path root_;
};

TEST_F(FolderTest, RunDirectoryIsTheFolderOfThisTestProgram) {
    const fs::path run = files::RunDirectory();
    ASSERT_FALSE(run.empty());
    EXPECT_TRUE(run.is_absolute());
    EXPECT_TRUE(fs::exists(run / "files_tests"));
}

TEST_F(FolderTest, MakeDirectoryMakesOrKeepsAFolderAndNeverRemovesAFile) {
    std::error_code error;
    EXPECT_TRUE(files::MakeDirectory(root_ / "a" / "b", &error)) << error.message();
    EXPECT_TRUE(fs::is_directory(root_ / "a" / "b"));
    WriteFile(root_ / "a" / "b" / "song.m4a", "kept");
    EXPECT_TRUE(files::MakeDirectory(root_ / "a" / "b", &error));
    EXPECT_EQ(Read(root_ / "a" / "b" / "song.m4a"), "kept");

    WriteFile(root_ / "taken", "user data");
    EXPECT_FALSE(files::MakeDirectory(root_ / "taken", &error));
    EXPECT_EQ(error, std::errc::not_a_directory);
    EXPECT_EQ(Read(root_ / "taken"), "user data");
    EXPECT_FALSE(files::MakeDirectory(root_ / "taken" / "inner", &error));
    EXPECT_TRUE(error);

    fs::create_symlink(root_ / "nowhere", root_ / "dangling");
    EXPECT_FALSE(files::MakeDirectory(root_ / "dangling", &error));
    EXPECT_TRUE(fs::is_symlink(root_ / "dangling"));

    fs::create_directory_symlink(root_ / "a", root_ / "link");
    EXPECT_TRUE(files::MakeDirectory(root_ / "link", &error));
}

TEST_F(FolderTest, PartialFileAppearsUnderItsNameOnlyWhenCommitted) {
    const fs::path target = root_ / "song1.m4a";
    WriteFile(target, "earlier");
    {
        auto file = files::PartialFile::Create(root_);
        ASSERT_TRUE(file);
        ASSERT_TRUE(file->Write("new ", 4));
        ASSERT_TRUE(file->Write("bytes", 5));
        EXPECT_EQ(Read(target), "earlier");
        EXPECT_EQ(file->path().parent_path(), root_);
        std::error_code error;
        ASSERT_TRUE(file->Commit(target, &error)) << error.message();
    }
    EXPECT_EQ(Read(target), "new bytes");
    EXPECT_EQ(EntryCount(), 1);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::others_read, fs::perms::others_read);
}

TEST_F(FolderTest, AbandonedOrFailedPartialFileLeavesNothingBehind) {
    WriteFile(root_ / "song1.m4a", "earlier");
    {
        auto file = files::PartialFile::Create(root_);
        ASSERT_TRUE(file);
        ASSERT_TRUE(file->Write("half", 4));
        auto moved = std::move(*file);  // ownership moves with the object
        EXPECT_EQ(EntryCount(), 2);
    }
    EXPECT_EQ(EntryCount(), 1);

    fs::create_directory(root_ / "song2.m4a");  // a folder in the way of the rename
    auto file = files::PartialFile::Create(root_);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->Write("x", 1));
    std::error_code error;
    EXPECT_FALSE(file->Commit(root_ / "song2.m4a", &error));
    EXPECT_TRUE(error);
    EXPECT_EQ(EntryCount(), 2);
    EXPECT_EQ(Read(root_ / "song1.m4a"), "earlier");

    error.clear();
    EXPECT_FALSE(files::PartialFile::Create(root_ / "missing", &error));
    EXPECT_TRUE(error);
}

}  // namespace
