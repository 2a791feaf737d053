// Ctrl-C and SIGTERM reach the command as a stop request. Each case runs in a fresh child
// process (death-test style "threadsafe"), because the signals are blocked process-wide.
#include <csignal>
#include <cstdlib>
#include <mutex>
#include <stop_token>

#include <gtest/gtest.h>
#include <unistd.h>

#include "cli/InterruptSignals.h"

namespace {

// Waits until `token` is stopped, without a time limit.
void WaitForStop(std::stop_token token) {
    std::mutex mutex;
    std::condition_variable_any stopped;
    std::unique_lock lock(mutex);
    stopped.wait(lock, token, [] { return false; });
}

class InterruptSignalsTest : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(InterruptSignalsTest, TheFirstSignalStopsTheTokenAndTheProcessLivesOn) {
    for (const int signal : {SIGINT, SIGTERM}) {
        EXPECT_EXIT(
            {
                cli::InterruptSignals signals(std::chrono::hours(1));
                ::kill(::getpid(), signal);
                WaitForStop(signals.Token());
                std::_Exit(signals.Received() == signal ? 7 : 1);
            },
            ::testing::ExitedWithCode(7), "");
    }
}

TEST_F(InterruptSignalsTest, ASecondSignalEndsTheProcessAtOnce) {
    EXPECT_EXIT(
        {
            cli::InterruptSignals signals(std::chrono::hours(1));
            ::kill(::getpid(), SIGINT);
            WaitForStop(signals.Token());
            ::kill(::getpid(), SIGINT);
            for (;;) ::pause();
        },
        ::testing::ExitedWithCode(130), "stopped");
}

TEST_F(InterruptSignalsTest, ACommandThatDoesNotEndInTimeIsEnded) {
    EXPECT_EXIT(
        {
            cli::InterruptSignals signals(std::chrono::milliseconds(0));
            ::kill(::getpid(), SIGTERM);
            for (;;) ::pause();
        },
        ::testing::ExitedWithCode(143), "stopped");
}

}  // namespace
