#include "cli/DownloadProgress.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

#include "app/Controls.h"
#include "cli/TerminalText.h"
#include "platform/codepage/CodePage.h"

namespace cli {
namespace {

// The live line is drawn again at most this often while bytes arrive.
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kSongBarWidth = 10;
// The overall bar is wider when the terminal leaves room for it beside the song's figures.
int OverallBarWidth(int columns) { return columns >= 100 ? 20 : 10; }

std::string Size(std::uint64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + " B";
    const char* units[] = {"KiB", "MiB", "GiB", "TiB"};
    double value = static_cast<double>(bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 3) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
    return text;
}

// Bytes a second over `seconds`; empty while too little time has passed to tell.
std::string Speed(std::uint64_t bytes, double seconds) {
    if (seconds < 0.05) return "";
    return Size(static_cast<std::uint64_t>(static_cast<double>(bytes) / seconds)) + "/s";
}

std::string Bar(double share, int width) {
    const int filled = std::clamp(static_cast<int>(share * width), 0, width);
    return "[" + std::string(filled, '#') + std::string(width - filled, '-') + "]";
}

std::string Percent(double share) {
    return std::to_string(std::clamp(static_cast<int>(share * 100), 0, 100)) + "%";
}

double Seconds(std::chrono::steady_clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

}  // namespace

DownloadProgress::DownloadProgress(Console& console, ui::WindowOps& window)
    : console_(console), window_(window) {}

void DownloadProgress::Begin(int rows) {
    std::lock_guard lock(mutex_);
    rows_ = rows;
    songStart_ = Clock::now();
}

app::DownloadEvents DownloadProgress::Events() {
    return app::DownloadEvents{
        .onProgress = [this](int row, std::uint64_t received,
                             std::uint64_t total) { OnProgress(row, received, total); },
        .onSongEnded = [this](int row, bool downloaded,
                              const Text& reason) { OnSongEnded(row, downloaded, reason); },
    };
}

int DownloadProgress::Downloaded() const {
    std::lock_guard lock(mutex_);
    return downloaded_;
}

std::vector<DownloadProgress::Failure> DownloadProgress::Failures() const {
    std::lock_guard lock(mutex_);
    return failures_;
}

std::string DownloadProgress::SongName(int row) {
    return codepage::Utf8FromGbk(
        window_.CellText(app::controls::kSongList, row, app::controls::kNameColumn));
}

void DownloadProgress::OnProgress(int row, std::uint64_t received, std::uint64_t total) {
    std::string name;
    bool newRow;
    {
        std::lock_guard lock(mutex_);
        newRow = row != row_;
    }
    if (newRow) name = SongName(row);  // outside the lock: the window has a lock of its own

    std::lock_guard lock(mutex_);
    const Clock::time_point now = Clock::now();
    if (newRow) {
        row_ = row;
        name_ = std::move(name);
    }
    received_ = received;
    total_ = total;
    if (console_.live() && (newRow || now - lastDraw_ >= kRedrawInterval)) DrawLive(now);
}

void DownloadProgress::OnSongEnded(int row, bool downloaded, const Text& reason) {
    const std::string name = SongName(row);
    std::lock_guard lock(mutex_);
    const Clock::time_point now = Clock::now();
    const std::uint64_t bytes = row == row_ ? received_ : 0;
    std::string line = "[" + std::to_string(row + 1) + "/" + std::to_string(rows_) + "] " + name;
    if (downloaded) {
        ++downloaded_;
        line += "  下载完成：" + Size(bytes);
        const std::string speed = Speed(bytes, Seconds(now - songStart_));
        if (!speed.empty()) line += "，" + speed;
    } else {
        const std::string why = codepage::Utf8FromGbk(reason);
        failures_.push_back(Failure{.number = row + 1, .name = name, .reason = why});
        line += "  下载失败：" + why;
    }
    ++ended_;
    row_ = -1;
    received_ = 0;
    total_ = 0;
    songStart_ = now;
    console_.Line(line);
    if (console_.live()) DrawLive(now);
}

void DownloadProgress::DrawLive(Clock::time_point now) {
    lastDraw_ = now;
    const double songShare =
        total_ > 0 ? static_cast<double>(std::min(received_, total_)) / total_ : 0.0;
    const double overallShare = rows_ > 0 ? (ended_ + songShare) / rows_ : 1.0;
    const std::string overall =
        "下载中 " + std::to_string(std::min(ended_ + 1, rows_)) + "/" + std::to_string(rows_) +
        " " + Bar(overallShare, OverallBarWidth(console_.columns())) + " " + Percent(overallShare);
    if (row_ < 0) {
        console_.Live(overall);
        return;
    }
    std::string song = total_ > 0 ? Bar(songShare, kSongBarWidth) + " " + Percent(songShare) + " " +
                                        Size(received_) + "/" + Size(total_)
                                  : Size(received_);
    const std::string speed = Speed(received_, Seconds(now - songStart_));
    if (!speed.empty()) song += " " + speed;
    // The name gets what the terminal's width leaves; the numbers always show.
    const int room = console_.columns() - 1 - DisplayWidth(overall) - DisplayWidth(song) - 4;
    console_.Live(overall + "  " + FitWidth(OneLine(name_), std::max(room, 0)) + "  " + song);
}

}  // namespace cli
