#pragma once

#include <optional>

#include "automation/Automation.h"
#include "text/core/Text.h"

// Options of RegexObject::Create; an omitted one takes the default named beside it.
struct RegexOptions {
    std::optional<bool> caseSensitive;     // omitted: false (case is ignored)
    std::optional<bool> multiline;         // omitted: true ('^' and '$' match at line ends)
    std::optional<bool> global;            // omitted: true (every match is collected)
    std::optional<bool> quotePlaceholder;  // omitted: false; true: "#引号" in the pattern is '"'
};

// One regular expression run over one text through the "VBScript.RegExp" component, and the
// matches it found. Patterns use that component's syntax (ECMAScript-like: lazy quantifiers,
// \w, groups; see platform/com/regexp/CompiledPattern.h).
//
// Belongs to the thread that made it: construction enters that thread's component apartment
// and destruction leaves it, so both happen on one thread. Nothing here reports errors: every
// read after a failed or absent Create gives the empty text or 0.
class RegexObject {
public:
    RegexObject();
    ~RegexObject();
    RegexObject(const RegexObject&) = delete;
    RegexObject& operator=(const RegexObject&) = delete;

    // A second object sharing this one's engine and matches, with its own copy of the subject.
    // It enters the apartment itself, so each object's destruction balances its own entry.
    RegexObject Copy() const;

    // Runs `pattern` over `subject` and keeps the matches. True when the engine produced a match
    // collection, even an empty one; false when the component could not be made or rejected the
    // pattern (all reads are then empty).
    bool Create(const Text& pattern, const Text& subject, const RegexOptions& options = {});

    // The engine's pattern (after the placeholder replacement); empty before the first Create.
    Text GetPattern() const;

    // The subject of the last Create with the matches replaced (every one when global, else the
    // first). The replacement may use $1..$99, $&, $`, $' and $$.
    Text ReplaceAll(const Text& replacement) const;

    int MatchCount() const;

    // The text of match n (from 1); empty when there is no such match. `position`, when given,
    // receives the match's 0-based byte offset in the subject, or -1 when there is no such match.
    Text MatchText(int n, int* position = nullptr) const;

    // The text of group g (from 1) of match n (from 1); empty when either does not exist or the
    // group took no part. `position`, when given, receives the 0-based byte offset of the first
    // occurrence of the group's text at or after the start of its match (the component gives no
    // group offsets), or -1 when the text is empty.
    Text SubMatchText(int n, int g, int* position = nullptr) const;

    // The number of groups of the first match; 0 when nothing matched.
    int SubMatchCount() const;

private:
    RegexObject(const automation::ObjectRef& engine, const automation::ObjectRef& matches,
                const Text& subject);

    automation::ObjectRef Match(int n) const;
    // The byte offset in the subject of the match's FirstIndex (UTF-16 units).
    int ByteOffsetOf(const automation::ObjectRef& match) const;

    automation::ObjectRef engine_;
    automation::ObjectRef matches_;
    Text subject_;
};
