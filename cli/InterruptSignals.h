#pragma once

#include <chrono>
#include <memory>
#include <stop_token>

namespace cli {

// Ctrl-C (SIGINT) and SIGTERM as a stop request, with no work in a signal handler: the
// constructor blocks both signals in the calling thread, and so in every thread started after
// it (they inherit the mask), and a thread of its own takes them with sigwait.
//
// The first signal triggers Token(). A second one, or the program not ending within `grace`
// after the first, ends the process at once with 128 + the first signal's number: only a lookup
// or a walk can be stuck in a request that long, and neither has a file half-written.
//
// Construct it first thing in main, before any other thread starts; one per process. The
// watching thread lives until the process ends.
class InterruptSignals {
public:
    explicit InterruptSignals(std::chrono::milliseconds grace);
    InterruptSignals(const InterruptSignals&) = delete;
    InterruptSignals& operator=(const InterruptSignals&) = delete;

    std::stop_token Token() const;
    // The first signal taken; 0 while none.
    int Received() const;

private:
    struct State;
    std::shared_ptr<State> state_;  // shared with the watching thread
};

}  // namespace cli
