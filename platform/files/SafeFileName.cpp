#include "platform/files/SafeFileName.h"

#include <array>
#include <cstdint>

namespace files {
namespace {

// Length of the UTF-8 sequence starting at `at`, or 0 when the bytes there are not one.
std::size_t Utf8SequenceLength(std::string_view in, std::size_t at, char32_t* codePoint) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(in[i]); };
    const std::uint8_t lead = byte(at);
    std::size_t length = 0;
    char32_t value = 0;
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > in.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        value = (value << 6) | (byte(at + i) & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return 0;
    }
    *codePoint = value;
    return length;
}

bool IsForbidden(char32_t c) {
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F)) return true;
    for (char forbidden : std::string_view("\\/:*?\"<>|")) {
        if (c == static_cast<char32_t>(forbidden)) return true;
    }
    return false;
}

// Every character kept whole, every unsafe one replaced.
std::string Sanitize(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (std::size_t at = 0; at < name.size();) {
        char32_t c = 0;
        const std::size_t length = Utf8SequenceLength(name, at, &c);
        if (length == 0) {
            out += '_';
            ++at;
            continue;
        }
        if (IsForbidden(c)) {
            out += '_';
        } else {
            out.append(name.substr(at, length));
        }
        at += length;
    }
    return out;
}

// The longest prefix of valid UTF-8 `name` within `limit` bytes.
std::string_view CutAtCharacter(std::string_view name, std::size_t limit) {
    if (name.size() <= limit) return name;
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<std::uint8_t>(name[cut]) & 0xC0) == 0x80) --cut;
    return name.substr(0, cut);
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsReservedDeviceName(std::string_view fileName) {
    std::string stem(fileName.substr(0, fileName.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& c : stem) c = LowerAscii(c);
    static constexpr std::array<std::string_view, 4> kPlain = {"con", "prn", "aux", "nul"};
    for (std::string_view reserved : kPlain) {
        if (stem == reserved) return true;
    }
    if (stem.size() < 4) return false;
    const std::string_view head = std::string_view(stem).substr(0, 3);
    if (head != "com" && head != "lpt") return false;
    const std::string_view number = std::string_view(stem).substr(3);
    // A digit, or the superscript digits one, two and three that Windows also reserves.
    return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9" ||
           number == "\xC2\xB2" || number == "\xC2\xB3";
}

}  // namespace

std::string SafeFileName(std::string_view name, std::string_view tail) {
    const std::string clean = Sanitize(name);
    std::string prefix;
    for (;;) {
        const std::size_t room =
            kMaxFileNameBytes - std::min(kMaxFileNameBytes, tail.size() + prefix.size());
        std::string result = prefix + std::string(CutAtCharacter(clean, room));
        if (tail.empty()) {
            while (!result.empty() && (result.back() == '.' || result.back() == ' ')) {
                result.pop_back();
            }
        }
        result += tail;
        if (result.empty() || result == "." || result == "..") return "_";
        if (!prefix.empty() || !IsReservedDeviceName(result)) return result;
        prefix = "_";
    }
}

}  // namespace files
