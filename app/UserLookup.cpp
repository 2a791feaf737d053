// The user lookup behind "查询用户", and the feed page request it shares with the walk.
#include "app/Application.h"
#include "app/Controls.h"
#include "app/FeedText.h"
#include "http/ComRequest.h"
#include "http/WinInetRequest.h"
#include "imaging/ScalePicture.h"
#include "platform/codepage/CodePage.h"

namespace app {
namespace {

constexpr int kUidBytes = 16;
constexpr int kAvatarSide = 56;

}  // namespace

void Application::FetchFeedPage(std::stop_token stop) {
    const Text uid = window_.EditText(controls::kUidBox);
    const std::string address = FeedAddress(config_.serviceHost, state_.PageCursor, uid);
    const ByteSet body = http::ComRequest({.url = Text(address), .method = 0, .stop = stop});
    state_.PageText = UnwrapFeedBody(body);
}

void Application::OnQueryUserClicked() {
    if (!BeginAction(false)) return;
    const Text uid = window_.EditText(controls::kUidBox);
    if (uid.empty()) {
        window_.ShowMessage("请输入UID"_gbk);
    } else if (uid.size() == kUidBytes) {
        state_.PageCursor = 1;
        FetchFeedPage();
        ShowUserInfo();
        ComputeLastPage();
    } else {
        window_.ShowMessage("uid错误，请重新输入"_gbk);
    }
    EndAction();
}

void Application::ShowUserInfo() {
    JsonDocument& feed = *state_.FeedDocument;
    feed.Parse(state_.PageText);
    const Text avatarAddress = feed.GetNode(Text("data")).GetText(Text("head_img_url"));
    const Text nickname = feed.GetNode(Text("data")).GetText(Text("nickname"));
    state_.SongCount = TruncateToInt(feed.GetNode(Text("data")).GetNumber(Text("ugc_total_count")));
    if (avatarAddress.empty()) window_.ShowMessage("uid输入错误，请重新输入！"_gbk);
    if (state_.SongCount == 0) window_.ShowMessage("该用户没有歌曲"_gbk);
    const ByteSet image = http::WinInetRequest({.url = avatarAddress});
    window_.SetPicture(
        controls::kAvatarBox,
        imaging::ScalePicture(
            {.image = image, .width = kAvatarSide, .height = kAvatarSide, .average = false}));
    window_.SetEditText(controls::kNicknameBox, nickname);
}

int Application::ComputeLastPage() {
    state_.LastPage = LastPageFor(state_.SongCount);
    return state_.LastPage;
}

}  // namespace app
