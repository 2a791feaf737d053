#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

#include "platform/com/Variant.h"
#include "platform/com/script/DuktapeHeap.h"

namespace com::script {

class BytecodeCache;
struct EngineJob;

// Why a run did not complete.
struct ScriptFailure {
    enum class Phase {
        Compile,  // the text is not valid script
        Run,      // the script raised an error (or threw a value) that it did not catch
        Fatal,    // the engine broke down; it refuses every later run
    };
    Phase phase = Phase::Run;
    std::u16string name;     // the error's constructor name ("SyntaxError"); empty for a non-Error
    std::u16string message;  // the error's message, or the thrown value as a string
    int line = 0;            // 1-based line Duktape blames; 0 when it names none
};

// The result of a run: the completion value (string, number, boolean; the empty variant for
// undefined, null and every value a component cannot hand out: objects, arrays, functions,
// buffers, symbols) or the failure.
using ScriptOutcome = std::variant<Variant, ScriptFailure>;

// One ECMAScript (E5.1) global environment on its own DuktapeHeap. Every run is a protected call;
// a script that loops for ever is not interrupted (the engine has no time limit), so hand it only
// code you wrote or checked. Not thread-safe: one thread at a time.
class DuktapeEngine {
public:
    // Null when the heap cannot be made. `cache`, when given, must outlive the engine.
    static std::unique_ptr<DuktapeEngine> Create(
        BytecodeCache* cache, std::size_t memoryBudget = DuktapeHeap::kDefaultBudget);

    // Runs `code` as program code in the global scope (declarations become globals). The value
    // is always empty. Program texts are compiled through the bytecode cache when there is one.
    ScriptOutcome AddCode(std::u16string_view code);

    // Runs `code` as eval code in the global scope and gives its completion value: the value of
    // an expression, or of the last expression statement.
    ScriptOutcome Eval(std::u16string_view code);

    bool IsBroken() const { return heap_->IsDead(); }
    const DuktapeHeap& Heap() const { return *heap_; }

private:
    explicit DuktapeEngine(std::unique_ptr<DuktapeHeap> heap, BytecodeCache* cache)
        : heap_(std::move(heap)), cache_(cache) {}

    ScriptOutcome Execute(EngineJob& job);
    ScriptFailure ReadFailure(const EngineJob& job);
    void ClearStack();

    std::unique_ptr<DuktapeHeap> heap_;
    BytecodeCache* cache_;
};

}  // namespace com::script
