#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "platform/com/Dispatch.h"
#include "platform/com/script/DuktapeEngine.h"

namespace com::script {

// The control's last error, as its Error object shows it. Numbers follow the Windows script
// control where it has one for the case:
//   1002 syntax error (compiling, or a SyntaxError raised while running, e.g. by JSON.parse)
//   5009 undefined identifier (ReferenceError)      5007 object expected (TypeError)
//   5025 invalid URI encoding (URIError)            6 overflow (other RangeErrors)
//   7 out of memory (the heap's budget is spent)    28 out of stack space (recursion limits)
//   5022 exception thrown and not caught (any other thrown value)
//   5 invalid call (unsupported language, text too long)
//   51 internal error (the engine broke down)
// Source is "JavaScript compilation error", "JavaScript runtime error" or "ScriptControl";
// Text is the source line of a compilation error; Line is 1-based (0 = unknown); Column is 0, as
// Duktape reports no columns; HelpFile and HelpContext stay empty.
struct ScriptErrorState {
    int number = 0;
    std::u16string source;
    std::u16string description;
    std::u16string helpFile;
    int helpContext = 0;
    std::u16string text;
    int line = 0;
    int column = 0;
};

inline constexpr int kErrorInvalidCall = 5;

// The state for a failed run of `code`.
ScriptErrorState ErrorFromFailure(const ScriptFailure& failure, std::u16string_view code);
// The state for a call refused before any script ran.
ScriptErrorState ErrorFromRefusal(std::u16string description);

// The Error object: properties Number, Source, Description, HelpFile, HelpContext, Text, Line,
// Column (read-only) and the method Clear. It shows the control's current error, also after
// later calls. Thread-safe.
class ScriptErrorObject : public Dispatch {
public:
    void Set(ScriptErrorState state);
    void Clear();
    ScriptErrorState Get() const;

    std::optional<Variant> Invoke(std::string_view member, InvokeKind kind,
                                  std::span<const Variant> args) override;

private:
    mutable std::mutex mutex_;
    ScriptErrorState state_;
};

}  // namespace com::script
