#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/com/textstream/CharsetNames.h"

namespace com::textstream {

// `bytes` decoded from `codec` into UTF-16 units, for inputs of any size. When `skipMark` is set
// and the bytes start with the codec's byte-order mark, the mark is skipped. A sequence that does
// not decode becomes U+FFFD and decoding goes on one code unit further; a sequence cut off at the
// end becomes one U+FFFD. Empty when iconv cannot open the codec. Thread-safe.
std::optional<std::u16string> DecodeBytes(std::string_view bytes, const CharsetCodec& codec,
                                          bool skipMark);

}  // namespace com::textstream
