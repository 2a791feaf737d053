// The command line against the loopback fake service: what its progress display costs while a
// 200 MB song downloads (on a terminal and as plain lines), and a list of 100 songs.
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include "cli/RunCli.h"
#include "platform/codepage/CodePage.h"
#include "tests/app/FakeKaraokeService.h"

namespace fs = std::filesystem;

namespace {

const std::string kBigSong = "00000000000000b2";
const std::string kHundred = "0000000000000100";
constexpr std::uint64_t kBigSongBytes = 200ull * 1024 * 1024;

fake::Service& Service() {
    static fake::Service* service = [] {
        auto* made = new fake::Service();
        made->AddUser(kBigSong,
                      fake::User{.nickname = Text("big"),
                                 .songs = {fake::Song{.title = Text("big"),
                                                      .shareId = "b2big",
                                                      .generatedMediaBytes = kBigSongBytes}}});
        fake::User hundred{.nickname = Text("hundred")};
        for (int n = 1; n <= 100; ++n) {
            hundred.songs.push_back(
                fake::Song{.title = codepage::GbkFromUtf8("第" + std::to_string(n) + "首"),
                           .shareId = "h" + std::to_string(n),
                           .media = "m"});
        }
        made->AddUser(kHundred, std::move(hundred));
        return made;
    }();
    return *service;
}

// Counts what is written and keeps none of it.
class CountingBuffer : public std::streambuf {
public:
    std::size_t written = 0;

protected:
    int overflow(int c) override {
        ++written;
        return c;
    }
    std::streamsize xsputn(const char*, std::streamsize n) override {
        written += static_cast<std::size_t>(n);
        return n;
    }
};

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

fs::path TemporaryFolder() {
    std::string pattern = (fs::temp_directory_path() / "cli-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    return pattern;
}

int Run(const std::vector<std::string>& args, const fs::path& folder, bool terminal,
        CountingBuffer* err) {
    CountingBuffer outBuffer;
    std::ostream out(&outBuffer);
    std::ostream errStream(err);
    return cli::RunCli(args, out, errStream,
                       cli::CliEnvironment{.serviceHost = Service().Host(),
                                           .currentDirectory = folder,
                                           .errIsTerminal = terminal,
                                           .terminalColumns = 120});
}

// Arg: 1 = a terminal (the live bar), 0 = plain lines. Counters: the CPU time of the whole
// process per MiB (server included) and the bytes written to standard error.
void BM_DownloadBigSong(benchmark::State& state) {
    const bool terminal = state.range(0) == 1;
    const fs::path folder = TemporaryFolder();
    CountingBuffer err;
    double cpu = 0;
    for (auto _ : state) {
        const double before = CpuSeconds();
        if (Run({"download", kBigSong}, folder, terminal, &err) != 0) {
            state.SkipWithError("download failed");
            break;
        }
        cpu += CpuSeconds() - before;
    }
    fs::remove_all(folder);
    const double mib = static_cast<double>(kBigSongBytes) / (1024 * 1024);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBigSongBytes));
    state.counters["cpu_ms_per_MiB"] = 1000 * cpu / (mib * state.iterations());
    state.counters["stderr_bytes"] = static_cast<double>(err.written) / state.iterations();
}
BENCHMARK(BM_DownloadBigSong)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_ListHundredSongs(benchmark::State& state) {
    const fs::path folder = TemporaryFolder();
    CountingBuffer err;
    for (auto _ : state) {
        if (Run({"list", kHundred}, folder, false, &err) != 0) {
            state.SkipWithError("list failed");
            break;
        }
    }
    fs::remove_all(folder);
}
BENCHMARK(BM_ListHundredSongs)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
