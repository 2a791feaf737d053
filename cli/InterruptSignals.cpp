#include "cli/InterruptSignals.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <thread>

#include <pthread.h>
#include <unistd.h>

namespace cli {

struct InterruptSignals::State {
    std::stop_source source;
    std::atomic<int> received{0};
};

namespace {

sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

// Waits for one of `signals` for at most `limit`; false when none came in time.
bool WaitFor(const sigset_t& signals, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        const timespec timeout{.tv_sec = static_cast<time_t>(left.count() / 1000000000),
                               .tv_nsec = static_cast<long>(left.count() % 1000000000)};
        if (sigtimedwait(&signals, nullptr, &timeout) > 0) return true;
        if (errno != EINTR) return false;
    }
}

}  // namespace

InterruptSignals::InterruptSignals(std::chrono::milliseconds grace)
    : state_(std::make_shared<State>()) {
    const sigset_t signals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread([state = state_, signals, grace] {
        int signal = 0;
        while (sigwait(&signals, &signal) != 0) {
        }
        state->received = signal;
        state->source.request_stop();
        WaitFor(signals, grace);
        static constexpr char kMessage[] = "karaoke-downloader-cli: stopped\n";
        [[maybe_unused]] const ssize_t written =
            ::write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
        ::_exit(128 + signal);
    }).detach();
}

std::stop_token InterruptSignals::Token() const { return state_->source.get_token(); }

int InterruptSignals::Received() const { return state_->received; }

}  // namespace cli
