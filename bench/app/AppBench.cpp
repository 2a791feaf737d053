// The application against the loopback fake service: a walk and download of 100 songs with 20 ms
// added to every answer, and the memory a 200 MB song costs while it downloads.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <QApplication>
#include <QTimer>

#include "app/Application.h"
#include "platform/codepage/CodePage.h"
#include "platform/ui/MainWindow.h"
#include "tests/app/FakeKaraokeService.h"

namespace fs = std::filesystem;

namespace {

constexpr auto kAddedDelay = std::chrono::milliseconds(20);

QApplication& Qt() {
    static int argc = 1;
    static char name[] = "app_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* application = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *application;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The process's resident-set peak, in MiB, since the last ResetPeakMemory.
double PeakMemoryMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    }
    return 0;
}

void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

// A window, the application and a temporary program folder, driven as the operator would.
class Session {
public:
    explicit Session(const fake::Service& service) {
        std::string pattern = (fs::temp_directory_path() / "app-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        folder_ = pattern;
        window_.Ops().SetMessagePresenter([](const Text&) {});
        app_ = std::make_unique<app::Application>(
            window_.Ops(),
            app::ApplicationConfig{.serviceHost = service.Host(), .programDirectory = folder_});
    }
    ~Session() {
        window_.Ops().Close();
        app_->Shutdown();
        app_.reset();
        fs::remove_all(folder_);
    }

    void LookUpAndWalk(const std::string& uid) {
        window_.Ops().SetEditText("编辑框1_uid", Text(uid));
        app_->OnQueryUserClicked();
        app_->OnParseSongsClicked();
        WaitUntilIdle();
    }
    void Download() {
        app_->OnDownloadSongsClicked();
        WaitUntilIdle();
    }

private:
    // Serves the worker's window operations as the window's event loop would, sleeping between
    // them; the timer wakes the loop to notice the end of the action.
    void WaitUntilIdle() {
        QTimer wake;
        wake.start(5);
        while (app_->IsBusy()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    QApplication& qt_ = Qt();  // before the window
    fs::path folder_;
    ui::MainWindow window_;
    std::unique_ptr<app::Application> app_;
};

fake::User Songs(int count, std::uint64_t generatedBytes) {
    fake::User user{.nickname = codepage::GbkFromUtf8("基准")};
    for (int n = 1; n <= count; ++n) {
        user.songs.push_back(fake::Song{.title = codepage::GbkFromUtf8("歌" + std::to_string(n)),
                                        .shareId = "b" + std::to_string(n),
                                        .media = std::string(200000, 'm'),
                                        .generatedMediaBytes = generatedBytes});
    }
    return user;
}

void BM_WalkAndDownload100Songs(benchmark::State& state) {
    fake::Service service;
    service.AddUser("000000000000b100", Songs(100, 0));
    service.SetAnswerDelay(kAddedDelay);
    // Answers: 1 feed page and 1 avatar for the lookup, 10 feed pages, 100 play pages and 100
    // media files.
    const double addedSeconds = (1 + 1 + 10 + 100 + 100) * kAddedDelay.count() / 1000.0;
    const auto seconds = [](auto since) {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
    };
    double walk = 0;
    double wall = 0;
    double walkCpu = 0;
    double cpu = 0;
    for (auto _ : state) {
        Session session(service);
        const double cpuBefore = CpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        session.LookUpAndWalk("000000000000b100");
        walk = seconds(start);
        walkCpu = CpuSeconds() - cpuBefore;
        session.Download();
        wall = seconds(start);
        cpu = CpuSeconds() - cpuBefore;
        state.SetIterationTime(wall);
    }
    // CPU time is the whole process's: the fake service's side of every TLS connection included.
    state.counters["wall_s"] = wall;
    state.counters["walk_s"] = walk;
    state.counters["added_delay_s"] = addedSeconds;
    state.counters["wall_over_delay"] = wall / addedSeconds;
    state.counters["cpu_ms_per_song"] = cpu * 1000.0 / 100.0;
    state.counters["walk_cpu_ms_per_song"] = walkCpu * 1000.0 / 100.0;
}
BENCHMARK(BM_WalkAndDownload100Songs)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_Download200MBSong(benchmark::State& state) {
    constexpr std::uint64_t kBytes = 200ull * 1000 * 1000;
    fake::Service service;
    service.AddUser("000000000000b200", Songs(1, kBytes));
    double peak = 0;
    double before = 0;
    for (auto _ : state) {
        Session session(service);
        ResetPeakMemory();
        before = PeakMemoryMiB();
        const auto start = std::chrono::steady_clock::now();
        session.LookUpAndWalk("000000000000b200");
        session.Download();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        peak = PeakMemoryMiB();
    }
    state.counters["rss_before_MiB"] = before;
    state.counters["peak_rss_MiB"] = peak;
    state.counters["song_MB"] = kBytes / 1e6;
}
BENCHMARK(BM_Download200MBSong)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
