#include "text/CodePageText.h"

#include <cstring>
#include <string>

#include "platform/codepage/CodePage.h"

ByteSet ToUtf16(const ByteSet& bytes, unsigned codePage) {
    if (bytes.empty()) return {};
    const auto* data = reinterpret_cast<const char*>(bytes.data());
    const std::string_view string(data, strnlen(data, bytes.size()));
    if (string.empty()) return {};
    std::u16string units = codepage::Decode(string, codePage).value_or(u"");
    if (units.empty()) return {};  // the conversion was refused
    units.push_back(u'\0');
    ByteSet out(units.size() * 2);
    for (std::size_t i = 0; i < units.size(); ++i) {
        out[2 * i] = static_cast<std::uint8_t>(units[i] & 0xFF);
        out[2 * i + 1] = static_cast<std::uint8_t>(units[i] >> 8);
    }
    return out;
}

ByteSet FromUtf16(const ByteSet& units, unsigned codePage) {
    std::u16string string;
    for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
        const char16_t unit = static_cast<char16_t>(units[i] | (units[i + 1] << 8));
        if (unit == u'\0') break;
        string.push_back(unit);
    }
    if (string.empty()) return {};
    const std::string bytes = codepage::Encode(string, codePage).value_or(std::string());
    return ToBytes(Text(bytes));
}

Text Utf16ToText(const ByteSet& units, std::optional<unsigned> codePage) {
    return ToText(FromUtf16(units, codePage.value_or(codepage::kAnsi)));
}

Text Utf8ToGbk(const ByteSet& utf8) {
    return Utf16ToText(ToUtf16(utf8, codepage::kUtf8), codepage::kGbk);
}
