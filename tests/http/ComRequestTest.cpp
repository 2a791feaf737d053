#include <chrono>
#include <stop_token>
#include <thread>

#include <gtest/gtest.h>

#include "automation/Automation.h"
#include "http/ComRequest.h"
#include "platform/codepage/CodePage.h"
#include "platform/com/Apartment.h"
#include "tests/http/LoopbackSite.h"
#include "text/core/TextOps.h"

using namespace http;
using testsupport::RawConnection;
using testsupport::RawServer;

namespace {

class ComRequestTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { site_ = new LoopbackSite(); }
    static void TearDownTestSuite() { delete site_; }
    static LoopbackSite* site_;
};
LoopbackSite* ComRequestTest::site_ = nullptr;

bool Has(const std::string& request, const std::string& line) {
    return request.find("\r\n" + line + "\r\n") != std::string::npos;
}

}  // namespace

TEST_F(ComRequestTest, AddressAndMethodAloneUseEveryDefault) {
    RawServer server(
        RawServer::Reply(RawServer::Ok("body", "Set-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n")));
    const Text url(server.Url("/feed?page=1"));
    Text received;
    Text headers;
    int status = -1;
    const ByteSet body = ComRequest({.url = url,
                                     .method = 0,
                                     .receivedCookies = &received,
                                     .responseHeaders = &headers,
                                     .statusCode = &status});
    EXPECT_EQ(AsString(body), "body");
    EXPECT_EQ(status, 200);
    EXPECT_EQ(received, Text("a=1; b=2"));
    EXPECT_TRUE(text::StartsWith(headers, Text("Content-Length: 4\r\n"))) << headers.bytes();
    const std::string sent = server.LastRequest();
    EXPECT_TRUE(sent.starts_with("GET /feed?page=1 HTTP/1.1\r\n")) << sent;
    const std::string expectedBlock =
        "\r\nAccept: */*\r\nReferer: " + url.bytes() +
        "\r\nAccept-Language: zh-cn\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows "
        "NT 6.1)\r\n";
    EXPECT_NE(sent.find(expectedBlock), std::string::npos) << sent;
    EXPECT_EQ(sent.find("Cookie"), std::string::npos) << sent;
    EXPECT_EQ(sent.find("Content-Type"), std::string::npos) << sent;
}

TEST_F(ComRequestTest, MethodsBodiesAndTheFormType) {
    struct Case {
        int method;
        const char* requestLine;
        bool formType;
    };
    for (const Case& c : {Case{1, "POST / HTTP/1.1", true}, Case{9, "GET / HTTP/1.1", false},
                          Case{5, "DELETE / HTTP/1.1", false}}) {
        RawServer server(LoopbackSite::EchoRequest());
        ComRequest({.url = Text(server.Url("/")), .method = c.method, .postText = "歌=1"_gbk});
        const std::string sent = server.LastRequest();
        EXPECT_TRUE(sent.starts_with(c.requestLine)) << sent;
        EXPECT_EQ(Has(sent, "Content-Type: application/x-www-form-urlencoded"), c.formType) << sent;
        EXPECT_TRUE(sent.ends_with("\r\n\r\n" + "歌=1"_gbk.bytes())) << sent;
    }
    RawServer server(LoopbackSite::EchoRequest());
    ComRequest({.url = Text(server.Url("/")),
                .method = 3,
                .postText = Text("ignored"),
                .postBytes = ByteSet{0, 'x', 0}});
    EXPECT_TRUE(server.LastRequest().ends_with(std::string("\r\n\r\n\0x\0", 7)));
}

TEST_F(ComRequestTest, CallerHeadersAndTheKeepAliveLine) {
    struct Case {
        const char* name;
        const char* extra;
        bool addDefaults;
        bool normalize;
        const char* present;
        const char* absent;
    };
    const Case cases[] = {
        {"substring suppresses Referer", "X-Referer: a", true, true, "X-Referer: a",
         "\r\nReferer:"},
        {"keep-alive in a normalised block", "connection: keep-alive\r\nx-a: 1", true, true,
         "X-A: 1", "onnection"},
        {"keep-alive kept when names stay", "connection: keep-alive\r\nx-a: 1", true, false,
         "connection: keep-alive", "X-A"},
        {"a block of one line is always set", "Connection: keep-alive", false, true,
         "Connection: keep-alive", "Accept"},
    };
    for (const Case& c : cases) {
        RawServer server(LoopbackSite::EchoRequest());
        ComRequest({.url = Text(server.Url("/")),
                    .extraHeaders = Text(c.extra),
                    .addDefaultHeaders = c.addDefaults,
                    .normalizeHeaderNames = c.normalize});
        const std::string sent = server.LastRequest();
        EXPECT_TRUE(Has(sent, c.present)) << c.name << ": " << sent;
        EXPECT_EQ(sent.find(c.absent), std::string::npos) << c.name << ": " << sent;
    }
}

TEST_F(ComRequestTest, CookiesSentCollectedAndMerged) {
    RawServer server(
        RawServer::Reply(RawServer::Ok("", "Set-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n")));
    Text send("a=0; c=3");
    Text received;
    ComRequest({.url = Text(server.Url("/")), .sendCookies = &send, .receivedCookies = &received});
    EXPECT_TRUE(Has(server.LastRequest(), "Cookie: a=0; c=3")) << server.LastRequest();
    EXPECT_EQ(received, Text("a=1; b=2; c=3"));
    EXPECT_EQ(send, Text("a=1; b=2; c=3"));

    Text prefixed("Cookie: a=1");
    ComRequest({.url = Text(server.Url("/")), .sendCookies = &prefixed, .mergeCookies = false});
    EXPECT_EQ(prefixed, Text(" a=1"));
    EXPECT_TRUE(Has(server.LastRequest(), "Cookie: a=1")) << server.LastRequest();

    Text deleted("a=1; keep=1");
    ComRequest({.url = site_->Plain("/cookies/deleted"), .sendCookies = &deleted});
    EXPECT_EQ(deleted, Text("keep=1"));
}

TEST_F(ComRequestTest, AStopRequestAbortsAStalledTransfer) {
    RawServer stalled([](RawConnection& connection) { connection.WaitForClientClose(); });
    std::stop_source stop;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        stop.request_stop();
    });
    int status = -1;
    // The time-out is weeks long: without the abort the test would hang.
    const ByteSet body = ComRequest({.url = Text(stalled.Url("/")),
                                     .statusCode = &status,
                                     .timeoutSeconds = 2000000,
                                     .stop = stop.get_token()});
    stopper.join();
    EXPECT_TRUE(body.empty());
    EXPECT_EQ(status, 0);
}

TEST_F(ComRequestTest, FailedRequestsGiveEmptyValues) {
    testsupport::RefusingPort refusing;
    RawServer stalled([](RawConnection& connection) { connection.WaitForClientClose(); });
    RawServer truncated(RawServer::Reply("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nabc"));
    const std::vector<Text> urls = {Text(refusing.Url("/")),         Text(stalled.Url("/")),
                                    Text(truncated.Url("/")),        site_->Plain("/redirect/ftp"),
                                    site_->Secure("/redirect/file"), Text("ftp://127.0.0.1/"),
                                    Text("127.0.0.1/no-scheme")};
    for (const Text& url : urls) {
        Text send("s=1");
        Text received("old");
        Text headers("old");
        int status = -1;
        const ByteSet body = ComRequest({.url = url,
                                         .sendCookies = &send,
                                         .receivedCookies = &received,
                                         .responseHeaders = &headers,
                                         .statusCode = &status,
                                         .timeoutSeconds = 1});
        EXPECT_TRUE(body.empty()) << url.bytes();
        EXPECT_EQ(status, 0) << url.bytes();
        EXPECT_EQ(headers, Text()) << url.bytes();
        EXPECT_EQ(received, Text("s=1")) << url.bytes();  // the merge of what was sent alone
    }
}

TEST_F(ComRequestTest, StatusesAndRedirectsOverHttps) {
    int status = 0;
    EXPECT_EQ(AsString(ComRequest({.url = site_->Secure("/status/404"), .statusCode = &status})),
              "missing");
    EXPECT_EQ(status, 404);
    EXPECT_EQ(AsString(ComRequest({.url = site_->Secure("/status/500"), .statusCode = &status})),
              "broken");
    EXPECT_EQ(status, 500);
    EXPECT_EQ(AsString(ComRequest({.url = site_->Secure("/redirect/absolute")})),
              "GET /echo?from=absolute\n");
    ComRequest(
        {.url = site_->Secure("/redirect/relative"), .statusCode = &status, .noRedirect = true});
    EXPECT_EQ(status, 302);
}

TEST_F(ComRequestTest, ProxyCredentials) {
    struct Case {
        const char* name;
        const char* user;
        std::optional<int> target;
        const char* present;
        const char* absent;
    };
    const Case cases[] = {
        {"no user: no credentials", "", std::nullopt, "", "Authorization"},
        {"proxy credentials", "pu", std::nullopt,
         "Proxy-Authorization: Basic cHU6cHA=", "\r\nAuthorization"},
        {"server credentials", "pu", 0, "Authorization: Basic cHU6cHA=", "Proxy-Authorization"},
    };
    for (const Case& c : cases) {
        RawServer proxy(RawServer::Reply(RawServer::Ok("proxied")));
        const ByteSet body = ComRequest({.url = Text("http://karaoke.invalid/x"),
                                         .proxy = Text("127.0.0.1:" + std::to_string(proxy.port())),
                                         .proxyUser = Text(c.user),
                                         .proxyPassword = Text("pp"),
                                         .credentialTarget = c.target});
        EXPECT_EQ(AsString(body), "proxied") << c.name;
        const std::string sent = proxy.LastRequest();
        EXPECT_TRUE(sent.starts_with("GET http://karaoke.invalid/x HTTP/1.1")) << sent;
        if (*c.present) {
            EXPECT_TRUE(Has(sent, c.present)) << c.name << ": " << sent;
        }
        EXPECT_EQ(sent.find(c.absent), std::string::npos) << c.name << ": " << sent;
    }
}

TEST_F(ComRequestTest, CallersRequestObjectIsUsedAndOutlivesTheCall) {
    ComInitialize();
    {
        automation::ObjectRef object = automation::CreateObject(Text("WinHttp.WinHttpRequest.5.1"));
        ASSERT_FALSE(object.IsEmpty());
        // The object's own short time-outs apply when the call leaves them alone.
        automation::CallMethod(object, "SetTimeouts", {200, 200, 200, 200});
        RawServer stalled([](RawConnection& connection) { connection.WaitForClientClose(); });
        EXPECT_TRUE(
            ComRequest(
                {.url = Text(stalled.Url("/")), .timeoutSeconds = -1, .requestObject = object})
                .empty());
        // Cookies the object kept from one call go with the next.
        ComRequest({.url = site_->Plain("/cookies/one"), .requestObject = object});
        EXPECT_EQ(AsString(ComRequest(
                      {.url = site_->Plain("/header?name=Cookie"), .requestObject = object})),
                  "a=1");
        EXPECT_EQ(automation::GetProperty<int>(object, "Status"), 200);
    }
    ComUninitialize();
}
