#include <gtest/gtest.h>

#include <thread>

#include "http/WinHttpApiRequest.h"
#include "platform/codepage/CodePage.h"
#include "tests/http/LoopbackSite.h"
#include "text/core/TextOps.h"

using namespace http;
using namespace std::chrono_literals;
using testsupport::RawConnection;
using testsupport::RawServer;

namespace {

class WinHttpApiRequestTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { site_ = new LoopbackSite(); }
    static void TearDownTestSuite() { delete site_; }
    static LoopbackSite* site_;
};
LoopbackSite* WinHttpApiRequestTest::site_ = nullptr;

// The lines of a raw request head, without the request line and the empty line.
std::vector<std::string> HeaderLines(const std::string& request) {
    std::vector<std::string> lines;
    std::size_t at = request.find("\r\n") + 2;
    for (std::size_t end; (end = request.find("\r\n", at)) != std::string::npos && end != at;
         at = end + 2) {
        lines.push_back(request.substr(at, end - at));
    }
    return lines;
}

std::size_t CountOf(const std::string& haystack, const std::string& needle) {
    std::size_t count = 0;
    for (auto at = haystack.find(needle); at != std::string::npos;
         at = haystack.find(needle, at + 1)) {
        ++count;
    }
    return count;
}

}  // namespace

TEST_F(WinHttpApiRequestTest, AddressAloneSendsTheDefaultHeadersInOrder) {
    RawServer server(LoopbackSite::EchoRequest());
    Text status;
    const Text body = WinHttpApiRequest({.url = Text(server.Url("/p?x=1")), .statusText = &status});
    EXPECT_EQ(status, Text("200 OK"));
    const std::string sent = server.LastRequest();
    EXPECT_EQ(body, Text(sent));
    EXPECT_TRUE(sent.starts_with("GET /p?x=1 HTTP/1.1\r\n")) << sent;
    const std::vector<std::string> expected = {
        "Host: 127.0.0.1:" + std::to_string(server.port()),
        "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)",
        "Accept: text/html, application/xhtml+xml, */*",
        "Accept-Encoding: gbk, GB2312",
        "Accept-Language: zh-cn",
        "Cache-Control: no-cache",
    };
    EXPECT_EQ(HeaderLines(sent), expected);
}

TEST_F(WinHttpApiRequestTest, MethodNumbersAndBodies) {
    struct Case {
        int method;
        const char* requestLine;
        bool formType;
    };
    for (const Case& c : {Case{1, "POST / HTTP/1.1", true}, Case{9, "GET / HTTP/1.1", false},
                          Case{-1, "GET / HTTP/1.1", false}, Case{3, "PUT / HTTP/1.1", false}}) {
        RawServer server(LoopbackSite::EchoRequest());
        WinHttpApiRequest(
            {.url = Text(server.Url("/")), .method = c.method, .postText = Text("t=1")});
        const std::string sent = server.LastRequest();
        EXPECT_TRUE(sent.starts_with(c.requestLine)) << sent;
        EXPECT_EQ(sent.find("Content-Type: application/x-www-form-urlencoded") != std::string::npos,
                  c.formType)
            << sent;
        EXPECT_TRUE(sent.ends_with("\r\n\r\nt=1")) << sent;
    }
    RawServer server(LoopbackSite::EchoRequest());
    WinHttpApiRequest({.url = Text(server.Url("/")),
                       .method = 1,
                       .postText = Text("ignored"),
                       .postBytes = ByteSet{'b', 0, 'c'}});
    EXPECT_TRUE(server.LastRequest().ends_with(std::string("\r\n\r\nb\0c", 7)));
}

TEST_F(WinHttpApiRequestTest, AddressesWithoutPathOrWithFragments) {
    RawServer server(LoopbackSite::EchoRequest());
    const std::string base = "http://127.0.0.1:" + std::to_string(server.port());
    struct Case {
        std::string url;
        const char* requestLine;
    };
    for (const Case& c : {Case{base, "GET / HTTP/1.1"}, Case{base + "?x=1", "GET / HTTP/1.1"},
                          Case{base + "/p?x=1#f", "GET /p?x=1 HTTP/1.1"},
                          Case{base + "/" + "歌"_gbk.bytes(), "GET /%E6%AD%8C HTTP/1.1"}}) {
        WinHttpApiRequest({.url = Text(c.url)});
        EXPECT_TRUE(server.LastRequest().starts_with(c.requestLine)) << c.url;
    }
}

TEST_F(WinHttpApiRequestTest, KeepAliveLineIsRemovedOnlyWithALineBreakBehindIt) {
    struct Case {
        const char* name;
        const char* extra;
        bool addDefaults;
        bool normalize;
        bool sent;
    };
    const Case cases[] = {
        {"defaults", "Connection: keep-alive", true, true, false},
        {"nothing added, not normalised", "Connection: keep-alive", false, false, false},
        {"last line of a normalised block", "Connection: keep-alive", false, true, true},
        {"close always stays", "Connection: close", true, true, true},
    };
    for (const Case& c : cases) {
        RawServer server(LoopbackSite::EchoRequest());
        WinHttpApiRequest({.url = Text(server.Url("/")),
                           .extraHeaders = Text(c.extra),
                           .addDefaultHeaders = c.addDefaults,
                           .normalizeHeaderNames = c.normalize});
        EXPECT_EQ(
            server.LastRequest().find(std::string("\r\n") + c.extra + "\r\n") != std::string::npos,
            c.sent)
            << c.name << ": " << server.LastRequest();
    }
}

TEST_F(WinHttpApiRequestTest, CallerHeadersReplaceDefaultsAndAreNormalised) {
    RawServer server(LoopbackSite::EchoRequest());
    WinHttpApiRequest({.url = Text(server.Url("/")),
                       .extraHeaders = Text("user-agent: mine\r\nx-requested-with: 1")});
    const auto lines = HeaderLines(server.LastRequest());
    EXPECT_EQ(lines[1], "User-Agent: mine");
    EXPECT_EQ(lines[2], "X-Requested-With: 1");
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.starts_with("User-Agent"); }),
              1);
}

TEST_F(WinHttpApiRequestTest, CookiesSentMergedAndCollected) {
    struct Case {
        const char* name;
        const char* send;
        const char* extra;
        const char* cookieLine;
        const char* merged;
    };
    const Case cases[] = {
        {"plain text", "a=1", "", "Cookie: a=1", "x=1; n=5; a=1"},
        {"with its own prefix", "Cookie: a=1", "", "Cookie: a=1", "x=1; n=5; Cookie: a=1"},
        {"block has a cookie line", "a=1", "Cookie: b=2", "Cookie: b=2", "x=1; n=5; a=1"},
    };
    for (const Case& c : cases) {
        RawServer server(RawServer::Reply(
            RawServer::Ok("", "Set-Cookie: n=5; path=/\r\nset-cookie: lower=1\r\n")));
        Text send(c.send);
        Text received("x=1; ");
        WinHttpApiRequest({.url = Text(server.Url("/")),
                           .sendCookies = &send,
                           .receivedCookies = &received,
                           .extraHeaders = Text(c.extra)});
        const std::string sent = server.LastRequest();
        EXPECT_NE(sent.find("\r\n" + std::string(c.cookieLine) + "\r\n"), std::string::npos)
            << c.name << ": " << sent;
        EXPECT_EQ(CountOf(sent, "Cookie:"), 1u) << c.name << ": " << sent;
        // Appended to what the caller passed, then merged with what was sent.
        EXPECT_EQ(received, Text(c.merged)) << c.name;
        EXPECT_EQ(send, received) << c.name;
    }

    Text received("x=1; ");
    WinHttpApiRequest({.url = site_->Plain("/cookies/several"), .receivedCookies = &received});
    EXPECT_EQ(received, Text("x=1; a=1; b=2"));
}

TEST_F(WinHttpApiRequestTest, TransportKeepsCookiesAcrossRedirectsOnlyWhenCookiesAreSent) {
    Text send("own=1");
    EXPECT_EQ(WinHttpApiRequest({.url = site_->Plain("/redirect/cookie"), .sendCookies = &send}),
              Text("s=9; own=1"));
    EXPECT_EQ(WinHttpApiRequest({.url = site_->Plain("/redirect/cookie")}), Text());
}

TEST_F(WinHttpApiRequestTest, LocationAndStatusLines) {
    RawServer server(
        RawServer::Reply("HTTP/1.1 302 Found\r\nLocation: /first\r\nlocation: "
                         "/second\r\nContent-Length: 0\r\n\r\n"));
    Text location;
    Text status;
    Text headers;
    WinHttpApiRequest({.url = Text(server.Url("/")),
                       .responseHeaders = &headers,
                       .noRedirect = true,
                       .location = &location,
                       .statusText = &status});
    EXPECT_EQ(location, Text("/second"));
    EXPECT_EQ(status, Text("302 Found"));
    EXPECT_EQ(headers, Text("HTTP/1.1 302 Found\r\nLocation: /first\r\nlocation: /second\r\n"
                            "Content-Length: 0\r\n\r\n"));
}

TEST_F(WinHttpApiRequestTest, RedirectsFollowedToHttpAndHttpsOnly) {
    for (const char* path : {"/redirect/relative", "/redirect/absolute"}) {
        for (bool secure : {false, true}) {
            const Text url = secure ? site_->Secure(path) : site_->Plain(path);
            Text status;
            EXPECT_TRUE(text::StartsWith(WinHttpApiRequest({.url = url, .statusText = &status}),
                                         Text("GET /echo?from=")))
                << url.bytes();
            EXPECT_EQ(status, Text("200 OK"));
        }
    }
    for (const char* path : {"/redirect/ftp", "/redirect/file"}) {
        Text status;
        Text headers("untouched");
        EXPECT_EQ(
            WinHttpApiRequest(
                {.url = site_->Plain(path), .responseHeaders = &headers, .statusText = &status}),
            Text());
        EXPECT_EQ(status, "712 服务器未响应!"_gbk) << path;
        EXPECT_EQ(headers, Text("untouched"));
    }
    Text location;
    WinHttpApiRequest(
        {.url = site_->Plain("/redirect/ftp"), .noRedirect = true, .location = &location});
    EXPECT_EQ(location, Text("ftp://127.0.0.1/file"));
}

TEST_F(WinHttpApiRequestTest, ErrorStatusesComeBackWithTheirBodies) {
    for (bool secure : {false, true}) {
        Text status;
        const Text missing = secure ? site_->Secure("/status/404") : site_->Plain("/status/404");
        EXPECT_EQ(WinHttpApiRequest({.url = missing, .statusText = &status}), Text("missing"));
        EXPECT_EQ(status, Text("404 Not Found"));
        const Text broken = secure ? site_->Secure("/status/500") : site_->Plain("/status/500");
        EXPECT_EQ(WinHttpApiRequest({.url = broken, .statusText = &status}), Text("broken"));
        EXPECT_EQ(status, Text("500 Internal Server Error"));
    }
}

TEST_F(WinHttpApiRequestTest, BodyTextStopsAtAZeroByteButTheBytesDoNot) {
    ByteSet bytes;
    EXPECT_EQ(WinHttpApiRequest({.url = site_->Plain("/zero"), .responseBytes = &bytes}),
              Text("ab"));
    EXPECT_EQ(AsString(bytes), std::string("ab\0cd", 5));
}

TEST_F(WinHttpApiRequestTest, PagesAreReadInTheCharsetTheyDeclare) {
    for (const auto& page : LoopbackSite::CharsetPages()) {
        ByteSet bytes;
        const Text body = WinHttpApiRequest(
            {.url = site_->Secure(std::string("/charset/") + page.name), .responseBytes = &bytes});
        EXPECT_EQ(body, page.expected) << page.name;
        EXPECT_EQ(AsString(bytes), page.served) << page.name;
    }
}

TEST_F(WinHttpApiRequestTest, ServerCredentialsNeedBothUserAndPassword) {
    RawServer server(LoopbackSite::EchoRequest());
    WinHttpApiRequest(
        {.url = Text(server.Url("/")), .serverUser = Text("u"), .serverPassword = Text("p")});
    EXPECT_NE(server.LastRequest().find("\r\nAuthorization: Basic dTpw\r\n"), std::string::npos);
    Text status;
    WinHttpApiRequest(
        {.url = Text(server.Url("/")), .serverUser = Text("u"), .statusText = &status});
    EXPECT_EQ(status, Text("200 OK"));
    EXPECT_EQ(server.LastRequest().find("Authorization"), std::string::npos);
}

TEST_F(WinHttpApiRequestTest, ProxyGetsThePlainRequestAndItsCredentials) {
    RawServer proxy(RawServer::Reply(RawServer::Ok("from proxy")));
    const Text body = WinHttpApiRequest({.url = Text("http://karaoke.invalid/play?s=1"),
                                         .proxy = Text("127.0.0.1:" + std::to_string(proxy.port())),
                                         .proxyUser = Text("pu"),
                                         .proxyPassword = Text("pp")});
    EXPECT_EQ(body, Text("from proxy"));
    const std::string sent = proxy.LastRequest();
    EXPECT_TRUE(sent.starts_with("GET http://karaoke.invalid/play?s=1 HTTP/1.1\r\n")) << sent;
    EXPECT_NE(sent.find("\r\nProxy-Authorization: Basic cHU6cHA=\r\n"), std::string::npos) << sent;
}

TEST_F(WinHttpApiRequestTest, EveryFailureOurLayerCanMeetHasItsNumberedText) {
    testsupport::RefusingPort refusing;
    RawServer silent(RawServer::Reply(""));
    RawServer nonsense(RawServer::Reply("SSH-2.0-OpenSSH\r\n\r\n"));
    RawServer stalled([](RawConnection& connection) { connection.WaitForClientClose(); });
    const std::string ok = site_->Plain("/echo").bytes();
    struct Case {
        const char* name;
        WinHttpApiRequestArgs args;
        Text expected;
    };
    const Case cases[] = {
        {"no scheme", {.url = Text("127.0.0.1/x")}, "701 解析URL地址失败!"_gbk},
        {"another scheme", {.url = Text("ftp://127.0.0.1/x")}, "701 解析URL地址失败!"_gbk},
        {"empty address", {.url = Text()}, "701 解析URL地址失败!"_gbk},
        {"port out of range", {.url = Text("http://127.0.0.1:70000/")}, "701 解析URL地址失败!"_gbk},
        {"unusable proxy",
         {.url = Text(ok), .proxy = Text("no proxy")},
         "702 创建WinHttp会话失败!"_gbk},
        {"time-out beyond 32 bits",
         {.url = Text(ok), .timeoutSeconds = 3000000},
         "705 设置超时时间失败!"_gbk},
        {"empty host", {.url = Text("http:///x")}, "703 创建WinHttp连接失败!"_gbk},
        {"host with a space", {.url = Text("http://a b/")}, "703 创建WinHttp连接失败!"_gbk},
        {"space in the path", {.url = Text(ok + " x")}, "704 创建WinHttp请求失败!"_gbk},
        {"colon in the server user",
         {.url = Text(ok), .serverUser = Text("a:b"), .serverPassword = Text("p")},
         "707 设置代理凭证失败!"_gbk},
        {"colon in the proxy user",
         {.url = Text(ok), .proxyUser = Text("a:b"), .proxyPassword = Text("p")},
         "707 设置代理凭证失败!"_gbk},
        {"header line without colon",
         {.url = Text(ok), .extraHeaders = Text("no colon"), .normalizeHeaderNames = false},
         "710 设置协议头失败!"_gbk},
        {"header name with a space",
         {.url = Text(ok), .extraHeaders = Text("Bad Name: 1")},
         "710 设置协议头失败!"_gbk},
        {"refused connection", {.url = Text(refusing.Url("/"))}, "711 发送请求失败!"_gbk},
        {"closed without answer", {.url = Text(silent.Url("/"))}, "712 服务器未响应!"_gbk},
        {"not HTTP", {.url = Text(nonsense.Url("/"))}, "712 服务器未响应!"_gbk},
        {"no answer in time",
         {.url = Text(stalled.Url("/")), .timeoutSeconds = 1},
         "712 服务器未响应!"_gbk},
    };
    for (const Case& c : cases) {
        WinHttpApiRequestArgs args = c.args;
        Text status("untouched");
        Text headers("untouched");
        Text received("untouched");
        Text location("untouched");
        ByteSet bytes{1};
        args.statusText = &status;
        args.responseHeaders = &headers;
        args.receivedCookies = &received;
        args.location = &location;
        args.responseBytes = &bytes;
        EXPECT_EQ(WinHttpApiRequest(args), Text()) << c.name;
        EXPECT_EQ(status, c.expected) << c.name << ": " << status.bytes();
        EXPECT_EQ(headers, Text("untouched")) << c.name;
        EXPECT_EQ(received, Text("untouched")) << c.name;
        EXPECT_EQ(location, Text("untouched")) << c.name;
        EXPECT_EQ(bytes, ByteSet{1}) << c.name;
    }
}

TEST_F(WinHttpApiRequestTest, BodyThatBreaksOffComesBackAsFarAsItCame) {
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n";
    RawServer closing([&](RawConnection& connection) { connection.Send(head + "partial"); });
    RawServer stalling([&](RawConnection& connection) {
        connection.Send(head + "partial");
        connection.WaitForClientClose();
    });
    for (RawServer* server : {&closing, &stalling}) {
        Text status;
        EXPECT_EQ(WinHttpApiRequest(
                      {.url = Text(server->Url("/")), .timeoutSeconds = 1, .statusText = &status}),
                  Text("partial"));
        EXPECT_EQ(status, Text("200 OK"));
    }
}

TEST_F(WinHttpApiRequestTest, StopRequestEndsTheCallPromptly) {
    RawServer stalled([](RawConnection& connection) { connection.WaitForClientClose(); });
    std::stop_source stop;
    std::jthread stopper([&] {
        std::this_thread::sleep_for(100ms);
        stop.request_stop();
    });
    Text status;
    EXPECT_EQ(WinHttpApiRequest(
                  {.url = Text(stalled.Url("/")), .statusText = &status, .stop = stop.get_token()}),
              Text());
    EXPECT_EQ(status, "712 服务器未响应!"_gbk);
}

TEST(HeaderLineValueTest, LastOccurrenceInTheFirstLineStartingWithTheName) {
    const Text block("Accept: x\r\nConnection: a Connection: keep-alive\r\nConnection: close");
    EXPECT_EQ(HeaderLineValue(block, Text("Connection")), Text("keep-alive"));
    EXPECT_EQ(HeaderLineValue(block, Text("Accept")), Text("x"));
    EXPECT_EQ(HeaderLineValue(Text("Connectionless\r\nConnection: close"), Text("Connection")),
              Text());
    EXPECT_EQ(HeaderLineValue(block, Text("Host")), Text());
}
