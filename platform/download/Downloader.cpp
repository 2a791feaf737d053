#include "platform/download/Downloader.h"

#include <cctype>
#include <string_view>
#include <system_error>

#include <curl/curl.h>

#include "platform/files/PartialFile.h"

namespace download {
namespace {

constexpr long kConnectTimeoutSeconds = 15;
constexpr long kDefaultStallSeconds = 30;
constexpr long kMaxRedirects = 10;
constexpr long kBufferBytes = 128 * 1024;
constexpr int kPollMilliseconds = 1000;

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};

void InitialiseCurlOnce() {
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    (void)initialised;
}

bool StartsWithIgnoreCase(std::string_view in, std::string_view prefix) {
    if (in.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(in[i])) != prefix[i]) return false;
    }
    return true;
}

bool IsWebAddress(std::string_view url) {
    return StartsWithIgnoreCase(url, "http://") || StartsWithIgnoreCase(url, "https://");
}

bool IsSuccess(long status) { return status >= 200 && status <= 299; }

// What the libcurl callbacks of one transfer share.
struct Transfer {
    CURL* easy = nullptr;
    files::PartialFile* file = nullptr;
    const FetchToFileArgs* args = nullptr;
    std::uint64_t received = 0;
    std::uint64_t lastReportedReceived = 0;
    std::uint64_t lastReportedTotal = 0;
    bool statusChecked = false;
    long refusedStatus = 0;
    std::error_code writeError;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    if (!transfer.statusChecked) {
        // An error page is not a song: stop at its first byte instead of storing it.
        long status = 0;
        curl_easy_getinfo(transfer.easy, CURLINFO_RESPONSE_CODE, &status);
        if (!IsSuccess(status)) {
            transfer.refusedStatus = status;
            return 0;
        }
        transfer.statusChecked = true;
    }
    if (!transfer.file->Write(data, bytes)) {
        transfer.writeError = std::error_code(errno, std::generic_category());
        return 0;
    }
    transfer.received += bytes;
    return bytes;
}

int OnProgress(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t) {
    auto& transfer = *static_cast<Transfer*>(user);
    if (transfer.args->stop.stop_requested()) return 1;
    const auto received = static_cast<std::uint64_t>(now > 0 ? now : 0);
    const auto expected = static_cast<std::uint64_t>(total > 0 ? total : 0);
    if (transfer.args->onProgress &&
        (received != transfer.lastReportedReceived || expected != transfer.lastReportedTotal)) {
        transfer.lastReportedReceived = received;
        transfer.lastReportedTotal = expected;
        transfer.args->onProgress(received, expected);
    }
    return 0;
}

void SetOptions(CURL* easy, const FetchToFileArgs& args, Transfer* transfer, char* errorText) {
    curl_easy_setopt(easy, CURLOPT_URL, args.url.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME,
                     args.stallSeconds.value_or(kDefaultStallSeconds));
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kBufferBytes);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "Mozilla/5.0 (X11; Linux x86_64)");
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, transfer);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, transfer);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText);
}

}  // namespace

struct Downloader::Handles {
    std::unique_ptr<CURLM, MultiDeleter> multi;
    std::unique_ptr<CURL, EasyDeleter> easy;
};

Downloader::Downloader() : handles_(std::make_unique<Handles>()) {
    InitialiseCurlOnce();
    handles_->multi.reset(curl_multi_init());
    handles_->easy.reset(curl_easy_init());
}

Downloader::~Downloader() = default;

FetchResult Downloader::FetchToFile(const FetchToFileArgs& args) {
    FetchResult result;
    if (args.url.empty()) return {.outcome = Outcome::EmptyAddress};
    if (!IsWebAddress(args.url)) return {.outcome = Outcome::UnsupportedAddress};
    if (args.stop.stop_requested()) return {.outcome = Outcome::Cancelled};
    CURLM* multi = handles_->multi.get();
    CURL* easy = handles_->easy.get();
    if (!multi || !easy) return {.outcome = Outcome::TransferFailed, .detail = "libcurl failed"};

    std::error_code fileError;
    std::optional<files::PartialFile> file =
        files::PartialFile::Create(args.destination.parent_path(), &fileError);
    if (!file) return {.outcome = Outcome::WriteFailed, .detail = fileError.message()};

    Transfer transfer{.easy = easy, .file = &*file, .args = &args};
    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_reset(easy);
    SetOptions(easy, args, &transfer, errorText);
    if (curl_multi_add_handle(multi, easy) != CURLM_OK) {
        return {.outcome = Outcome::TransferFailed, .detail = "libcurl failed"};
    }

    CURLcode code = CURLE_OK;
    bool cancelled = false;
    {
        // Wakes the poll below at once when stop is requested from another thread.
        std::stop_callback wake(args.stop, [multi] { curl_multi_wakeup(multi); });
        for (;;) {
            int running = 0;
            const CURLMcode performed = curl_multi_perform(multi, &running);
            bool done = performed != CURLM_OK;
            if (performed != CURLM_OK) code = CURLE_FAILED_INIT;
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
                if (message->msg == CURLMSG_DONE) {
                    code = message->data.result;
                    done = true;
                }
            }
            if (done || running == 0) break;
            if (args.stop.stop_requested()) {
                cancelled = true;
                break;
            }
            curl_multi_poll(multi, nullptr, 0, kPollMilliseconds, nullptr);
            if (args.stop.stop_requested()) {
                cancelled = true;
                break;
            }
        }
    }
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &result.httpStatus);
    curl_multi_remove_handle(multi, easy);
    result.bytes = transfer.received;

    if (cancelled || code == CURLE_ABORTED_BY_CALLBACK) {
        result.outcome = Outcome::Cancelled;
    } else if (transfer.refusedStatus != 0) {
        result.outcome = Outcome::HttpStatus;
        result.httpStatus = transfer.refusedStatus;
    } else if (transfer.writeError) {
        result.outcome = Outcome::WriteFailed;
        result.detail = transfer.writeError.message();
    } else if (code != CURLE_OK) {
        result.outcome = Outcome::TransferFailed;
        result.detail = errorText[0] ? errorText : curl_easy_strerror(code);
    } else if (!IsSuccess(result.httpStatus)) {
        result.outcome = Outcome::HttpStatus;
    } else if (transfer.received == 0) {
        result.outcome = Outcome::EmptyBody;
    } else if (!file->Commit(args.destination, &fileError)) {
        result.outcome = Outcome::WriteFailed;
        result.detail = fileError.message();
    } else {
        result.outcome = Outcome::Complete;
    }
    return result;
}

}  // namespace download
