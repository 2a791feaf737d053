#pragma once

#include "text/core/Text.h"

namespace http {

// Standard Base64 (RFC 4648 alphabet, "=" padding, no line breaks); empty bytes give "".
Text Base64Encode(const ByteSet& bytes);

}  // namespace http
