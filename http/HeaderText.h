#pragma once

#include "text/core/Text.h"
#include "text/core/TextOps.h"

// Header blocks and marker searches shared by the three request routines. A header block is a
// Text of lines separated by "\r\n"; a line's name is the text before its first ":". None of
// these keeps state or fails: a missing marker or colon gives the empty text.
namespace http {

// Every line holding a ":" with each "-"-separated word of its name given CapitalizeFirst, the
// rest of the line unchanged; lines without a colon are dropped; joined by "\r\n" without a final
// one. A block without any such line gives the empty text.
Text NormalizeHeaderBlock(const Text& block);

// The text with its first byte upper-cased when it is an ASCII letter a-z.
Text CapitalizeFirst(const Text& word);

// The trimmed text before / after the line's first ":"; both empty when it has none.
Text HeaderName(const Text& line);
Text HeaderValue(const Text& line);

// The bytes before `marker`. A start of 0 or more searches forward from it (0 counts as 1) for
// the first occurrence; -1 searches for the last occurrence in the whole text, -n (n >= 2) in the
// text without its last n bytes. Empty when the marker is not found.
Text TextLeftOf(const Text& text, const Text& marker, int start = 0,
                text::Case cs = text::Case::Exact);

// The bytes between the first `left` found from `start` (0 counts as 1) and the first `right`
// after it. "#引号" in either marker stands for a double quote. Empty when either is missing.
Text TextBetween(const Text& text, const Text& left, const Text& right, int start = 0,
                 text::Case cs = text::Case::Exact);

}  // namespace http
