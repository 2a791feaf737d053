#include "http/HeaderText.h"

#include <string>

#include "platform/codepage/CodePage.h"

namespace http {

Text NormalizeHeaderBlock(const Text& block) {
    std::string out;
    for (const Text& line : text::Split(block, Text("\r\n"))) {
        const int colon = text::Find(line, Text(":"));
        if (colon == -1) continue;
        std::string normalized(line.view());
        // "-" never occurs as the second byte of a double-byte character, so every byte after
        // one starts a word.
        for (int i = 0; i < colon - 1; ++i) {
            if (i == 0 || normalized[i - 1] == '-') {
                const char c = normalized[i];
                if (c >= 'a' && c <= 'z') normalized[i] = static_cast<char>(c - 'a' + 'A');
            }
        }
        if (!out.empty()) out += "\r\n";
        out += normalized;
    }
    return Text(std::move(out));
}

Text CapitalizeFirst(const Text& word) {
    std::string out(word.view());
    if (!out.empty() && out[0] >= 'a' && out[0] <= 'z') out[0] = static_cast<char>(out[0] - 32);
    return Text(std::move(out));
}

Text HeaderName(const Text& line) {
    const int colon = text::Find(line, Text(":"));
    return colon == -1 ? Text() : text::Trim(text::Left(line, colon - 1));
}

Text HeaderValue(const Text& line) {
    const int colon = text::Find(line, Text(":"));
    if (colon == -1) return Text();
    return text::Trim(text::Mid(line, colon + 1, static_cast<int>(line.size())));
}

Text TextLeftOf(const Text& text, const Text& marker, int start, text::Case cs) {
    int found = -1;
    if (start >= 0) {
        found = text::Find(text, marker, start == 0 ? 1 : start, cs);
    } else {
        const int limit =
            start == -1 ? static_cast<int>(text.size()) : static_cast<int>(text.size()) + start;
        if (limit >= 0) found = text::FindLast(text, marker, limit, cs);
    }
    return found == -1 ? Text() : text::Left(text, found - 1);
}

Text TextBetween(const Text& text, const Text& left, const Text& right, int start, text::Case cs) {
    static const Text quoteWord = "#引号"_gbk;
    const Text leftMarker = text::ReplaceAll(left, quoteWord, Text("\""));
    const Text rightMarker = text::ReplaceAll(right, quoteWord, Text("\""));
    const int found = text::Find(text, leftMarker, start == 0 ? 1 : start, cs);
    if (found == -1) return Text();
    const int from = found + static_cast<int>(leftMarker.size());
    const int to = text::Find(text, rightMarker, from, cs);
    if (to == -1) return Text();
    return text::Mid(text, from, to - from);
}

}  // namespace http
