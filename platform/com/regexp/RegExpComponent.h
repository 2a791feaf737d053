#pragma once

#include <memory>
#include <string>

#include "platform/com/Dispatch.h"
#include "platform/com/regexp/CompiledPattern.h"

namespace com {

// Registers the regular-expression component under "VBScript.RegExp".
void RegisterRegExp();

namespace regexp {

// The regular-expression object, with the members scripts use:
//   IgnoreCase, Multiline, Global (booleans, default false), Pattern (text, default empty);
//   Execute(subject) -> match collection (every match when Global, else at most one);
//   Test(subject) -> boolean;
//   Replace(subject, replacement) -> text, every match replaced when Global, else the first
//   (replacement syntax: see Substitution.h).
// The pattern is compiled (and JIT-compiled) at the first search after Pattern, IgnoreCase or
// Multiline changed, and kept for later searches. A pattern the engine rejects fails Execute,
// Test and Replace. Syntax, line ends and limits: see CompiledPattern.h.
// Belongs to the thread that made it.
class RegExpComponent : public Dispatch {
public:
    std::optional<Variant> Invoke(std::string_view member, InvokeKind kind,
                                  std::span<const Variant> args) override;

private:
    // The compiled pattern for the current properties; null when the engine rejects it.
    CompiledPattern* Program();
    std::optional<Variant> Execute(std::span<const Variant> args);
    std::optional<Variant> Test(std::span<const Variant> args);
    std::optional<Variant> Replace(std::span<const Variant> args);
    std::optional<Variant> BoolProperty(bool& field, bool recompiles, InvokeKind kind,
                                        std::span<const Variant> args);

    bool ignoreCase_ = false;
    bool multiline_ = false;
    bool global_ = false;
    std::u16string pattern_;
    std::unique_ptr<CompiledPattern> program_;
    bool programStale_ = true;
};

}  // namespace regexp
}  // namespace com
