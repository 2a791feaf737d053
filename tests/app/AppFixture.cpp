#include "tests/app/AppFixture.h"

#include <chrono>
#include <cstdlib>

#include <QCoreApplication>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include "app/main/WindowBinding.h"
#include "platform/codepage/CodePage.h"

namespace apptest {
namespace {

fake::Song TrickySong(const char* title, const std::string& shareId, std::string media) {
    return fake::Song{.title = codepage::GbkFromUtf8(title),
                      .shareId = shareId,
                      .media = media.empty() ? "" : std::string("\0m4a\xff", 5) + media};
}

fake::User Numbered(const char* nickname, int songs) {
    fake::User user{.nickname = codepage::GbkFromUtf8(nickname)};
    for (int n = 1; n <= songs; ++n) user.songs.push_back(NumberedSong(n));
    return user;
}

}  // namespace

std::unique_ptr<fake::Service> AppFixture::service_;

fake::Song NumberedSong(int n) {
    return fake::Song{.title = codepage::GbkFromUtf8("第" + std::to_string(n) + "首"),
                      .shareId = "s25n" + std::to_string(n),
                      .media = "media " + std::to_string(n)};
}

std::string Utf8(const Text& text) { return codepage::Utf8FromGbk(text); }

void AppFixture::SetUpTestSuite() {
    service_ = std::make_unique<fake::Service>();
    service_->AddUser(kNoSongs, Numbered("没有歌", 0));
    service_->AddUser(kOneSong, Numbered("一首", 1));
    service_->AddUser(kTenSongs, Numbered("十首", 10));
    service_->AddUser(kTwentyFive, Numbered("小明 K歌", 25));

    fake::User tricky{.nickname = codepage::GbkFromUtf8("难题")};
    tricky.songs = {
        TrickySong("a:b？c", "t0", "alpha"),
        TrickySong("同名", "t1", "first twin"),
        TrickySong("同名", "t2", "second twin"),
        TrickySong("../../逃出", "t3", "escape"),
        TrickySong("歌 曲/1", "t4", "slash"),
        TrickySong("无链接", "t5", "never fetched"),
        TrickySong("缺失", "t6", ""),
        TrickySong("大写", "t7", "upper"),
        TrickySong("本地", "t8", "local"),
        TrickySong("nul.x", "t9", "device"),
    };
    tricky.songs[5].play = fake::PlayPage::NoLink;
    tricky.songs[7].play = fake::PlayPage::UpperCaseLink;
    tricky.songs[8].link = "file:///etc/passwd";
    service_->AddUser(kTricky, std::move(tricky));
}

void AppFixture::TearDownTestSuite() { service_.reset(); }

void AppFixture::SetUp() {
    std::string pattern = (std::filesystem::temp_directory_path() / "app-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    programDirectory_ = pattern;

    window_ = std::make_unique<ui::MainWindow>();
    Ops().SetMessagePresenter([this](const Text& text) { messages_.push_back(text); });
    auto* bar = window_->findChild<QStatusBar*>(QStringLiteral("状态条1"));
    ASSERT_NE(bar, nullptr);
    QObject::connect(bar, &QStatusBar::messageChanged, [this](const QString& text) {
        if (!text.isEmpty()) statusTexts_.push_back(text);
    });
    app_ = std::make_unique<app::Application>(
        Ops(), app::ApplicationConfig{.serviceHost = service_->Host(),
                                      .programDirectory = programDirectory_});
    window_->SetHandlers(app::HandlersFor(*app_, &workersEnded_));
}

void AppFixture::TearDown() {
    Ops().Close();
    EXPECT_TRUE(app_->Shutdown());
    app_.reset();
    window_.reset();
    std::filesystem::remove_all(programDirectory_);
}

void AppFixture::TypeUid(const std::string& uid) {
    Ops().SetEditText("编辑框1_uid", codepage::GbkFromUtf8(uid));
}

void AppFixture::LookUp(const std::string& uid) {
    TypeUid(uid);
    App().OnQueryUserClicked();
}

void AppFixture::ServeWindowUntil(const std::function<bool()>& done) {
    // A guard against a hang only; the workers get there long before it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    QTimer wake;  // wakes the loop to look at `done` again
    wake.start(5);
    while (!done()) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "never got there";
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void AppFixture::WaitUntilIdle() {
    ServeWindowUntil([this] { return !App().IsBusy(); });
    QCoreApplication::processEvents();
}

void AppFixture::LookUpAndWalk(const std::string& uid) {
    LookUp(uid);
    App().OnParseSongsClicked();
    WaitUntilIdle();
}

std::vector<std::vector<std::string>> AppFixture::Rows() {
    std::vector<std::vector<std::string>> rows;
    const int count = Ops().RowCount("超级列表框1");
    for (int row = 0; row < count; ++row) {
        std::vector<std::string> cells;
        for (int column = 0; column < 4; ++column) {
            cells.push_back(Utf8(Ops().CellText("超级列表框1", row, column)));
        }
        rows.push_back(std::move(cells));
    }
    return rows;
}

std::string AppFixture::Status() {
    auto* bar = window_->findChild<QStatusBar*>(QStringLiteral("状态条1"));
    return bar->currentMessage().toStdString();
}

std::vector<std::string> AppFixture::Messages() const {
    std::vector<std::string> texts;
    for (const Text& text : messages_) texts.push_back(Utf8(text));
    return texts;
}

bool AppFixture::ButtonEnabled(const char* name) {
    auto* button = window_->findChild<QPushButton*>(QString::fromUtf8(name));
    return button && button->isEnabled();
}

}  // namespace apptest
