#include "platform/net/WinHttpApi.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "platform/codepage/CodePage.h"
#include "platform/net/Transfer.h"

namespace net::winhttp {

struct SessionSettings {
    std::string httpProxy;  // "host:port" or empty
    std::string httpsProxy;
    std::chrono::milliseconds connectTimeout{60000};
    std::chrono::milliseconds stallTimeout{30000};
    std::stop_token stop;
    std::string host;  // set by Connect
    int port = 0;
};

struct Exchange {
    TransferRequest request;
    bool keepCookies = true;  // the request's own jar is made only when it is sent
    std::unique_ptr<Transfer> transfer;
    bool received = false;
};

namespace {

std::string Narrow(std::u16string_view wide) {
    return codepage::Encode(wide, codepage::kGbk).value_or(std::string());
}

std::string Utf8(std::u16string_view wide) {
    return codepage::Encode(wide, codepage::kUtf8).value_or(std::string());
}

bool IsAscii(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
}

bool HasControlOrSpace(std::u16string_view text) {
    return std::any_of(text.begin(), text.end(), [](char16_t c) { return c <= 0x20 || c == 0x7F; });
}

bool StartsWithIgnoreCase(std::u16string_view text, std::u16string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
        if (c != prefix[i]) return false;
    }
    return true;
}

std::optional<int> ParsePort(std::u16string_view digits) {
    if (digits.empty() || digits.size() > 5) return std::nullopt;
    int port = 0;
    for (char16_t c : digits) {
        if (c < u'0' || c > u'9') return std::nullopt;
        port = port * 10 + (c - u'0');
    }
    if (port < 1 || port > 65535) return std::nullopt;
    return port;
}

// A WinHTTP time-out value as a limit; nullopt when the value is not acceptable.
std::optional<std::chrono::milliseconds> Limit(long long value) {
    if (value < -1 || value > INT_MAX) return std::nullopt;
    return std::chrono::milliseconds(value <= 0 ? 0 : value);
}

// The larger of two limits, where 0 is no limit at all.
std::chrono::milliseconds Wider(std::chrono::milliseconds a, std::chrono::milliseconds b) {
    if (a.count() == 0 || b.count() == 0) return std::chrono::milliseconds(0);
    return std::max(a, b);
}

}  // namespace

bool CheckPlatform() { return TransportAvailable(); }

std::optional<UrlComponents> CrackUrl(std::u16string_view url) {
    UrlComponents parts;
    std::u16string_view rest;
    if (StartsWithIgnoreCase(url, u"http://")) {
        rest = url.substr(7);
    } else if (StartsWithIgnoreCase(url, u"https://")) {
        rest = url.substr(8);
        parts.secure = true;
    } else {
        return std::nullopt;
    }
    const std::size_t authorityEnd = std::min(rest.find_first_of(u"/?#"), rest.size());
    std::u16string_view authority = rest.substr(0, authorityEnd);
    const std::u16string_view afterAuthority = rest.substr(authorityEnd);
    if (const auto at = authority.rfind(u'@'); at != std::u16string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    std::size_t portColon = std::u16string_view::npos;
    if (!authority.empty() && authority.front() == u'[') {
        const auto close = authority.find(u']');
        if (close == std::u16string_view::npos) return std::nullopt;
        if (close + 1 < authority.size()) {
            if (authority[close + 1] != u':') return std::nullopt;
            portColon = close + 1;
        }
    } else {
        portColon = authority.rfind(u':');
    }
    parts.port = parts.secure ? 443 : 80;
    if (portColon != std::u16string_view::npos) {
        const auto port = ParsePort(authority.substr(portColon + 1));
        if (!port) return std::nullopt;
        parts.port = *port;
        authority = authority.substr(0, portColon);
    }
    parts.hostName = authority;
    const std::size_t extraStart =
        std::min(afterAuthority.find_first_of(u"?#"), afterAuthority.size());
    parts.urlPath = afterAuthority.substr(0, extraStart);
    parts.extraInfo = afterAuthority.substr(extraStart);
    return parts;
}

Session::Session(std::unique_ptr<SessionSettings> settings) : settings_(std::move(settings)) {}
Session::~Session() = default;

std::unique_ptr<Session> Session::Open(AccessType access, std::u16string_view proxyName,
                                       std::stop_token stop) {
    auto settings = std::make_unique<SessionSettings>();
    settings->stop = std::move(stop);
    if (access == AccessType::NamedProxy) {
        const std::string list = Narrow(proxyName);
        std::size_t at = 0;
        bool any = false;
        while (at < list.size()) {
            const std::size_t end = std::min(list.find_first_of("; ", at), list.size());
            const std::string entry = list.substr(at, end - at);
            at = end + 1;
            if (entry.empty()) continue;
            const auto equals = entry.find('=');
            const std::string scheme = equals == std::string::npos ? "" : entry.substr(0, equals);
            const std::string address =
                equals == std::string::npos ? entry : entry.substr(equals + 1);
            if (!IsProxyAddress(address)) return nullptr;
            if (scheme.empty() || scheme == "http") settings->httpProxy = address;
            if (scheme.empty() || scheme == "https") settings->httpsProxy = address;
            if (!scheme.empty() && scheme != "http" && scheme != "https") return nullptr;
            any = true;
        }
        if (!any) return nullptr;
    }
    return std::unique_ptr<Session>(new Session(std::move(settings)));
}

bool Session::SetTimeouts(long long resolve, long long connect, long long send, long long receive) {
    const auto resolveLimit = Limit(resolve);
    const auto connectLimit = Limit(connect);
    const auto sendLimit = Limit(send);
    const auto receiveLimit = Limit(receive);
    if (!resolveLimit || !connectLimit || !sendLimit || !receiveLimit) return false;
    settings_->connectTimeout = Wider(*resolveLimit, *connectLimit);
    settings_->stallTimeout = Wider(*sendLimit, *receiveLimit);
    return true;
}

std::unique_ptr<Connection> Session::Connect(std::u16string_view host, int port) const {
    if (!IsAscii(host) || !IsHostName(Narrow(host)) || port < 0 || port > 65535) return nullptr;
    auto settings = std::make_unique<SessionSettings>(*settings_);
    settings->host = Narrow(host);
    settings->port = port;
    return std::unique_ptr<Connection>(new Connection(std::move(settings)));
}

Connection::Connection(std::unique_ptr<SessionSettings> settings)
    : settings_(std::move(settings)) {}
Connection::~Connection() = default;

std::unique_ptr<Request> Connection::OpenRequest(std::u16string_view method,
                                                 std::u16string_view objectName,
                                                 bool secure) const {
    if (!IsAscii(method) || !IsHeaderName(Narrow(method)) || HasControlOrSpace(objectName)) {
        return nullptr;
    }
    const SessionSettings& s = *settings_;
    auto exchange = std::make_unique<Exchange>();
    TransferRequest& r = exchange->request;
    std::string target = EscapeHighBytes(Utf8(objectName));
    if (target.empty() || target.front() != '/') target.insert(0, "/");
    const int port = s.port != 0 ? s.port : (secure ? 443 : 80);
    r.url =
        std::string(secure ? "https://" : "http://") + s.host + ":" + std::to_string(port) + target;
    r.method = Narrow(method);
    r.proxy = secure ? s.httpsProxy : s.httpProxy;
    r.connectTimeout = s.connectTimeout;
    r.stallTimeout = s.stallTimeout;
    r.stop = s.stop;
    return std::unique_ptr<Request>(new Request(std::move(exchange)));
}

Request::Request(std::unique_ptr<Exchange> exchange) : exchange_(std::move(exchange)) {}
Request::~Request() = default;

bool Request::SetCredentials(AuthTarget target, std::u16string_view user,
                             std::u16string_view password) {
    const std::string name = Narrow(user);
    const std::string secret = Narrow(password);
    if (name.find(':') != std::string::npos || !IsHeaderValue(name) || !IsHeaderValue(secret)) {
        return false;
    }
    TransferRequest& r = exchange_->request;
    (target == AuthTarget::Server ? r.serverUser : r.proxyUser) = name;
    (target == AuthTarget::Server ? r.serverPassword : r.proxyPassword) = secret;
    return true;
}

bool Request::SetOption(int option, std::uint32_t value) {
    TransferRequest& r = exchange_->request;
    switch (option) {
        case kOptionSecurityFlags: {
            const std::uint32_t known = kIgnoreUnknownCa | kIgnoreCertWrongUsage |
                                        kIgnoreCertCnInvalid | kIgnoreCertDateInvalid;
            if (value & ~known) return false;
            r.verifyPeer = !(value & kIgnoreUnknownCa);
            r.verifyHost = !(value & kIgnoreCertCnInvalid);
            return true;
        }
        case kOptionDisableFeature:
            if (value == 0 || (value & ~(kDisableCookies | kDisableRedirects))) return false;
            if (value & kDisableCookies) exchange_->keepCookies = false;
            if (value & kDisableRedirects) r.followRedirects = false;
            return true;
        case kOptionEnableFeature:
            // Revocation lists are not consulted: certificate errors are ignored anyway.
            return value == kEnableSslRevocation;
        default:
            return false;
    }
}

bool Request::AddRequestHeaders(std::u16string_view block) {
    const std::string bytes = Narrow(block);
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t end = std::min(bytes.find("\r\n", at), bytes.size());
        const std::string line = bytes.substr(at, end - at);
        at = end + 2;
        if (line.empty()) continue;
        const auto colon = line.find(':');
        if (colon == std::string::npos || !IsHeaderName(line.substr(0, colon)) ||
            !IsHeaderValue(line.substr(colon + 1))) {
            return false;
        }
        lines.push_back(line);
    }
    auto& headers = exchange_->request.headers;
    headers.insert(headers.end(), lines.begin(), lines.end());
    return true;
}

bool Request::SendRequest(std::span<const std::uint8_t> body) {
    if (exchange_->transfer) return false;
    exchange_->request.body.assign(body.begin(), body.end());
    if (exchange_->keepCookies) exchange_->request.cookies = CookieJar::Create();
    exchange_->transfer = std::make_unique<Transfer>(std::move(exchange_->request));
    return exchange_->transfer->Send();
}

bool Request::ReceiveResponse() {
    if (!exchange_->transfer) return false;
    exchange_->received = exchange_->transfer->ReceiveResponse();
    return exchange_->received;
}

bool Request::QueryDataAvailable(std::size_t* available) {
    *available = 0;
    if (!exchange_->received) return false;
    *available = exchange_->transfer->Available();
    return *available > 0 || !exchange_->transfer->Failed();
}

bool Request::ReadData(std::span<std::uint8_t> buffer, std::size_t* read) {
    *read = 0;
    if (!exchange_->received) return false;
    *read = exchange_->transfer->Read(buffer);
    return *read > 0 || buffer.empty() || !exchange_->transfer->Failed();
}

std::optional<std::u16string> Request::QueryRawHeaders() const {
    if (!exchange_->received) return std::nullopt;
    return codepage::Decode(exchange_->transfer->ResponseHeaders(), codepage::kGbk);
}

}  // namespace net::winhttp
