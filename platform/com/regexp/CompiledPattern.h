#pragma once

#include <memory>
#include <string_view>

#include "platform/com/regexp/MatchList.h"

namespace com::regexp {

struct PatternFlags {
    bool ignoreCase = false;
    bool multiline = false;
};

// One pattern compiled by the 16-bit PCRE2 library, JIT-compiled when the platform allows.
//
// Syntax follows ECMAScript as far as PCRE2 allows: \uXXXX and \xhh escapes, a back reference to
// a group that has not matched matches the empty string, "[]" never matches and "[^]" matches
// any unit, an unknown escape such as "\q" stands for the letter itself, and '$' without
// multi-line mode matches only at the very end. There is no UTF mode: every UTF-16 unit is one
// character (a surrogate pair is two), and \w, \d, \s and case folding cover ASCII only.
//
// Line ends are CR, LF and CRLF (PCRE2's ANYCRLF convention): '.' matches neither CR nor LF,
// and in multi-line mode '^' and '$' match at each of them, so pages with Windows line ends
// behave like pages with Unix ones.
//
// Every search runs under a match limit, a depth limit, a heap limit and a bounded JIT stack, so
// a pattern that backtracks catastrophically gives up within a fraction of a second; a search
// that reaches a limit is taken as finding no (further) match. The match limit (ten million
// steps) also bounds a sound search: a lazy ".*?" stretch longer than about ten million units
// is not found.
//
// Not thread-safe: an object belongs to the thread that uses it (it keeps its match data).
class CompiledPattern {
public:
    // Null when PCRE2 rejects the pattern.
    static std::unique_ptr<CompiledPattern> Compile(std::u16string_view pattern,
                                                    PatternFlags flags);

    ~CompiledPattern();
    CompiledPattern(const CompiledPattern&) = delete;
    CompiledPattern& operator=(const CompiledPattern&) = delete;

    std::size_t GroupCount() const { return groupCount_; }

    // The matches from the start of `subject`: every one when `global`, else the first. After an
    // empty match the next search starts one unit further on, so empty matches never loop.
    MatchList Find(std::u16string_view subject, bool global);

private:
    struct Handles;
    explicit CompiledPattern(std::unique_ptr<Handles> handles);

    std::unique_ptr<Handles> handles_;
    std::size_t groupCount_ = 0;
};

}  // namespace com::regexp
