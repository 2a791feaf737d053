#include "platform/com/Dispatch.h"

namespace com {
namespace {

template <typename T>
std::optional<T> ArgAs(std::span<const Variant> args, std::size_t index, VariantKind kind) {
    if (index >= args.size()) return std::nullopt;
    const auto converted = ChangeType(args[index], kind);
    if (!converted) return std::nullopt;
    return std::get<T>(*converted);
}

}  // namespace

bool IsMember(std::string_view member, std::string_view name) {
    if (member.size() != name.size()) return false;
    for (std::size_t i = 0; i < member.size(); ++i) {
        auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (fold(member[i]) != fold(name[i])) return false;
    }
    return true;
}

std::optional<std::u16string> StringArg(std::span<const Variant> args, std::size_t index) {
    return ArgAs<std::u16string>(args, index, VariantKind::String);
}

std::optional<double> NumberArg(std::span<const Variant> args, std::size_t index) {
    return ArgAs<double>(args, index, VariantKind::Number);
}

std::optional<bool> BoolArg(std::span<const Variant> args, std::size_t index) {
    return ArgAs<bool>(args, index, VariantKind::Boolean);
}

}  // namespace com
