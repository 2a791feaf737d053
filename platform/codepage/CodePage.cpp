#include "platform/codepage/CodePage.h"

#include <iconv.h>
#include <cerrno>
#include <memory>

namespace codepage {
namespace {

const char* IconvName(unsigned codePage) {
    switch (codePage) {
        case kAnsi:
        case kGbk:
            return "CP936";
        case kUtf8:
            return "UTF-8";
        default:
            return nullptr;
    }
}

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using Converter = std::unique_ptr<void, IconvCloser>;

Converter OpenConverter(const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
    return Converter(cd);
}

// Runs the whole input through `cd`. On an invalid or incomplete sequence, `onInvalid` appends
// the replacement and says how many input bytes to skip.
template <typename OnInvalid>
std::string Convert(void* cd, std::string_view input, OnInvalid onInvalid) {
    std::string out;
    out.resize(input.size() * 2 + 16);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    std::size_t used = 0;
    while (inLeft > 0) {
        char* dst = out.data() + used;
        std::size_t dstLeft = out.size() - used;
        const std::size_t rc = iconv(static_cast<iconv_t>(cd), &in, &inLeft, &dst, &dstLeft);
        used = out.size() - dstLeft;
        if (rc != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        // EILSEQ or EINVAL: a sequence that does not convert.
        std::string replacement;
        std::size_t skip = onInvalid(std::string_view(in, inLeft), replacement);
        skip = std::min(skip, inLeft);
        out.resize(used);
        out += replacement;
        used = out.size();
        out.resize(used + inLeft * 2 + 16);
        in += skip;
        inLeft -= skip;
        iconv(static_cast<iconv_t>(cd), nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(used);
    return out;
}

void AppendUnit(std::string& out, char16_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
}

bool IsHighSurrogate(unsigned unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

unsigned UnitAt(std::string_view rest, std::size_t index) {
    return static_cast<unsigned char>(rest[index * 2]) |
           (static_cast<unsigned char>(rest[index * 2 + 1]) << 8);
}

}  // namespace

std::optional<std::u16string> Decode(std::string_view bytes, unsigned codePage) {
    const char* name = IconvName(codePage);
    if (name == nullptr) return std::nullopt;
    Converter cd = OpenConverter("UTF-16LE", name);
    if (!cd) return std::nullopt;
    const char16_t replacement = codePage == kUtf8 ? u'\uFFFD' : u'?';
    const std::string out = Convert(cd.get(), bytes, [&](std::string_view, std::string& rep) {
        AppendUnit(rep, replacement);
        return std::size_t{1};
    });
    std::u16string units(out.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(out[2 * i]) |
                                         (static_cast<unsigned char>(out[2 * i + 1]) << 8));
    }
    return units;
}

std::optional<std::string> Encode(std::u16string_view units, unsigned codePage) {
    const char* name = IconvName(codePage);
    if (name == nullptr) return std::nullopt;
    Converter cd = OpenConverter(name, "UTF-16LE");
    if (!cd) return std::nullopt;
    std::string le;
    le.reserve(units.size() * 2);
    for (char16_t unit : units) AppendUnit(le, unit);
    return Convert(cd.get(), le, [&](std::string_view rest, std::string& rep) {
        rep = codePage == kUtf8 ? "\xEF\xBF\xBD" : "?";
        // A whole surrogate pair that the code page cannot hold is one character.
        const bool pair = rest.size() >= 4 && IsHighSurrogate(UnitAt(rest, 0)) &&
                          UnitAt(rest, 1) >= 0xDC00 && UnitAt(rest, 1) <= 0xDFFF;
        return std::size_t{pair ? 4u : 2u};
    });
}

Text GbkFromUtf8(std::string_view utf8) {
    const auto wide = Decode(utf8, kUtf8);
    if (!wide) return Text();
    return Text(Encode(*wide, kGbk).value_or(std::string()));
}

std::string Utf8FromGbk(const Text& gbk) {
    const auto wide = Decode(gbk.view(), kGbk);
    if (!wide) return std::string();
    return Encode(*wide, kUtf8).value_or(std::string());
}

std::u16string WideFromText(const Text& text) { return Decode(text.view(), kAnsi).value_or(u""); }

Text TextFromWide(std::u16string_view units) {
    return Text(Encode(units, kAnsi).value_or(std::string()));
}

}  // namespace codepage

Text operator""_gbk(const char* utf8, std::size_t length) {
    return codepage::GbkFromUtf8(std::string_view(utf8, length));
}
