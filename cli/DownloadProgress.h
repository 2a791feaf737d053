#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "app/Application.h"
#include "cli/Console.h"
#include "platform/ui/WindowOps.h"
#include "text/core/Text.h"

namespace cli {

// A download's progress on the console, and what its summary needs. Every song that ends gets a
// line ("[3/25] name  下载完成：2.6 MiB，850.0 KiB/s" or "... 下载失败：reason"); on a terminal a
// live line below shows the overall progress (songs, with the share of the current one) and the
// current song's bar, size and speed.
//
// Thread-safe: the events come on the download worker, the summary is read afterwards.
class DownloadProgress {
public:
    struct Failure {
        int number;          // the row's number in the list (its index + 1)
        std::string name;    // UTF-8
        std::string reason;  // UTF-8
    };

    // `console` and `window` are not owned and must outlive this object. Song names are read
    // from the window's song list.
    DownloadProgress(Console& console, ui::WindowOps& window);
    DownloadProgress(const DownloadProgress&) = delete;
    DownloadProgress& operator=(const DownloadProgress&) = delete;

    // Before the download starts: the number of rows it fetches.
    void Begin(int rows);

    // The events to hand to the application; they call into this object.
    app::DownloadEvents Events();

    int Downloaded() const;
    std::vector<Failure> Failures() const;

private:
    using Clock = std::chrono::steady_clock;

    void OnProgress(int row, std::uint64_t received, std::uint64_t total);
    void OnSongEnded(int row, bool downloaded, const Text& reason);
    // With the lock held.
    void DrawLive(Clock::time_point now);
    std::string SongName(int row);

    Console& console_;
    ui::WindowOps& window_;
    mutable std::mutex mutex_;
    int rows_ = 0;
    int ended_ = 0;
    int downloaded_ = 0;
    std::vector<Failure> failures_;
    // The song under way: its row, name, bytes and when it began (when the one before it ended).
    int row_ = -1;
    std::string name_;
    std::uint64_t received_ = 0;
    std::uint64_t total_ = 0;
    Clock::time_point songStart_;
    Clock::time_point lastDraw_;
};

}  // namespace cli
