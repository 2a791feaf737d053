#include "platform/com/regexp/RegExpComponent.h"

#include "platform/com/ComponentRegistry.h"
#include "platform/com/regexp/MatchObjects.h"
#include "platform/com/regexp/Substitution.h"

namespace com {

void RegisterRegExp() {
    RegisterComponent("VBScript.RegExp",
                      [] { return std::make_shared<regexp::RegExpComponent>(); });
}

namespace regexp {
namespace {

// A text argument, read in place when the caller passed a string (subjects are whole pages, so
// this saves copies), else converted into `storage`.
std::optional<std::u16string_view> TextArg(std::span<const Variant> args, std::size_t index,
                                           std::u16string& storage) {
    if (index < args.size()) {
        if (const auto* text = std::get_if<std::u16string>(&args[index])) return *text;
    }
    auto converted = StringArg(args, index);
    if (!converted) return std::nullopt;
    storage = std::move(*converted);
    return storage;
}

}  // namespace

std::optional<Variant> RegExpComponent::Invoke(std::string_view member, InvokeKind kind,
                                               std::span<const Variant> args) {
    if (IsMember(member, "Pattern")) {
        if (kind == InvokeKind::PropertyGet) return Variant{pattern_};
        if (kind != InvokeKind::PropertyPut) return std::nullopt;
        auto pattern = StringArg(args, 0);
        if (!pattern) return std::nullopt;
        pattern_ = std::move(*pattern);
        programStale_ = true;
        return Variant{};
    }
    if (IsMember(member, "IgnoreCase")) return BoolProperty(ignoreCase_, true, kind, args);
    if (IsMember(member, "Multiline")) return BoolProperty(multiline_, true, kind, args);
    if (IsMember(member, "Global")) return BoolProperty(global_, false, kind, args);
    if (kind != InvokeKind::Method) return std::nullopt;
    if (IsMember(member, "Execute")) return Execute(args);
    if (IsMember(member, "Test")) return Test(args);
    if (IsMember(member, "Replace")) return Replace(args);
    return std::nullopt;
}

std::optional<Variant> RegExpComponent::BoolProperty(bool& field, bool recompiles, InvokeKind kind,
                                                     std::span<const Variant> args) {
    if (kind == InvokeKind::PropertyGet) return Variant{field};
    if (kind != InvokeKind::PropertyPut) return std::nullopt;
    const auto value = BoolArg(args, 0);
    if (!value) return std::nullopt;
    if (recompiles && *value != field) programStale_ = true;
    field = *value;
    return Variant{};
}

CompiledPattern* RegExpComponent::Program() {
    if (programStale_) {
        program_ = CompiledPattern::Compile(pattern_,
                                            {.ignoreCase = ignoreCase_, .multiline = multiline_});
        programStale_ = false;
    }
    return program_.get();
}

std::optional<Variant> RegExpComponent::Execute(std::span<const Variant> args) {
    std::u16string storage;
    const auto subject = TextArg(args, 0, storage);
    CompiledPattern* program = Program();
    if (!subject || !program) return std::nullopt;
    auto result = std::make_shared<ExecuteResult>();
    result->subject = std::u16string(*subject);
    result->matches = program->Find(result->subject, global_);
    return Variant{MakeMatchCollection(std::move(result))};
}

std::optional<Variant> RegExpComponent::Test(std::span<const Variant> args) {
    std::u16string storage;
    const auto subject = TextArg(args, 0, storage);
    CompiledPattern* program = Program();
    if (!subject || !program) return std::nullopt;
    return Variant{!program->Find(*subject, false).empty()};
}

std::optional<Variant> RegExpComponent::Replace(std::span<const Variant> args) {
    std::u16string subjectStorage;
    std::u16string replacementStorage;
    const auto subject = TextArg(args, 0, subjectStorage);
    const auto replacement = TextArg(args, 1, replacementStorage);
    CompiledPattern* program = Program();
    if (!subject || !replacement || !program) return std::nullopt;
    const MatchList matches = program->Find(*subject, global_);
    std::u16string out;
    out.reserve(subject->size());
    std::size_t copied = 0;
    for (std::size_t m = 0; m < matches.size(); ++m) {
        const Span& whole = matches.at(m, 0);
        out.append(subject->substr(copied, whole.start - copied));
        AppendSubstitution(out, *replacement, *subject, matches, m);
        copied = whole.end;
    }
    out.append(subject->substr(copied));
    return Variant{std::move(out)};
}

}  // namespace regexp
}  // namespace com
