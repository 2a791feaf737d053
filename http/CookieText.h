#pragma once

#include <vector>

#include "text/core/Text.h"

// Cookie texts: items 'name=value' separated by "; ". None of these keeps state or fails.
namespace http {

// The cookies of every "Set-Cookie" line of a response header block, in order, each followed by
// "; " (the first attribute alone when the line has a ";"). Lines whose text before ": " is not
// exactly "Set-Cookie" are not taken. Nothing is de-duplicated; the trailing "; " stays.
Text CollectResponseCookies(const Text& headers);

// Merges the sent (older) cookies with the received (newer) ones: a received cookie replaces a
// sent one of the same name, items whose value is "deleted" are dropped, repeated items removed.
// Both pointers are in/out and must not be null: each is trimmed (with a space after a final
// ";"); the merged text is then stored in *sent and returned.
Text MergeCookies(Text* sent, Text* received);

// The trimmed text before the item's first "=", or the whole trimmed item without one.
Text CookieName(const Text& item);
// Whether some item's CookieName equals `name` exactly.
bool HasCookieNamed(const std::vector<Text>& items, const Text& name);

// The text split on `separator` with later repeats of an item dropped, joined again without a
// final separator. An empty text gives the empty text.
Text RemoveDuplicateItems(const Text& text, const Text& separator);
// The 1-based position of the first item equal to `item`, or -1.
int FindItem(const std::vector<Text>& items, const Text& item);

}  // namespace http
