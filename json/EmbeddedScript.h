#pragma once

#include "text/core/Text.h"

namespace json {

// The script loaded into every JsonDocument engine: the helpers the node operations call,
// get__nodeValue(node, recursive) (pushes the string, number and boolean members onto the global
// array str_all), get__count(node), get__name_All(node) (member names joined by CR LF, function
// members left out), get__extend(target, source) (the merge of SetValue), and the methods
// toJSONString(filter) and parseJSON(filter) on Object.prototype where they are missing. The
// engine's native JSON object does the JSON work. ASCII only, the same text on every call.
const Text& EmbeddedScript();

}  // namespace json
