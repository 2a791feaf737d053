#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace com::textstream {

// How the bytes of a charset are read.
struct CharsetCodec {
    const char* iconvName;           // the name glibc's iconv knows
    std::string_view byteOrderMark;  // skipped at the start of the bytes; empty for none
    std::size_t unitSize = 1;        // bytes skipped past a sequence that does not decode
};

// The codec for a charset name as web pages and the text stream take them ("utf-8", "GBK",
// "big5", "shift_jis", "unicode", "iso-8859-1", ...): ASCII case and surrounding spaces are
// ignored. Labels follow the Windows conventions the original program ran under: "gb2312" and
// "gbk" read as code page 936, "big5" as 950, "shift_jis" as 932, "euc-kr" as 949, "unicode" as
// UTF-16 little-endian, and "iso-8859-1" and "us-ascii" as windows-1252. Empty for a name not in
// the table; no other name ever reaches iconv.
std::optional<CharsetCodec> FindCharset(std::string_view name);

}  // namespace com::textstream
