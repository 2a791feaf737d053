#include "platform/com/script/BytecodeCache.h"

#include <algorithm>
#include <functional>

namespace com::script {

BytecodeCache::Lookup BytecodeCache::Find(std::string_view source) {
    if (source.size() < kMinimumSourceBytes) return {};
    std::lock_guard lock(mutex_);
    if (const auto found = index_.find(source); found != index_.end()) {
        order_.splice(order_.begin(), order_, found->second);
        return {found->second->bytecode, false};
    }
    const std::size_t hash = std::hash<std::string_view>{}(source);
    if (std::find(recentlySeen_.begin(), recentlySeen_.end(), hash) != recentlySeen_.end()) {
        return {nullptr, true};
    }
    recentlySeen_[nextSeen_] = hash;
    nextSeen_ = (nextSeen_ + 1) % recentlySeen_.size();
    return {};
}

void BytecodeCache::Store(std::string_view source, Bytecode bytecode) {
    const std::size_t size = source.size() + bytecode.size();
    if (size > byteLimit_) return;
    std::lock_guard lock(mutex_);
    if (index_.contains(source)) return;  // another thread stored it meanwhile
    order_.push_front(
        Entry{std::string(source), std::make_shared<const Bytecode>(std::move(bytecode))});
    index_.emplace(order_.front().source, order_.begin());
    bytes_ += size;
    EvictOverLimit();
}

std::size_t BytecodeCache::EntryCount() const {
    std::lock_guard lock(mutex_);
    return order_.size();
}

void BytecodeCache::EvictOverLimit() {
    while (bytes_ > byteLimit_ && !order_.empty()) {
        const Entry& last = order_.back();
        bytes_ -= last.source.size() + last.bytecode->size();
        index_.erase(last.source);
        order_.pop_back();
    }
}

}  // namespace com::script
