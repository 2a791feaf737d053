#pragma once

#include <cstddef>
#include <vector>

namespace com::regexp {

// Where one match or capture group lies in the subject, in UTF-16 units from 0, end exclusive.
struct Span {
    std::size_t start = 0;
    std::size_t end = 0;
    bool matched = false;  // false for a group that took no part in the match

    std::size_t length() const { return end - start; }
};

// The matches found in one subject, in order. Each match has the whole-match span (group 0)
// followed by one span per capture group of the pattern.
class MatchList {
public:
    explicit MatchList(std::size_t groupCount = 0) : groupCount_(groupCount) {}

    std::size_t size() const { return spans_.size() / (groupCount_ + 1); }
    bool empty() const { return spans_.empty(); }
    std::size_t groupCount() const { return groupCount_; }

    // `group` 0 is the whole match, 1.. the capture groups; both must be in range.
    const Span& at(std::size_t match, std::size_t group) const {
        return spans_[match * (groupCount_ + 1) + group];
    }

    // Appends a match: `spans` holds groupCount() + 1 entries.
    void push_back(const std::vector<Span>& spans) {
        spans_.insert(spans_.end(), spans.begin(), spans.end());
    }

private:
    std::size_t groupCount_;
    std::vector<Span> spans_;
};

}  // namespace com::regexp
