#pragma once

#include <optional>

#include "text/core/Text.h"

// Moving service text between a byte code page and UTF-16 (ByteSets of little-endian units).
// A conversion that the platform refuses yields an empty result; none of these reports errors.

// The bytes up to their first zero, as UTF-16 units including the terminating zero unit;
// empty when that string is empty.
ByteSet ToUtf16(const ByteSet& bytes, unsigned codePage);
// The units up to their first zero unit, in `codePage`, without a terminating zero; empty when
// that string is empty.
ByteSet FromUtf16(const ByteSet& units, unsigned codePage);
// FromUtf16 as a Text; an omitted code page is the ANSI code page (936 here).
Text Utf16ToText(const ByteSet& units, std::optional<unsigned> codePage = std::nullopt);
// UTF-8 bytes to a GBK text.
Text Utf8ToGbk(const ByteSet& utf8);
