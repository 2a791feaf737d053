#pragma once

#include <array>
#include <optional>
#include <stop_token>
#include <string_view>

#include "automation/Automation.h"
#include "text/core/Text.h"

namespace http {

// The method numbers the request routines take: 0 "GET" to 7 "CONNECT".
inline constexpr std::array<std::string_view, 8> MethodNames = {
    "GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE", "CONNECT"};

// A number outside 0..7 (or an omitted one) becomes 0, "GET".
inline int MethodNumber(std::optional<int> method) {
    const int number = method.value_or(0);
    return number < 0 || number >= static_cast<int>(MethodNames.size()) ? 0 : number;
}
inline Text MethodName(int number) { return Text(MethodNames[MethodNumber(number)]); }

// The arguments of a request as ComRequest takes them. Only `url` is required; an omitted field
// is told apart from one given as zero. In/out and out fields are pointers: null means omitted,
// and the routine then writes to a scratch value of its own. Unless noted, an omitted field
// counts as the zero value of its type.
struct RequestParameters {
    Text url;
    std::optional<int> method;          // MethodNames number; 0
    std::optional<Text> postText;       // body sent when postBytes is empty
    Text* sendCookies = nullptr;        // in/out; "Cookie:" removed, merged cookies after a merge
    Text* receivedCookies = nullptr;    // out; the cookies the response sets, 'a=1; b=2'
    std::optional<Text> extraHeaders;   // header lines separated by "\r\n"
    Text* responseHeaders = nullptr;    // out; every response header line
    int* statusCode = nullptr;          // out; 0 when no response came
    std::optional<bool> noRedirect;     // true turns redirection off
    std::optional<ByteSet> postBytes;   // sent instead of postText when not empty
    std::optional<Text> proxy;          // 'host:port'; empty means none
    std::optional<int> timeoutSeconds;  // -1 leaves the object's own; 0 or omitted 15 s
    std::optional<Text> proxyUser;
    std::optional<Text> proxyPassword;
    std::optional<int> credentialTarget;                 // 0 server, 1 proxy; 1 when omitted
    std::optional<automation::ObjectRef> requestObject;  // the caller's request object
    std::optional<bool> mergeCookies;                    // true when omitted
    std::optional<bool> addDefaultHeaders;               // true when omitted
    std::optional<bool> normalizeHeaderNames;            // true when omitted
    // A stop request aborts the transfer (ComRequest only): it ends as a failed one, and the
    // request object stays aborted.
    std::stop_token stop;
};

}  // namespace http
