#include "http/ComRequest.h"

#include <optional>
#include <stop_token>

#include "automation/Automation.h"
#include "http/Base64.h"
#include "http/CookieText.h"
#include "http/HeaderText.h"
#include "platform/com/Apartment.h"
#include "text/core/TextOps.h"

namespace http {
namespace {

using automation::CallMethod;
using automation::GetProperty;
using automation::ObjectRef;
using text::Case;

constexpr int kProxySettingProxy = 2;
constexpr int kOptionSslErrorIgnoreFlags = 4;
constexpr int kOptionEnableRedirects = 6;
constexpr int kIgnoreAllCertificateErrors = 0x3300;
constexpr double kDefaultTimeoutMs = 15000;
constexpr int kCredentialsForProxy = 1;

// Keeps the calling thread's apartment open for the call.
struct ApartmentScope {
    ApartmentScope() { ComInitialize(); }
    ~ApartmentScope() { ComUninitialize(); }
    ApartmentScope(const ApartmentScope&) = delete;
    ApartmentScope& operator=(const ApartmentScope&) = delete;
};

void SetOption(const ObjectRef& request, int option, int value) {
    automation::Invoke(request, "Option", com::InvokeKind::PropertyPut, {option, value});
}

void SetHeader(const ObjectRef& request, const Text& name, const Text& value) {
    CallMethod(request, "SetRequestHeader", {name, value});
}

// The body bytes of the object's answer; empty when there is none.
ByteSet ResponseBody(const ObjectRef& request) {
    return automation::GetProperty<ByteSet>(request, "ResponseBody");
}

// The working header block: the caller's lines with the default lines it lacks.
Text HeaderBlock(const ComRequestArgs& args, int method) {
    Text block = args.extraHeaders.value_or(Text());
    if (args.addDefaultHeaders.value_or(true)) {
        struct DefaultLine {
            Text name;
            Text line;
        };
        std::vector<DefaultLine> defaults = {
            {Text("Accept:"), Text("\r\nAccept: */*")},
            {Text("Referer:"), Text("\r\nReferer: ") + args.url},
            {Text("Accept-Language:"), Text("\r\nAccept-Language: zh-cn")},
            {Text("User-Agent:"),
             Text("\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)")},
        };
        if (method == 1) {
            defaults.push_back({Text("Content-Type:"),
                                Text("\r\nContent-Type: application/x-www-form-urlencoded")});
        }
        for (const DefaultLine& d : defaults) {
            if (!text::Contains(block, d.name, Case::Ignore)) block += d.line;
        }
    }
    if (args.normalizeHeaderNames.value_or(true)) block = NormalizeHeaderBlock(block);
    return block;
}

}  // namespace

ByteSet ComRequest(const ComRequestArgs& args) {
    const bool mergeCookies = args.mergeCookies.value_or(true);
    const int credentialTarget = args.credentialTarget.value_or(kCredentialsForProxy);
    ApartmentScope apartment;
    const int method = MethodNumber(args.method);
    const Text methodName = MethodName(method);

    const ObjectRef request = args.requestObject
                                  ? args.requestObject->Copy()
                                  : automation::CreateObject(Text("WinHttp.WinHttpRequest.5.1"));
    if (request.IsEmpty()) return {};

    const int timeoutSeconds = args.timeoutSeconds.value_or(0);
    if (timeoutSeconds != -1) {
        // In 64 bits: a time-out too large for the object is refused by it, never wrapped.
        const double t = timeoutSeconds >= 1 ? timeoutSeconds * 1000.0 : kDefaultTimeoutMs;
        CallMethod(request, "SetTimeouts", {t, t, t, t});
    }
    const Text proxy = args.proxy.value_or(Text());
    if (!proxy.empty()) CallMethod(request, "SetProxy", {kProxySettingProxy, proxy});
    CallMethod(request, "Open", {methodName, args.url, false});
    if (args.noRedirect.value_or(false)) SetOption(request, kOptionEnableRedirects, 0);
    SetOption(request, kOptionSslErrorIgnoreFlags, kIgnoreAllCertificateErrors);

    const Text block = HeaderBlock(args, method);

    const Text proxyUser = args.proxyUser.value_or(Text());
    const Text proxyPassword = args.proxyPassword.value_or(Text());
    if (!proxy.empty() && !proxyUser.empty()) {
        CallMethod(request, "SetCredentials", {proxyUser, proxyPassword, credentialTarget});
        if (credentialTarget == kCredentialsForProxy) {
            SetHeader(
                request, Text("Proxy-Authorization"),
                Text("Basic ") + Base64Encode(ToBytes(proxyUser + Text(":") + proxyPassword)));
        }
    }

    if (args.sendCookies) {
        Text& cookies = *args.sendCookies;
        if (!cookies.empty() && text::Contains(cookies, Text("Cookie:"), Case::Ignore)) {
            cookies = text::ReplaceAll(cookies, Text("Cookie:"), Text(), Case::Ignore);
        }
        SetHeader(request, Text("Cookie"), cookies);
    }

    if (!text::Contains(block, Text("\r\n"))) {
        SetHeader(request, HeaderName(block), HeaderValue(block));
    } else {
        for (const Text& line : text::Split(block, Text("\r\n"))) {
            if (line.empty()) continue;
            const Text name = HeaderName(line);
            const Text value = HeaderValue(line);
            if (name == Text("Connection") && value == Text("keep-alive")) continue;
            SetHeader(request, name, value);
        }
    }

    // The callback may run on another thread; the object's Abort is safe there.
    const std::stop_callback abortOnStop(args.stop, [&request] { CallMethod(request, "Abort"); });
    const ByteSet postBytes = args.postBytes.value_or(ByteSet());
    if (!postBytes.empty()) {
        CallMethod(request, "Send", {postBytes});
    } else {
        CallMethod(request, "Send", {args.postText.value_or(Text())});
    }

    ByteSet body = ResponseBody(request);
    Text scratchHeaders;
    Text& responseHeaders = args.responseHeaders ? *args.responseHeaders : scratchHeaders;
    responseHeaders = GetProperty<Text>(request, "GetAllResponseHeaders");
    int scratchStatus = 0;
    (args.statusCode ? *args.statusCode : scratchStatus) = GetProperty<int>(request, "Status");
    GetProperty<Text>(request, "StatusText");

    Text scratchReceived;
    Text& receivedCookies = args.receivedCookies ? *args.receivedCookies : scratchReceived;
    receivedCookies = CollectResponseCookies(responseHeaders);
    if (receivedCookies.view().ends_with("; ")) {
        receivedCookies = text::Left(receivedCookies, static_cast<int>(receivedCookies.size()) - 2);
    }
    if (mergeCookies && args.sendCookies) {
        receivedCookies = MergeCookies(args.sendCookies, &receivedCookies);
    }
    return body;
}

}  // namespace http
