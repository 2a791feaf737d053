#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace testsupport {

// One accepted connection of a RawServer, handed to its script with the request already read.
class RawConnection {
public:
    RawConnection(int socket, std::string request, const std::atomic<bool>& stopping)
        : socket_(socket), request_(std::move(request)), stopping_(stopping) {}

    // The request as received: head, empty line and the body its Content-Length announced.
    const std::string& request() const { return request_; }
    // Sends bytes as they are; false when the client has gone.
    bool Send(std::string_view bytes);
    // Waits, reading and dropping whatever comes, until the client closes its side, the server
    // stops or `limit` passes. Lets a script stall without outliving the test.
    void WaitForClientClose(std::chrono::milliseconds limit = std::chrono::seconds(10));

private:
    int socket_;
    std::string request_;
    const std::atomic<bool>& stopping_;
};

// A small socket server of our own on 127.0.0.1 for answers cpp-httplib would never give:
// truncated, stalled or malformed. For each connection it reads one request, records it and
// runs the script; the connection closes when the script returns. Connections are served on
// threads of their own; destruction stops accepting and joins them.
class RawServer {
public:
    using Script = std::function<void(RawConnection&)>;
    explicit RawServer(Script script);
    ~RawServer();
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:<port>" followed by `path`.
    std::string Url(std::string_view path) const;
    // Every request read so far, in order of arrival.
    std::vector<std::string> Requests() const;
    // The last request read, or "" when none came.
    std::string LastRequest() const;

    // A script that answers every request with `response` and closes.
    static Script Reply(std::string response);
    // An answer with status 200, the given extra header lines ("Name: value\r\n" each) and body.
    static std::string Ok(std::string_view body, std::string_view extraHeaders = {});

private:
    void AcceptLoop();
    void Serve(int socket);

    Script script_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};

// A loopback port that refuses connections: bound, never listening, for as long as it lives.
class RefusingPort {
public:
    RefusingPort();
    ~RefusingPort();
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;
    int port() const { return port_; }
    std::string Url(std::string_view path) const;

private:
    int socket_ = -1;
    int port_ = 0;
};

}  // namespace testsupport
