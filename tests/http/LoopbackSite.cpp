#include "tests/http/LoopbackSite.h"

#include "platform/codepage/CodePage.h"

using testsupport::HttpServer;
using testsupport::RawServer;

namespace {

void AddRoutes(httplib::Server& server, const std::string& scheme) {
    auto echo = [](const httplib::Request& req, httplib::Response& res) {
        std::string target = req.path;
        if (!req.params.empty()) {
            target += "?";
            for (const auto& [key, value] : req.params) target += key + "=" + value + "&";
            target.pop_back();
        }
        res.set_content(req.method + " " + target + "\n" + req.body, "text/plain");
    };
    server.Get("/echo", echo);
    server.Post("/echo", echo);
    server.Put("/echo", echo);
    server.Delete("/echo", echo);
    server.Options("/echo", echo);
    server.Get("/header", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content(req.get_header_value(req.get_param_value("name").c_str()), "text/plain");
    });
    server.Get("/cookies/one", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Set-Cookie", "a=1; Path=/; HttpOnly");
        res.set_content("one", "text/plain");
    });
    server.Get("/cookies/several", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Set-Cookie", "a=1; Path=/");
        res.set_header("Set-Cookie", "b=2");
        res.set_content("several", "text/plain");
    });
    server.Get("/cookies/deleted", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Set-Cookie", "a=deleted; expires=Thu, 01-Jan-1970 00:00:01 GMT");
        res.set_content("deleted", "text/plain");
    });
    server.Get("/cookies/none", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("none", "text/plain");
    });
    server.Get("/redirect/relative", [](const httplib::Request&, httplib::Response& res) {
        res.set_redirect("/echo?from=relative");
    });
    server.Get("/redirect/absolute", [scheme](const httplib::Request& req, httplib::Response& res) {
        res.set_redirect(scheme + "://" + req.get_header_value("Host") + "/echo?from=absolute");
    });
    server.Get("/redirect/ftp", [](const httplib::Request&, httplib::Response& res) {
        res.set_redirect("ftp://127.0.0.1/file");
    });
    server.Get("/redirect/file", [](const httplib::Request&, httplib::Response& res) {
        res.set_redirect("file:///etc/passwd");
    });
    server.Get("/redirect/cookie", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Set-Cookie", "s=9; Path=/");
        res.set_redirect("/header?name=Cookie");
    });
    server.Get("/status/404", [](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content("missing", "text/plain");
    });
    server.Get("/status/500", [](const httplib::Request&, httplib::Response& res) {
        res.status = 500;
        res.set_content("broken", "text/plain");
    });
    server.Get("/zero", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(std::string("ab\0cd", 5), "application/octet-stream");
    });
    server.Get(R"(/charset/(.+))", [](const httplib::Request& req, httplib::Response& res) {
        for (const auto& page : LoopbackSite::CharsetPages()) {
            if (req.matches[1] == page.name) res.set_content(page.served, "text/html");
        }
    });
}

}  // namespace

LoopbackSite::LoopbackSite()
    : plain_(HttpServer::Plain()), secure_(HttpServer::Secure(certificate_)) {
    AddRoutes(plain_->routes(), "http");
    AddRoutes(secure_->routes(), "https");
    plain_->Start();
    secure_->Start();
}

const std::vector<LoopbackSite::CharsetPage>& LoopbackSite::CharsetPages() {
    static const std::vector<CharsetPage> pages = [] {
        const std::string chinese = "中文歌曲";  // this source file is UTF-8
        const std::string gbkChinese = codepage::GbkFromUtf8(chinese).bytes();
        auto page = [](const std::string& meta, const std::string& words) {
            return "<html><head>" + meta + "</head><body>" + words + "</body></html>";
        };
        const std::string bareUtf8 =
            page(R"(<meta http-equiv="Content-Type" content="text/html; charset=utf-8">)", chinese);
        const std::string quotedUtf8 = page(R"(<META CHARSET="utf-8">)", chinese);
        const std::string gbk = page("<meta charset=gbk>", gbkChinese);
        const std::string gb2312 = page("<meta charset='gb2312'>", gbkChinese);
        const std::string upperGbk = page("<meta charset=GBK>", gbkChinese);
        const std::string late =
            "<html><head>" + std::string(1100, ' ') + "<meta charset=utf-8></head>" + chinese;
        const std::string unknown = page("<meta charset=x-no-such-set>", gbkChinese);
        const std::string none = page("<title>t</title>", gbkChinese);
        return std::vector<CharsetPage>{
            {"utf8-bare", bareUtf8, codepage::GbkFromUtf8(bareUtf8)},
            {"utf8-quoted", quotedUtf8, codepage::GbkFromUtf8(quotedUtf8)},
            {"gbk", gbk, Text(gbk)},
            {"gb2312", gb2312, Text(gb2312)},
            {"GBK-upper", upperGbk, Text(upperGbk)},
            {"late", late, Text(late)},
            // A charset nobody reads: the page as received rather than nothing.
            {"unknown", unknown, Text(unknown)},
            {"none", none, Text(none)},
        };
    }();
    return pages;
}

RawServer::Script LoopbackSite::EchoRequest() {
    return [](testsupport::RawConnection& connection) {
        connection.Send(RawServer::Ok(connection.request()));
    };
}

std::string AsString(const ByteSet& bytes) { return std::string(bytes.begin(), bytes.end()); }
