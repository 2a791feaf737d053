#include "platform/com/regexp/MatchObjects.h"

#include <cmath>

namespace com::regexp {
namespace {

bool IsRead(InvokeKind kind) { return kind != InvokeKind::PropertyPut; }

// The index argument when it names one of `count` items.
std::optional<std::size_t> IndexArg(std::span<const Variant> args, std::size_t count) {
    const auto number = NumberArg(args, 0);
    if (!number || std::isnan(*number)) return std::nullopt;
    const double index = std::trunc(*number);
    if (index < 0 || index >= static_cast<double>(count)) return std::nullopt;
    return static_cast<std::size_t>(index);
}

class SubMatches : public Dispatch {
public:
    SubMatches(std::shared_ptr<const ExecuteResult> result, std::size_t match)
        : result_(std::move(result)), match_(match) {}

    std::optional<Variant> Invoke(std::string_view member, InvokeKind kind,
                                  std::span<const Variant> args) override {
        if (!IsRead(kind)) return std::nullopt;
        const MatchList& matches = result_->matches;
        if (IsMember(member, "Count")) return Variant{static_cast<double>(matches.groupCount())};
        if (IsMember(member, "Item")) {
            const auto index = IndexArg(args, matches.groupCount());
            if (!index) return std::nullopt;
            const Span& span = matches.at(match_, *index + 1);
            if (!span.matched) return Variant{};
            return Variant{result_->subject.substr(span.start, span.length())};
        }
        return std::nullopt;
    }

private:
    std::shared_ptr<const ExecuteResult> result_;
    std::size_t match_;
};

class Match : public Dispatch {
public:
    Match(std::shared_ptr<const ExecuteResult> result, std::size_t match)
        : result_(std::move(result)), match_(match) {}

    std::optional<Variant> Invoke(std::string_view member, InvokeKind kind,
                                  std::span<const Variant>) override {
        if (!IsRead(kind)) return std::nullopt;
        const Span& whole = result_->matches.at(match_, 0);
        if (IsMember(member, "Value")) {
            return Variant{result_->subject.substr(whole.start, whole.length())};
        }
        if (IsMember(member, "FirstIndex")) return Variant{static_cast<double>(whole.start)};
        if (IsMember(member, "Length")) return Variant{static_cast<double>(whole.length())};
        if (IsMember(member, "SubMatches")) {
            return Variant{ObjectPtr(std::make_shared<SubMatches>(result_, match_))};
        }
        return std::nullopt;
    }

private:
    std::shared_ptr<const ExecuteResult> result_;
    std::size_t match_;
};

class MatchCollection : public Dispatch {
public:
    explicit MatchCollection(std::shared_ptr<const ExecuteResult> result)
        : result_(std::move(result)) {}

    std::optional<Variant> Invoke(std::string_view member, InvokeKind kind,
                                  std::span<const Variant> args) override {
        if (!IsRead(kind)) return std::nullopt;
        const std::size_t count = result_->matches.size();
        if (IsMember(member, "Count")) return Variant{static_cast<double>(count)};
        if (IsMember(member, "Item")) {
            const auto index = IndexArg(args, count);
            if (!index) return std::nullopt;
            return Variant{ObjectPtr(std::make_shared<Match>(result_, *index))};
        }
        return std::nullopt;
    }

private:
    std::shared_ptr<const ExecuteResult> result_;
};

}  // namespace

ObjectPtr MakeMatchCollection(std::shared_ptr<const ExecuteResult> result) {
    return std::make_shared<MatchCollection>(std::move(result));
}

}  // namespace com::regexp
