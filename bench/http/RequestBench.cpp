// Loopback GETs through each request routine against a bare libcurl easy request in the same
// process, and the peak memory each needs for a 10 MB body.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <malloc.h>

#include <fstream>
#include <string>

#include "http/ComRequest.h"
#include "http/WinHttpApiRequest.h"
#include "http/WinInetRequest.h"
#include "tests/support/HttpServer.h"

namespace {

constexpr std::size_t kSmall = 1024;
constexpr std::size_t kLarge = 10u << 20;

// One server for the whole run, streaming bodies from one buffer so that it copies nothing.
class Server {
public:
    Server() : body_(kLarge, 'x'), server_(testsupport::HttpServer::Plain()) {
        server_->routes().Get(
            R"(/body/(\d+))", [this](const httplib::Request& req, httplib::Response& res) {
                const std::size_t size = std::stoul(req.matches[1]);
                res.set_content_provider(
                    size, "application/octet-stream",
                    [this](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                        sink.write(body_.data() + offset, std::min<std::size_t>(length, 1 << 16));
                        return true;
                    });
            });
        server_->Start();
    }
    std::string Url(std::size_t size) const {
        return server_->Url("/body/" + std::to_string(size));
    }

private:
    std::string body_;
    std::unique_ptr<testsupport::HttpServer> server_;
};

Server& TheServer() {
    // A fixed threshold: every large buffer is mapped fresh and returned when freed, so the
    // routines and the baseline meet the same allocator (glibc otherwise moves the threshold
    // as blocks are freed, and whoever runs later reuses pages already resident).
    static const bool fixedThreshold = mallopt(M_MMAP_THRESHOLD, 128 * 1024) == 1;
    (void)fixedThreshold;
    static Server server;
    return server;
}

std::size_t AppendTo(char* data, std::size_t size, std::size_t count, void* user) {
    auto* body = static_cast<ByteSet*>(user);
    body->insert(body->end(), data, data + size * count);
    return size * count;
}

// A fresh easy handle per request, as each routine makes a fresh connection.
std::size_t BareCurl(const std::string& url) {
    ByteSet body;
    CURL* easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, AppendTo);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
    curl_easy_perform(easy);
    curl_easy_cleanup(easy);
    return body.size();
}

std::size_t ViaComRequest(const std::string& url) {
    return http::ComRequest({.url = Text(url), .method = 0}).size();
}
std::size_t ViaWinHttpApiRequest(const std::string& url) {
    return http::WinHttpApiRequest({.url = Text(url)}).size();
}
std::size_t ViaWinInetRequest(const std::string& url) {
    return http::WinInetRequest({.url = Text(url)}).size();
}

template <std::size_t (*Fetch)(const std::string&)>
void BM_Get(benchmark::State& state) {
    const std::size_t size = static_cast<std::size_t>(state.range(0));
    const std::string url = TheServer().Url(size);
    for (auto _ : state) {
        if (Fetch(url) != size) state.SkipWithError("short body");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

long StatusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    }
    return 0;
}

// The rise of the resident set's high-water mark over one 10 MB request, in MB.
template <std::size_t (*Fetch)(const std::string&)>
void BM_PeakMemory10MB(benchmark::State& state) {
    const std::string url = TheServer().Url(kLarge);
    Fetch(url);  // warm: libraries, server threads and allocator arenas in place
    double risesMb = 0;
    for (auto _ : state) {
        std::ofstream("/proc/self/clear_refs") << "5";  // resets the high-water mark
        const long before = StatusKilobytes("VmRSS:");
        Fetch(url);
        risesMb += (StatusKilobytes("VmHWM:") - before) / 1024.0;
    }
    state.counters["peak_rise_MB"] =
        benchmark::Counter(risesMb / static_cast<double>(state.iterations()));
}

}  // namespace

BENCHMARK(BM_Get<BareCurl>)->Name("Get/BareCurl")->Arg(kSmall)->Arg(kLarge)->UseRealTime();
BENCHMARK(BM_Get<ViaComRequest>)->Name("Get/ComRequest")->Arg(kSmall)->Arg(kLarge)->UseRealTime();
BENCHMARK(BM_Get<ViaWinHttpApiRequest>)
    ->Name("Get/WinHttpApiRequest")
    ->Arg(kSmall)
    ->Arg(kLarge)
    ->UseRealTime();
BENCHMARK(BM_Get<ViaWinInetRequest>)
    ->Name("Get/WinInetRequest")
    ->Arg(kSmall)
    ->Arg(kLarge)
    ->UseRealTime();
BENCHMARK(BM_PeakMemory10MB<BareCurl>)->Name("PeakMemory10MB/BareCurl")->Iterations(5);
BENCHMARK(BM_PeakMemory10MB<ViaComRequest>)->Name("PeakMemory10MB/ComRequest")->Iterations(5);
BENCHMARK(BM_PeakMemory10MB<ViaWinHttpApiRequest>)
    ->Name("PeakMemory10MB/WinHttpApiRequest")
    ->Iterations(5);
BENCHMARK(BM_PeakMemory10MB<ViaWinInetRequest>)
    ->Name("PeakMemory10MB/WinInetRequest")
    ->Iterations(5);
