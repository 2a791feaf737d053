#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>

// WinHTTP-style functions over the transport: a synchronous session, a connection to one host
// and port, and one request on it, with the calls and failure points of that interface. Texts
// are UTF-16; texts that go on the wire (credentials, header lines) are sent in code page 936.
// Closing a handle is destroying its object; the objects do not refer to each other, so they may
// go in any order. One thread at a time per object.
namespace net::winhttp {

// Whether HTTP and HTTPS requests can be made here at all.
bool CheckPlatform();

// The parts of an absolute "http://" or "https://" address (scheme compared without regard to
// case). The host is what stands between "//" (after any "user@") and the port, path, query or
// fragment; it may be empty. The path starts with "/" or is empty; the extra information is the
// query and fragment, from "?" or "#" on.
struct UrlComponents {
    std::u16string hostName;
    std::u16string urlPath;
    std::u16string extraInfo;
    int port = 0;  // as written, else 80 or 443
    bool secure = false;
};
// Empty for an address without one of the two schemes, or with a port that is not 1 to 65535.
std::optional<UrlComponents> CrackUrl(std::u16string_view url);

enum class AccessType { NoProxy = 1, NamedProxy = 3 };
enum class AuthTarget { Server = 0, Proxy = 1 };

// Option numbers and the values modelled.
inline constexpr int kOptionSecurityFlags = 31;   // kIgnore* flags
inline constexpr int kOptionDisableFeature = 63;  // kDisable* flags
inline constexpr int kOptionEnableFeature = 79;   // kEnableSslRevocation
inline constexpr std::uint32_t kIgnoreUnknownCa = 0x0100;
inline constexpr std::uint32_t kIgnoreCertWrongUsage = 0x0200;
inline constexpr std::uint32_t kIgnoreCertCnInvalid = 0x1000;
inline constexpr std::uint32_t kIgnoreCertDateInvalid = 0x2000;
inline constexpr std::uint32_t kDisableCookies = 1;
inline constexpr std::uint32_t kDisableRedirects = 2;
inline constexpr std::uint32_t kEnableSslRevocation = 1;

struct SessionSettings;
struct Exchange;
class Connection;
class Request;

class Session {
public:
    // For NamedProxy the proxy name is "host:port" for every scheme, or entries
    // "scheme=host:port" (scheme http or https) separated by ";" or spaces. Null when a named
    // proxy is not usable. A stop request on `stop` ends every transfer of the session as failed.
    static std::unique_ptr<Session> Open(AccessType access, std::u16string_view proxyName,
                                         std::stop_token stop = {});
    ~Session();

    // Milliseconds; 0 and -1 mean no limit. False, changing nothing, when a value is below -1
    // or above the largest 32-bit integer. Name resolution and connection share one limit (the
    // larger of the two), sending and receiving another (the longest wait for the next byte).
    bool SetTimeouts(long long resolve, long long connect, long long send, long long receive);

    // Null when the host is not a host name (letters, digits, "-", ".", "_", or [IPv6]).
    // Port 0 means the scheme's default.
    std::unique_ptr<Connection> Connect(std::u16string_view host, int port) const;

private:
    explicit Session(std::unique_ptr<SessionSettings> settings);
    std::unique_ptr<SessionSettings> settings_;
};

class Connection {
public:
    ~Connection();
    // Null when the method is not a token or the object name holds spaces or control
    // characters. Characters outside ASCII in the object name are sent as UTF-8, %-escaped.
    // The request starts with cookies kept and redirects followed, certificates checked.
    std::unique_ptr<Request> OpenRequest(std::u16string_view method, std::u16string_view objectName,
                                         bool secure) const;

private:
    friend class Session;
    explicit Connection(std::unique_ptr<SessionSettings> settings);
    std::unique_ptr<SessionSettings> settings_;
};

class Request {
public:
    ~Request();

    // Basic credentials. False for a user name holding ":" or a text with control characters.
    bool SetCredentials(AuthTarget target, std::u16string_view user, std::u16string_view password);
    // False for an unknown option or a value with bits the option does not know.
    bool SetOption(int option, std::uint32_t value);
    // Header lines separated by "\r\n"; empty lines are skipped. False, adding nothing, when a
    // line is not "name: value" with a token name and a value without control characters.
    bool AddRequestHeaders(std::u16string_view block);

    // The calls of one exchange, in this order; see net::Transfer for when each one fails.
    bool SendRequest(std::span<const std::uint8_t> body);
    bool ReceiveResponse();
    // Bytes readable at once (waiting for one); 0 at the end. False when the body broke off.
    bool QueryDataAvailable(std::size_t* available);
    // Up to buffer.size() bytes. False when nothing could be read because the body broke off.
    bool ReadData(std::span<std::uint8_t> buffer, std::size_t* read);
    // The final response's header lines, status line first, each ended by "\r\n", with the empty
    // line at the end; the bytes read as code page 936. Empty before a response.
    std::optional<std::u16string> QueryRawHeaders() const;

private:
    friend class Connection;
    explicit Request(std::unique_ptr<Exchange> exchange);
    std::unique_ptr<Exchange> exchange_;
};

}  // namespace net::winhttp
