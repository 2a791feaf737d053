#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

#include "text/core/Text.h"

// The one HTTP transport under the three request styles of this folder, on libcurl. Only "http"
// and "https" are ever requested or followed; anything else fails like an unreachable address.
namespace net {

// Cookies that the transport keeps and sends by itself (Set-Cookie of one response sent with the
// next request to the same site, redirects included). Thread-safe; shared by reference.
class CookieJar {
public:
    // A new, empty jar.
    static std::shared_ptr<CookieJar> Create();
    // The process-wide jar of the WinInet-style sessions.
    static std::shared_ptr<CookieJar> Process();

    ~CookieJar();
    CookieJar(const CookieJar&) = delete;
    CookieJar& operator=(const CookieJar&) = delete;

    struct State;
    State& state() { return *state_; }

private:
    CookieJar();
    std::unique_ptr<State> state_;
};

// One request as it goes out. Texts are bytes as they go on the wire.
struct TransferRequest {
    // Absolute "http://" or "https://" address; any other one fails at Send.
    std::string url;
    std::string method = "GET";
    // "Name: value" lines, sent in order; an empty value sends an empty header. A
    // "Proxy-Authorization" line goes to the proxy only (never to the server). With a cookie
    // jar, "Cookie" lines join the jar's cookies in one line behind them.
    std::vector<std::string> headers;
    // Sent with a Content-Length when not empty, and always (possibly empty) for POST and PUT.
    ByteSet body;
    bool followRedirects = true;  // at most 10 redirects
    bool verifyPeer = true;       // the certificate chain must lead to a trusted authority
    bool verifyHost = true;       // the certificate must name the host
    std::string proxy;            // "host:port" of an HTTP proxy; empty means a direct connection
    std::string proxyUser;        // Basic authentication at the proxy when not empty
    std::string proxyPassword;
    std::string serverUser;  // Basic authentication at the server (not sent to other hosts after a
    std::string serverPassword;          // redirect) when not empty
    std::string userAgent;               // empty: no User-Agent line unless `headers` has one
    std::shared_ptr<CookieJar> cookies;  // null: cookies are neither kept nor sent by the transport
    // Name resolution, connection and TLS handshake together; zero means no limit of our own
    // (libcurl's 300 s then apply).
    std::chrono::milliseconds connectTimeout{60000};
    // Once connected: the longest wait for the next byte either way; zero means no limit.
    std::chrono::milliseconds stallTimeout{30000};
    // When not zero: the transfer ends when fewer bytes a second than this came on average over
    // the stall time-out (rounded up to whole seconds), so a trickle cannot hold it for ever.
    std::uint32_t lowSpeedBytesPerSecond = 0;
    // A body growing beyond this ends the transfer as failed, with what came before.
    std::size_t maxBodyBytes = std::size_t{256} << 20;
    // A stop request ends the transfer as failed within about 100 ms.
    std::stop_token stop;
};

// One transfer, driven by the calling thread: each call below blocks until it has what it waits
// for, or the transfer has ended. Not thread-safe; use from one thread at a time. Destruction
// aborts a transfer still running and releases every handle.
class Transfer {
public:
    explicit Transfer(TransferRequest request);
    ~Transfer();
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    // Connects and starts sending. False when the request could not be sent: a refused
    // connection, an unresolvable host, a connect time-out, a failed TLS handshake, an unusable
    // address. Call once, first.
    bool Send();
    // Waits for the headers of the final response (after redirects). False when none came: the
    // server closed or stalled without a valid answer, a redirect led nowhere (another scheme, a
    // refused connection, too many redirects).
    bool ReceiveResponse();
    // Body bytes that can be read at once; waits until there is one or the body has ended.
    // 0 when the body has ended, completely or not (see Failed).
    std::size_t Available();
    // Copies up to into.size() body bytes, waiting for data as Available does; 0 at the end.
    std::size_t Read(std::span<std::uint8_t> into);
    // The rest of the body, waiting for its end.
    ByteSet TakeRest();
    // Whether the transfer has ended with an error (a time-out, a connection closed early).
    bool Failed() const;

    // The final response: its header block as received, status line first, each line ended by
    // "\r\n", with the empty line at the end; empty until ReceiveResponse succeeded.
    const std::string& ResponseHeaders() const;
    int StatusCode() const;      // 0 until ReceiveResponse succeeded
    std::string Reason() const;  // the reason phrase of the status line

    struct State;

private:
    std::unique_ptr<State> state_;
};

// Whether the libcurl in use can speak HTTP and HTTPS.
bool TransportAvailable();

// A host name as it may stand in an address: letters, digits, "-", "." and "_", or an IPv6
// address in brackets. Empty is not a host name.
bool IsHostName(std::string_view host);
// A header name: one or more token characters (RFC 9110).
bool IsHeaderName(std::string_view name);
// A header value: no control characters but tab.
bool IsHeaderValue(std::string_view value);
// "host:port" with a host name and a port of 1 to 65535.
bool IsProxyAddress(std::string_view proxy);
// Bytes of 0x80 and above written as %XX; other bytes unchanged.
std::string EscapeHighBytes(std::string_view bytes);

}  // namespace net
