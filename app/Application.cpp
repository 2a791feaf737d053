#include "app/Application.h"

#include <utility>

#include "app/Controls.h"
#include "platform/codepage/CodePage.h"
#include "platform/com/Apartment.h"
#include "platform/shell/OpenAddress.h"

namespace app {
namespace {

// A component apartment for the life of one worker.
class ApartmentScope {
public:
    ApartmentScope() { ComInitialize(); }
    ~ApartmentScope() { ComUninitialize(); }
    ApartmentScope(const ApartmentScope&) = delete;
    ApartmentScope& operator=(const ApartmentScope&) = delete;
};

}  // namespace

Application::Application(ui::WindowOps& window, ApplicationConfig config)
    : window_(window), config_(std::move(config)) {}

Application::~Application() {
    Shutdown();
    ReleaseGlobals();
}

bool Application::BeginAction(bool onWorker) {
    std::lock_guard lock(mutex_);
    if (busy_ || shuttingDown_) return false;
    busy_ = true;
    workerRunning_ = onWorker;
    return true;
}

void Application::EndAction() {
    {
        std::lock_guard lock(mutex_);
        busy_ = false;
        workerRunning_ = false;
    }
    idle_.notify_all();
}

bool Application::IsBusy() const {
    std::lock_guard lock(mutex_);
    return busy_;
}

void Application::WaitUntilIdle() const {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !busy_; });
}

void Application::SetActionButtonsEnabled(bool enabled) {
    for (std::string_view button :
         {controls::kQueryButton, controls::kParseButton, controls::kDownloadButton}) {
        window_.SetEnabled(button, enabled);
    }
}

void Application::StartWorker(Routine routine) {
    if (!BeginAction(true)) return;
    SetActionButtonsEnabled(false);
    // The previous worker has ended its action already; at most its last return is left.
    if (worker_.joinable()) worker_.join();
    worker_ = std::jthread([this, routine](std::stop_token stop) {
        {
            ApartmentScope apartment;
            (this->*routine)(stop);
        }
        SetActionButtonsEnabled(true);
        EndAction();
    });
}

bool Application::Shutdown(std::chrono::milliseconds grace) {
    {
        std::lock_guard lock(mutex_);
        shuttingDown_ = true;
    }
    if (!worker_.joinable()) return true;
    worker_.request_stop();
    std::unique_lock lock(mutex_);
    // Only a worker is waited for: a lookup runs on this very thread.
    if (!idle_.wait_for(lock, grace, [this] { return !workerRunning_; })) return false;
    lock.unlock();
    worker_.join();
    return true;
}

void Application::ReleaseGlobals() {
    state_.FeedDocument.reset();
    state_.PageText = Text();
}

void Application::OnHowToGetUidClicked() { window_.ShowUidHelp(); }

void Application::OnSongListRightClicked() {
    if (window_.SelectedRowCount(controls::kSongList) > 0) {
        window_.PopupMenu(controls::kSongListMenu);
    }
}

void Application::OnOpenMusicLinkSelected() {
    const int row = window_.FirstSelectedRow(controls::kSongList);
    if (row < 0) return;
    // Links come from the network: only web addresses go to the system's opener.
    shell::OpenWebAddress(window_.CellText(controls::kSongList, row, controls::kLinkColumn).view());
}

void Application::OnCopyMusicLinkSelected() {
    const int row = window_.FirstSelectedRow(controls::kSongList);
    if (row < 0) return;
    window_.SetClipboardText(window_.CellText(controls::kSongList, row, controls::kLinkColumn));
}

}  // namespace app
