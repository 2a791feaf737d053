#include "tests/support/HttpServer.h"

#include <chrono>
#include <stdexcept>

namespace testsupport {

HttpServer::HttpServer(std::unique_ptr<httplib::Server> server, bool secure)
    : server_(std::move(server)), secure_(secure) {}

std::unique_ptr<HttpServer> HttpServer::Plain() {
    return std::unique_ptr<HttpServer>(new HttpServer(std::make_unique<httplib::Server>(), false));
}

std::unique_ptr<HttpServer> HttpServer::Secure(const SelfSignedCertificate& certificate) {
    auto server =
        std::make_unique<httplib::SSLServer>(certificate.certificate(), certificate.key());
    if (!server->is_valid()) throw std::runtime_error("TLS server not usable");
    return std::unique_ptr<HttpServer>(new HttpServer(std::move(server), true));
}

HttpServer::~HttpServer() {
    server_->stop();
    if (thread_.joinable()) thread_.join();
}

void HttpServer::Start() {
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("cannot bind a loopback port");
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!server_->is_running()) {
        if (std::chrono::steady_clock::now() > deadline) throw std::runtime_error("not serving");
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

std::string HttpServer::Url(std::string_view path) const {
    return std::string(secure_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) +
           std::string(path);
}

}  // namespace testsupport
