#include "platform/com/script/ScriptError.h"

namespace com::script {
namespace {

bool EndsWith(std::u16string_view text, std::u16string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

int NumberFor(const ScriptFailure& failure) {
    if (failure.phase == ScriptFailure::Phase::Fatal) return 51;
    if (failure.message == u"alloc failed") return 7;
    if (failure.phase == ScriptFailure::Phase::Compile) {
        return failure.name == u"RangeError" ? 28 : 1002;  // the compiler's recursion limit
    }
    if (failure.name == u"SyntaxError") return 1002;
    if (failure.name == u"ReferenceError") return 5009;
    if (failure.name == u"TypeError") return 5007;
    if (failure.name == u"URIError") return 5025;
    if (failure.name == u"RangeError") return EndsWith(failure.message, u"limit") ? 28 : 6;
    return 5022;
}

// The 1-based line of `code`, without its line break.
std::u16string LineOf(std::u16string_view code, int line) {
    if (line < 1) return {};
    std::size_t start = 0;
    for (int current = 1; current < line; ++current) {
        const std::size_t next = code.find_first_of(u"\r\n", start);
        if (next == std::u16string_view::npos) return {};
        start =
            next +
            ((code[next] == u'\r' && next + 1 < code.size() && code[next + 1] == u'\n') ? 2 : 1);
    }
    const std::size_t end = code.find_first_of(u"\r\n", start);
    return std::u16string(code.substr(start, end == std::u16string_view::npos ? end : end - start));
}

}  // namespace

ScriptErrorState ErrorFromFailure(const ScriptFailure& failure, std::u16string_view code) {
    ScriptErrorState state;
    state.number = NumberFor(failure);
    state.description = failure.message;
    state.line = failure.line;
    switch (failure.phase) {
        case ScriptFailure::Phase::Compile:
            state.source = u"JavaScript compilation error";
            state.text = LineOf(code, failure.line);
            break;
        case ScriptFailure::Phase::Run:
            state.source = u"JavaScript runtime error";
            break;
        case ScriptFailure::Phase::Fatal:
            state.source = u"ScriptControl";
            state.description = u"script engine failed: " + failure.message;
            break;
    }
    return state;
}

ScriptErrorState ErrorFromRefusal(std::u16string description) {
    ScriptErrorState state;
    state.number = kErrorInvalidCall;
    state.source = u"ScriptControl";
    state.description = std::move(description);
    return state;
}

void ScriptErrorObject::Set(ScriptErrorState state) {
    std::lock_guard lock(mutex_);
    state_ = std::move(state);
}

void ScriptErrorObject::Clear() { Set(ScriptErrorState{}); }

ScriptErrorState ScriptErrorObject::Get() const {
    std::lock_guard lock(mutex_);
    return state_;
}

std::optional<Variant> ScriptErrorObject::Invoke(std::string_view member, InvokeKind kind,
                                                 std::span<const Variant> /*args*/) {
    if (kind == InvokeKind::Method) {
        if (!IsMember(member, "Clear")) return std::nullopt;
        Clear();
        return Variant{};
    }
    if (kind != InvokeKind::PropertyGet) return std::nullopt;
    const ScriptErrorState state = Get();
    if (IsMember(member, "Number")) return Variant{static_cast<double>(state.number)};
    if (IsMember(member, "Source")) return Variant{state.source};
    if (IsMember(member, "Description")) return Variant{state.description};
    if (IsMember(member, "HelpFile")) return Variant{state.helpFile};
    if (IsMember(member, "HelpContext")) return Variant{static_cast<double>(state.helpContext)};
    if (IsMember(member, "Text")) return Variant{state.text};
    if (IsMember(member, "Line")) return Variant{static_cast<double>(state.line)};
    if (IsMember(member, "Column")) return Variant{static_cast<double>(state.column)};
    return std::nullopt;
}

}  // namespace com::script
