#pragma once

#include <optional>

#include "text/core/Text.h"

// 1-based byte position of the first occurrence of `sought` at or after `startPosition`
// (omitted or 0 means 1), or -1; empty texts give -1. Byte-wise: a match may start on the second
// byte of a double-byte character. Case folding touches ASCII letters only.
int FindText(const Text& in, const Text& sought, std::optional<int> startPosition = std::nullopt,
             bool caseInsensitive = false);
