// What a worker pays for one window operation: the round trip to the window's thread and back,
// against the same work done on the window's thread itself.

#include <memory>

#include <benchmark/benchmark.h>
#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>

#include "platform/ui/WindowThreadCall.h"

namespace {

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "ui_bench";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
}

// A thread running an event loop, standing for the window's thread, with a WindowThreadCall
// made on it.
class WindowThread {
public:
    WindowThread() {
        EnsureApplication();
        anchor_.moveToThread(&thread_);
        thread_.start();
        OnThread([this] { calls_ = std::make_unique<ui::WindowThreadCall>(); });
    }
    ~WindowThread() {
        OnThread([this] { calls_.reset(); });
        thread_.quit();
        thread_.wait();
    }
    ui::WindowThreadCall& Calls() { return *calls_; }

private:
    template <typename Work>
    void OnThread(Work work) {
        QMetaObject::invokeMethod(&anchor_, work, Qt::BlockingQueuedConnection);
    }

    QThread thread_;
    QObject anchor_;
    std::unique_ptr<ui::WindowThreadCall> calls_;
};

void BM_WorkerCallRoundTrip(benchmark::State& state) {
    WindowThread window;
    int value = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(window.Calls().Call([&] { return ++value; }, -1));
    }
}
BENCHMARK(BM_WorkerCallRoundTrip);

void BM_CallOnTheWindowThread(benchmark::State& state) {
    EnsureApplication();
    ui::WindowThreadCall calls;
    int value = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(calls.Call([&] { return ++value; }, -1));
    }
}
BENCHMARK(BM_CallOnTheWindowThread);

}  // namespace
