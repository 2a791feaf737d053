#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include <httplib.h>

#include "tests/support/Certificate.h"

namespace testsupport {

// A cpp-httplib server, plain or TLS, on 127.0.0.1 and a port of its own. Add routes through
// routes(), then Start(); it serves on a thread of its own until destroyed.
class HttpServer {
public:
    static std::unique_ptr<HttpServer> Plain();
    // The certificate must outlive the server.
    static std::unique_ptr<HttpServer> Secure(const SelfSignedCertificate& certificate);
    ~HttpServer();

    httplib::Server& routes() { return *server_; }
    // Binds and starts serving; returns once connections are accepted.
    void Start();
    int port() const { return port_; }
    // "http://127.0.0.1:<port>" (or https) followed by `path`.
    std::string Url(std::string_view path) const;

private:
    HttpServer(std::unique_ptr<httplib::Server> server, bool secure);
    std::unique_ptr<httplib::Server> server_;
    bool secure_;
    int port_ = 0;
    std::thread thread_;
};

}  // namespace testsupport
