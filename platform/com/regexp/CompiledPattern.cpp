#include "platform/com/regexp/CompiledPattern.h"

#include <vector>

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

namespace com::regexp {
namespace {

// Limits for one search. A sound search over a page of several megabytes stays far below them;
// a catastrophically backtracking one reaches the match limit within a fraction of a second.
constexpr uint32_t kMatchLimit = 10'000'000;    // backtracking steps
constexpr uint32_t kDepthLimit = 1'000'000;     // nested backtracking points (interpreter)
constexpr uint32_t kHeapLimitKiB = 128 * 1024;  // backtracking memory (interpreter)
constexpr std::size_t kJitStackStart = 32 * 1024;
constexpr std::size_t kJitStackMax = 8 * 1024 * 1024;

struct CodeFree {
    void operator()(pcre2_code* p) const { pcre2_code_free(p); }
};
struct CompileContextFree {
    void operator()(pcre2_compile_context* p) const { pcre2_compile_context_free(p); }
};
struct MatchContextFree {
    void operator()(pcre2_match_context* p) const { pcre2_match_context_free(p); }
};
struct MatchDataFree {
    void operator()(pcre2_match_data* p) const { pcre2_match_data_free(p); }
};
struct JitStackFree {
    void operator()(pcre2_jit_stack* p) const { pcre2_jit_stack_free(p); }
};

PCRE2_SPTR Units(std::u16string_view s) { return reinterpret_cast<PCRE2_SPTR>(s.data()); }

}  // namespace

struct CompiledPattern::Handles {
    std::unique_ptr<pcre2_code, CodeFree> code;
    std::unique_ptr<pcre2_match_data, MatchDataFree> matchData;
    std::unique_ptr<pcre2_match_context, MatchContextFree> matchContext;
    std::unique_ptr<pcre2_jit_stack, JitStackFree> jitStack;  // null when not JIT-compiled
};

CompiledPattern::CompiledPattern(std::unique_ptr<Handles> handles) : handles_(std::move(handles)) {
    uint32_t count = 0;
    pcre2_pattern_info(handles_->code.get(), PCRE2_INFO_CAPTURECOUNT, &count);
    groupCount_ = count;
}

CompiledPattern::~CompiledPattern() = default;

std::unique_ptr<CompiledPattern> CompiledPattern::Compile(std::u16string_view pattern,
                                                          PatternFlags flags) {
    std::unique_ptr<pcre2_compile_context, CompileContextFree> compileContext(
        pcre2_compile_context_create(nullptr));
    if (!compileContext) return nullptr;
    pcre2_set_newline(compileContext.get(), PCRE2_NEWLINE_ANYCRLF);
    pcre2_set_compile_extra_options(compileContext.get(), PCRE2_EXTRA_BAD_ESCAPE_IS_LITERAL);

    uint32_t options = PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS | PCRE2_MATCH_UNSET_BACKREF |
                       PCRE2_NEVER_UTF | PCRE2_NEVER_UCP;
    options |= flags.multiline ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;
    if (flags.ignoreCase) options |= PCRE2_CASELESS;

    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    auto handles = std::make_unique<Handles>();
    handles->code.reset(pcre2_compile(Units(pattern), pattern.size(), options, &errorCode,
                                      &errorOffset, compileContext.get()));
    if (!handles->code) return nullptr;

    handles->matchData.reset(pcre2_match_data_create_from_pattern(handles->code.get(), nullptr));
    handles->matchContext.reset(pcre2_match_context_create(nullptr));
    if (!handles->matchData || !handles->matchContext) return nullptr;
    pcre2_set_match_limit(handles->matchContext.get(), kMatchLimit);
    pcre2_set_depth_limit(handles->matchContext.get(), kDepthLimit);
    pcre2_set_heap_limit(handles->matchContext.get(), kHeapLimitKiB);

    // Without JIT (platform refuses executable memory) the interpreter runs under the limits.
    if (pcre2_jit_compile(handles->code.get(), PCRE2_JIT_COMPLETE) == 0) {
        handles->jitStack.reset(pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr));
        if (handles->jitStack) {
            pcre2_jit_stack_assign(handles->matchContext.get(), nullptr, handles->jitStack.get());
        }
    }
    return std::unique_ptr<CompiledPattern>(new CompiledPattern(std::move(handles)));
}

MatchList CompiledPattern::Find(std::u16string_view subject, bool global) {
    MatchList found(groupCount_);
    std::vector<Span> spans(groupCount_ + 1);
    std::size_t start = 0;
    while (start <= subject.size()) {
        const int rc = pcre2_match(handles_->code.get(), Units(subject), subject.size(), start, 0,
                                   handles_->matchData.get(), handles_->matchContext.get());
        // No match, a limit reached, or out of memory: nothing more is found.
        if (rc < 0) break;
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(handles_->matchData.get());
        for (std::size_t g = 0; g <= groupCount_; ++g) {
            const bool set = static_cast<int>(g) < rc && ovector[2 * g] != PCRE2_UNSET;
            spans[g] = set ? Span{ovector[2 * g], ovector[2 * g + 1], true} : Span{};
        }
        found.push_back(spans);
        if (!global) break;
        // As in ECMAScript: after an empty match the next search starts one unit on.
        start = spans[0].end == spans[0].start ? spans[0].end + 1 : spans[0].end;
    }
    return found;
}

}  // namespace com::regexp
