#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "tests/support/HttpServer.h"
#include "tests/support/RawServer.h"
#include "text/core/Text.h"

// The pages the request routines are tried against, served over plain HTTP and over HTTPS with
// a self-signed certificate that names no loopback host:
//   /echo             any method: "<method> <path and query>\n<body>"
//   /header?name=N    the value of request header N
//   /cookies/one      Set-Cookie a=1 (with attributes)       /cookies/several  a=1 and b=2
//   /cookies/deleted  Set-Cookie a=deleted                    /cookies/none     no cookie
//   /redirect/relative, /redirect/absolute  302 to /echo (the absolute one on the same server)
//   /redirect/ftp, /redirect/file           302 to another scheme
//   /redirect/cookie  302 to /header?name=Cookie with Set-Cookie s=9
//   /status/404, /status/500                that status with the body "missing" / "broken"
//   /charset/<name>   pages declaring charsets in a meta tag (see LoopbackSite.cpp)
//   /zero             the body "ab\0cd"
class LoopbackSite {
public:
    LoopbackSite();

    Text Plain(std::string_view path) const { return Text(plain_->Url(path)); }
    Text Secure(std::string_view path) const { return Text(secure_->Url(path)); }

    // The bytes of a charset page as served, and the GBK text a routine should make of it.
    struct CharsetPage {
        const char* name;
        std::string served;
        Text expected;
    };
    static const std::vector<CharsetPage>& CharsetPages();

    // A raw-server script that answers 200 with the request, as received, for its body.
    static testsupport::RawServer::Script EchoRequest();

private:
    testsupport::SelfSignedCertificate certificate_;
    std::unique_ptr<testsupport::HttpServer> plain_;
    std::unique_ptr<testsupport::HttpServer> secure_;
};

std::string AsString(const ByteSet& bytes);
