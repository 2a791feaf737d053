#include "automation/Automation.h"

#include <cmath>
#include <limits>
#include <vector>

#include "platform/codepage/CodePage.h"
#include "platform/com/ComponentRegistry.h"
#include "platform/com/NativeComponents.h"

namespace automation {
namespace {

std::optional<com::Variant> As(const com::Variant& value, com::VariantKind kind) {
    return com::ChangeType(value, kind);
}

}  // namespace

Variant::Variant(const Text& text) : value_(codepage::WideFromText(text)) {}

Text Variant::AsText() const {
    const auto converted = As(value_, com::VariantKind::String);
    return converted ? codepage::TextFromWide(std::get<std::u16string>(*converted)) : Text();
}

double Variant::AsNumber() const {
    const auto converted = As(value_, com::VariantKind::Number);
    return converted ? std::get<double>(*converted) : 0.0;
}

int Variant::AsInt() const {
    const double number = AsNumber();
    if (std::isnan(number)) return 0;
    // Fractions are dropped toward zero; out-of-range values saturate.
    if (number >= static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    if (number <= static_cast<double>(std::numeric_limits<int>::min())) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(std::trunc(number));
}

bool Variant::AsBool() const {
    const auto converted = As(value_, com::VariantKind::Boolean);
    return converted && std::get<bool>(*converted);
}

ObjectRef Variant::AsObject() const {
    const auto converted = As(value_, com::VariantKind::Object);
    return converted ? ObjectRef(std::get<com::ObjectPtr>(*converted)) : ObjectRef();
}

ByteSet Variant::AsBytes() const& {
    const auto converted = As(value_, com::VariantKind::Bytes);
    return converted ? std::get<ByteSet>(*converted) : ByteSet();
}

ByteSet Variant::AsBytes() && {
    if (auto* bytes = std::get_if<ByteSet>(&value_)) return std::move(*bytes);
    return AsBytes();
}

ObjectRef CreateObject(const Text& progId) {
    com::RegisterNativeComponents();
    return ObjectRef(com::CreateComponent(progId.view()));
}

std::optional<Variant> Invoke(const ObjectRef& object, std::string_view member,
                              com::InvokeKind kind, std::initializer_list<Variant> args) {
    if (object.IsEmpty()) return std::nullopt;
    std::vector<com::Variant> raw;
    raw.reserve(args.size());
    for (const Variant& arg : args) raw.push_back(arg.raw());
    try {
        auto result = object.get()->Invoke(member, kind, raw);
        if (!result) return std::nullopt;
        return Variant(std::move(*result));
    } catch (...) {
        return std::nullopt;
    }
}

bool SetProperty(const ObjectRef& object, std::string_view property, const Variant& value) {
    return Invoke(object, property, com::InvokeKind::PropertyPut, {value}).has_value();
}

}  // namespace automation
