#include "app/FeedText.h"

#include <climits>
#include <cmath>

#include "platform/codepage/CodePage.h"
#include "text/FindText.h"
#include "text/UrlDecode.h"
#include "text/core/TextOps.h"

namespace app {
namespace {

constexpr int kWrapperPrefixBytes = 18;
constexpr int kPlayUrlPrefixBytes = 10;  // playurl":"

}  // namespace

std::string FeedAddress(std::string_view host, int page, const Text& uid) {
    return "https://" + std::string(host) +
           "/cgi/fcgi-bin/kg_ugc_get_homepage?type=get_uinfo&start=" + std::to_string(page) +
           "&num=10&share_uid=" + uid.bytes();
}

std::string PlayPageAddress(std::string_view host, const Text& shareId) {
    return "https://" + std::string(host) + "/play?s=" + shareId.bytes();
}

Text UnwrapFeedBody(const ByteSet& body) {
    const Text decoded = UrlDecode(ToText(body), false);
    const int length = static_cast<int>(decoded.size());
    return text::Mid(decoded, kWrapperPrefixBytes + 1, length - kWrapperPrefixBytes - 1);
}

Text MediaAddressFromMatch(const Text& match) {
    const int length = static_cast<int>(match.size());
    return text::Mid(match, kPlayUrlPrefixBytes + 1, length - kPlayUrlPrefixBytes - 1);
}

Text CleanTitle(const Text& title) {
    Text cleaned = title;
    for (const Text& unwanted : {Text(":"), Text("?"), "："_gbk, "？"_gbk}) {
        if (FindText(cleaned, unwanted) != -1) {
            cleaned = text::ReplaceAll(cleaned, unwanted, Text(" "));
        }
    }
    return cleaned;
}

int LastPageFor(int songCount) {
    // The quotient compared in single precision, as the count has always been rounded up here.
    const double quotient = songCount / 10.0;
    const int whole = static_cast<int>(quotient);
    const float rounded = static_cast<float>(quotient);
    const int pages = static_cast<double>(rounded) - whole > 0.0000001 ? whole + 1 : whole;
    return pages < 0 ? 0 : pages;
}

int TruncateToInt(double value) {
    if (std::isnan(value)) return 0;
    const double whole = std::trunc(value);
    if (whole >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (whole <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(whole);
}

}  // namespace app
