#pragma once

#include <optional>
#include <stop_token>

#include "text/core/Text.h"

namespace http {

// The arguments of WinInetRequest. Only `url` is required; an omitted field counts as the zero
// value of its type unless noted. In/out and out fields are pointers, null when omitted.
struct WinInetRequestArgs {
    Text url;                          // "http://", "https://" or no scheme (taken as http)
    std::optional<int> method;         // MethodNames number; 0
    std::optional<Text> postText;      // body for a method other than 0 when postBytes is empty
    Text* sendCookies = nullptr;       // in/out; sent when not empty; supplied at all, it keeps
                                       // the shared cookie store out and allows the merge
    Text* receivedCookies = nullptr;   // out; 'a=1; b=2'
    std::optional<Text> extraHeaders;  // header lines separated by "\r\n"
    Text* responseHeaders = nullptr;   // out; every header line, status line first; empty when
                                       // no answer came
    std::optional<bool> noRedirect;    // true turns redirection off
    ByteSet* postBytes = nullptr;      // in/out; for a method other than 0 an empty one is first
                                       // set to the bytes of postText
    std::optional<Text> proxy;         // 'host:port'; empty means a direct connection
    std::optional<bool> mergeCookies;  // true when omitted
    std::optional<bool> addDefaultHeaders;     // true when omitted
    std::optional<bool> normalizeHeaderNames;  // true when omitted
    std::stop_token stop;  // a stop request ends the transfer early, keeping what was read
};

// One request in the WinInet style; returns the response body, whatever the status. Defaults for
// the address alone: a GET with the header block 'Accept: */*', Referer (the address) and
// 'Accept-Language: zh-cn', the user agent "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)",
// a direct connection, certificate errors ignored, redirects followed, the process-wide cookie
// store in use. A connection must be made within 15 s; a transfer that receives nothing for 30 s
// ends there with what was read (net::wininet::Timeouts). A request that cannot be set up
// returns an empty body and writes nothing; otherwise receivedCookies and responseHeaders are
// written, and sendCookies through the merge. Blocks the calling thread.
ByteSet WinInetRequest(const WinInetRequestArgs& args);

}  // namespace http
