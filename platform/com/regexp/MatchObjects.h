#pragma once

#include <memory>
#include <string>

#include "platform/com/Dispatch.h"
#include "platform/com/regexp/MatchList.h"

namespace com::regexp {

// What one Execute found: the subject it searched and the matches. Immutable once made; the
// collection and every match object handed out share it.
struct ExecuteResult {
    std::u16string subject;
    MatchList matches;
};

// The match collection returned by Execute, with the members scripts use:
//   Count; Item(i) (i from 0) -> a match object.
// A match object has Value, FirstIndex (UTF-16 units from 0), Length and SubMatches; the
// sub-match collection has Count and Item(i) (i from 0), the group's text, or the empty variant
// for a group that took no part in the match. An index out of range fails the call.
ObjectPtr MakeMatchCollection(std::shared_ptr<const ExecuteResult> result);

}  // namespace com::regexp
