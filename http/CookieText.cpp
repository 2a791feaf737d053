#include "http/CookieText.h"

#include <string>

#include "http/HeaderText.h"
#include "text/core/TextOps.h"

namespace http {
namespace {

const Text kItemSeparator("; ");

// Trimmed, with a space after a final ";" so that splitting on "; " closes the last item.
Text TidyCookieText(const Text& cookies) {
    Text tidy = text::Trim(cookies);
    if (!tidy.empty() && tidy.view().back() == ';') tidy += Text(" ");
    return tidy;
}

}  // namespace

Text CollectResponseCookies(const Text& headers) {
    const Text setCookie("Set-Cookie");
    const Text setCookieColon("Set-Cookie:");
    std::string out;
    for (const Text& line : text::Split(headers, Text("\r\n"))) {
        if (TextLeftOf(line, Text(": ")) != setCookie) continue;
        const Text value =
            text::Contains(line, Text(";"))
                ? text::Trim(TextBetween(line, setCookieColon, Text(";")))
                : text::Trim(text::ReplaceAll(line, setCookieColon, Text(), text::Case::Ignore));
        out += value.view();
        out += kItemSeparator.view();
    }
    return Text(std::move(out));
}

Text MergeCookies(Text* sent, Text* received) {
    *sent = TidyCookieText(*sent);
    *received = TidyCookieText(*received);
    std::vector<Text> merged = text::Split(*received, kItemSeparator);
    for (const Text& old : text::Split(*sent, kItemSeparator)) {
        if (!HasCookieNamed(merged, CookieName(old))) merged.push_back(old);
    }
    std::string joined;
    for (const Text& item : merged) {
        if (item.view().ends_with("=deleted")) continue;
        joined += item.view();
        joined += kItemSeparator.view();
    }
    if (joined.size() >= kItemSeparator.size())
        joined.resize(joined.size() - kItemSeparator.size());
    *sent = RemoveDuplicateItems(Text(std::move(joined)), kItemSeparator);
    return *sent;
}

Text CookieName(const Text& item) {
    const int equals = text::Find(item, Text("="));
    return text::Trim(equals == -1 ? item : text::Left(item, equals - 1));
}

bool HasCookieNamed(const std::vector<Text>& items, const Text& name) {
    for (const Text& item : items) {
        if (CookieName(item) == name) return true;
    }
    return false;
}

Text RemoveDuplicateItems(const Text& text, const Text& separator) {
    std::vector<Text> taken;
    std::string out;
    for (const Text& item : text::Split(text, separator)) {
        if (FindItem(taken, item) != -1) continue;
        taken.push_back(item);
        out += item.view();
        out += separator.view();
    }
    out.resize(out.size() >= separator.size() ? out.size() - separator.size() : 0);
    return Text(std::move(out));
}

int FindItem(const std::vector<Text>& items, const Text& item) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == item) return static_cast<int>(i) + 1;
    }
    return -1;
}

}  // namespace http
