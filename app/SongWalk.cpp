// The song-list walk behind "解析歌曲".
#include "app/Application.h"
#include "app/Controls.h"
#include "app/FeedText.h"
#include "http/WinHttpApiRequest.h"
#include "platform/codepage/CodePage.h"
#include "regex/RegexObject.h"
#include "text/core/TextOps.h"

namespace app {
namespace {

constexpr int kUidBytes = 16;

}  // namespace

void Application::OnParseSongsClicked() {
    {
        std::lock_guard lock(mutex_);
        if (busy_ || shuttingDown_) return;
    }
    const Text uid = window_.EditText(controls::kUidBox);
    if (uid.empty()) {
        window_.ShowMessage("请输入UID！"_gbk);
    } else if (uid.size() == kUidBytes) {
        StartWorker(&Application::CollectSongs);
    } else if (state_.SongCount == 0) {
        window_.ShowMessage("该用户没有歌曲或UID错误！"_gbk);
    }
}

void Application::CollectSongs(std::stop_token stop) {
    RegexObject playAddress;
    const Text pattern(R"re(playurl":"(.*?)")re");
    const Text waiting = "等待下载"_gbk;
    while (!stop.stop_requested() && state_.PageCursor <= state_.LastPage) {
        FetchFeedPage(stop);
        JsonDocument& feed = *state_.FeedDocument;
        feed.Parse(state_.PageText);
        const int count = feed.GetNode(Text("data")).GetNode(Text("ugclist")).GetCount();
        for (int i = 0; i < count && !stop.stop_requested(); ++i) {
            const Text title = CleanTitle(feed.GetNode(Text("data"))
                                              .GetNode(Text("ugclist"))
                                              .GetElement(i)
                                              .GetText(Text("title")));
            const Text shareId = feed.GetNode(Text("data"))
                                     .GetNode(Text("ugclist"))
                                     .GetElement(i)
                                     .GetText(Text("shareid"));
            const Text page = http::WinHttpApiRequest(
                {.url = Text(PlayPageAddress(config_.serviceHost, shareId)), .stop = stop});
            playAddress.Create(pattern, page);
            const Text link = MediaAddressFromMatch(playAddress.MatchText(1));
            const int row = window_.AppendRow(controls::kSongList);
            if (row < 0) return;  // the window has closed
            window_.SetCellText(controls::kSongList, row, controls::kNumberColumn,
                                text::FromInt(row + 1));
            window_.SetCellText(controls::kSongList, row, controls::kNameColumn, title);
            window_.SetCellText(controls::kSongList, row, controls::kLinkColumn, link);
            window_.SetCellText(controls::kSongList, row, controls::kStateColumn, waiting);
        }
        if (stop.stop_requested()) return;
        window_.SetStatusText(controls::kStatusBar,
                              "第"_gbk + text::FromInt(state_.PageCursor) + "页，解析完成"_gbk);
        ++state_.PageCursor;
    }
}

}  // namespace app
