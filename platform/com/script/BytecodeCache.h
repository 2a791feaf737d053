#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace com::script {

using Bytecode = std::vector<std::uint8_t>;

// Compiled program code kept per process, keyed by the exact source text (as Duktape bytes), so
// that a script loaded into every new engine is compiled once. Only bytecode that our own engines
// dumped from source they compiled ever goes in; nothing from outside is loaded.
//
// A text is taken in only the second time it is compiled: most texts (a parsed page) are run
// once, while a script loaded into every engine repeats at once. Entries are dropped least
// recently used first when the cache passes its byte limit. Thread-safe.
class BytecodeCache {
public:
    static constexpr std::size_t kMinimumSourceBytes = 512;  // smaller texts compile in no time
    static constexpr std::size_t kDefaultByteLimit = std::size_t{8} << 20;

    explicit BytecodeCache(std::size_t byteLimit = kDefaultByteLimit) : byteLimit_(byteLimit) {}

    struct Lookup {
        std::shared_ptr<const Bytecode> bytecode;  // null on a miss
        bool storeWanted = false;                  // on a miss: dump and Store what you compile
    };
    Lookup Find(std::string_view source);
    void Store(std::string_view source, Bytecode bytecode);

    std::size_t EntryCount() const;

private:
    struct Entry {
        std::string source;
        std::shared_ptr<const Bytecode> bytecode;
    };
    using Order = std::list<Entry>;  // most recently used first

    void EvictOverLimit();

    mutable std::mutex mutex_;
    std::size_t byteLimit_;
    std::size_t bytes_ = 0;
    Order order_;
    std::unordered_map<std::string_view, Order::iterator> index_;  // views into order_'s sources
    std::array<std::size_t, 64> recentlySeen_{};                   // hashes of missed texts
    std::size_t nextSeen_ = 0;
};

}  // namespace com::script
