#include "http/WinHttpApiRequest.h"

#include <optional>
#include <string>

#include "automation/Automation.h"
#include "http/CookieText.h"
#include "http/HeaderText.h"
#include "http/RequestParameters.h"
#include "platform/codepage/CodePage.h"
#include "platform/com/Apartment.h"
#include "platform/net/WinHttpApi.h"
#include "regex/RegexObject.h"
#include "text/CodePageText.h"
#include "text/core/TextOps.h"

namespace http {
namespace {

namespace winhttp = net::winhttp;
using text::Case;

constexpr long long kDefaultTimeoutMs = 30000;
constexpr std::uint32_t kIgnoreCertificateErrors = 0x3300;
constexpr std::size_t kCharsetWindow = 1024;

// Texts for WinHTTP go through code page 936 explicitly, the terminator dropped.
std::u16string Wide(const Text& text) {
    if (text.empty()) return {};
    const ByteSet units = ToUtf16(ToBytes(text), codepage::kGbk);
    std::u16string wide;
    for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
        wide.push_back(static_cast<char16_t>(units[i] | (units[i + 1] << 8)));
    }
    if (!wide.empty() && wide.back() == u'\0') wide.pop_back();
    return wide;
}

Text Narrow(std::u16string_view wide) {
    ByteSet units;
    units.reserve(wide.size() * 2);
    for (char16_t unit : wide) {
        units.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        units.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return Utf16ToText(units, codepage::kGbk);
}

// The header block of step by step defaults, normalisation, keep-alive and cookie handling.
Text HeaderBlock(const WinHttpApiRequestArgs& args, int method) {
    const Text extra = args.extraHeaders.value_or(Text());
    Text block = extra.empty() ? Text() : extra + Text("\r\n");
    if (args.addDefaultHeaders.value_or(true)) {
        struct DefaultLine {
            const char* key;
            const char* line;
            bool postOnly;
        };
        static constexpr DefaultLine kDefaults[] = {
            {"User-Agent: ",
             "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; "
             "Trident/5.0)\r\n",
             false},
            {"Accept: ", "Accept: text/html, application/xhtml+xml, */*\r\n", false},
            {"Accept-Encoding: ", "Accept-Encoding: gbk, GB2312\r\n", false},
            {"Accept-Language: ", "Accept-Language: zh-cn\r\n", false},
            {"Content-Type:", "Content-Type: application/x-www-form-urlencoded\r\n", true},
            {"Cache-Control: ", "Cache-Control: no-cache\r\n", false},
        };
        for (const DefaultLine& d : kDefaults) {
            if (d.postOnly && method != 1) continue;
            if (!text::Contains(block, Text(d.key), Case::Ignore)) block += Text(d.line);
        }
    }
    if (args.normalizeHeaderNames.value_or(true)) block = NormalizeHeaderBlock(block);
    if (text::Contains(block, Text("Connection")) &&
        HeaderLineValue(block, Text("Connection")) == Text("keep-alive")) {
        block = text::ReplaceAll(block, Text("Connection: keep-alive\r\n"), Text());
    }
    const Text cookies = args.sendCookies ? *args.sendCookies : Text();
    if (!text::Contains(block, Text("Cookie:"), Case::Ignore) && !cookies.empty()) {
        block += text::Contains(cookies, Text("Cookie:"), Case::Ignore)
                     ? Text("\r\n") + cookies + Text("\r\n")
                     : Text("\r\nCookie: ") + cookies + Text("\r\n");
    }
    return block;
}

// The body as text: the response up to its first zero byte, or the whole response re-read in the
// charset the page declares when that is neither "gbk" nor "gb2312". Takes the response over so
// that a large body is not copied.
Text BodyText(std::string response, RegexObject& regex) {
    ComInitialize();
    std::optional<Text> decoded;
    const Text head(std::string_view(response).substr(0, kCharsetWindow));
    if (regex.Create(Text("<meta.+?charset=[^\\w]?([-\\w]+)"), head)) {
        const Text charset = regex.SubMatchText(1, 1);
        if (!charset.empty() && charset != Text("gbk") && charset != Text("gb2312")) {
            automation::ObjectRef stream = automation::CreateObject(Text("Adodb.Stream"));
            if (!stream.IsEmpty()) {
                automation::Variant bytes(ByteSet(response.begin(), response.end()));
                automation::SetProperty(stream, "Type", 1);
                automation::SetProperty(stream, "Mode", 3);
                automation::CallMethod(stream, "Open");
                automation::CallMethod(stream, "Write", {bytes});
                automation::SetProperty(stream, "Position", 0);
                automation::SetProperty(stream, "Type", 2);
                automation::SetProperty(stream, "Charset", charset);
                // A charset the stream cannot read leaves the page as received, not empty.
                const auto text =
                    automation::Invoke(stream, "ReadText", com::InvokeKind::Method, {});
                if (text) decoded = text->AsText();
                automation::CallMethod(stream, "Close");
                stream.Release();
                bytes.Clear();
            }
        }
    }
    ComUninitialize();
    return decoded ? std::move(*decoded) : Text(std::move(response));
}

}  // namespace

Text HeaderLineValue(const Text& block, const Text& name) {
    for (const Text& line : text::Split(block, Text("\r\n"))) {
        if (!text::StartsWith(line, name)) continue;
        const Text marker = name + Text(": ");
        const int at = text::FindLast(line, marker);
        return at == -1 ? Text()
                        : text::Mid(line, at + static_cast<int>(marker.size()),
                                    static_cast<int>(line.size()));
    }
    return Text();
}

Text WinHttpApiRequest(const WinHttpApiRequestArgs& args) {
    const bool mergeCookies = args.mergeCookies.value_or(true);
    RegexObject regex;
    Text scratchStatus;
    Text& statusText = args.statusText ? *args.statusText : scratchStatus;
    auto fail = [&](const Text& error) {
        statusText = error;
        return Text();
    };

    if (!winhttp::CheckPlatform()) return fail("700 当前系统不支持WinHttp服务!"_gbk);
    const auto parts = winhttp::CrackUrl(Wide(args.url));
    if (!parts) return fail("701 解析URL地址失败!"_gbk);
    std::u16string objectName = u"/";
    if (!parts->urlPath.empty()) objectName = parts->urlPath + parts->extraInfo;

    const Text proxy = args.proxy.value_or(Text());
    const auto session =
        proxy.empty() ? winhttp::Session::Open(winhttp::AccessType::NoProxy, u"", args.stop)
                      : winhttp::Session::Open(winhttp::AccessType::NamedProxy,
                                               Wide(parts->secure ? proxy : Text("http=") + proxy),
                                               args.stop);
    if (!session) return fail("702 创建WinHttp会话失败!"_gbk);
    const int timeoutSeconds = args.timeoutSeconds.value_or(0);
    const long long t = timeoutSeconds >= 1 ? timeoutSeconds * 1000LL : kDefaultTimeoutMs;
    if (!session->SetTimeouts(t, t, t, t)) return fail("705 设置超时时间失败!"_gbk);
    const auto connection = session->Connect(parts->hostName, parts->port);
    if (!connection) return fail("703 创建WinHttp连接失败!"_gbk);
    const int method = MethodNumber(args.method);
    const auto request =
        connection->OpenRequest(Wide(MethodName(method)), objectName, parts->secure);
    if (!request) return fail("704 创建WinHttp请求失败!"_gbk);

    const Text serverUser = args.serverUser.value_or(Text());
    const Text serverPassword = args.serverPassword.value_or(Text());
    if (!serverUser.empty() && !serverPassword.empty() &&
        !request->SetCredentials(winhttp::AuthTarget::Server, Wide(serverUser),
                                 Wide(serverPassword))) {
        return fail("707 设置代理凭证失败!"_gbk);
    }
    const Text proxyUser = args.proxyUser.value_or(Text());
    const Text proxyPassword = args.proxyPassword.value_or(Text());
    if (!proxyUser.empty() && !proxyPassword.empty() &&
        !request->SetCredentials(winhttp::AuthTarget::Proxy, Wide(proxyUser),
                                 Wide(proxyPassword))) {
        return fail("707 设置代理凭证失败!"_gbk);
    }

    if (!request->SetOption(winhttp::kOptionSecurityFlags, kIgnoreCertificateErrors)) {
        return fail("忽略错误/证书错误  失败！"_gbk);
    }
    const bool sendsCookies = args.sendCookies && !args.sendCookies->empty();
    const bool cookieOptionSet =
        sendsCookies
            ? request->SetOption(winhttp::kOptionEnableFeature, winhttp::kEnableSslRevocation)
            : request->SetOption(winhttp::kOptionDisableFeature, winhttp::kDisableCookies);
    if (!cookieOptionSet) return fail("708 禁止自动设置Cookies失败!"_gbk);
    if (args.noRedirect.value_or(false) &&
        !request->SetOption(winhttp::kOptionDisableFeature, winhttp::kDisableRedirects)) {
        return fail("709 重定向设置失败!"_gbk);
    }

    if (!request->AddRequestHeaders(Wide(HeaderBlock(args, method)))) {
        return fail("710 设置协议头失败!"_gbk);
    }
    const ByteSet postBytes = args.postBytes.value_or(ByteSet());
    const ByteSet body = !postBytes.empty() ? postBytes : ToBytes(args.postText.value_or(Text()));
    if (!request->SendRequest(body)) return fail("711 发送请求失败!"_gbk);
    if (!request->ReceiveResponse()) return fail("712 服务器未响应!"_gbk);

    std::string response;  // bytes; a string so the body text can take it over uncopied
    for (;;) {
        std::size_t available = 0;
        if (!request->QueryDataAvailable(&available) || available < 1) break;
        const std::size_t before = response.size();
        response.resize(before + available);
        std::size_t read = 0;
        const bool ok = request->ReadData(
            {reinterpret_cast<std::uint8_t*>(response.data()) + before, available}, &read);
        response.resize(before + read);
        if (!ok) {
            statusText = "713 读取数据失败!"_gbk;
            break;
        }
    }

    const auto rawHeaders = request->QueryRawHeaders();
    if (!rawHeaders) return Text();
    Text scratchHeaders;
    Text& responseHeaders = args.responseHeaders ? *args.responseHeaders : scratchHeaders;
    responseHeaders = Narrow(*rawHeaders);
    const int lineEnd = text::Find(responseHeaders, Text("\r\n"), 10);
    statusText = text::Mid(responseHeaders, 10, lineEnd - 10);

    Text scratchReceived;
    Text& receivedCookies = args.receivedCookies ? *args.receivedCookies : scratchReceived;
    Text scratchLocation;
    Text& location = args.location ? *args.location : scratchLocation;
    for (const Text& line : text::Split(responseHeaders, Text("\r\n"))) {
        receivedCookies += CollectResponseCookies(line);
        if (text::EqualsIgnoreCase(text::Left(line, 10), Text("Location: "))) {
            location = text::Mid(line, 11, static_cast<int>(line.size()));
        }
    }
    if (receivedCookies.view().ends_with("; ")) {
        receivedCookies = text::Left(receivedCookies, static_cast<int>(receivedCookies.size()) - 2);
    }
    if (mergeCookies && sendsCookies) {
        receivedCookies = MergeCookies(args.sendCookies, &receivedCookies);
    }

    if (args.responseBytes) *args.responseBytes = ByteSet(response.begin(), response.end());
    return BodyText(std::move(response), regex);
}

}  // namespace http
