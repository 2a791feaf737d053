#include "http/WinInetRequest.h"

#include <array>

#include "http/CookieText.h"
#include "http/HeaderText.h"
#include "http/RequestParameters.h"
#include "http/WinInetUrl.h"
#include "platform/net/WinInetApi.h"
#include "text/core/TextOps.h"

namespace http {
namespace {

namespace wininet = net::wininet;
using text::Case;

constexpr std::uint32_t kIgnoreSecurityProblems = 0x1f380;
constexpr std::size_t kReadPiece = 1024;

// The user agent: the value of the block's first User-Agent line, or the routine's own.
Text UserAgent(const Text& block) {
    if (!text::Contains(block, Text("User-Agent:"), Case::Ignore)) {
        return Text("Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)");
    }
    const Text value =
        text::Trim(TextBetween(block + Text("\r\n"), Text("User-Agent:"), Text("\r\n")));
    return value.empty() ? HeaderValue(block) : value;
}

void AddDefaultHeaders(Text& block, const Text& url, int method) {
    if (block.empty()) block = Text("Accept: */*");
    if (!text::Contains(block, Text("Accept:"), Case::Ignore)) block += Text("\r\nAccept: */*");
    if (!text::Contains(block, Text("Referer:"), Case::Ignore)) {
        block += Text("\r\nReferer: ") + url;
    }
    if (!text::Contains(block, Text("Accept-Language:"), Case::Ignore)) {
        block += Text("\r\nAccept-Language: zh-cn");
    }
    if (method == 1 && !text::Contains(block, Text("Content-Type:"), Case::Ignore)) {
        block += Text("\r\nContent-Type: application/x-www-form-urlencoded");
    }
}

}  // namespace

ByteSet WinInetRequest(const WinInetRequestArgs& args) {
    const bool mergeCookies = args.mergeCookies.value_or(true);
    Text block = args.extraHeaders.value_or(Text());
    if (args.normalizeHeaderNames.value_or(true)) block = NormalizeHeaderBlock(block);
    const int method = MethodNumber(args.method);
    const Text methodName = MethodName(method);
    const bool secure = text::ToLowerAscii(text::Left(args.url, 8)) == Text("https://");

    const Text proxy = args.proxy.value_or(Text());
    const auto session =
        proxy.empty()
            ? wininet::Session::Open(UserAgent(block).view(), wininet::AccessType::Direct, {},
                                     args.stop)
            : wininet::Session::Open(UserAgent(block).view(), wininet::AccessType::Proxy,
                                     (secure ? proxy : Text("http=") + proxy).view(), args.stop);
    if (!session) return {};
    const auto connection = session->Connect(UrlHost(args.url).view(), UrlPort(args.url));
    if (!connection) return {};
    std::uint32_t flags = wininet::kFlagReload | wininet::kFlagNeedFile;
    if (args.sendCookies) flags |= wininet::kFlagNoCookies;
    if (args.noRedirect.value_or(false)) flags |= wininet::kFlagNoAutoRedirect;
    flags |= secure ? wininet::kFlagSecure : wininet::kFlagIgnoreRedirectToHttps;
    const auto request =
        connection->OpenRequest(methodName.view(), UrlPath(args.url).view(), "HTTP/1.1", flags);
    if (!request) return {};
    request->SetOption(wininet::kOptionSecurityFlags, kIgnoreSecurityProblems);

    if (args.addDefaultHeaders.value_or(true)) AddDefaultHeaders(block, args.url, method);
    if (args.sendCookies && !args.sendCookies->empty()) {
        const Text& cookies = *args.sendCookies;
        block += text::Contains(cookies, Text("Cookie:"), Case::Ignore)
                     ? Text("\r\n") + cookies
                     : Text("\r\nCookie: ") + cookies;
    }

    if (method == 0) {
        request->SendRequest(block.view(), {});
    } else {
        ByteSet scratchBody;
        ByteSet& body = args.postBytes ? *args.postBytes : scratchBody;
        if (body.empty()) body = ToBytes(args.postText.value_or(Text()));
        request->SendRequest(block.view(), body);
    }

    ByteSet response;
    std::array<std::uint8_t, kReadPiece> piece{};
    for (;;) {
        std::size_t read = 0;
        request->ReadFile(piece, &read);
        if (read == 0) break;
        response.insert(response.end(), piece.begin(), piece.begin() + read);
    }

    Text scratchHeaders;
    Text& responseHeaders = args.responseHeaders ? *args.responseHeaders : scratchHeaders;
    responseHeaders = Text(request->QueryRawHeaders().value_or(std::string()));

    Text scratchReceived;
    Text& receivedCookies = args.receivedCookies ? *args.receivedCookies : scratchReceived;
    receivedCookies = CollectResponseCookies(responseHeaders);
    receivedCookies = text::Left(receivedCookies, static_cast<int>(receivedCookies.size()) - 2);
    if (mergeCookies && args.sendCookies) {
        receivedCookies = MergeCookies(args.sendCookies, &receivedCookies);
    }
    return response;
}

}  // namespace http
