#include "http/WinInetUrl.h"

#include <algorithm>

#include "http/HeaderText.h"
#include "text/core/TextOps.h"

namespace http {

Text UrlHost(const Text& address, bool keepPort) {
    Text lower = text::ToLowerAscii(address);
    if (lower.empty() || lower.view().back() != '/') lower += Text("/");
    Text host;
    if (text::Left(lower, 8) == Text("https://")) {
        host = TextBetween(lower, Text("https://"), Text("/"));
    } else {
        if (!text::Contains(lower, Text("http://"))) lower = Text("http://") + lower;
        host = TextBetween(lower, Text("http://"), Text("/"));
    }
    const int colon = text::Find(host, Text(":"));
    if (!keepPort && colon != -1) host = text::Left(host, colon - 1);
    return host;
}

int UrlPort(const Text& address) {
    const Text host = UrlHost(address, true);
    const int colon = text::FindLast(host, Text(":"));
    if (colon != -1) {
        constexpr int kBeyondAnyPort = 1000000;  // more digits change nothing: no such port
        int port = 0;
        for (char c : host.view().substr(static_cast<std::size_t>(colon))) {
            if (c < '0' || c > '9') break;
            port = std::min(port * 10 + (c - '0'), kBeyondAnyPort);
        }
        return port;
    }
    return text::Left(text::ToLowerAscii(address), 5) == Text("https") ? 443 : 80;
}

Text UrlPath(const Text& address) {
    // The host is looked for behind the scheme, so a host such as 'h' or 'tt' is not found in
    // "http://" itself.
    const int schemeEnd = text::Find(address, Text("://"));
    const int from = schemeEnd == -1 ? 1 : schemeEnd + 3;
    const int hostAt = text::Find(address, UrlHost(address), from, text::Case::Ignore);
    const int slash = text::Find(address, Text("/"), hostAt);
    return slash == -1 ? Text("/") : text::Mid(address, slash, static_cast<int>(address.size()));
}

}  // namespace http
