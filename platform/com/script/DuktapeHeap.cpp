#include "platform/com/script/DuktapeHeap.h"

#include <cstdio>
#include <cstdlib>

namespace com::script {

std::unique_ptr<DuktapeHeap> DuktapeHeap::Create(std::size_t budget) {
    std::unique_ptr<DuktapeHeap> heap(new DuktapeHeap(budget));
    const bool completed = heap->RunTrapped(
        [](void* argument) {
            auto* self = static_cast<DuktapeHeap*>(argument);
            self->context_ = duk_create_heap(&Allocate, &Reallocate, &Free, self, &OnFatal);
        },
        heap.get());
    if (!completed || heap->context_ == nullptr) return nullptr;
    return heap;
}

DuktapeHeap::DuktapeHeap(std::size_t budget) : budget_(budget) {}

DuktapeHeap::~DuktapeHeap() {
    if (context_ != nullptr) {
        // Finalizers run here, so destruction is trapped like any other entry.
        RunTrapped([](void* argument) { duk_destroy_heap(static_cast<duk_context*>(argument)); },
                   context_);
        context_ = nullptr;
    }
    FreeAllBlocks();
}

DuktapeHeap::Outcome DuktapeHeap::Guard(GuardedFunction function, void* data) {
    if (context_ == nullptr) return Outcome::Fatal;
    struct Call {
        GuardedFunction function;
        duk_context* context;
        void* data;
    } call{function, context_, data};
    const bool completed = RunTrapped(
        [](void* argument) {
            auto* c = static_cast<Call*>(argument);
            c->function(c->context, c->data);
        },
        &call);
    if (completed) return Outcome::Done;
    // The heap's internal state is unknown after a fatal error: drop it whole.
    context_ = nullptr;
    FreeAllBlocks();
    return Outcome::Fatal;
}

bool DuktapeHeap::RunTrapped(void (*function)(void*), void* argument) {
    if (setjmp(trap_) != 0) {
        trapArmed_ = false;
        return false;
    }
    trapArmed_ = true;
    function(argument);
    trapArmed_ = false;
    return true;
}

void DuktapeHeap::OnFatal(void* self, const char* message) {
    auto* heap = static_cast<DuktapeHeap*>(self);
    std::snprintf(heap->fatalMessage_, sizeof heap->fatalMessage_, "%s",
                  message != nullptr ? message : "fatal error");
    if (heap->trapArmed_) std::longjmp(heap->trap_, 1);
    // Unreachable: every entry into the heap runs under the trap.
    std::abort();
}

void DuktapeHeap::Link(Block* block) {
    block->prev = &blocks_;
    block->next = blocks_.next;
    blocks_.next->prev = block;
    blocks_.next = block;
    used_ += block->size;
}

void DuktapeHeap::Unlink(Block* block) {
    block->prev->next = block->next;
    block->next->prev = block->prev;
    used_ -= block->size;
}

void DuktapeHeap::FreeAllBlocks() {
    Block* block = blocks_.next;
    while (block != &blocks_) {
        Block* next = block->next;
        std::free(block);
        block = next;
    }
    blocks_.next = blocks_.prev = &blocks_;
    used_ = 0;
}

void* DuktapeHeap::Allocate(void* self, duk_size_t size) {
    auto* heap = static_cast<DuktapeHeap*>(self);
    if (size > heap->budget_ - heap->used_) return nullptr;
    auto* block = static_cast<Block*>(std::malloc(sizeof(Block) + size));
    if (block == nullptr) return nullptr;
    block->size = size;
    heap->Link(block);
    return block + 1;
}

void* DuktapeHeap::Reallocate(void* self, void* pointer, duk_size_t size) {
    auto* heap = static_cast<DuktapeHeap*>(self);
    if (pointer == nullptr) return Allocate(self, size);
    if (size == 0) {
        Free(self, pointer);
        return nullptr;
    }
    Block* block = static_cast<Block*>(pointer) - 1;
    const std::size_t others = heap->used_ - block->size;
    if (size > heap->budget_ - others) return nullptr;
    heap->Unlink(block);
    auto* moved = static_cast<Block*>(std::realloc(block, sizeof(Block) + size));
    if (moved == nullptr) {
        heap->Link(block);  // the old block is intact
        return nullptr;
    }
    moved->size = size;
    heap->Link(moved);
    return moved + 1;
}

void DuktapeHeap::Free(void* self, void* pointer) {
    if (pointer == nullptr) return;
    auto* heap = static_cast<DuktapeHeap*>(self);
    Block* block = static_cast<Block*>(pointer) - 1;
    heap->Unlink(block);
    std::free(block);
}

}  // namespace com::script
