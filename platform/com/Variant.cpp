#include "platform/com/Variant.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace com {
namespace {

std::string Narrow(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) {
        if (c > 0x7F) return std::string("\x01");  // never part of a number
        out.push_back(static_cast<char>(c));
    }
    return out;
}

std::optional<double> ParseNumber(const std::u16string& s) {
    std::string ascii = Narrow(s);
    const auto first = ascii.find_first_not_of(" \t");
    if (first == std::string::npos) return std::nullopt;
    const auto last = ascii.find_last_not_of(" \t");
    ascii = ascii.substr(first, last - first + 1);
    // Only plain decimal forms: strtod would also take hex, "inf" and "nan".
    for (char c : ascii) {
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) {
            return std::nullopt;
        }
    }
    char* end = nullptr;
    const double value = std::strtod(ascii.c_str(), &end);
    if (end != ascii.c_str() + ascii.size()) return std::nullopt;
    return value;
}

bool EqualsAsciiIgnoreCase(const std::u16string& s, std::string_view word) {
    if (s.size() != word.size()) return false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char16_t c = s[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != static_cast<char16_t>(word[i])) return false;
    }
    return true;
}

}  // namespace

std::u16string FormatNumber(double value) {
    if (std::isnan(value)) return u"NaN";
    if (std::isinf(value)) return value > 0 ? u"Infinity" : u"-Infinity";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    std::u16string out;
    for (const char* p = buffer; *p; ++p) out.push_back(static_cast<char16_t>(*p));
    if (out.size() == 2 && out[0] == u'-' && out[1] == u'0') out.assign(1, u'0');
    return out;
}

std::optional<Variant> ChangeType(const Variant& value, VariantKind kind) {
    switch (kind) {
        case VariantKind::Empty:
            return Variant{};
        case VariantKind::String:
            if (std::holds_alternative<std::monostate>(value)) return Variant{std::u16string()};
            if (auto* s = std::get_if<std::u16string>(&value)) return Variant{*s};
            if (auto* d = std::get_if<double>(&value)) return Variant{FormatNumber(*d)};
            if (auto* b = std::get_if<bool>(&value)) {
                return Variant{std::u16string(*b ? u"True" : u"False")};
            }
            return std::nullopt;
        case VariantKind::Number:
            if (std::holds_alternative<std::monostate>(value)) return Variant{0.0};
            if (auto* d = std::get_if<double>(&value)) return Variant{*d};
            if (auto* b = std::get_if<bool>(&value)) return Variant{*b ? -1.0 : 0.0};
            if (auto* s = std::get_if<std::u16string>(&value)) {
                if (auto number = ParseNumber(*s)) return Variant{*number};
            }
            return std::nullopt;
        case VariantKind::Boolean:
            if (std::holds_alternative<std::monostate>(value)) return Variant{false};
            if (auto* b = std::get_if<bool>(&value)) return Variant{*b};
            if (auto* d = std::get_if<double>(&value)) return Variant{*d != 0.0};
            if (auto* s = std::get_if<std::u16string>(&value)) {
                if (EqualsAsciiIgnoreCase(*s, "true")) return Variant{true};
                if (EqualsAsciiIgnoreCase(*s, "false")) return Variant{false};
                if (auto number = ParseNumber(*s)) return Variant{*number != 0.0};
            }
            return std::nullopt;
        case VariantKind::Object:
            if (std::holds_alternative<std::monostate>(value)) return Variant{ObjectPtr{}};
            if (auto* o = std::get_if<ObjectPtr>(&value)) return Variant{*o};
            return std::nullopt;
        case VariantKind::Bytes:
            if (auto* bytes = std::get_if<ByteSet>(&value)) return Variant{*bytes};
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace com
