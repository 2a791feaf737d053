#include "text/UrlDecode.h"

#include <string>

#include "text/CodePageText.h"

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

Text UrlDecode(const Text& input, bool utf8) {
    const std::string_view in = input.view();
    if (in.empty()) return Text();
    std::string out;
    out.reserve(in.size() + 1);
    for (std::size_t at = 0; at < in.size();) {
        const char c = in[at];
        if (c == '%') {
            // Up to two hex digits, parsing stops at the first non-digit; three bytes are
            // consumed whenever at least one digit was read.
            int value = 0;
            int digits = 0;
            for (std::size_t k = at + 1; k < in.size() && k <= at + 2; ++k) {
                const int d = HexDigit(in[k]);
                if (d < 0) break;
                value = value * 16 + d;
                ++digits;
            }
            if (digits > 0) {
                out.push_back(static_cast<char>(value & 0xFF));
                at += 3;
            } else {
                out.push_back('%');
                at += 1;
            }
        } else if (c == '+') {
            out.push_back(' ');
            ++at;
        } else {
            out.push_back(c);
            ++at;
        }
    }
    Text decoded(std::move(out));
    if (!utf8) return decoded;
    return Utf8ToGbk(ToBytes(decoded));
}
