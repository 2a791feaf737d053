#include "platform/com/regexp/Substitution.h"

namespace com::regexp {
namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

void AppendGroup(std::u16string& out, std::u16string_view subject, const Span& span) {
    if (span.matched) out.append(subject.substr(span.start, span.length()));
}

}  // namespace

void AppendSubstitution(std::u16string& out, std::u16string_view replacement,
                        std::u16string_view subject, const MatchList& matches, std::size_t match) {
    const Span& whole = matches.at(match, 0);
    const std::size_t groups = matches.groupCount();
    std::size_t i = 0;
    while (i < replacement.size()) {
        const char16_t c = replacement[i];
        if (c != u'$' || i + 1 == replacement.size()) {
            out.push_back(c);
            ++i;
            continue;
        }
        const char16_t next = replacement[i + 1];
        if (next == u'$') {
            out.push_back(u'$');
            i += 2;
        } else if (next == u'&') {
            AppendGroup(out, subject, whole);
            i += 2;
        } else if (next == u'`') {
            out.append(subject.substr(0, whole.start));
            i += 2;
        } else if (next == u'\'') {
            out.append(subject.substr(whole.end));
            i += 2;
        } else if (IsDigit(next)) {
            const std::size_t one = next - u'0';
            const bool hasSecond = i + 2 < replacement.size() && IsDigit(replacement[i + 2]);
            const std::size_t two = hasSecond ? one * 10 + (replacement[i + 2] - u'0') : 0;
            if (hasSecond && two >= 1 && two <= groups) {
                AppendGroup(out, subject, matches.at(match, two));
                i += 3;
            } else if (one >= 1 && one <= groups) {
                AppendGroup(out, subject, matches.at(match, one));
                i += 2;
            } else {
                out.push_back(u'$');
                ++i;
            }
        } else {
            out.push_back(u'$');
            ++i;
        }
    }
}

}  // namespace com::regexp
