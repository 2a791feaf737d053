#pragma once

#include <string_view>

// The names of the main window's controls the application logic addresses, as the window
// definition gives them.
namespace app::controls {

inline constexpr std::string_view kUidBox = "编辑框1_uid";
inline constexpr std::string_view kNicknameBox = "编辑框1_用户名称";
inline constexpr std::string_view kAvatarBox = "图片框1";
inline constexpr std::string_view kFolderBox = "编辑框1";
inline constexpr std::string_view kSongList = "超级列表框1";
inline constexpr std::string_view kStatusBar = "状态条1";
inline constexpr std::string_view kSongListMenu = "超级列表框右键菜单";
inline constexpr std::string_view kQueryButton = "按钮2_查询用户";
inline constexpr std::string_view kParseButton = "按钮1_解析歌曲";
inline constexpr std::string_view kDownloadButton = "按钮2_下载";

// Columns of the song list.
inline constexpr int kNumberColumn = 0;
inline constexpr int kNameColumn = 1;
inline constexpr int kLinkColumn = 2;
inline constexpr int kStateColumn = 3;

}  // namespace app::controls
