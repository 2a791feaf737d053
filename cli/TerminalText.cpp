#include "cli/TerminalText.h"

#include <cstdint>
#include <cstdio>

namespace cli {
namespace {

// One UTF-8 character: its code point and its length in bytes. A byte that does not start a
// well-formed character is a character of its own with code point 0xFFFD.
struct Character {
    char32_t codePoint;
    std::size_t length;
};

Character NextCharacter(std::string_view text, std::size_t at) {
    const auto lead = static_cast<std::uint8_t>(text[at]);
    if (lead < 0x80) return {lead, 1};
    std::size_t length = 0;
    char32_t codePoint = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        codePoint = lead & 0x07;
    } else {
        return {0xFFFD, 1};
    }
    if (at + length > text.size()) return {0xFFFD, 1};
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<std::uint8_t>(text[at + i]);
        if ((next & 0xC0) != 0x80) return {0xFFFD, 1};
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    return {codePoint, length};
}

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

bool IsWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
           (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
           (c >= 0x20000 && c <= 0x3FFFD);
}

}  // namespace

std::string OneLine(std::string_view utf8) {
    std::string line;
    line.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const Character c = NextCharacter(utf8, at);
        if (IsControl(c.codePoint)) {
            line += ' ';
        } else if (c.codePoint == 0xFFFD && c.length == 1) {
            line += "\uFFFD";  // a stray byte, which some terminals read as a control
        } else {
            line.append(utf8.substr(at, c.length));
        }
        at += c.length;
    }
    return line;
}

std::string JsonString(std::string_view utf8) {
    std::string json = "\"";
    for (std::size_t at = 0; at < utf8.size();) {
        const Character c = NextCharacter(utf8, at);
        const char32_t code = c.codePoint;
        if (code == '"') {
            json += "\\\"";
        } else if (code == '\\') {
            json += "\\\\";
        } else if (code == '\n') {
            json += "\\n";
        } else if (code == '\r') {
            json += "\\r";
        } else if (code == '\t') {
            json += "\\t";
        } else if (code < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(code));
            json += escape;
        } else if (code == 0xFFFD && c.length == 1) {
            json += "\\ufffd";  // a byte that is no UTF-8: the output stays valid JSON
        } else {
            json.append(utf8.substr(at, c.length));
        }
        at += c.length;
    }
    return json + "\"";
}

int DisplayWidth(std::string_view utf8) {
    int width = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const Character c = NextCharacter(utf8, at);
        width += IsWide(c.codePoint) ? 2 : 1;
        at += c.length;
    }
    return width;
}

std::string FitWidth(std::string_view utf8, int columns) {
    int width = 0;
    std::size_t at = 0;
    while (at < utf8.size()) {
        const Character c = NextCharacter(utf8, at);
        const int next = width + (IsWide(c.codePoint) ? 2 : 1);
        if (next > columns) break;
        width = next;
        at += c.length;
    }
    return std::string(utf8.substr(0, at));
}

}  // namespace cli
