#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/net/Transfer.h"
#include "tests/support/HttpServer.h"
#include "tests/support/RawServer.h"

using namespace std::chrono_literals;
using net::Transfer;
using net::TransferRequest;
using testsupport::HttpServer;
using testsupport::RawConnection;
using testsupport::RawServer;

namespace {

std::string AsString(const ByteSet& bytes) { return std::string(bytes.begin(), bytes.end()); }

TransferRequest Get(std::string url) {
    TransferRequest request;
    request.url = std::move(url);
    request.connectTimeout = 2000ms;
    request.stallTimeout = 300ms;
    return request;
}

// Reads the body in pieces through Available and Read, as the WinHTTP style does.
std::string ReadInPieces(Transfer& transfer) {
    std::string body;
    while (std::size_t n = transfer.Available()) {
        std::vector<std::uint8_t> piece(n);
        body.append(reinterpret_cast<const char*>(piece.data()), transfer.Read(piece));
    }
    return body;
}

class TransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        server_ = HttpServer::Plain();
        auto& routes = server_->routes();
        routes.Get("/page", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("hello", "text/plain");
        });
        routes.Get("/big", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(std::string(300000, 'x'), "application/octet-stream");
        });
        routes.Get("/to-page", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("/page");
        });
        routes.Get("/to-ftp", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("ftp://127.0.0.1/file");
        });
        routes.Get("/to-file", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("file:///etc/passwd");
        });
        routes.Get("/loop", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("/loop");
        });
        routes.Get("/set-cookie", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Set-Cookie", "sid=42; Path=/");
            res.set_redirect("/show-cookie");
        });
        routes.Get("/show-cookie", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(req.get_header_value("Cookie"), "text/plain");
        });
        server_->Start();
    }

    std::unique_ptr<HttpServer> server_;
};

}  // namespace

TEST_F(TransferTest, ReadsStatusHeadersAndBodyInPieces) {
    Transfer transfer(Get(server_->Url("/big")));
    ASSERT_TRUE(transfer.Send());
    ASSERT_TRUE(transfer.ReceiveResponse());
    EXPECT_EQ(transfer.StatusCode(), 200);
    EXPECT_EQ(transfer.Reason(), "OK");
    EXPECT_TRUE(transfer.ResponseHeaders().starts_with("HTTP/1.1 200 OK\r\n"));
    EXPECT_TRUE(transfer.ResponseHeaders().ends_with("\r\n\r\n"));
    EXPECT_EQ(ReadInPieces(transfer), std::string(300000, 'x'));
    EXPECT_FALSE(transfer.Failed());
}

TEST_F(TransferTest, FollowsRedirectsUnlessTold) {
    Transfer followed(Get(server_->Url("/to-page")));
    ASSERT_TRUE(followed.Send() && followed.ReceiveResponse());
    EXPECT_EQ(followed.StatusCode(), 200);
    EXPECT_EQ(AsString(followed.TakeRest()), "hello");

    TransferRequest request = Get(server_->Url("/to-page"));
    request.followRedirects = false;
    Transfer stopped(std::move(request));
    ASSERT_TRUE(stopped.Send() && stopped.ReceiveResponse());
    EXPECT_EQ(stopped.StatusCode(), 302);
    EXPECT_NE(stopped.ResponseHeaders().find("Location: /page\r\n"), std::string::npos);
}

TEST_F(TransferTest, RedirectsToOtherSchemesOrInCirclesGiveNoResponse) {
    for (const char* path : {"/to-ftp", "/to-file", "/loop"}) {
        Transfer transfer(Get(server_->Url(path)));
        EXPECT_TRUE(transfer.Send()) << path;
        EXPECT_FALSE(transfer.ReceiveResponse()) << path;
        EXPECT_EQ(transfer.StatusCode(), 0) << path;
        EXPECT_EQ(transfer.ResponseHeaders(), "") << path;
        EXPECT_TRUE(transfer.TakeRest().empty()) << path;
    }
}

TEST_F(TransferTest, RefusesAddressesOfOtherSchemes) {
    for (const char* url : {"ftp://127.0.0.1/", "file:///etc/passwd", "127.0.0.1/page", ""}) {
        Transfer transfer(Get(url));
        EXPECT_FALSE(transfer.Send()) << url;
        EXPECT_FALSE(transfer.ReceiveResponse()) << url;
    }
}

TEST_F(TransferTest, CookieJarCarriesCookiesAcrossRedirects) {
    TransferRequest withJar = Get(server_->Url("/set-cookie"));
    withJar.cookies = net::CookieJar::Create();
    Transfer kept(std::move(withJar));
    ASSERT_TRUE(kept.Send() && kept.ReceiveResponse());
    EXPECT_EQ(AsString(kept.TakeRest()), "sid=42");

    Transfer without(Get(server_->Url("/set-cookie")));
    ASSERT_TRUE(without.Send() && without.ReceiveResponse());
    EXPECT_EQ(AsString(without.TakeRest()), "");
}

TEST(TransferFailureTest, RefusedConnectionCannotBeSent) {
    testsupport::RefusingPort refusing;
    Transfer transfer(Get(refusing.Url("/")));
    EXPECT_FALSE(transfer.Send());
    EXPECT_FALSE(transfer.ReceiveResponse());
    EXPECT_TRUE(transfer.Failed());
}

TEST(TransferFailureTest, ServerThatClosesOrTalksNonsenseGivesNoResponse) {
    for (const char* answer : {"", "hello there\r\n\r\n", "HTTP/1.1 200 OK\r\nContent-Le"}) {
        RawServer server(RawServer::Reply(answer));
        Transfer transfer(Get(server.Url("/")));
        EXPECT_TRUE(transfer.Send()) << answer;
        EXPECT_FALSE(transfer.ReceiveResponse()) << answer;
    }
}

TEST(TransferFailureTest, StallBeforeTheAnswerEndsAtTheStallTimeOut) {
    RawServer server([](RawConnection& connection) { connection.WaitForClientClose(); });
    Transfer transfer(Get(server.Url("/")));
    ASSERT_TRUE(transfer.Send());
    EXPECT_FALSE(transfer.ReceiveResponse());
    EXPECT_TRUE(transfer.Failed());
}

TEST(TransferFailureTest, BodyThatBreaksOffKeepsWhatCame) {
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n";
    RawServer closing(
        [&](RawConnection& connection) { connection.Send(head + std::string(400, 'a')); });
    RawServer stalling([&](RawConnection& connection) {
        connection.Send(head + std::string(400, 'a'));
        connection.WaitForClientClose();
    });
    for (RawServer* server : {&closing, &stalling}) {
        Transfer transfer(Get(server->Url("/")));
        ASSERT_TRUE(transfer.Send() && transfer.ReceiveResponse());
        EXPECT_EQ(transfer.StatusCode(), 200);
        EXPECT_EQ(ReadInPieces(transfer), std::string(400, 'a'));
        EXPECT_TRUE(transfer.Failed());
    }
}

TEST(TransferFailureTest, StopRequestEndsAStalledTransferPromptly) {
    RawServer server([](RawConnection& connection) { connection.WaitForClientClose(); });
    std::stop_source stop;
    TransferRequest request = Get(server.Url("/"));
    request.stallTimeout = 60s;
    request.stop = stop.get_token();
    Transfer transfer(std::move(request));
    ASSERT_TRUE(transfer.Send());
    std::jthread stopper([&] {
        std::this_thread::sleep_for(100ms);
        stop.request_stop();
    });
    EXPECT_FALSE(transfer.ReceiveResponse());
    EXPECT_TRUE(transfer.Failed());
}

TEST(TransferRequestTest, SendsOnlyTheHeadersAskedFor) {
    RawServer server(RawServer::Reply(RawServer::Ok("ok")));
    TransferRequest request = Get(server.Url("/p?q=1"));
    request.method = "POST";
    request.headers = {"X-One: 1", "X-Empty:", "Cookie: a=1"};
    Transfer transfer(std::move(request));
    ASSERT_TRUE(transfer.Send() && transfer.ReceiveResponse());
    const std::string sent = server.LastRequest();
    EXPECT_TRUE(sent.starts_with("POST /p?q=1 HTTP/1.1\r\n")) << sent;
    EXPECT_NE(sent.find("\r\nX-One: 1\r\nX-Empty:\r\nCookie: a=1\r\n"), std::string::npos) << sent;
    EXPECT_NE(sent.find("\r\nContent-Length: 0\r\n"), std::string::npos) << sent;
    for (const char* absent : {"Accept:", "Content-Type:", "Expect:", "User-Agent:"}) {
        EXPECT_EQ(sent.find(absent), std::string::npos) << absent << " in " << sent;
    }
}

TEST(TransferRequestTest, MethodsAndBodies) {
    struct Case {
        const char* method;
        std::string body;
        const char* requestLine;
        bool hasLength;
    };
    const std::vector<Case> cases = {
        {"GET", "", "GET / HTTP/1.1", false},         {"GET", "abc", "GET / HTTP/1.1", true},
        {"PUT", "", "PUT / HTTP/1.1", true},          {"DELETE", "", "DELETE / HTTP/1.1", false},
        {"OPTIONS", "x", "OPTIONS / HTTP/1.1", true}, {"HEAD", "ignored", "HEAD / HTTP/1.1", false},
    };
    for (const Case& c : cases) {
        RawServer server(RawServer::Reply("HTTP/1.1 204 No Content\r\n\r\n"));
        TransferRequest request = Get(server.Url("/"));
        request.method = c.method;
        request.body.assign(c.body.begin(), c.body.end());
        Transfer transfer(std::move(request));
        ASSERT_TRUE(transfer.Send() && transfer.ReceiveResponse()) << c.method;
        const std::string sent = server.LastRequest();
        EXPECT_TRUE(sent.starts_with(std::string(c.requestLine) + "\r\n")) << sent;
        EXPECT_EQ(sent.find("Content-Length:") != std::string::npos, c.hasLength) << sent;
        if (c.hasLength) {
            EXPECT_TRUE(sent.ends_with(c.body)) << sent;
        }
    }
}

TEST(TransferRequestTest, ProxyAuthorizationGoesToTheProxyOnly) {
    RawServer proxy(RawServer::Reply(RawServer::Ok("via proxy")));
    TransferRequest request = Get("http://karaoke.invalid/x");
    request.proxy = "127.0.0.1:" + std::to_string(proxy.port());
    request.headers = {"Proxy-Authorization: Basic dTpw"};
    Transfer transfer(std::move(request));
    ASSERT_TRUE(transfer.Send() && transfer.ReceiveResponse());
    EXPECT_EQ(AsString(transfer.TakeRest()), "via proxy");
    const std::string sent = proxy.LastRequest();
    EXPECT_TRUE(sent.starts_with("GET http://karaoke.invalid/x HTTP/1.1\r\n")) << sent;
    EXPECT_NE(sent.find("\r\nProxy-Authorization: Basic dTpw\r\n"), std::string::npos) << sent;

    RawServer direct(RawServer::Reply(RawServer::Ok("direct")));
    TransferRequest plain = Get(direct.Url("/"));
    plain.headers = {"Proxy-Authorization: Basic dTpw"};
    Transfer withoutProxy(std::move(plain));
    ASSERT_TRUE(withoutProxy.Send() && withoutProxy.ReceiveResponse());
    EXPECT_EQ(direct.LastRequest().find("Proxy-Authorization"), std::string::npos);
}

TEST(TransferTlsTest, CertificateChecksCanBeTurnedOff) {
    const testsupport::SelfSignedCertificate selfSigned;
    const testsupport::SelfSignedCertificate expired({.expired = true});
    for (const auto* certificate : {&selfSigned, &expired}) {
        auto server = HttpServer::Secure(*certificate);
        server->routes().Get("/", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("secret", "text/plain");
        });
        server->Start();

        Transfer checked(Get(server->Url("/")));
        EXPECT_FALSE(checked.Send());

        TransferRequest request = Get(server->Url("/"));
        request.verifyPeer = false;
        request.verifyHost = false;
        Transfer unchecked(std::move(request));
        ASSERT_TRUE(unchecked.Send() && unchecked.ReceiveResponse());
        EXPECT_EQ(AsString(unchecked.TakeRest()), "secret");
    }
}

TEST(NameRulesTest, HostsHeadersAndProxies) {
    EXPECT_TRUE(net::IsHostName("img.example-cdn.com"));
    EXPECT_TRUE(net::IsHostName("[::1]"));
    for (const char* bad : {"", "host?x=1", "user@host", "a b", "h/x", "[]", "[zz]"}) {
        EXPECT_FALSE(net::IsHostName(bad)) << bad;
    }
    EXPECT_TRUE(net::IsHeaderName("X-Requested-With"));
    EXPECT_FALSE(net::IsHeaderName("Bad Name"));
    EXPECT_FALSE(net::IsHeaderName(""));
    EXPECT_TRUE(net::IsHeaderValue("a\tb \xB0\xA1"));
    EXPECT_FALSE(net::IsHeaderValue("a\rb"));
    EXPECT_FALSE(net::IsHeaderValue("a\nb"));
    EXPECT_TRUE(net::IsProxyAddress("127.0.0.1:8080"));
    for (const char* bad : {"127.0.0.1", "host:0", "host:65536", ":80", "host:8o", "a b:1"}) {
        EXPECT_FALSE(net::IsProxyAddress(bad)) << bad;
    }
    EXPECT_EQ(net::EscapeHighBytes("/a\xB0\xA1 b"), "/a%B0%A1 b");
}

TEST(TransferLimitTest, BodyBeyondTheLimitFailsKeepingWhatCame) {
    RawServer server(RawServer::Reply(RawServer::Ok(std::string(5000, 'z'))));
    TransferRequest request = Get(server.Url("/"));
    request.maxBodyBytes = 1000;
    Transfer transfer(std::move(request));
    ASSERT_TRUE(transfer.Send() && transfer.ReceiveResponse());
    EXPECT_LE(ReadInPieces(transfer).size(), 1000u);
    EXPECT_TRUE(transfer.Failed());
}

TEST(TransferLimitTest, TrickleBelowTheLowSpeedLimitEnds) {
    RawServer server([](RawConnection& connection) {
        connection.Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n");
        for (int i = 0; i < 100 && connection.Send("t"); ++i) {
            std::this_thread::sleep_for(50ms);
        }
    });
    TransferRequest request = Get(server.Url("/"));
    request.stallTimeout = 1000ms;  // never reached: a byte comes every 50 ms
    request.lowSpeedBytesPerSecond = 1000;
    Transfer transfer(std::move(request));
    ASSERT_TRUE(transfer.Send() && transfer.ReceiveResponse());
    EXPECT_LT(ReadInPieces(transfer).size(), 100u);
    EXPECT_TRUE(transfer.Failed());
}
