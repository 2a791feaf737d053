#pragma once

#include <string>
#include <string_view>

#include "text/core/Text.h"

// The texts of the service's addresses and answers, apart from any request.
namespace app {

// "https://" + host + the homepage feed path for one page of one user. The UID goes in exactly as
// typed (nothing escaped or trimmed), the page as a decimal number.
std::string FeedAddress(std::string_view host, int page, const Text& uid);

// "https://" + host + "/play?s=" + the share id, nothing escaped.
std::string PlayPageAddress(std::string_view host, const Text& shareId);

// A feed answer made JSON: the bytes up to the first zero, percent-decoded (not as UTF-8), then
// without the 18 bytes of the JSONP function name and parenthesis and without the last byte,
// cut by position alone. Empty when 19 bytes or fewer remain after decoding.
Text UnwrapFeedBody(const ByteSet& body);

// The media address inside a play-address match: `match` without its first 10 bytes
// (playurl":") and its last byte (the closing quote); empty when it is 11 bytes or shorter.
Text MediaAddressFromMatch(const Text& match);

// A song title with every ASCII and full-width colon and question mark (":", "?", "：", "？")
// replaced by a space, double-byte characters kept whole; nothing else changes.
Text CleanTitle(const Text& title);

// The feed's song count as a page count, 10 songs a page, rounded up: 0 songs give 0 pages,
// 1 to 10 give 1, 25 give 3; a negative count gives 0.
int LastPageFor(int songCount);

// A number from the feed made an int: the fraction dropped, clamped to the int range, NaN 0.
int TruncateToInt(double value);

}  // namespace app
