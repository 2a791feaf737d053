#include "platform/net/Transfer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>

#include <curl/curl.h>

namespace net {
namespace {

using Clock = std::chrono::steady_clock;

// The longest single wait in the drive loop, so stall time-outs and stop requests are seen soon.
constexpr std::chrono::milliseconds kPollSlice{100};
constexpr long kMaxRedirects = 10;
constexpr curl_off_t kLargestReservation = curl_off_t{256} << 20;

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct ShareDeleter {
    void operator()(CURLSH* share) const { curl_share_cleanup(share); }
};
using EasyPtr = std::unique_ptr<CURL, EasyDeleter>;
using MultiPtr = std::unique_ptr<CURLM, MultiDeleter>;
using ListPtr = std::unique_ptr<curl_slist, ListDeleter>;
using SharePtr = std::unique_ptr<CURLSH, ShareDeleter>;

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
               return fold(x) == fold(y);
           });
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

std::string_view HeaderNameOf(std::string_view line) {
    const auto colon = line.find(':');
    return colon == std::string_view::npos ? line : line.substr(0, colon);
}

void Append(ListPtr& list, const std::string& line) {
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (grown) {
        list.release();
        list.reset(grown);
    }
}

}  // namespace

struct CookieJar::State {
    std::mutex locks[CURL_LOCK_DATA_LAST];
    SharePtr share;
};

namespace {

void LockShare(CURL*, curl_lock_data data, curl_lock_access, void* user) {
    static_cast<CookieJar::State*>(user)->locks[data].lock();
}
void UnlockShare(CURL*, curl_lock_data data, void* user) {
    static_cast<CookieJar::State*>(user)->locks[data].unlock();
}

}  // namespace

CookieJar::CookieJar() : state_(std::make_unique<State>()) {
    GlobalInit();
    state_->share.reset(curl_share_init());
    if (!state_->share) return;
    curl_share_setopt(state_->share.get(), CURLSHOPT_LOCKFUNC, LockShare);
    curl_share_setopt(state_->share.get(), CURLSHOPT_UNLOCKFUNC, UnlockShare);
    curl_share_setopt(state_->share.get(), CURLSHOPT_USERDATA, state_.get());
    curl_share_setopt(state_->share.get(), CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
}

CookieJar::~CookieJar() = default;

std::shared_ptr<CookieJar> CookieJar::Create() {
    return std::shared_ptr<CookieJar>(new CookieJar());
}

std::shared_ptr<CookieJar> CookieJar::Process() {
    static const std::shared_ptr<CookieJar> jar = Create();
    return jar;
}

struct Transfer::State {
    TransferRequest request;
    EasyPtr easy;
    MultiPtr multi;
    ListPtr serverHeaders;
    ListPtr proxyHeaders;
    bool attached = false;  // the easy handle is in the multi handle
    bool sendCalled = false;

    bool done = false;
    CURLcode result = CURLE_OK;
    bool connected = false;  // a connection was ready to carry the request
    Clock::time_point lastActivity = Clock::now();
    curl_off_t uploaded = 0;

    // The header block being received (or the last one); a new status line starts another.
    std::string headers;
    bool headersComplete = false;
    bool headersHaveLocation = false;
    int status = 0;
    bool bodyStarted = false;

    std::size_t received = 0;  // body bytes so far
    bool tooLarge = false;
    ByteSet buffer;  // body bytes received and not yet read, from `readOffset` on
    std::size_t readOffset = 0;

    std::size_t Held() const { return buffer.size() - readOffset; }

    // Whether curl goes on to the Location of the block just received.
    bool WouldFollow() const {
        return request.followRedirects && status >= 300 && status < 400 && headersHaveLocation;
    }
    bool FinalHeadersIn() const {
        return headersComplete && status >= 200 &&
               (bodyStarted || !WouldFollow() || (done && result == CURLE_OK));
    }

    void Finish(CURLcode code) {
        if (done) return;
        done = true;
        result = code;
        Detach();
    }
    void Detach() {
        if (attached) curl_multi_remove_handle(multi.get(), easy.get());
        attached = false;
    }

    // Lets curl move on with whatever the sockets hold, without waiting.
    void Perform() {
        int running = 0;
        curl_multi_perform(multi.get(), &running);
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
            if (message->msg == CURLMSG_DONE) Finish(message->data.result);
        }
    }

    // Waits at most one slice for the sockets; ends the transfer on a stop request or a stall.
    void Wait() {
        if (request.stop.stop_requested()) return Finish(CURLE_ABORTED_BY_CALLBACK);
        const auto now = Clock::now();
        const bool stallWatched = connected && request.stallTimeout.count() > 0;
        if (stallWatched && now - lastActivity >= request.stallTimeout) {
            return Finish(CURLE_OPERATION_TIMEDOUT);
        }
        auto wait = kPollSlice;
        if (stallWatched) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                request.stallTimeout - (now - lastActivity));
            wait = std::clamp(left, std::chrono::milliseconds(1), kPollSlice);
        }
        curl_multi_poll(multi.get(), nullptr, 0, static_cast<int>(wait.count()), nullptr);
    }

    // Works until `isDone` holds or the transfer has ended; never waits once it holds.
    template <typename Done>
    void DriveUntil(Done isDone) {
        while (!done && !isDone()) {
            Perform();
            if (done || isDone()) return;
            Wait();
        }
    }
};

namespace {

using State = Transfer::State;

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* state = static_cast<State*>(user);
    const size_t length = size * count;
    state->received += length;
    if (state->received > state->request.maxBodyBytes) {
        state->tooLarge = true;
        return 0;  // curl ends the transfer with a write error
    }
    if (state->readOffset == state->buffer.size()) {
        state->buffer.clear();
        state->readOffset = 0;
    }
    state->buffer.insert(state->buffer.end(), data, data + length);
    state->bodyStarted = true;
    state->lastActivity = Clock::now();
    return length;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* state = static_cast<State*>(user);
    const size_t length = size * count;
    state->lastActivity = Clock::now();
    std::string_view line(data, length);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (line.starts_with("HTTP/") && (state->headersComplete || state->headers.empty())) {
        state->headers.clear();
        state->headersComplete = false;
        state->headersHaveLocation = false;
        state->status = 0;
        const auto space = line.find(' ');
        if (space != std::string_view::npos) {
            int code = 0;
            for (std::size_t i = space + 1; i < line.size() && i < space + 4; ++i) {
                if (line[i] < '0' || line[i] > '9') break;
                code = code * 10 + (line[i] - '0');
            }
            state->status = code;
        }
    } else if (line.empty()) {
        state->headersComplete = true;
    } else if (StartsWithIgnoreCase(line, "location:")) {
        state->headersHaveLocation = true;
    }
    state->headers.append(line);
    state->headers.append("\r\n");
    return length;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploaded) {
    auto* state = static_cast<State*>(user);
    if (uploaded != state->uploaded) {
        state->uploaded = uploaded;
        state->lastActivity = Clock::now();
    }
    return 0;
}

int OnConnected(void* user, char*, char*, int, int) {
    auto* state = static_cast<State*>(user);
    state->connected = true;
    state->lastActivity = Clock::now();
    return CURL_PREREQFUNC_OK;
}

// Sets up the easy handle; false when the request cannot be carried at all.
bool Configure(State& s) {
    const TransferRequest& r = s.request;
    if (!StartsWithIgnoreCase(r.url, "http://") && !StartsWithIgnoreCase(r.url, "https://")) {
        return false;
    }
    CURL* e = s.easy.get();
    curl_easy_setopt(e, CURLOPT_URL, r.url.c_str());
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(e, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, r.followRedirects ? 1L : 0L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, r.verifyPeer ? 1L : 0L);
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, r.verifyHost ? 2L : 0L);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(r.connectTimeout.count()));
    if (r.lowSpeedBytesPerSecond > 0 && r.stallTimeout.count() > 0) {
        const long seconds = static_cast<long>((r.stallTimeout.count() + 999) / 1000);
        curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, static_cast<long>(r.lowSpeedBytesPerSecond));
        curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, seconds);
    }

    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &s);
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, &s);
    curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(e, CURLOPT_XFERINFODATA, &s);
    curl_easy_setopt(e, CURLOPT_PREREQFUNCTION, OnConnected);
    curl_easy_setopt(e, CURLOPT_PREREQDATA, &s);

    const bool isHead = r.method == "HEAD";
    const bool alwaysBody = r.method == "POST" || r.method == "PUT";
    const bool sendsBody = !isHead && (alwaysBody || !r.body.empty());
    if (isHead) {
        curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
    } else if (sendsBody) {
        curl_easy_setopt(e, CURLOPT_POSTFIELDS, reinterpret_cast<const char*>(r.body.data()));
        curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(r.body.size()));
        // POST keeps curl's own method handling so a 301/302/303 turns it into a GET.
        if (r.method != "POST") curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, r.method.c_str());
    } else if (r.method != "GET") {
        curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, r.method.c_str());
    }

    bool hasAccept = false;
    bool hasContentType = false;
    std::string callerCookies;
    for (const std::string& line : r.headers) {
        const std::string_view name = HeaderNameOf(line);
        std::string value(line.size() > name.size() ? line.substr(name.size() + 1) : "");
        value.erase(0, value.find_first_not_of(" \t"));
        // curl drops "Name:" lines; "Name;" sends the header empty.
        const std::string entry =
            value.empty() ? std::string(name) + ";" : std::string(name) + ": " + value;
        if (EqualsIgnoreCase(name, "Proxy-Authorization")) {
            Append(s.proxyHeaders, entry);
            continue;
        }
        if (EqualsIgnoreCase(name, "Cookie") && r.cookies && !value.empty()) {
            // Joined with the jar's cookies into one Cookie line, as a user agent must send.
            callerCookies += (callerCookies.empty() ? "" : "; ") + value;
            continue;
        }
        hasAccept = hasAccept || EqualsIgnoreCase(name, "Accept");
        hasContentType = hasContentType || EqualsIgnoreCase(name, "Content-Type");
        Append(s.serverHeaders, entry);
    }
    // Only what the caller asked for: none of curl's own defaults.
    if (!hasAccept) Append(s.serverHeaders, "Accept:");
    if (sendsBody && !hasContentType) Append(s.serverHeaders, "Content-Type:");
    Append(s.serverHeaders, "Expect:");
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, s.serverHeaders.get());
    curl_easy_setopt(e, CURLOPT_HEADEROPT, CURLHEADER_SEPARATE);
    curl_easy_setopt(e, CURLOPT_PROXYHEADER, s.proxyHeaders.get());
    if (!r.userAgent.empty()) curl_easy_setopt(e, CURLOPT_USERAGENT, r.userAgent.c_str());

    if (!r.proxy.empty()) {
        curl_easy_setopt(e, CURLOPT_PROXY, ("http://" + r.proxy).c_str());
        curl_easy_setopt(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
        if (!r.proxyUser.empty()) {
            curl_easy_setopt(e, CURLOPT_PROXYAUTH, CURLAUTH_BASIC);
            curl_easy_setopt(e, CURLOPT_PROXYUSERNAME, r.proxyUser.c_str());
            curl_easy_setopt(e, CURLOPT_PROXYPASSWORD, r.proxyPassword.c_str());
        }
    } else {
        curl_easy_setopt(e, CURLOPT_PROXY, "");  // no proxy from the environment either
    }
    if (!r.serverUser.empty()) {
        curl_easy_setopt(e, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
        curl_easy_setopt(e, CURLOPT_USERNAME, r.serverUser.c_str());
        curl_easy_setopt(e, CURLOPT_PASSWORD, r.serverPassword.c_str());
    }
    if (r.cookies && r.cookies->state().share) {
        curl_easy_setopt(e, CURLOPT_SHARE, r.cookies->state().share.get());
        curl_easy_setopt(e, CURLOPT_COOKIEFILE, "");
        if (!callerCookies.empty()) curl_easy_setopt(e, CURLOPT_COOKIE, callerCookies.c_str());
    }
    return true;
}

}  // namespace

Transfer::Transfer(TransferRequest request) : state_(std::make_unique<State>()) {
    GlobalInit();
    state_->request = std::move(request);
}

Transfer::~Transfer() {
    if (state_) state_->Detach();
}

bool Transfer::Send() {
    State& s = *state_;
    if (s.sendCalled) return false;
    s.sendCalled = true;
    s.easy.reset(curl_easy_init());
    s.multi.reset(curl_multi_init());
    if (!s.easy || !s.multi || !Configure(s) ||
        curl_multi_add_handle(s.multi.get(), s.easy.get()) != CURLM_OK) {
        s.done = true;
        s.result = CURLE_FAILED_INIT;
        return false;
    }
    s.attached = true;
    s.lastActivity = Clock::now();
    s.DriveUntil([&] { return s.connected || !s.headers.empty(); });
    return s.connected || s.result == CURLE_OK;
}

bool Transfer::ReceiveResponse() {
    State& s = *state_;
    if (!s.sendCalled) return false;
    s.DriveUntil([&] { return s.FinalHeadersIn(); });
    return s.FinalHeadersIn();
}

std::size_t Transfer::Available() {
    State& s = *state_;
    if (!s.FinalHeadersIn()) return 0;
    s.DriveUntil([&] { return s.Held() > 0; });
    return s.Held();
}

std::size_t Transfer::Read(std::span<std::uint8_t> into) {
    State& s = *state_;
    const std::size_t count = std::min(into.size(), Available());
    if (count == 0) return 0;
    std::memcpy(into.data(), s.buffer.data() + s.readOffset, count);
    s.readOffset += count;
    return count;
}

ByteSet Transfer::TakeRest() {
    State& s = *state_;
    if (!s.FinalHeadersIn()) return {};
    // One allocation for the whole body when its length is announced (and plausible).
    curl_off_t announced = -1;
    curl_easy_getinfo(s.easy.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    if (announced > 0 && announced <= kLargestReservation) {
        s.buffer.reserve(s.buffer.size() + static_cast<std::size_t>(announced));
    }
    s.DriveUntil([] { return false; });
    ByteSet rest = std::move(s.buffer);
    rest.erase(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(s.readOffset));
    s.buffer.clear();
    s.readOffset = 0;
    return rest;
}

bool Transfer::Failed() const { return state_->done && state_->result != CURLE_OK; }

const std::string& Transfer::ResponseHeaders() const {
    static const std::string none;
    return state_->FinalHeadersIn() ? state_->headers : none;
}

int Transfer::StatusCode() const { return state_->FinalHeadersIn() ? state_->status : 0; }

std::string Transfer::Reason() const {
    const std::string& headers = ResponseHeaders();
    const std::string statusLine = headers.substr(0, headers.find("\r\n"));
    // "HTTP/1.1 200 OK": what follows the code.
    const auto firstSpace = statusLine.find(' ');
    if (firstSpace == std::string::npos) return {};
    const auto secondSpace = statusLine.find(' ', firstSpace + 1);
    return secondSpace == std::string::npos ? std::string() : statusLine.substr(secondSpace + 1);
}

bool TransportAvailable() {
    GlobalInit();
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    if (!info || !info->protocols || !(info->features & CURL_VERSION_SSL)) return false;
    bool http = false;
    bool https = false;
    for (const char* const* p = info->protocols; *p; ++p) {
        http = http || std::string_view(*p) == "http";
        https = https || std::string_view(*p) == "https";
    }
    return http && https;
}

bool IsHostName(std::string_view host) {
    if (host.empty()) return false;
    if (host.front() == '[') {
        if (host.size() < 3 || host.back() != ']') return false;
        return std::all_of(host.begin() + 1, host.end() - 1, [](char c) {
            return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') ||
                   c == ':' || c == '.';
        });
    }
    return std::all_of(host.begin(), host.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
               c == '-' || c == '.' || c == '_';
    });
}

bool IsHeaderName(std::string_view name) {
    static constexpr std::string_view kTokenSymbols = "!#$%&'*+-.^_`|~";
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
               kTokenSymbols.find(c) != std::string_view::npos;
    });
}

bool IsHeaderValue(std::string_view value) {
    return std::none_of(value.begin(), value.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && c != '\t') || byte == 0x7F;
    });
}

bool IsProxyAddress(std::string_view proxy) {
    const auto colon = proxy.rfind(':');
    if (colon == std::string_view::npos || colon + 1 == proxy.size()) return false;
    const std::string_view port = proxy.substr(colon + 1);
    if (port.size() > 5 ||
        !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    const int number = std::stoi(std::string(port));
    return number >= 1 && number <= 65535 && IsHostName(proxy.substr(0, colon));
}

std::string EscapeHighBytes(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

}  // namespace net
