#include "tests/support/RawServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

namespace testsupport {
namespace {

constexpr auto kSlice = std::chrono::milliseconds(20);

int BindLoopback(int* port) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0) throw std::runtime_error("socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(s);
        throw std::runtime_error("bind");
    }
    socklen_t length = sizeof address;
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    *port = ntohs(address.sin_port);
    return s;
}

// Waits up to one slice for the socket to be readable.
bool Readable(int socket) {
    pollfd p{socket, POLLIN, 0};
    return poll(&p, 1, static_cast<int>(kSlice.count())) > 0;
}

std::size_t ContentLength(const std::string& head) {
    std::string lower(head);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto at = lower.find("\r\ncontent-length:");
    if (at == std::string::npos) return 0;
    return std::strtoul(head.c_str() + at + 17, nullptr, 10);
}

}  // namespace

bool RawConnection::Send(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

void RawConnection::WaitForClientClose(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    char scratch[4096];
    while (!stopping_ && std::chrono::steady_clock::now() < deadline) {
        if (!Readable(socket_)) continue;
        if (recv(socket_, scratch, sizeof scratch, 0) <= 0) return;
    }
}

RawServer::RawServer(Script script) : script_(std::move(script)) {
    listener_ = BindLoopback(&port_);
    if (listen(listener_, 16) != 0) {
        close(listener_);
        throw std::runtime_error("listen");
    }
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

RawServer::~RawServer() {
    stopping_ = true;
    acceptor_.join();
    for (std::thread& worker : workers_) worker.join();
    close(listener_);
}

void RawServer::AcceptLoop() {
    while (!stopping_) {
        if (!Readable(listener_)) continue;
        const int client = accept(listener_, nullptr, nullptr);
        if (client < 0) continue;
        std::lock_guard lock(mutex_);
        workers_.emplace_back([this, client] { Serve(client); });
    }
}

void RawServer::Serve(int socket) {
    std::string request;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::size_t wanted = std::string::npos;
    char buffer[16384];
    while (!stopping_ && std::chrono::steady_clock::now() < deadline) {
        if (wanted == std::string::npos) {
            const auto headEnd = request.find("\r\n\r\n");
            if (headEnd != std::string::npos) wanted = headEnd + 4 + ContentLength(request);
        }
        if (wanted != std::string::npos && request.size() >= wanted) break;
        if (!Readable(socket)) continue;
        const ssize_t got = recv(socket, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        request.append(buffer, static_cast<std::size_t>(got));
    }
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }
    RawConnection connection(socket, request, stopping_);
    if (script_) script_(connection);
    shutdown(socket, SHUT_RDWR);
    close(socket);
}

std::string RawServer::Url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::vector<std::string> RawServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::string RawServer::LastRequest() const {
    std::lock_guard lock(mutex_);
    return requests_.empty() ? std::string() : requests_.back();
}

RawServer::Script RawServer::Reply(std::string response) {
    return
        [response = std::move(response)](RawConnection& connection) { connection.Send(response); };
}

std::string RawServer::Ok(std::string_view body, std::string_view extraHeaders) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n" + std::string(extraHeaders) + "\r\n" + std::string(body);
}

RefusingPort::RefusingPort() { socket_ = BindLoopback(&port_); }
RefusingPort::~RefusingPort() { close(socket_); }

std::string RefusingPort::Url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

}  // namespace testsupport
