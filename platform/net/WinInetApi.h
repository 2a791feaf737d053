#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>

// WinInet-style functions over the transport: a synchronous session with a user agent, a
// connection to one host and port, and one request on it. Texts are bytes as given (GBK), sent
// without conversion. Closing a handle is destroying its object; the objects do not refer to
// each other. One thread at a time per object.
namespace net::wininet {

enum class AccessType { Direct = 1, Proxy = 3 };

// Request flags and security options modelled.
inline constexpr std::uint32_t kFlagReload = 0x80000000;             // there is no cache: always so
inline constexpr std::uint32_t kFlagNeedFile = 0x10;                 // no cache file: no effect
inline constexpr std::uint32_t kFlagNoCookies = 0x80000;             // the cookie store stays out
inline constexpr std::uint32_t kFlagNoAutoRedirect = 0x200000;       // redirects are not followed
inline constexpr std::uint32_t kFlagSecure = 0x800000;               // https
inline constexpr std::uint32_t kFlagIgnoreRedirectToHttps = 0x4000;  // both ways followed anyway
inline constexpr int kOptionSecurityFlags = 31;
inline constexpr std::uint32_t kSecurityIgnoreUnknownCa = 0x100;
inline constexpr std::uint32_t kSecurityIgnoreCertCnInvalid = 0x1000;

// The limits every session starts with: a connection (with name resolution and TLS handshake)
// must be made within `connect`; a transfer that receives (or sends) nothing for `stall`, or
// fewer than `lowSpeedBytesPerSecond` on average over that time, ends there, keeping what was
// read.
struct Timeouts {
    std::chrono::milliseconds connect{15000};
    std::chrono::milliseconds stall{30000};
    std::uint32_t lowSpeedBytesPerSecond = 100;
};
// The limits new sessions start with; process-wide. Only tests change them, to keep waits short.
void SetDefaultTimeouts(Timeouts timeouts);
Timeouts DefaultTimeouts();

struct SessionSettings;
struct Exchange;
class Connection;
class Request;

class Session {
public:
    // `proxy` for AccessType::Proxy: "host:port" for every scheme, or entries
    // "scheme=host:port" (http or https) separated by ";" or spaces; a bypass list is not
    // modelled. The user agent goes with every request unless its headers carry one. Null when
    // the proxy is not usable. A stop request on `stop` ends the session's transfers as failed.
    static std::unique_ptr<Session> Open(std::string_view userAgent, AccessType access,
                                         std::string_view proxy, std::stop_token stop = {});
    ~Session();

    // Null for an empty host; port 0 means the scheme's default. Nothing is resolved yet.
    std::unique_ptr<Connection> Connect(std::string_view host, int port) const;

private:
    explicit Session(std::unique_ptr<SessionSettings> settings);
    std::unique_ptr<SessionSettings> settings_;
};

class Connection {
public:
    ~Connection();
    // `version` "HTTP/1.1" or "HTTP/1.0". Null for another version, a method that is not a
    // token, or an object name with spaces or control characters; bytes of 0x80 and above are
    // sent %-escaped. Without kFlagNoCookies the process-wide cookie store is used.
    std::unique_ptr<Request> OpenRequest(std::string_view method, std::string_view objectName,
                                         std::string_view version, std::uint32_t flags) const;

private:
    friend class Session;
    explicit Connection(std::unique_ptr<SessionSettings> settings);
    std::unique_ptr<SessionSettings> settings_;
};

class Request {
public:
    ~Request();
    // kOptionSecurityFlags with kSecurityIgnore* bits (others are accepted and have no effect).
    // False for another option.
    bool SetOption(int option, std::uint32_t value);
    // Sends the request and waits for the final response's headers. `headers`: lines separated
    // by "\r\n", empty lines skipped. False when a line is not "name: value", when the host is
    // not a host name, and when the request fails (see net::Transfer::Send and ReceiveResponse).
    bool SendRequest(std::string_view headers, std::span<const std::uint8_t> body);
    // Up to buffer.size() body bytes; *read is 0 at the end of the body. False when nothing
    // could be read because the body broke off (a stall, a connection closed early).
    bool ReadFile(std::span<std::uint8_t> buffer, std::size_t* read);
    // The final response's header lines as received, status line first, each ended by "\r\n",
    // with the empty line at the end. Empty when no response came.
    std::optional<std::string> QueryRawHeaders() const;

private:
    friend class Connection;
    explicit Request(std::unique_ptr<Exchange> exchange);
    std::unique_ptr<Exchange> exchange_;
};

}  // namespace net::wininet
