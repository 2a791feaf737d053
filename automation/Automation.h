#pragma once

#include <initializer_list>
#include <string_view>

#include "platform/com/Dispatch.h"
#include "text/core/Text.h"

// Late-bound calls on components, by member name. Nothing here reports a failure: a failing
// method call or property write has no effect, and a failing read gives the empty value of the
// kind asked for (the empty Text, 0, false, an empty reference, an empty ByteSet).
namespace automation {

// A reference to a component. Copying the C++ value shares the reference, as Copy does.
class ObjectRef {
public:
    ObjectRef() = default;
    explicit ObjectRef(com::ObjectPtr object) : object_(std::move(object)) {}

    bool IsEmpty() const { return object_ == nullptr; }
    // Drops this reference and leaves it empty.
    void Release() { object_.reset(); }
    // A second reference to the same component.
    ObjectRef Copy() const { return *this; }
    const com::ObjectPtr& get() const { return object_; }

    friend bool operator==(const ObjectRef&, const ObjectRef&) = default;

private:
    com::ObjectPtr object_;
};

// A value handed to or read from a component. Texts travel as UTF-16 converted from GBK through
// the ANSI code page, and come back the same way.
class Variant {
public:
    Variant() = default;
    Variant(const Text& text);
    Variant(double number) : value_(number) {}
    Variant(int number) : value_(static_cast<double>(number)) {}
    Variant(bool flag) : value_(flag) {}
    Variant(const ObjectRef& object) : value_(object.get()) {}
    Variant(ByteSet bytes) : value_(std::move(bytes)) {}
    Variant(const char*) = delete;  // would become a boolean; say Text("...")
    explicit Variant(com::Variant raw) : value_(std::move(raw)) {}

    const com::Variant& raw() const { return value_; }
    bool IsEmpty() const { return std::holds_alternative<std::monostate>(value_); }
    void Clear() { value_ = std::monostate{}; }

    Text AsText() const;
    double AsNumber() const;
    int AsInt() const;
    bool AsBool() const;
    ObjectRef AsObject() const;
    ByteSet AsBytes() const&;
    // Takes the bytes over when the value holds a byte array (bodies may be many megabytes).
    ByteSet AsBytes() &&;

private:
    com::Variant value_;
};

// Creates a component by ProgID; empty on any failure, also on a thread without an apartment.
ObjectRef CreateObject(const Text& progId);

inline bool IsEmptyObject(const ObjectRef& object) { return object.IsEmpty(); }
inline void ReleaseObject(ObjectRef& object) { object.Release(); }
inline ObjectRef CopyObject(const ObjectRef& object) { return object.Copy(); }

// The raw call: empty when it failed.
std::optional<Variant> Invoke(const ObjectRef& object, std::string_view member,
                              com::InvokeKind kind, std::initializer_list<Variant> args);

namespace detail {
template <typename Result>
Result Convert(std::optional<Variant> value) {
    if constexpr (std::is_void_v<Result>) {
        return;
    } else if constexpr (std::is_same_v<Result, Variant>) {
        return std::move(value).value_or(Variant());
    } else {
        if (!value) return Result{};
        if constexpr (std::is_same_v<Result, Text>) return value->AsText();
        if constexpr (std::is_same_v<Result, double>) return value->AsNumber();
        if constexpr (std::is_same_v<Result, int>) return value->AsInt();
        if constexpr (std::is_same_v<Result, bool>) return value->AsBool();
        if constexpr (std::is_same_v<Result, ObjectRef>) return value->AsObject();
        if constexpr (std::is_same_v<Result, ByteSet>) return std::move(*value).AsBytes();
    }
}
}  // namespace detail

// Result: void, Text, double, int, bool, ObjectRef, ByteSet or Variant.
template <typename Result = void>
Result CallMethod(const ObjectRef& object, std::string_view method,
                  std::initializer_list<Variant> args = {}) {
    return detail::Convert<Result>(Invoke(object, method, com::InvokeKind::Method, args));
}

template <typename Result>
Result GetProperty(const ObjectRef& object, std::string_view property,
                   std::initializer_list<Variant> args = {}) {
    return detail::Convert<Result>(Invoke(object, property, com::InvokeKind::PropertyGet, args));
}

// True when the write took place.
bool SetProperty(const ObjectRef& object, std::string_view property, const Variant& value);

}  // namespace automation
