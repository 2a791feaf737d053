#pragma once

#include <optional>
#include <stop_token>

#include "text/core/Text.h"

namespace http {

// The arguments of WinHttpApiRequest. Only `url` is required; an omitted field counts as the zero
// value of its type unless noted. In/out and out fields are pointers, null when omitted.
struct WinHttpApiRequestArgs {
    Text url;                            // with its scheme, "http://" or "https://"
    std::optional<int> method;           // MethodNames number; 0
    std::optional<Text> postText;        // body sent when postBytes is empty
    Text* sendCookies = nullptr;         // in/out; sent when not empty (and then the transport
                                         // keeps cookies across redirects); merged cookies after
    Text* receivedCookies = nullptr;     // in/out; the response's cookies are appended
    std::optional<Text> extraHeaders;    // header lines separated by "\r\n"
    Text* responseHeaders = nullptr;     // out; every header line, status line first
    std::optional<bool> noRedirect;      // true turns redirection off
    std::optional<Text> serverUser;      // Basic authentication at the server, when both the
    std::optional<Text> serverPassword;  // user and the password are given
    std::optional<Text> proxy;           // 'host:port'; empty means none
    std::optional<Text> proxyUser;       // Basic authentication at the proxy, likewise
    std::optional<Text> proxyPassword;
    std::optional<int> timeoutSeconds;         // 0 or less (and omitted): 30 s
    Text* location = nullptr;                  // out; the last "Location: " header's value
    Text* statusText = nullptr;                // out; '200 OK', or one of the numbered error texts
    ByteSet* responseBytes = nullptr;          // out; the body exactly as received
    std::optional<bool> mergeCookies;          // true when omitted
    std::optional<bool> addDefaultHeaders;     // true when omitted
    std::optional<ByteSet> postBytes;          // sent instead of postText when not empty
    std::optional<bool> normalizeHeaderNames;  // true when omitted
    std::stop_token stop;  // a stop request ends the transfer early (as a failed one)
};

// One request in the WinHTTP style; returns the body as Text (up to its first zero byte),
// re-decoded when the page's first 1024 bytes declare a charset other than "gbk" or "gb2312" in a
// meta tag (a charset that cannot be read leaves the body as received). Defaults for the address
// alone: a GET with the User-Agent, Accept, Accept-Encoding, Accept-Language and Cache-Control
// lines, all time-outs 30 s, certificate errors ignored, cookies neither kept nor sent by the
// transport, redirects followed.
//
// Failures are not raised: the steps that can fail store a numbered text in statusText, from
// "700 当前系统不支持WinHttp服务!" to "713 读取数据失败!", and return the empty text, leaving the
// other out-parameters alone. A body that breaks off is returned as far as it came. The status is
// not examined: a 404 or 500 body comes back like any other. Blocks the calling thread; uses the
// calling thread's component apartment (entered and left within the call).
Text WinHttpApiRequest(const WinHttpApiRequestArgs& args);

// The text after the last "<name>: " in the first line of `block` that starts with `name`;
// empty when no line starts with it or that line has no such occurrence.
Text HeaderLineValue(const Text& block, const Text& name);

}  // namespace http
