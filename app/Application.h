#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

#include "app/AppState.h"
#include "platform/ui/WindowOps.h"
#include "text/core/Text.h"

namespace app {

// What a download tells a front end beyond the list's cells (a terminal's progress bar and
// summary). Called on the download worker; an empty one is not called.
struct DownloadEvents {
    // Bytes of row `row`'s song received so far; `total` is 0 while unknown.
    std::function<void(int row, std::uint64_t received, std::uint64_t total)> onProgress;
    // Row `row` is done with: downloaded, or marked "下载失败" for `reason` (GBK; empty when
    // downloaded). Not called for the row a stop interrupts.
    std::function<void(int row, bool downloaded, const Text& reason)> onSongEnded;
};

struct ApplicationConfig {
    // The service's web host ("host" or "host:port"); its addresses are "https://" + host + ....
    // The shipped program passes ServiceHost().
    std::string serviceHost;
    // The folder the download folder "K歌歌曲" is made in; omitted: the program's own folder.
    std::optional<std::filesystem::path> programDirectory;
    // The folder the songs are written into, made when missing; omitted: "K歌歌曲" in
    // programDirectory. The terminal front end's choice; the window always uses the default.
    std::optional<std::filesystem::path> downloadFolder;
    DownloadEvents downloadEvents;
};

// The downloader's logic behind the main window: the user lookup, the song-list walk, the
// download and the list's context menu, with the global state they share. It speaks to the
// window only through ui::WindowOps, so any front end that realises those operations drives it.
//
// Threads: every On... handler, Shutdown and the destructor run on the window's thread (the
// thread that owns the WindowOps). The lookup runs inside its handler; the walk and the download
// each run on a worker thread of their own.
//
// One action at a time: while the walk or the download runs, the three action buttons are
// disabled and every action handler ignores its call; they are enabled again when it ends.
class Application {
public:
    // `window` is not owned and must outlive this object.
    Application(ui::WindowOps& window, ApplicationConfig config);
    // Shutdown, then ReleaseGlobals. When Shutdown has returned false the worker is still
    // inside a request: end the process instead of destroying the object.
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // "如何获取UID": the help window, modal.
    void OnHowToGetUidClicked();
    // "查询用户": checks the UID, fetches page 1 of the feed, shows nickname and avatar, and
    // prepares PageCursor, SongCount and LastPage for the walk.
    void OnQueryUserClicked();
    // "解析歌曲": starts the walk (CollectSongs) when the UID box holds 16 bytes.
    void OnParseSongsClicked();
    // "下载歌曲": starts the download (DownloadSongs).
    void OnDownloadSongsClicked();
    // A right click on the song list: the popup menu, when a row is selected.
    void OnSongListRightClicked();
    // "打开音乐链接": the selected row's link to the browser, when it is an http(s) address.
    void OnOpenMusicLinkSelected();
    // "复制音乐链接": the selected row's link to the clipboard.
    void OnCopyMusicLinkSelected();

    // Ends the running worker: asks it to stop (a download's transfer is aborted and its partial
    // file removed) and waits for it at most `grace`. Afterwards no action starts any more. True
    // when no worker is left; false when it has not ended within `grace` (every request of the
    // walk and the download is aborted by the stop, so this is a safety net: the walk writes no
    // file, so ending the process then loses nothing).
    // Close the window's operations first, so a worker waiting for the window is released.
    bool Shutdown(std::chrono::milliseconds grace = std::chrono::milliseconds(1500));

    // Ends FeedDocument and empties PageText; the destructor calls it. Idempotent; only when no
    // action runs.
    void ReleaseGlobals();

    // Whether an action (lookup, walk or download) is running. Any thread.
    bool IsBusy() const;

    // Blocks until no action runs (the terminal front end waits so for its worker). Not on the
    // window's thread of a window whose operations wait for that thread (the worker would wait
    // for it in turn).
    void WaitUntilIdle() const;

    // The shared state, for reading while no action runs.
    const AppState& State() const { return state_; }

private:
    using Routine = void (Application::*)(std::stop_token);

    // Starts an action, on a worker or on this thread, when none runs and Shutdown has not
    // begun; false otherwise.
    bool BeginAction(bool onWorker);
    void EndAction();
    void StartWorker(Routine routine);
    void SetActionButtonsEnabled(bool enabled);

    // Page PageCursor of the user the UID box holds, unwrapped into PageText. A stop request
    // aborts the request (the page is then empty).
    void FetchFeedPage(std::stop_token stop = {});
    void ShowUserInfo();
    int ComputeLastPage();
    void CollectSongs(std::stop_token stop);
    void DownloadSongs(std::stop_token stop);
    // Makes the download folder under the program's folder and shows its path; the folder, or
    // nullopt with the reason (GBK) for the status bar when it cannot be made.
    std::optional<std::filesystem::path> PrepareDownloadFolder(Text* whyNot);

    ui::WindowOps& window_;
    const ApplicationConfig config_;
    AppState state_;

    mutable std::mutex mutex_;
    mutable std::condition_variable idle_;
    bool busy_ = false;
    bool workerRunning_ = false;
    bool shuttingDown_ = false;
    std::jthread worker_;
};

}  // namespace app
