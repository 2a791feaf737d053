#include "platform/com/httprequest/HttpRequestComponent.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>
#include <stop_token>
#include <string>
#include <utility>
#include <vector>

#include "platform/codepage/CodePage.h"
#include "platform/com/ComponentRegistry.h"
#include "platform/com/Dispatch.h"
#include "platform/net/Transfer.h"
#include "platform/net/WinHttpApi.h"

namespace com {
namespace {

using std::chrono::milliseconds;

constexpr int kOptionSslErrorIgnoreFlags = 4;
constexpr int kOptionEnableRedirects = 6;
constexpr std::uint32_t kIgnoreUnknownCa = 0x0100;
constexpr std::uint32_t kIgnoreCnInvalid = 0x1000;
constexpr std::uint32_t kKnownIgnoreFlags = 0x0100 | 0x0200 | 0x1000 | 0x2000;
constexpr int kProxyDefault = 0;
constexpr int kProxyDirect = 1;
constexpr int kProxyNamed = 2;
constexpr int kCredentialsForServer = 0;
constexpr int kCredentialsForProxy = 1;
constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; Win32; WinHttp.WinHttpRequest.5)";

// Texts on the wire are in the ANSI code page, as the object's callers hand them over.
std::string Narrow(const std::u16string& wide) {
    return codepage::Encode(wide, codepage::kAnsi).value_or(std::string());
}
std::u16string Widen(std::string_view bytes) {
    return codepage::Decode(bytes, codepage::kAnsi).value_or(std::u16string());
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) { return IsMember(a, b); }

// A time-out argument as a limit: 0 and -1 are none; nullopt when not acceptable.
std::optional<milliseconds> Limit(std::optional<double> value) {
    if (!value || std::isnan(*value) || *value < -1 || *value > INT_MAX) return std::nullopt;
    return milliseconds(*value <= 0 ? 0 : static_cast<long long>(*value));
}

milliseconds Wider(milliseconds a, milliseconds b) {
    return a.count() == 0 || b.count() == 0 ? milliseconds(0) : std::max(a, b);
}

struct Response {
    int status = 0;
    std::string reason;
    std::string headers;  // every header line after the status line, the empty one included
    ByteSet body;
};

class HttpRequest : public Dispatch {
public:
    std::optional<Variant> Invoke(std::string_view member, InvokeKind kind,
                                  std::span<const Variant> args) override {
        const bool call = kind == InvokeKind::Method;
        const bool read = kind == InvokeKind::PropertyGet || call;
        // Abort is the one member another thread may call: it touches nothing but abort_.
        if (call && IsMember(member, "Abort")) {
            abort_.request_stop();
            return Variant{};
        }
        if (call && IsMember(member, "SetTimeouts")) return SetTimeouts(args);
        if (call && IsMember(member, "SetProxy")) return SetProxy(args);
        if (call && IsMember(member, "Open")) return Open(args);
        if (call && IsMember(member, "SetCredentials")) return SetCredentials(args);
        if (call && IsMember(member, "SetRequestHeader")) return SetRequestHeader(args);
        if (call && IsMember(member, "Send")) return Send(args);
        if (IsMember(member, "Option")) return Option(kind, args);
        if (read && response_) {
            if (IsMember(member, "ResponseBody")) return Variant{response_->body};
            if (IsMember(member, "GetAllResponseHeaders"))
                return Variant{Widen(response_->headers)};
            if (IsMember(member, "Status")) return Variant{static_cast<double>(response_->status)};
            if (IsMember(member, "StatusText")) return Variant{Widen(response_->reason)};
        }
        return std::nullopt;
    }

private:
    std::optional<Variant> SetTimeouts(std::span<const Variant> args) {
        const auto resolve = Limit(NumberArg(args, 0));
        const auto connect = Limit(NumberArg(args, 1));
        const auto send = Limit(NumberArg(args, 2));
        const auto receive = Limit(NumberArg(args, 3));
        if (!resolve || !connect || !send || !receive) return std::nullopt;
        connectTimeout_ = Wider(*resolve, *connect);
        stallTimeout_ = Wider(*send, *receive);
        return Variant{};
    }

    std::optional<Variant> SetProxy(std::span<const Variant> args) {
        const auto setting = NumberArg(args, 0);
        if (!setting) return std::nullopt;
        if (*setting == kProxyDefault || *setting == kProxyDirect) {
            proxy_.clear();
            return Variant{};
        }
        const auto server = StringArg(args, 1);
        if (*setting != kProxyNamed || !server || !net::IsProxyAddress(Narrow(*server))) {
            return std::nullopt;
        }
        proxy_ = Narrow(*server);
        return Variant{};
    }

    std::optional<Variant> Open(std::span<const Variant> args) {
        const auto method = StringArg(args, 0);
        const auto url = StringArg(args, 1);
        // Only synchronous use is modelled.
        if (!method || !url || BoolArg(args, 2).value_or(false)) return std::nullopt;
        const std::string methodName = Narrow(*method);
        const auto parts = net::winhttp::CrackUrl(*url);
        if (!net::IsHeaderName(methodName) || !parts) return std::nullopt;
        const std::string host = Narrow(parts->hostName);
        std::u16string target = parts->urlPath.empty() ? u"/" : parts->urlPath;
        target += parts->extraInfo;
        const std::string path =
            net::EscapeHighBytes(codepage::Encode(target, codepage::kUtf8).value_or(""));
        const bool unusable = std::any_of(path.begin(), path.end(), [](char c) {
            return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F;
        });
        if (!net::IsHostName(host) || unusable) return std::nullopt;
        method_ = methodName;
        url_ = std::string(parts->secure ? "https://" : "http://") + host + ":" +
               std::to_string(parts->port) + path;
        headers_.clear();
        serverUser_.reset();
        proxyUser_.reset();
        response_.reset();
        opened_ = true;
        return Variant{};
    }

    std::optional<Variant> SetCredentials(std::span<const Variant> args) {
        const auto user = StringArg(args, 0);
        const auto password = StringArg(args, 1);
        const auto target = NumberArg(args, 2);
        if (!opened_ || !user || !password || !target) return std::nullopt;
        const std::string name = Narrow(*user);
        const std::string secret = Narrow(*password);
        if (name.find(':') != std::string::npos || !net::IsHeaderValue(name) ||
            !net::IsHeaderValue(secret)) {
            return std::nullopt;
        }
        if (*target == kCredentialsForServer) {
            serverUser_.emplace(name, secret);
        } else if (*target == kCredentialsForProxy) {
            proxyUser_.emplace(name, secret);
        } else {
            return std::nullopt;
        }
        return Variant{};
    }

    std::optional<Variant> SetRequestHeader(std::span<const Variant> args) {
        const auto name = StringArg(args, 0);
        const auto value = StringArg(args, 1);
        if (!opened_ || !name || !value) return std::nullopt;
        const std::string headerName = Narrow(*name);
        const std::string headerValue = Narrow(*value);
        if (!net::IsHeaderName(headerName) || !net::IsHeaderValue(headerValue)) {
            return std::nullopt;
        }
        // A header set again replaces the earlier value; an empty value removes it.
        std::erase_if(headers_, [&](const auto& header) {
            return EqualsIgnoreCase(header.first, headerName);
        });
        if (!headerValue.empty()) headers_.emplace_back(headerName, headerValue);
        return Variant{};
    }

    std::optional<Variant> Send(std::span<const Variant> args) {
        if (!opened_) return std::nullopt;
        ByteSet body;
        if (!args.empty()) {
            if (const auto* bytes = std::get_if<ByteSet>(&args[0])) {
                body = *bytes;
            } else if (!std::holds_alternative<std::monostate>(args[0])) {
                const auto text = StringArg(args, 0);
                if (!text) return std::nullopt;
                body = ToBytes(Text(Narrow(*text)));
            }
        }
        net::TransferRequest request;
        request.url = url_;
        request.method = method_;
        for (const auto& [name, value] : headers_) request.headers.push_back(name + ": " + value);
        request.body = std::move(body);
        request.followRedirects = followRedirects_;
        request.verifyPeer = !(ignoreFlags_ & kIgnoreUnknownCa);
        request.verifyHost = !(ignoreFlags_ & kIgnoreCnInvalid);
        request.proxy = proxy_;
        if (proxyUser_) std::tie(request.proxyUser, request.proxyPassword) = *proxyUser_;
        if (serverUser_) std::tie(request.serverUser, request.serverPassword) = *serverUser_;
        request.userAgent = kUserAgent;
        request.cookies = cookies_;
        request.connectTimeout = connectTimeout_;
        request.stallTimeout = stallTimeout_;
        request.stop = abort_.get_token();

        response_.reset();
        net::Transfer transfer(std::move(request));
        if (!transfer.Send() || !transfer.ReceiveResponse()) return std::nullopt;
        Response response;
        response.body = transfer.TakeRest();
        // A body that broke off is an error of Send, not a shorter page.
        if (transfer.Failed()) return std::nullopt;
        response.status = transfer.StatusCode();
        response.reason = transfer.Reason();
        const std::string& headers = transfer.ResponseHeaders();
        const auto firstLineEnd = headers.find("\r\n");
        response.headers =
            firstLineEnd == std::string::npos ? "" : headers.substr(firstLineEnd + 2);
        response_ = std::move(response);
        return Variant{};
    }

    std::optional<Variant> Option(InvokeKind kind, std::span<const Variant> args) {
        const auto number = NumberArg(args, 0);
        if (!number) return std::nullopt;
        if (kind == InvokeKind::PropertyGet) {
            if (*number == kOptionSslErrorIgnoreFlags) return Variant{double(ignoreFlags_)};
            if (*number == kOptionEnableRedirects) return Variant{followRedirects_};
            return std::nullopt;
        }
        if (kind != InvokeKind::PropertyPut) return std::nullopt;
        if (*number == kOptionSslErrorIgnoreFlags) {
            const auto flags = NumberArg(args, 1);
            if (!flags || *flags < 0 || *flags > 0xFFFF ||
                (static_cast<std::uint32_t>(*flags) & ~kKnownIgnoreFlags)) {
                return std::nullopt;
            }
            ignoreFlags_ = static_cast<std::uint32_t>(*flags);
            return Variant{};
        }
        if (*number == kOptionEnableRedirects) {
            const auto enable = BoolArg(args, 1);
            if (!enable) return std::nullopt;
            followRedirects_ = *enable;
            return Variant{};
        }
        return std::nullopt;
    }

    // Settings that last for the object's life.
    milliseconds connectTimeout_{60000};
    milliseconds stallTimeout_{30000};
    std::string proxy_;
    std::uint32_t ignoreFlags_ = 0;
    bool followRedirects_ = true;
    std::shared_ptr<net::CookieJar> cookies_ = net::CookieJar::Create();

    // The request being prepared since Open.
    bool opened_ = false;
    std::string method_;
    std::string url_;
    std::vector<std::pair<std::string, std::string>> headers_;
    std::optional<std::pair<std::string, std::string>> serverUser_;
    std::optional<std::pair<std::string, std::string>> proxyUser_;

    std::optional<Response> response_;  // the last Send's answer
    std::stop_source abort_;            // once aborted, every transfer of this object fails
};

}  // namespace

void RegisterHttpRequestComponent() {
    RegisterComponent("WinHttp.WinHttpRequest.5.1", [] { return std::make_shared<HttpRequest>(); });
}

}  // namespace com
