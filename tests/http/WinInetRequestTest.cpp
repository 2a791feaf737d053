#include <gtest/gtest.h>

#include "http/WinInetRequest.h"
#include "http/WinInetUrl.h"
#include "platform/net/WinInetApi.h"
#include "tests/http/LoopbackSite.h"
#include "text/core/TextOps.h"

using namespace http;
using namespace std::chrono_literals;
using testsupport::RawConnection;
using testsupport::RawServer;

namespace {

class WinInetRequestTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        site_ = new LoopbackSite();
        // The routine has no time-out parameter; short session defaults keep stalls brief.
        saved_ = net::wininet::DefaultTimeouts();
        net::wininet::SetDefaultTimeouts({.connect = 2000ms, .stall = 300ms});
    }
    static void TearDownTestSuite() {
        net::wininet::SetDefaultTimeouts(saved_);
        delete site_;
    }
    static LoopbackSite* site_;
    static net::wininet::Timeouts saved_;
};
LoopbackSite* WinInetRequestTest::site_ = nullptr;
net::wininet::Timeouts WinInetRequestTest::saved_;

bool Has(const std::string& request, const std::string& line) {
    return request.find("\r\n" + line + "\r\n") != std::string::npos;
}

}  // namespace

TEST(WinInetUrlTest, SplitsAddressesItsOwnWay) {
    struct Case {
        const char* address;
        const char* host;
        const char* hostWithPort;
        int port;
        const char* path;
    };
    const Case cases[] = {
        {"HTTPS://IMG.HOST:8443/a/B.jpg", "img.host", "img.host:8443", 8443, "/a/B.jpg"},
        {"host/x", "host", "host", 80, "/x"},
        {"https://host", "host", "host", 443, "/"},
        {"https://host/", "host", "host", 443, "/"},
        {"http://host?x=1", "host?x=1", "host?x=1", 80, "/"},
        {"http://host:abc/", "host", "host:abc", 0, "/"},
        {"http://h:8080?q=1", "h", "h:8080?q=1", 8080, "/"},
        {"", "", "", 80, "/"},
        {"http://h/p?q=1#f", "h", "h", 80, "/p?q=1#f"},
    };
    for (const Case& c : cases) {
        const Text address(c.address);
        EXPECT_EQ(UrlHost(address), Text(c.host)) << c.address;
        EXPECT_EQ(UrlHost(address, true), Text(c.hostWithPort)) << c.address;
        EXPECT_EQ(UrlPort(address), c.port) << c.address;
        EXPECT_EQ(UrlPath(address), Text(c.path)) << c.address;
    }
}

TEST_F(WinInetRequestTest, AddressAloneSendsTheDefaultBlockAndUserAgent) {
    RawServer server(LoopbackSite::EchoRequest());
    // Without a scheme the address counts as plain HTTP.
    const Text url("127.0.0.1:" + std::to_string(server.port()) + "/avatar.jpg?size=1");
    const ByteSet body = WinInetRequest({.url = url});
    const std::string sent = server.LastRequest();
    EXPECT_EQ(AsString(body), sent);
    EXPECT_TRUE(sent.starts_with("GET /avatar.jpg?size=1 HTTP/1.1\r\n")) << sent;
    EXPECT_TRUE(Has(sent, "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)"))
        << sent;
    EXPECT_NE(
        sent.find("\r\nAccept: */*\r\nReferer: " + url.bytes() + "\r\nAccept-Language: zh-cn\r\n"),
        std::string::npos)
        << sent;
    EXPECT_EQ(sent.find("Cookie"), std::string::npos) << sent;
}

TEST_F(WinInetRequestTest, BodiesGoWithMethodsOtherThanGet) {
    RawServer server(LoopbackSite::EchoRequest());
    ByteSet postBytes;
    WinInetRequest({.url = Text(server.Url("/")),
                    .method = 1,
                    .postText = Text("a=1"),
                    .postBytes = &postBytes});
    EXPECT_EQ(AsString(postBytes), "a=1");
    std::string sent = server.LastRequest();
    EXPECT_TRUE(sent.starts_with("POST / HTTP/1.1\r\n")) << sent;
    EXPECT_TRUE(Has(sent, "Content-Type: application/x-www-form-urlencoded")) << sent;
    EXPECT_TRUE(sent.ends_with("\r\n\r\na=1")) << sent;

    WinInetRequest({.url = Text(server.Url("/")), .postText = Text("a=1")});
    sent = server.LastRequest();
    EXPECT_TRUE(sent.ends_with("\r\n\r\n")) << sent;
    EXPECT_EQ(sent.find("Content-Length"), std::string::npos) << sent;
}

TEST_F(WinInetRequestTest, UserAgentFromTheCallersBlock) {
    for (bool normalize : {true, false}) {
        RawServer server(LoopbackSite::EchoRequest());
        WinInetRequest({.url = Text(server.Url("/")),
                        .extraHeaders = Text("user-agent: X"),
                        .normalizeHeaderNames = normalize});
        const std::string sent = server.LastRequest();
        EXPECT_TRUE(Has(sent, normalize ? "User-Agent: X" : "user-agent: X")) << sent;
        EXPECT_EQ(sent.find("Mozilla"), std::string::npos) << sent;
    }
}

TEST_F(WinInetRequestTest, CookiesCollectedMergedAndTheSharedStore) {
    Text received("old");
    WinInetRequest({.url = site_->Plain("/cookies/several"), .receivedCookies = &received});
    EXPECT_EQ(received, Text("a=1; b=2"));
    WinInetRequest({.url = site_->Plain("/cookies/none"), .receivedCookies = &received});
    EXPECT_EQ(received, Text());

    Text send("a=0; c=3");
    WinInetRequest({.url = site_->Plain("/cookies/several"),
                    .sendCookies = &send,
                    .receivedCookies = &received});
    EXPECT_EQ(received, Text("a=1; b=2; c=3"));
    EXPECT_EQ(send, received);

    // Without sendCookies the process-wide store keeps and sends cookies; with it, even empty,
    // the store stays out and only the caller's cookies go.
    RawServer setter(RawServer::Reply(RawServer::Ok("", "Set-Cookie: kept=1; Path=/\r\n")));
    RawServer echo(LoopbackSite::EchoRequest());
    WinInetRequest({.url = Text(setter.Url("/"))});
    WinInetRequest({.url = Text(echo.Url("/"))});
    const std::string withStore = echo.LastRequest();
    const auto cookieLine = withStore.find("\r\nCookie: ");
    ASSERT_NE(cookieLine, std::string::npos) << withStore;
    EXPECT_NE(withStore.find("kept=1", cookieLine), std::string::npos) << withStore;
    Text empty;
    WinInetRequest({.url = Text(echo.Url("/")), .sendCookies = &empty});
    EXPECT_EQ(echo.LastRequest().find("Cookie"), std::string::npos) << echo.LastRequest();
    Text own("mine=2");
    WinInetRequest({.url = Text(echo.Url("/")), .sendCookies = &own});
    EXPECT_TRUE(Has(echo.LastRequest(), "Cookie: mine=2")) << echo.LastRequest();
}

TEST_F(WinInetRequestTest, ResponseHeadersComeWholeHoweverLong) {
    const std::string longHeader = "X-Long: " + std::string(6000, 'h') + "\r\n";
    RawServer server(RawServer::Reply(RawServer::Ok("ok", longHeader + "Set-Cookie: late=1\r\n")));
    Text headers;
    Text received;
    EXPECT_EQ(AsString(WinInetRequest({.url = Text(server.Url("/")),
                                       .receivedCookies = &received,
                                       .responseHeaders = &headers})),
              "ok");
    EXPECT_GT(headers.size(), 6000u);
    EXPECT_TRUE(text::StartsWith(headers, Text("HTTP/1.1 200 OK\r\n")));
    EXPECT_EQ(received, Text("late=1"));
}

TEST_F(WinInetRequestTest, RequestsWithoutAnAnswerLeaveHeadersEmpty) {
    testsupport::RefusingPort refusing;
    RawServer silent(RawServer::Reply(""));
    RawServer stalled([](RawConnection& connection) { connection.WaitForClientClose(); });
    const std::vector<Text> urls = {Text(refusing.Url("/")),
                                    Text(silent.Url("/")),
                                    Text(stalled.Url("/")),
                                    site_->Plain("/redirect/ftp"),
                                    site_->Secure("/redirect/file"),
                                    Text("http://host?x=1"),
                                    Text("http://" + std::string(1, '\x01') + "/")};
    for (const Text& url : urls) {
        Text send("s=1");
        Text received("old");
        Text headers("old");
        EXPECT_TRUE(WinInetRequest({.url = url,
                                    .sendCookies = &send,
                                    .receivedCookies = &received,
                                    .responseHeaders = &headers})
                        .empty())
            << url.bytes();
        EXPECT_EQ(headers, Text()) << url.bytes();
        EXPECT_EQ(received, Text("s=1")) << url.bytes();
    }
    // Nothing can be opened for an empty address: nothing is written.
    Text headers("old");
    EXPECT_TRUE(WinInetRequest({.url = Text(), .responseHeaders = &headers}).empty());
    EXPECT_EQ(headers, Text("old"));
}

TEST_F(WinInetRequestTest, BodyThatBreaksOffEndsWithWhatWasRead) {
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n";
    RawServer closing(
        [&](RawConnection& connection) { connection.Send(head + std::string(3000, 'p')); });
    RawServer stalling([&](RawConnection& connection) {
        connection.Send(head + std::string(3000, 'p'));
        connection.WaitForClientClose();
    });
    for (RawServer* server : {&closing, &stalling}) {
        EXPECT_EQ(AsString(WinInetRequest({.url = Text(server->Url("/"))})),
                  std::string(3000, 'p'));
    }
}

TEST_F(WinInetRequestTest, HttpsIgnoresCertificateProblems) {
    EXPECT_EQ(AsString(WinInetRequest({.url = site_->Secure("/echo")})), "GET /echo\n");
    const testsupport::SelfSignedCertificate expired({.expired = true});
    auto server = testsupport::HttpServer::Secure(expired);
    server->routes().Get("/", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("expired but read", "text/plain");
    });
    server->Start();
    EXPECT_EQ(AsString(WinInetRequest({.url = Text(server->Url("/"))})), "expired but read");
}

TEST_F(WinInetRequestTest, RedirectsAndStatuses) {
    EXPECT_EQ(AsString(WinInetRequest({.url = site_->Plain("/redirect/relative")})),
              "GET /echo?from=relative\n");
    EXPECT_EQ(AsString(WinInetRequest({.url = site_->Secure("/redirect/absolute")})),
              "GET /echo?from=absolute\n");
    Text headers;
    WinInetRequest({.url = site_->Plain("/redirect/relative"),
                    .responseHeaders = &headers,
                    .noRedirect = true});
    EXPECT_TRUE(text::StartsWith(headers, Text("HTTP/1.1 302 Found\r\n"))) << headers.bytes();
    EXPECT_EQ(AsString(WinInetRequest({.url = site_->Plain("/status/404")})), "missing");
    EXPECT_EQ(AsString(WinInetRequest({.url = site_->Secure("/status/500")})), "broken");
}

TEST_F(WinInetRequestTest, ProxyGetsThePlainRequest) {
    RawServer proxy(RawServer::Reply(RawServer::Ok("from proxy")));
    EXPECT_EQ(
        AsString(WinInetRequest({.url = Text("http://karaoke.invalid/a.jpg"),
                                 .proxy = Text("127.0.0.1:" + std::to_string(proxy.port()))})),
        "from proxy");
    EXPECT_TRUE(proxy.LastRequest().starts_with("GET http://karaoke.invalid/a.jpg HTTP/1.1\r\n"))
        << proxy.LastRequest();
    EXPECT_TRUE(
        WinInetRequest({.url = site_->Plain("/echo"), .proxy = Text("not a proxy")}).empty());
}
