#include "text/core/TextOps.h"

#include <algorithm>
#include <string>

namespace text {
namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool MatchesAt(std::string_view in, std::size_t at, std::string_view sought, Case cs) {
    if (at + sought.size() > in.size()) return false;
    for (std::size_t i = 0; i < sought.size(); ++i) {
        char a = in[at + i];
        char b = sought[i];
        if (cs == Case::Ignore) {
            a = FoldAscii(a);
            b = FoldAscii(b);
        }
        if (a != b) return false;
    }
    return true;
}

std::size_t CharLength(std::string_view in, std::size_t at) {
    return (static_cast<unsigned char>(in[at]) >= 0x80 && at + 1 < in.size()) ? 2 : 1;
}

// Index of the first character boundary at or after `from` (the walk starts at byte 0).
std::size_t AlignToCharacter(std::string_view in, std::size_t from) {
    std::size_t at = 0;
    while (at < from && at < in.size()) at += CharLength(in, at);
    return at;
}

}  // namespace

int Find(const Text& in, const Text& sought, int start, Case cs) {
    const std::string_view hay = in.view();
    const std::string_view needle = sought.view();
    if (hay.empty() || needle.empty()) return -1;
    std::size_t at = AlignToCharacter(hay, start < 1 ? 0 : static_cast<std::size_t>(start - 1));
    for (; at + needle.size() <= hay.size(); at += CharLength(hay, at)) {
        if (MatchesAt(hay, at, needle, cs)) return static_cast<int>(at) + 1;
    }
    return -1;
}

int FindLast(const Text& in, const Text& sought, int limit, Case cs) {
    const std::string_view hay = in.view();
    const std::string_view needle = sought.view();
    if (hay.empty() || needle.empty()) return -1;
    const std::size_t end = limit < 0 ? hay.size() : std::min<std::size_t>(hay.size(), limit);
    int found = -1;
    for (std::size_t at = 0; at + needle.size() <= end; at += CharLength(hay, at)) {
        if (MatchesAt(hay, at, needle, cs)) found = static_cast<int>(at) + 1;
    }
    return found;
}

bool Contains(const Text& in, const Text& sought, Case cs) { return Find(in, sought, 1, cs) != -1; }

Text ReplaceAll(const Text& in, const Text& sought, const Text& replacement, Case cs) {
    const std::string_view hay = in.view();
    const std::string_view needle = sought.view();
    if (needle.empty()) return in;
    std::string out;
    out.reserve(hay.size());
    std::size_t at = 0;
    while (at < hay.size()) {
        if (MatchesAt(hay, at, needle, cs)) {
            out += replacement.view();
            at += needle.size();
        } else {
            const std::size_t length = CharLength(hay, at);
            out.append(hay.substr(at, length));
            at += length;
        }
    }
    return Text(std::move(out));
}

Text Trim(const Text& in) {
    std::string_view v = in.view();
    for (;;) {
        if (!v.empty() && v.front() == ' ') {
            v.remove_prefix(1);
        } else if (v.size() >= 2 && v.substr(0, 2) == "\xA1\xA1") {
            v.remove_prefix(2);
        } else {
            break;
        }
    }
    for (;;) {
        if (!v.empty() && v.back() == ' ') {
            v.remove_suffix(1);
        } else if (v.size() >= 2 && v.substr(v.size() - 2) == "\xA1\xA1") {
            v.remove_suffix(2);
        } else {
            break;
        }
    }
    return Text(v);
}

std::vector<Text> Split(const Text& in, const Text& separator) {
    std::vector<Text> items;
    const std::string_view hay = in.view();
    if (hay.empty()) return items;
    if (separator.empty()) {
        items.push_back(in);
        return items;
    }
    std::size_t itemStart = 0;
    std::size_t at = 0;
    while (at < hay.size()) {
        if (MatchesAt(hay, at, separator.view(), Case::Exact)) {
            items.emplace_back(hay.substr(itemStart, at - itemStart));
            at += separator.size();
            itemStart = at;
        } else {
            at += CharLength(hay, at);
        }
    }
    if (itemStart < hay.size()) items.emplace_back(hay.substr(itemStart));
    return items;
}

Text Join(const std::vector<Text>& items, const Text& separator) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += separator.view();
        out += items[i].view();
    }
    return Text(std::move(out));
}

Text Left(const Text& in, int count) {
    if (count <= 0) return Text();
    return Text(in.view().substr(0, static_cast<std::size_t>(count)));
}

Text Right(const Text& in, int count) {
    if (count <= 0) return Text();
    const std::size_t n = std::min<std::size_t>(in.size(), static_cast<std::size_t>(count));
    return Text(in.view().substr(in.size() - n));
}

Text Mid(const Text& in, int start, int count) {
    if (count <= 0) return Text();
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start - 1);
    if (from >= in.size()) return Text();
    return Text(in.view().substr(from, static_cast<std::size_t>(count)));
}

Text ToLowerAscii(const Text& in) {
    std::string out(in.view());
    std::transform(out.begin(), out.end(), out.begin(), FoldAscii);
    return Text(std::move(out));
}

Text ToUpperAscii(const Text& in) {
    std::string out(in.view());
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return Text(std::move(out));
}

bool EqualsIgnoreCase(const Text& a, const Text& b) {
    return a.size() == b.size() && MatchesAt(a.view(), 0, b.view(), Case::Ignore);
}

bool StartsWith(const Text& in, const Text& prefix, Case cs) {
    return MatchesAt(in.view(), 0, prefix.view(), cs);
}

Text FromInt(long long value) { return Text(std::to_string(value)); }

}  // namespace text
