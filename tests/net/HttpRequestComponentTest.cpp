#include <gtest/gtest.h>

#include "automation/Automation.h"
#include "platform/codepage/CodePage.h"
#include "platform/com/Apartment.h"
#include "tests/support/HttpServer.h"
#include "tests/support/RawServer.h"

using namespace automation;
using testsupport::HttpServer;
using testsupport::RawConnection;
using testsupport::RawServer;

namespace {

const Text kProgId("WinHttp.WinHttpRequest.5.1");

bool Succeeds(const ObjectRef& object, std::string_view member,
              std::initializer_list<Variant> args) {
    return Invoke(object, member, com::InvokeKind::Method, args).has_value();
}

bool SetOption(const ObjectRef& object, int option, const Variant& value) {
    return Invoke(object, "Option", com::InvokeKind::PropertyPut, {option, value}).has_value();
}

std::string BodyOf(const ObjectRef& object) {
    const ByteSet body = GetProperty<ByteSet>(object, "ResponseBody");
    return std::string(body.begin(), body.end());
}

class HttpRequestComponentTest : public ::testing::Test {
protected:
    void SetUp() override {
        ComInitialize();
        request_ = CreateObject(kProgId);
        ASSERT_FALSE(request_.IsEmpty());
        // Short time-outs keep the failure cases fast.
        ASSERT_TRUE(Succeeds(request_, "SetTimeouts", {1000, 1000, 300, 300}));
    }
    void TearDown() override {
        request_.Release();
        ComUninitialize();
    }

    ObjectRef request_;
};

}  // namespace

TEST_F(HttpRequestComponentTest, SendsAndReadsTheAnswerByName) {
    RawServer server(RawServer::Reply(
        "HTTP/1.1 404 Not Here\r\nContent-Length: 4\r\nSet-Cookie: a=1\r\n\r\ngone"));
    ASSERT_TRUE(Succeeds(request_, "Open", {Text("POST"), Text(server.Url("/x?y=1")), false}));
    ASSERT_TRUE(Succeeds(request_, "SetRequestHeader", {Text("X-Name"), "值"_gbk}));
    ASSERT_TRUE(Succeeds(request_, "SetRequestHeader", {Text("X-Gone"), Text("1")}));
    ASSERT_TRUE(Succeeds(request_, "SetRequestHeader", {Text("X-Gone"), Text("")}));
    ASSERT_TRUE(Succeeds(request_, "SetRequestHeader", {Text("X-Twice"), Text("1")}));
    ASSERT_TRUE(Succeeds(request_, "SetRequestHeader", {Text("x-twice"), Text("2")}));
    ASSERT_TRUE(Succeeds(request_, "Send", {"中文=1"_gbk}));

    const std::string sent = server.LastRequest();
    EXPECT_TRUE(sent.starts_with("POST /x?y=1 HTTP/1.1\r\n")) << sent;
    EXPECT_NE(sent.find("\r\nX-Name: " + "值"_gbk.bytes() + "\r\n"), std::string::npos) << sent;
    EXPECT_NE(sent.find("\r\nx-twice: 2\r\n"), std::string::npos) << sent;
    EXPECT_EQ(sent.find("X-Gone"), std::string::npos) << sent;
    EXPECT_TRUE(sent.ends_with("\r\n\r\n" + "中文=1"_gbk.bytes())) << sent;

    EXPECT_EQ(GetProperty<int>(request_, "Status"), 404);
    EXPECT_EQ(GetProperty<Text>(request_, "StatusText"), Text("Not Here"));
    EXPECT_EQ(GetProperty<Text>(request_, "GetAllResponseHeaders"),
              Text("Content-Length: 4\r\nSet-Cookie: a=1\r\n\r\n"));
    EXPECT_EQ(BodyOf(request_), "gone");
}

TEST_F(HttpRequestComponentTest, SendsByteArraysAsTheyAre) {
    RawServer server(RawServer::Reply(RawServer::Ok("")));
    ASSERT_TRUE(Succeeds(request_, "Open", {Text("PUT"), Text(server.Url("/")), false}));
    ASSERT_TRUE(Succeeds(request_, "Send", {ByteSet{0, 1, 0xFF}}));
    EXPECT_TRUE(server.LastRequest().ends_with(std::string("\r\n\r\n\0\1\xFF", 7)));
}

TEST_F(HttpRequestComponentTest, RefusesWhatItCannotCarry) {
    EXPECT_FALSE(Succeeds(request_, "Send", {}));  // not opened
    for (const char* url : {"ftp://127.0.0.1/", "127.0.0.1/x", "http:///x", "http://h/a b",
                            "http://h:99999/", "file:///etc/passwd"}) {
        EXPECT_FALSE(Succeeds(request_, "Open", {Text("GET"), Text(url), false})) << url;
    }
    EXPECT_FALSE(Succeeds(request_, "Open", {Text("G T"), Text("http://h/"), false}));
    EXPECT_FALSE(Succeeds(request_, "Open", {Text("GET"), Text("http://h/"), true}));
    ASSERT_TRUE(Succeeds(request_, "Open", {Text("GET"), Text("http://h/"), false}));
    EXPECT_FALSE(Succeeds(request_, "SetRequestHeader", {Text("X"), Text("a\r\nEvil: 1")}));
    EXPECT_FALSE(Succeeds(request_, "SetRequestHeader", {Text(""), Text("x")}));
    EXPECT_FALSE(Succeeds(request_, "SetRequestHeader", {Text("Bad Name"), Text("x")}));
    EXPECT_FALSE(Succeeds(request_, "SetCredentials", {Text("a:b"), Text("p"), 0}));
    EXPECT_FALSE(Succeeds(request_, "SetCredentials", {Text("a"), Text("p"), 2}));
    EXPECT_FALSE(Succeeds(request_, "SetProxy", {2, Text("no port")}));
    EXPECT_FALSE(Succeeds(request_, "SetTimeouts", {-2, 0, 0, 0}));
    EXPECT_FALSE(SetOption(request_, 4, 0x8000));
    EXPECT_FALSE(SetOption(request_, 99, 1));
    // Reads before an answer fail and give empty values.
    EXPECT_EQ(GetProperty<int>(request_, "Status"), 0);
    EXPECT_TRUE(GetProperty<ByteSet>(request_, "ResponseBody").empty());
}

TEST_F(HttpRequestComponentTest, FailedSendLeavesNoAnswer) {
    testsupport::RefusingPort refusing;
    RawServer truncated(RawServer::Reply("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc"));
    RawServer stalled([](RawConnection& connection) { connection.WaitForClientClose(); });
    for (const std::string& url : {refusing.Url("/"), truncated.Url("/"), stalled.Url("/")}) {
        ASSERT_TRUE(Succeeds(request_, "Open", {Text("GET"), Text(url), false}));
        EXPECT_FALSE(Succeeds(request_, "Send", {})) << url;
        EXPECT_EQ(GetProperty<int>(request_, "Status"), 0) << url;
        EXPECT_EQ(GetProperty<Text>(request_, "GetAllResponseHeaders"), Text()) << url;
        EXPECT_EQ(BodyOf(request_), "") << url;
    }
}

TEST_F(HttpRequestComponentTest, OptionsControlCertificatesAndRedirects) {
    const testsupport::SelfSignedCertificate certificate;
    auto server = HttpServer::Secure(certificate);
    server->routes().Get("/page", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("page", "text/plain");
    });
    server->routes().Get("/move", [](const httplib::Request&, httplib::Response& res) {
        res.set_redirect("/page");
    });
    server->Start();

    ASSERT_TRUE(Succeeds(request_, "Open", {Text("GET"), Text(server->Url("/move")), false}));
    EXPECT_FALSE(Succeeds(request_, "Send", {}));  // an unknown authority is an error by default

    ASSERT_TRUE(SetOption(request_, 4, 0x3300));
    EXPECT_EQ(GetProperty<int>(request_, "Option", {4}), 0x3300);
    ASSERT_TRUE(Succeeds(request_, "Open", {Text("GET"), Text(server->Url("/move")), false}));
    ASSERT_TRUE(Succeeds(request_, "Send", {}));
    EXPECT_EQ(BodyOf(request_), "page");

    ASSERT_TRUE(SetOption(request_, 6, 0));
    ASSERT_TRUE(Succeeds(request_, "Open", {Text("GET"), Text(server->Url("/move")), false}));
    ASSERT_TRUE(Succeeds(request_, "Send", {}));
    EXPECT_EQ(GetProperty<int>(request_, "Status"), 302);
}

TEST_F(HttpRequestComponentTest, KeepsCookiesForItsOwnLife) {
    auto server = HttpServer::Plain();
    server->routes().Get("/set", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Set-Cookie", "sid=7; Path=/");
    });
    server->routes().Get("/show", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content(req.get_header_value("Cookie"), "text/plain");
    });
    server->Start();
    for (const char* path : {"/set", "/show"}) {
        ASSERT_TRUE(Succeeds(request_, "Open", {Text("GET"), Text(server->Url(path)), false}));
        ASSERT_TRUE(Succeeds(request_, "Send", {}));
    }
    EXPECT_EQ(BodyOf(request_), "sid=7");

    ObjectRef other = CreateObject(kProgId);
    ASSERT_TRUE(Succeeds(other, "Open", {Text("GET"), Text(server->Url("/show")), false}));
    ASSERT_TRUE(Succeeds(other, "Send", {}));
    EXPECT_EQ(BodyOf(other), "");
}

TEST_F(HttpRequestComponentTest, CredentialsAndProxy) {
    RawServer proxy(RawServer::Reply(RawServer::Ok("proxied")));
    ASSERT_TRUE(
        Succeeds(request_, "SetProxy", {2, Text("127.0.0.1:" + std::to_string(proxy.port()))}));
    ASSERT_TRUE(Succeeds(request_, "Open", {Text("GET"), Text("http://karaoke.invalid/a"), false}));
    ASSERT_TRUE(Succeeds(request_, "SetCredentials", {Text("u"), Text("p"), 0}));
    ASSERT_TRUE(Succeeds(request_, "Send", {}));
    EXPECT_EQ(BodyOf(request_), "proxied");
    const std::string sent = proxy.LastRequest();
    EXPECT_TRUE(sent.starts_with("GET http://karaoke.invalid/a HTTP/1.1\r\n")) << sent;
    EXPECT_NE(sent.find("\r\nAuthorization: Basic dTpw\r\n"), std::string::npos) << sent;
}
