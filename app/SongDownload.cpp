// The download behind "下载歌曲".
#include <system_error>

#include "app/Application.h"
#include "app/Controls.h"
#include "app/SongFileNames.h"
#include "platform/codepage/CodePage.h"
#include "platform/download/Downloader.h"
#include "platform/files/Directory.h"
#include "platform/files/RunDirectory.h"
#include "text/core/TextOps.h"

namespace app {
namespace {

Text FolderProblem(const std::error_code& error) {
    if (error == std::errc::not_a_directory || error == std::errc::file_exists) {
        return "已有同名文件"_gbk;
    }
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
        error == std::errc::read_only_file_system) {
        return "没有写入权限"_gbk;
    }
    if (error == std::errc::no_space_on_device) return "磁盘空间不足"_gbk;
    return "系统错误 "_gbk + text::FromInt(error.value());
}

Text GbkPath(const std::filesystem::path& path) { return codepage::GbkFromUtf8(path.string()); }

// Why a song was not downloaded, for a front end's summary.
Text FailureReason(const download::FetchResult& result) {
    const Text detail =
        result.detail.empty() ? Text() : "（"_gbk + codepage::GbkFromUtf8(result.detail) + "）"_gbk;
    switch (result.outcome) {
        case download::Outcome::EmptyAddress:
            return "没有歌曲链接"_gbk;
        case download::Outcome::UnsupportedAddress:
            return "不是 http 或 https 链接"_gbk;
        case download::Outcome::HttpStatus:
            return "服务器回答 HTTP "_gbk + text::FromInt(static_cast<int>(result.httpStatus));
        case download::Outcome::EmptyBody:
            return "服务器回答为空"_gbk;
        case download::Outcome::WriteFailed:
            return "文件无法写入"_gbk + detail;
        case download::Outcome::TransferFailed:
        case download::Outcome::Complete:
        case download::Outcome::Cancelled:
            break;
    }
    return "传输失败"_gbk + detail;
}

// The state column while a song arrives: its percentage when the size is known.
class RowProgress {
public:
    RowProgress(ui::WindowOps& window, int row) : window_(window), row_(row) {}

    void Report(std::uint64_t received, std::uint64_t total) {
        if (total == 0) return;
        const int percent = static_cast<int>(received >= total ? 100 : received * 100 / total);
        if (percent == shown_) return;
        shown_ = percent;
        window_.SetCellText(controls::kSongList, row_, controls::kStateColumn,
                            text::FromInt(percent) + Text("%"));
    }

private:
    ui::WindowOps& window_;
    int row_;
    int shown_ = -1;
};

}  // namespace

void Application::OnDownloadSongsClicked() { StartWorker(&Application::DownloadSongs); }

std::optional<std::filesystem::path> Application::PrepareDownloadFolder(Text* whyNot) {
    std::filesystem::path folder;
    if (config_.downloadFolder) {
        folder = *config_.downloadFolder;
    } else {
        const std::filesystem::path programDirectory =
            config_.programDirectory.value_or(files::RunDirectory());
        if (programDirectory.empty()) {
            *whyNot = "找不到程序所在的目录"_gbk;
            return std::nullopt;
        }
        folder = programDirectory / "K歌歌曲";
    }
    window_.SetEditText(controls::kFolderBox, GbkPath(folder));
    std::error_code error;
    if (!files::MakeDirectory(folder, &error)) {
        *whyNot = "下载目录无法创建（"_gbk + FolderProblem(error) + "）："_gbk + GbkPath(folder);
        return std::nullopt;
    }
    return folder;
}

void Application::DownloadSongs(std::stop_token stop) {
    Text whyNot;
    const std::optional<std::filesystem::path> folder = PrepareDownloadFolder(&whyNot);
    const int rows = window_.RowCount(controls::kSongList);
    const Text failedMark = "下载失败"_gbk;
    const DownloadEvents& events = config_.downloadEvents;
    if (!folder) {
        for (int row = 0; row < rows; ++row) {
            window_.SetCellText(controls::kSongList, row, controls::kStateColumn, failedMark);
            if (events.onSongEnded) events.onSongEnded(row, false, whyNot);
        }
        window_.SetStatusText(controls::kStatusBar, whyNot);
        return;
    }

    SongFileNames names;
    download::Downloader downloader;
    int done = 0;
    int failed = 0;
    for (int row = 0; row < rows && !stop.stop_requested(); ++row) {
        window_.SetStatusText(controls::kStatusBar, "下载中 "_gbk + text::FromInt(row + 1) +
                                                        Text("/") + text::FromInt(rows));
        const Text link = window_.CellText(controls::kSongList, row, controls::kLinkColumn);
        const Text name = window_.CellText(controls::kSongList, row, controls::kNameColumn);
        RowProgress progress(window_, row);
        const download::FetchResult result = downloader.FetchToFile({
            .url = link.bytes(),
            .destination = *folder / names.Next(name),
            .stop = stop,
            .onProgress =
                [&progress, &events, row](std::uint64_t received, std::uint64_t total) {
                    progress.Report(received, total);
                    if (events.onProgress) events.onProgress(row, received, total);
                },
        });
        if (result.outcome == download::Outcome::Cancelled) return;
        const bool complete = result.outcome == download::Outcome::Complete;
        ++(complete ? done : failed);
        window_.SetCellText(controls::kSongList, row, controls::kStateColumn,
                            complete ? "下载完成"_gbk : failedMark);
        window_.ScrollRowIntoView(controls::kSongList, row);
        if (events.onSongEnded) {
            events.onSongEnded(row, complete, complete ? Text() : FailureReason(result));
        }
    }
    if (stop.stop_requested()) return;
    window_.SetStatusText(controls::kStatusBar, "下载结束：完成 "_gbk + text::FromInt(done) +
                                                    " 首，失败 "_gbk + text::FromInt(failed) +
                                                    " 首"_gbk);
}

}  // namespace app
