#pragma once

#include <functional>

#include <QPixmap>
#include <QWidget>

#include "platform/ui/QtWindowOps.h"

class QCloseEvent;
class QPaintEvent;

namespace ui {

// What the application binds to the main window's events. Each runs on the window's thread; an
// empty one leaves its event unbound.
struct MainWindowHandlers {
    std::function<void()> howToGetUidClicked;     // 按钮1 "如何获取UID"
    std::function<void()> queryUserClicked;       // 按钮2_查询用户 "查询用户"
    std::function<void()> parseSongsClicked;      // 按钮1_解析歌曲 "解析歌曲"
    std::function<void()> downloadSongsClicked;   // 按钮2_下载 "下载歌曲"
    std::function<void()> songListRightClicked;   // a right click anywhere in 超级列表框1
    std::function<void()> copyMusicLinkSelected;  // popup menu item "复制音乐链接"
    std::function<void()> openMusicLinkSelected;  // popup menu item "打开音乐链接"
    // The window is closing: stop and join the workers here. Ops() has already been closed, so
    // a worker blocked on a window operation returns at once instead of waiting for this thread.
    std::function<void()> closing;
};

// The downloader's main window: every control at its place with the objectName the window
// definition gives it (标签2, 编辑框1_uid, 按钮1, 按钮2_查询用户, 图片框1, 标签1, 编辑框1_用户名称,
// 按钮1_解析歌曲, 按钮2_下载, 标签3, 编辑框1, 超级列表框1, 状态条1) and the popup menu
// 超级列表框右键菜单. The window definition measures 800 x 450 with its frame; the client area
// is kClientWidth x kClientHeight, so the status bar stands at its bottom edge.
// Thread: create, use and destroy on the thread that runs the QApplication; Ops() from any.
class MainWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 794;
    static constexpr int kClientHeight = 399;

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Replaces every binding. Window's thread, before the window is shown.
    void SetHandlers(MainWindowHandlers handlers);

    // The windowing operations on this window, for the application logic and its workers.
    QtWindowOps& Ops() { return ops_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Fire(std::function<void()> MainWindowHandlers::*handler);

    QPixmap background_;
    MainWindowHandlers handlers_;
    QtWindowOps ops_;
};

}  // namespace ui
