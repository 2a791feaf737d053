#pragma once

#include <csetjmp>
#include <cstddef>
#include <memory>

#include <duktape.h>

namespace com::script {

// One Duktape heap with a memory budget and a fatal-error trap, so that nothing the engine does
// can end the process.
//
// Memory: every block the heap allocates is counted; an allocation that would pass the budget is
// refused, Duktape then collects garbage and, failing that, raises a catchable RangeError
// ("alloc failed") inside the script.
//
// Fatal errors: Duktape calls its fatal handler for errors it cannot throw (an uncaught error
// outside any protected call, internal failures). Ours jumps back to the innermost Guard, which
// frees every block of the heap and marks it dead; the heap is never touched again.
//
// Not thread-safe: one thread at a time. Not movable (Duktape keeps a pointer to it).
class DuktapeHeap {
public:
    // Budget of one heap: enough for any feed page many times over, and small enough that a
    // runaway script fails quickly instead of exhausting the machine.
    static constexpr std::size_t kDefaultBudget = std::size_t{256} << 20;

    // Null when the heap cannot be made (budget too small for the built-ins, no memory).
    static std::unique_ptr<DuktapeHeap> Create(std::size_t budget = kDefaultBudget);
    ~DuktapeHeap();
    DuktapeHeap(const DuktapeHeap&) = delete;
    DuktapeHeap& operator=(const DuktapeHeap&) = delete;

    // A piece of code that touches the heap. Duktape errors and the fatal trap leave it by
    // longjmp, so it must not hold C++ objects with destructors (plain data only), and any
    // Duktape call that can throw belongs inside duk_safe_call.
    using GuardedFunction = void (*)(duk_context* context, void* data);

    enum class Outcome { Done, Fatal };
    // Runs `function` under the fatal trap. Fatal: the heap died (now or earlier) and is gone;
    // `function` did not complete (or did not run). Guards do not nest: `function` must not
    // call Guard.
    Outcome Guard(GuardedFunction function, void* data);

    // For reads that cannot throw (duk_get_*) between Guards; null once the heap died.
    duk_context* Context() const { return context_; }

    bool IsDead() const { return context_ == nullptr; }
    // What Duktape said when the heap died; empty while it lives.
    const char* FatalMessage() const { return fatalMessage_; }
    std::size_t MemoryInUse() const { return used_; }
    std::size_t Budget() const { return budget_; }

private:
    explicit DuktapeHeap(std::size_t budget);

    struct alignas(std::max_align_t) Block {
        Block* prev;
        Block* next;
        std::size_t size;
    };

    // Runs function(argument) with setjmp armed; false when the fatal handler jumped back.
    bool RunTrapped(void (*function)(void*), void* argument);
    void FreeAllBlocks();
    void Link(Block* block);
    void Unlink(Block* block);

    static void* Allocate(void* self, duk_size_t size);
    static void* Reallocate(void* self, void* pointer, duk_size_t size);
    static void Free(void* self, void* pointer);
    [[noreturn]] static void OnFatal(void* self, const char* message);

    duk_context* context_ = nullptr;
    std::size_t budget_;
    std::size_t used_ = 0;
    Block blocks_{&blocks_, &blocks_, 0};  // sentinel of the list of live blocks
    std::jmp_buf trap_{};
    bool trapArmed_ = false;
    char fatalMessage_[128] = {};
};

}  // namespace com::script
