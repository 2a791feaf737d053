#include "platform/com/textstream/CharsetDecoder.h"

#include <iconv.h>
#include <algorithm>
#include <bit>
#include <cerrno>
#include <memory>
#include <type_traits>

namespace com::textstream {
namespace {

// iconv writes straight into the char16_t buffer, so it must produce the host's byte order.
constexpr const char* kHostUtf16 =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

struct IconvClose {
    void operator()(std::remove_pointer_t<iconv_t>* cd) const { iconv_close(cd); }
};
using Converter = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvClose>;

Converter Open(const char* from) {
    iconv_t cd = iconv_open(kHostUtf16, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
    return Converter(cd);
}

}  // namespace

std::optional<std::u16string> DecodeBytes(std::string_view bytes, const CharsetCodec& codec,
                                          bool skipMark) {
    Converter cd = Open(codec.iconvName);
    if (!cd) return std::nullopt;
    if (skipMark && !codec.byteOrderMark.empty() && bytes.starts_with(codec.byteOrderMark)) {
        bytes.remove_prefix(codec.byteOrderMark.size());
    }

    // Most codecs give at most one unit per byte; the buffer grows when one gives more.
    std::u16string out(bytes.size() + 16, u'\0');
    std::size_t used = 0;
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    // Converts with `input` set, or flushes what the converter still holds without it. False on
    // an error other than a full buffer (which it handles), with errno set.
    auto step = [&](bool input) {
        for (;;) {
            char* dst = reinterpret_cast<char*>(out.data() + used);
            std::size_t dstLeft = (out.size() - used) * sizeof(char16_t);
            const std::size_t rc = input ? iconv(cd.get(), &in, &inLeft, &dst, &dstLeft)
                                         : iconv(cd.get(), nullptr, nullptr, &dst, &dstLeft);
            used = out.size() - dstLeft / sizeof(char16_t);
            if (rc != static_cast<std::size_t>(-1)) return true;
            if (errno != E2BIG) return false;
            out.resize(out.size() * 2);
        }
    };
    while (inLeft > 0) {
        if (step(true)) break;
        const bool truncated = errno == EINVAL;  // else EILSEQ: a sequence that does not decode
        if (used == out.size()) out.resize(out.size() * 2);
        out[used++] = u'\uFFFD';
        const std::size_t skip = truncated ? inLeft : std::min(codec.unitSize, inLeft);
        in += skip;
        inLeft -= skip;
        iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    }
    step(false);
    out.resize(used);
    return out;
}

}  // namespace com::textstream
