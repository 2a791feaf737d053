#include "text/FindText.h"

#include <string_view>

namespace {

bool SameByte(char a, char b, bool caseInsensitive) {
    if (caseInsensitive) {
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    }
    return a == b;
}

}  // namespace

int FindText(const Text& in, const Text& sought, std::optional<int> startPosition,
             bool caseInsensitive) {
    int start = startPosition.value_or(0);
    if (start == 0) start = 1;
    const std::string_view hay = in.view();
    const std::string_view needle = sought.view();
    if (hay.empty() || needle.empty() || start < 1) return -1;
    for (std::size_t at = static_cast<std::size_t>(start - 1); at + needle.size() <= hay.size();
         ++at) {
        std::size_t i = 0;
        while (i < needle.size() && SameByte(hay[at + i], needle[i], caseInsensitive)) ++i;
        if (i == needle.size()) return static_cast<int>(at) + 1;
    }
    return -1;
}
