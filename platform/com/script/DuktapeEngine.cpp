#include "platform/com/script/DuktapeEngine.h"

#include <cmath>
#include <cstring>

#include "platform/com/script/BytecodeCache.h"
#include "platform/com/script/DuktapeText.h"

namespace com::script {
namespace {

constexpr const char* kFileName = "script";

enum Phase : int { kCompiling, kRunning };

}  // namespace

// What one run needs and leaves behind; plain data, since Duktape leaves the functions that fill
// it by longjmp.
struct EngineJob {
    const char* source = nullptr;
    std::size_t sourceLength = 0;
    duk_uint_t compileFlags = 0;
    const std::uint8_t* bytecode = nullptr;  // load this instead of compiling
    std::size_t bytecodeLength = 0;
    bool dump = false;  // also leave the compiled function's bytecode on the stack

    int phase = kCompiling;
    duk_int_t status = DUK_EXEC_ERROR;
};

namespace {

// Leaves [bytecode buffer or undefined, completion value] on the stack.
duk_ret_t RunBody(duk_context* context, void* data) {
    auto* job = static_cast<EngineJob*>(data);
    job->phase = kCompiling;
    if (job->bytecode != nullptr) {
        void* buffer = duk_push_fixed_buffer(context, job->bytecodeLength);
        std::memcpy(buffer, job->bytecode, job->bytecodeLength);
        duk_load_function(context);
    } else {
        duk_push_lstring(context, job->source, job->sourceLength);
        duk_push_string(context, kFileName);
        duk_compile(context, job->compileFlags);
    }
    if (job->dump) {
        duk_dup_top(context);
        duk_dump_function(context);
    } else {
        duk_push_undefined(context);
    }
    duk_swap_top(context, -2);
    job->phase = kRunning;
    duk_call(context, 0);
    return 2;
}

void RunGuarded(duk_context* context, void* data) {
    auto* job = static_cast<EngineJob*>(data);
    job->status = duk_safe_call(context, &RunBody, job, 0, 2);
}

// The parts of a thrown value, as strings kept on the stack while they are read.
struct ErrorParts {
    duk_int_t status = DUK_EXEC_ERROR;
    const char* name = nullptr;  // null for a thrown value that is not an Error
    duk_size_t nameLength = 0;
    const char* message = nullptr;
    duk_size_t messageLength = 0;
    double line = 0;
};

// Expects the thrown value at -2 (under the undefined second result); leaves [name, message].
duk_ret_t ReadErrorBody(duk_context* context, void* data) {
    auto* parts = static_cast<ErrorParts*>(data);
    const duk_idx_t thrown = duk_normalize_index(context, -2);
    const bool isError = duk_is_error(context, thrown);
    if (isError) {
        duk_get_prop_string(context, thrown, "lineNumber");
        parts->line = duk_is_number(context, -1) ? duk_get_number(context, -1) : 0;
        duk_pop(context);
        duk_get_prop_string(context, thrown, "name");
        duk_get_prop_string(context, thrown, "message");
    } else {
        duk_push_undefined(context);
        duk_dup(context, thrown);
    }
    parts->message = duk_safe_to_lstring(context, -1, &parts->messageLength);
    if (isError) parts->name = duk_safe_to_lstring(context, -2, &parts->nameLength);
    return 2;
}

void ReadErrorGuarded(duk_context* context, void* data) {
    auto* parts = static_cast<ErrorParts*>(data);
    parts->status = duk_safe_call(context, &ReadErrorBody, parts, 0, 2);
}

void ClearStackGuarded(duk_context* context, void*) { duk_set_top(context, 0); }

Variant ReadValue(duk_context* context, duk_idx_t index) {
    switch (duk_get_type(context, index)) {
        case DUK_TYPE_STRING: {
            if (duk_is_symbol(context, index)) return Variant{};
            duk_size_t length = 0;
            const char* bytes = duk_get_lstring(context, index, &length);
            return Variant{Utf16FromCesu8(std::string_view(bytes, length))};
        }
        case DUK_TYPE_NUMBER:
            return Variant{static_cast<double>(duk_get_number(context, index))};
        case DUK_TYPE_BOOLEAN:
            return Variant{duk_get_boolean(context, index) != 0};
        default:
            return Variant{};
    }
}

int ClampLine(double line) {
    if (!(line >= 1) || line > 1e9) return 0;
    return static_cast<int>(line);
}

}  // namespace

std::unique_ptr<DuktapeEngine> DuktapeEngine::Create(BytecodeCache* cache,
                                                     std::size_t memoryBudget) {
    auto heap = DuktapeHeap::Create(memoryBudget);
    if (!heap) return nullptr;
    return std::unique_ptr<DuktapeEngine>(new DuktapeEngine(std::move(heap), cache));
}

ScriptOutcome DuktapeEngine::AddCode(std::u16string_view code) {
    const std::string source = Cesu8FromUtf16(code);
    EngineJob job;
    job.source = source.data();
    job.sourceLength = source.size();
    job.compileFlags = 0;
    BytecodeCache::Lookup lookup;
    if (cache_ != nullptr) lookup = cache_->Find(source);
    if (lookup.bytecode) {
        job.bytecode = lookup.bytecode->data();
        job.bytecodeLength = lookup.bytecode->size();
    }
    job.dump = lookup.storeWanted;
    ScriptOutcome outcome = Execute(job);
    if (std::holds_alternative<Variant>(outcome)) return Variant{};
    return outcome;
}

ScriptOutcome DuktapeEngine::Eval(std::u16string_view code) {
    const std::string source = Cesu8FromUtf16(code);
    EngineJob job;
    job.source = source.data();
    job.sourceLength = source.size();
    job.compileFlags = DUK_COMPILE_EVAL;
    return Execute(job);
}

ScriptOutcome DuktapeEngine::Execute(EngineJob& job) {
    ClearStack();
    if (heap_->Guard(&RunGuarded, &job) == DuktapeHeap::Outcome::Fatal) {
        ScriptFailure failure;
        failure.phase = ScriptFailure::Phase::Fatal;
        failure.message = Utf16FromCesu8(heap_->FatalMessage());
        return failure;
    }
    duk_context* context = heap_->Context();
    if (job.status != DUK_EXEC_SUCCESS) {
        ScriptFailure failure = ReadFailure(job);
        ClearStack();
        return failure;
    }
    Variant value = ReadValue(context, -1);
    if (job.dump && cache_ != nullptr) {
        duk_size_t length = 0;
        const auto* bytes = static_cast<const std::uint8_t*>(duk_get_buffer(context, -2, &length));
        if (bytes != nullptr && length > 0) {
            cache_->Store(std::string_view(job.source, job.sourceLength),
                          Bytecode(bytes, bytes + length));
        }
    }
    ClearStack();
    return value;
}

ScriptFailure DuktapeEngine::ReadFailure(const EngineJob& job) {
    ScriptFailure failure;
    failure.phase =
        job.phase == kCompiling ? ScriptFailure::Phase::Compile : ScriptFailure::Phase::Run;
    ErrorParts parts;
    if (heap_->Guard(&ReadErrorGuarded, &parts) == DuktapeHeap::Outcome::Fatal) {
        failure.phase = ScriptFailure::Phase::Fatal;
        failure.message = Utf16FromCesu8(heap_->FatalMessage());
        return failure;
    }
    if (parts.status != DUK_EXEC_SUCCESS) {
        failure.message = u"error";  // the thrown value could not even be read
        return failure;
    }
    if (parts.name != nullptr) {
        failure.name = Utf16FromCesu8(std::string_view(parts.name, parts.nameLength));
    }
    failure.message = Utf16FromCesu8(std::string_view(parts.message, parts.messageLength));
    failure.line = ClampLine(parts.line);
    return failure;
}

void DuktapeEngine::ClearStack() { heap_->Guard(&ClearStackGuarded, nullptr); }

}  // namespace com::script
