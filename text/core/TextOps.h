#pragma once

#include <vector>

#include "text/core/Text.h"

// Shared helpers on GBK texts. Positions count bytes from 1; -1 means absent. Searches step over
// double-byte characters (a byte of 0x80 or more and the byte after it) unless they say they are
// byte-wise, so a match never starts on the second byte of a character.
namespace text {

enum class Case { Exact, Ignore };

// First occurrence of `sought` at or after `start` (a start below 1 counts as 1), or -1.
int Find(const Text& in, const Text& sought, int start = 1, Case cs = Case::Exact);
// Last occurrence of `sought` that ends within the first `limit` bytes (all bytes when limit < 0).
int FindLast(const Text& in, const Text& sought, int limit = -1, Case cs = Case::Exact);
bool Contains(const Text& in, const Text& sought, Case cs = Case::Exact);

// Every occurrence replaced, stepping over double-byte characters.
Text ReplaceAll(const Text& in, const Text& sought, const Text& replacement, Case cs = Case::Exact);

// Removes ASCII spaces and full-width spaces (A1 A1) from both ends, nothing else.
Text Trim(const Text& in);

// Each separator closes one item; what follows the last one is an item only when not empty;
// an empty text gives no items.
std::vector<Text> Split(const Text& in, const Text& separator);
Text Join(const std::vector<Text>& items, const Text& separator);

// A count of 0 or less gives the empty text. Mid's start is 1-based.
Text Left(const Text& in, int count);
Text Right(const Text& in, int count);
Text Mid(const Text& in, int start, int count);

// ASCII letters only.
Text ToLowerAscii(const Text& in);
Text ToUpperAscii(const Text& in);
bool EqualsIgnoreCase(const Text& a, const Text& b);
bool StartsWith(const Text& in, const Text& prefix, Case cs = Case::Exact);

// Decimal, no leading zeros.
Text FromInt(long long value);

}  // namespace text
