#include "app/main/WindowBinding.h"

namespace app {

ui::MainWindowHandlers HandlersFor(Application& logic, bool* workersEnded) {
    return {
        .howToGetUidClicked = [&logic] { logic.OnHowToGetUidClicked(); },
        .queryUserClicked = [&logic] { logic.OnQueryUserClicked(); },
        .parseSongsClicked = [&logic] { logic.OnParseSongsClicked(); },
        .downloadSongsClicked = [&logic] { logic.OnDownloadSongsClicked(); },
        .songListRightClicked = [&logic] { logic.OnSongListRightClicked(); },
        .copyMusicLinkSelected = [&logic] { logic.OnCopyMusicLinkSelected(); },
        .openMusicLinkSelected = [&logic] { logic.OnOpenMusicLinkSelected(); },
        .closing = [&logic, workersEnded] { *workersEnded = logic.Shutdown(); },
    };
}

}  // namespace app
