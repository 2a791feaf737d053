#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

namespace download {

enum class Outcome {
    Complete,            // the whole body is in place under the destination's name
    EmptyAddress,        // nothing to fetch
    UnsupportedAddress,  // not an http or https address
    TransferFailed,      // no answer, a broken or stalled transfer, a refused redirect, ...
    HttpStatus,          // the server answered with a status other than 2xx
    EmptyBody,           // the server answered 2xx without a single byte
    WriteFailed,         // the file could not be made, written or renamed into place
    Cancelled,           // the stop token was triggered
};

struct FetchResult {
    Outcome outcome = Outcome::TransferFailed;
    long httpStatus = 0;      // the final answer's status, 0 when none came
    std::uint64_t bytes = 0;  // body bytes received
    std::string detail;       // libcurl's or the system's reason (English), may be empty
};

struct FetchToFileArgs {
    std::string url;  // sent as given; only http and https, also in redirects
    // Where the body ends up. Its folder must exist: the body streams into a hidden file there
    // that is renamed into place only when complete and 2xx; an earlier file of that name is
    // replaced then, and left untouched by every failure.
    std::filesystem::path destination;
    std::stop_token stop;  // aborts the transfer promptly, also while connecting
    // Called on the calling thread as bytes arrive; `total` is 0 while unknown.
    std::function<void(std::uint64_t received, std::uint64_t total)> onProgress;
    // The transfer is abandoned when fewer than one byte a second arrive for this long
    // (default 30).
    std::optional<long> stallSeconds;
};

// One whole-resource GET at a time, streamed to disk: memory stays flat whatever the size. A
// connection must be made within 15 s.
// Certificate errors are ignored (the service's hosts are reached as the rest of the program
// reaches them); redirects are followed between http and https only. Connections are kept
// between fetches of the same Downloader. Use from one thread at a time; the stop token may be
// triggered from any thread.
class Downloader {
public:
    Downloader();
    ~Downloader();
    Downloader(const Downloader&) = delete;
    Downloader& operator=(const Downloader&) = delete;

    FetchResult FetchToFile(const FetchToFileArgs& args);

private:
    struct Handles;
    std::unique_ptr<Handles> handles_;
};

}  // namespace download
