#include "platform/net/WinInetApi.h"

#include <algorithm>
#include <atomic>
#include <mutex>

#include "platform/net/Transfer.h"

namespace net::wininet {

struct SessionSettings {
    std::string userAgent;
    std::string httpProxy;  // "host:port" or empty
    std::string httpsProxy;
    Timeouts timeouts;
    std::stop_token stop;
    std::string host;  // set by Connect
    int port = 0;
};

struct Exchange {
    TransferRequest request;
    std::string host;
    std::unique_ptr<Transfer> transfer;
    bool received = false;
};

namespace {

std::mutex defaultsMutex;
Timeouts defaults;

bool HasControlOrSpace(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= 0x20 || byte == 0x7F;
    });
}

}  // namespace

void SetDefaultTimeouts(Timeouts timeouts) {
    std::lock_guard lock(defaultsMutex);
    defaults = timeouts;
}

Timeouts DefaultTimeouts() {
    std::lock_guard lock(defaultsMutex);
    return defaults;
}

Session::Session(std::unique_ptr<SessionSettings> settings) : settings_(std::move(settings)) {}
Session::~Session() = default;

std::unique_ptr<Session> Session::Open(std::string_view userAgent, AccessType access,
                                       std::string_view proxy, std::stop_token stop) {
    auto settings = std::make_unique<SessionSettings>();
    settings->userAgent = userAgent;
    settings->timeouts = DefaultTimeouts();
    settings->stop = std::move(stop);
    if (access == AccessType::Proxy) {
        bool any = false;
        std::size_t at = 0;
        while (at < proxy.size()) {
            const std::size_t end = std::min(proxy.find_first_of("; ", at), proxy.size());
            const std::string_view entry = proxy.substr(at, end - at);
            at = end + 1;
            if (entry.empty()) continue;
            const auto equals = entry.find('=');
            const std::string_view scheme =
                equals == std::string_view::npos ? std::string_view() : entry.substr(0, equals);
            const std::string_view address =
                equals == std::string_view::npos ? entry : entry.substr(equals + 1);
            if (!IsProxyAddress(address)) return nullptr;
            if (!scheme.empty() && scheme != "http" && scheme != "https") return nullptr;
            if (scheme.empty() || scheme == "http") settings->httpProxy = address;
            if (scheme.empty() || scheme == "https") settings->httpsProxy = address;
            any = true;
        }
        if (!any) return nullptr;
    }
    return std::unique_ptr<Session>(new Session(std::move(settings)));
}

std::unique_ptr<Connection> Session::Connect(std::string_view host, int port) const {
    if (host.empty() || port < 0 || port > 65535) return nullptr;
    auto settings = std::make_unique<SessionSettings>(*settings_);
    settings->host = host;
    settings->port = port;
    return std::unique_ptr<Connection>(new Connection(std::move(settings)));
}

Connection::Connection(std::unique_ptr<SessionSettings> settings)
    : settings_(std::move(settings)) {}
Connection::~Connection() = default;

std::unique_ptr<Request> Connection::OpenRequest(std::string_view method,
                                                 std::string_view objectName,
                                                 std::string_view version,
                                                 std::uint32_t flags) const {
    if ((version != "HTTP/1.1" && version != "HTTP/1.0") || !IsHeaderName(method) ||
        HasControlOrSpace(objectName)) {
        return nullptr;
    }
    const SessionSettings& s = *settings_;
    const bool secure = flags & kFlagSecure;
    auto exchange = std::make_unique<Exchange>();
    exchange->host = s.host;
    TransferRequest& r = exchange->request;
    std::string target = EscapeHighBytes(objectName);
    if (target.empty() || target.front() != '/') target.insert(0, "/");
    const int port = s.port != 0 ? s.port : (secure ? 443 : 80);
    r.url =
        std::string(secure ? "https://" : "http://") + s.host + ":" + std::to_string(port) + target;
    r.method = method;
    r.userAgent = s.userAgent;
    r.proxy = secure ? s.httpsProxy : s.httpProxy;
    r.followRedirects = !(flags & kFlagNoAutoRedirect);
    if (!(flags & kFlagNoCookies)) r.cookies = CookieJar::Process();
    r.connectTimeout = s.timeouts.connect;
    r.stallTimeout = s.timeouts.stall;
    r.lowSpeedBytesPerSecond = s.timeouts.lowSpeedBytesPerSecond;
    r.stop = s.stop;
    return std::unique_ptr<Request>(new Request(std::move(exchange)));
}

Request::Request(std::unique_ptr<Exchange> exchange) : exchange_(std::move(exchange)) {}
Request::~Request() = default;

bool Request::SetOption(int option, std::uint32_t value) {
    if (option != kOptionSecurityFlags) return false;
    exchange_->request.verifyPeer = !(value & kSecurityIgnoreUnknownCa);
    exchange_->request.verifyHost = !(value & kSecurityIgnoreCertCnInvalid);
    return true;
}

bool Request::SendRequest(std::string_view headers, std::span<const std::uint8_t> body) {
    if (exchange_->transfer) return false;
    TransferRequest& r = exchange_->request;
    std::size_t at = 0;
    while (at < headers.size()) {
        const std::size_t end = std::min(headers.find("\r\n", at), headers.size());
        const std::string_view line = headers.substr(at, end - at);
        at = end + 2;
        if (line.empty()) continue;
        const auto colon = line.find(':');
        if (colon == std::string_view::npos || !IsHeaderName(line.substr(0, colon)) ||
            !IsHeaderValue(line.substr(colon + 1))) {
            return false;
        }
        r.headers.emplace_back(line);
    }
    // The host goes into the address only now, so a name that is no host name (one holding
    // "?", "@" or "/") fails like one that cannot be resolved instead of changing the address.
    if (!IsHostName(exchange_->host)) return false;
    r.body.assign(body.begin(), body.end());
    exchange_->transfer = std::make_unique<Transfer>(std::move(r));
    exchange_->received = exchange_->transfer->Send() && exchange_->transfer->ReceiveResponse();
    return exchange_->received;
}

bool Request::ReadFile(std::span<std::uint8_t> buffer, std::size_t* read) {
    *read = 0;
    if (!exchange_->received) return false;
    *read = exchange_->transfer->Read(buffer);
    return *read > 0 || buffer.empty() || !exchange_->transfer->Failed();
}

std::optional<std::string> Request::QueryRawHeaders() const {
    if (!exchange_->received) return std::nullopt;
    return exchange_->transfer->ResponseHeaders();
}

}  // namespace net::wininet
