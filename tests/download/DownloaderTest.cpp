#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>

#include <httplib.h>
#include <stdlib.h>

#include "platform/download/Downloader.h"

namespace fs = std::filesystem;
using download::Outcome;

namespace {

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + 7) % 251);
    return bytes;
}

// A loopback HTTP server with the answers the downloader must tell apart.
class DownloaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "download-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;

        server_.Get("/song", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(Pattern(300000), "audio/mp4");
        });
        server_.Get("/moved", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("/song");
        });
        server_.Get("/to-file", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("file:///etc/passwd");
        });
        server_.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content("not here", "text/plain");
        });
        server_.Get("/empty", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("", "audio/mp4");
        });
        server_.Get("/cut", [](const httplib::Request&, httplib::Response& res) {
            // Promises 1000 bytes, sends 100 and closes.
            res.set_content_provider(1000, "audio/mp4",
                                     [](std::size_t, std::size_t, httplib::DataSink& sink) {
                                         sink.write(std::string(100, 'x').data(), 100);
                                         return false;
                                     });
        });
        server_.Get("/stall", [this](const httplib::Request&, httplib::Response& res) {
            // Sends a first piece, then nothing until the test ends.
            res.set_content_provider(
                1000000, "audio/mp4",
                [this](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                    if (offset == 0) return sink.write(std::string(1000, 'y').data(), 1000);
                    std::unique_lock lock(mutex_);
                    released_.wait(lock, [this] { return released; });
                    return false;
                });
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        ASSERT_GT(port_, 0);
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::yield();
    }

    void TearDown() override {
        {
            std::lock_guard lock(mutex_);
            released = true;
        }
        released_.notify_all();
        server_.stop();
        thread_.join();
        fs::remove_all(folder_);
    }

    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path folder_;
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable released_;
    bool released = false;
};

TEST_F(DownloaderTest, StreamsTheBodyIntoPlaceReportingProgress) {
    download::Downloader downloader;
    std::uint64_t lastReceived = 0;
    std::uint64_t lastTotal = 0;
    int reports = 0;
    for (const char* path : {"/song", "/moved"}) {
        const fs::path target = folder_ / (std::string(path + 1) + ".m4a");
        const auto result = downloader.FetchToFile({
            .url = Url(path),
            .destination = target,
            .onProgress =
                [&](std::uint64_t received, std::uint64_t total) {
                    EXPECT_GE(received, lastReceived);
                    lastReceived = received;
                    lastTotal = total;
                    ++reports;
                },
        });
        EXPECT_EQ(result.outcome, Outcome::Complete) << path << " " << result.detail;
        EXPECT_EQ(result.httpStatus, 200);
        EXPECT_EQ(result.bytes, 300000u);
        EXPECT_EQ(Read(target), Pattern(300000)) << path;
        EXPECT_EQ(lastReceived, 300000u);
        EXPECT_EQ(lastTotal, 300000u);
        lastReceived = 0;
    }
    EXPECT_GT(reports, 1);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"moved.m4a", "song.m4a"}));
}

TEST_F(DownloaderTest, EveryFailureLeavesNoFileAndKeepsAnEarlierOne) {
    const fs::path target = folder_ / "song1.m4a";
    std::ofstream(target, std::ios::binary) << "earlier good download";
    struct Case {
        std::string url;
        Outcome outcome;
        long status;
    } cases[] = {
        {"", Outcome::EmptyAddress, 0},
        {"file:///etc/passwd", Outcome::UnsupportedAddress, 0},
        {"ftp://127.0.0.1/x", Outcome::UnsupportedAddress, 0},
        {"javascript:alert(1)", Outcome::UnsupportedAddress, 0},
        {Url("/missing"), Outcome::HttpStatus, 404},
        {Url("/empty"), Outcome::EmptyBody, 200},
        {Url("/cut"), Outcome::TransferFailed, 200},
        {Url("/to-file"), Outcome::TransferFailed, 302},
        {"http://127.0.0.1:1/refused", Outcome::TransferFailed, 0},
    };
    download::Downloader downloader;
    for (const Case& c : cases) {
        const auto result = downloader.FetchToFile({.url = c.url, .destination = target});
        EXPECT_EQ(result.outcome, c.outcome) << c.url << " " << result.detail;
        EXPECT_EQ(result.httpStatus, c.status) << c.url;
        EXPECT_EQ(Read(target), "earlier good download") << c.url;
        EXPECT_EQ(Entries(), std::vector<std::string>{"song1.m4a"}) << c.url;
    }
}

TEST_F(DownloaderTest, AFileThatCannotBeWrittenIsAFailure) {
    download::Downloader downloader;
    const auto missingFolder =
        downloader.FetchToFile({.url = Url("/song"), .destination = folder_ / "no" / "x.m4a"});
    EXPECT_EQ(missingFolder.outcome, Outcome::WriteFailed);
    EXPECT_FALSE(missingFolder.detail.empty());

    fs::create_directory(folder_ / "taken1.m4a");
    const auto folderInTheWay =
        downloader.FetchToFile({.url = Url("/song"), .destination = folder_ / "taken1.m4a"});
    EXPECT_EQ(folderInTheWay.outcome, Outcome::WriteFailed);
    EXPECT_EQ(Entries(), std::vector<std::string>{"taken1.m4a"});
}

TEST_F(DownloaderTest, StopAbortsAStalledTransferAndRemovesThePartialFile) {
    download::Downloader downloader;
    std::stop_source stop;
    std::thread stopper;
    const auto result = downloader.FetchToFile({
        .url = Url("/stall"),
        .destination = folder_ / "song1.m4a",
        .stop = stop.get_token(),
        .onProgress =
            [&](std::uint64_t received, std::uint64_t) {
                // Stop from another thread once the transfer has started and stalls.
                if (received > 0 && !stopper.joinable()) {
                    stopper = std::thread([&] { stop.request_stop(); });
                }
            },
    });
    stopper.join();
    EXPECT_EQ(result.outcome, Outcome::Cancelled);
    EXPECT_EQ(result.bytes, 1000u);
    EXPECT_TRUE(Entries().empty());

    const auto already = downloader.FetchToFile(
        {.url = Url("/song"), .destination = folder_ / "x.m4a", .stop = stop.get_token()});
    EXPECT_EQ(already.outcome, Outcome::Cancelled);
    EXPECT_TRUE(Entries().empty());
}

TEST_F(DownloaderTest, AStalledTransferIsAbandoned) {
    download::Downloader downloader;
    const auto result = downloader.FetchToFile(
        {.url = Url("/stall"), .destination = folder_ / "song1.m4a", .stallSeconds = 1});
    EXPECT_EQ(result.outcome, Outcome::TransferFailed);
    EXPECT_TRUE(Entries().empty());
}

}  // namespace
