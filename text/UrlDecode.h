#pragma once

#include "text/core/Text.h"

// Percent escapes and "+" back into bytes, in one pass; never longer than the input. The result
// ends at the first zero byte it produced ("%00" cuts it). With `utf8` the bytes are taken as
// UTF-8 and turned into GBK.
Text UrlDecode(const Text& input, bool utf8 = false);
