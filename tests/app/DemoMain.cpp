// karaoke-downloader-demo [UID [SCREENSHOT.png]]: the program's window against the fake service on
// loopback, for trying it out and for screenshots without the real service. Prints the UIDs it
// knows. With a UID it types it and presses "查询用户", "解析歌曲" and "下载歌曲" in turn, as the
// operator would; with a file name too, it then saves a picture of the window there and ends.
// Songs go to "K歌歌曲" in a temporary folder that is removed at the end.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "app/Application.h"
#include "app/main/WindowBinding.h"
#include "platform/codepage/CodePage.h"
#include "platform/com/Apartment.h"
#include "platform/ui/Display.h"
#include "platform/ui/MainWindow.h"
#include "tests/app/FakeKaraokeService.h"

namespace {

fake::User DemoUser(const char* nickname, int songs) {
    const char* names[] = {"月亮代表我的心", "后来",     "小幸运", "晴天",     "稻香",
                           "十年",           "平凡之路", "演员",   "光年之外", "起风了"};
    fake::User user{.nickname = codepage::GbkFromUtf8(nickname)};
    for (int n = 0; n < songs; ++n) {
        user.songs.push_back(fake::Song{
            .title =
                codepage::GbkFromUtf8(std::string(names[n % 10]) +
                                      (n >= 10 ? " (" + std::to_string(n / 10 + 1) + ")" : "")),
            .shareId = "demo" + std::to_string(songs) + "n" + std::to_string(n),
            .generatedMediaBytes = 3000000});
    }
    return user;
}

// Presses `button` (none when null) once no action runs any more, then calls `next`.
void PressWhenIdle(ui::MainWindow& window, app::Application& logic, const char* button,
                   std::function<void()> next) {
    if (logic.IsBusy()) {
        QTimer::singleShot(
            50, [&window, &logic, button, next] { PressWhenIdle(window, logic, button, next); });
        return;
    }
    if (button) window.findChild<QPushButton*>(QString::fromUtf8(button))->click();
    if (next) QTimer::singleShot(50, next);
}

}  // namespace

int main(int argc, char** argv) {
    if (!ui::DisplayAvailable()) {
        std::fprintf(stderr, "karaoke-downloader-demo: no display (set DISPLAY or use xvfb-run)\n");
        return 1;
    }
    QApplication application(argc, argv);
    ComInitialize();
    fake::Service service;
    service.AddUser("0123456789abcdef", DemoUser("小明爱唱歌", 25));
    service.AddUser("00000000000000a1", DemoUser("一首歌", 1));
    service.AddUser("00000000000000a0", DemoUser("没有歌", 0));
    std::printf(
        "fake service at %s; users 0123456789abcdef (25 songs), 00000000000000a1 (1), "
        "00000000000000a0 (0)\n",
        service.Host().c_str());
    std::fflush(stdout);

    std::string folder = (std::filesystem::temp_directory_path() / "karaoke-demo-XXXXXX").string();
    if (!::mkdtemp(folder.data())) return 1;
    int status = 0;
    {
        ui::MainWindow window;
        app::Application logic(window.Ops(), app::ApplicationConfig{.serviceHost = service.Host(),
                                                                    .programDirectory = folder});
        bool workersEnded = true;
        window.SetHandlers(app::HandlersFor(logic, &workersEnded));
        window.show();
        if (argc > 1) {
            window.findChild<QLineEdit*>(QStringLiteral("编辑框1_uid"))
                ->setText(QString::fromUtf8(argv[1]));
            QTimer::singleShot(200, [&] {
                PressWhenIdle(window, logic, "按钮2_查询用户", [&] {
                    PressWhenIdle(window, logic, "按钮1_解析歌曲", [&] {
                        PressWhenIdle(window, logic, "按钮2_下载", [&] {
                            if (argc < 3) return;
                            PressWhenIdle(window, logic, nullptr, [&] {
                                window.grab().save(QString::fromLocal8Bit(argv[2]));
                                window.close();
                            });
                        });
                    });
                });
            });
        }
        status = application.exec();
    }
    std::filesystem::remove_all(folder);
    ComUninitialize();
    return status;
}
