#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>
#include <utility>

#include <QObject>

namespace ui {

// Carries work to the thread of one window and waits for it there, the way a worker sends a
// control operation to the window's message loop.
//
// Thread: construct, destroy and Close on the window's thread; Call from any thread. On the
// window's thread the work runs at once. From another thread it is queued to the window's event
// loop and the caller waits until it has run.
//
// Shutdown: after Close, calls from other threads return their fallback at once, and every
// caller already waiting is released with its fallback; queued work that has not started yet
// never runs. So the window's thread may Close and then join its workers without deadlock, even
// when a worker is blocked in a Call at that moment. The object must outlive every thread that
// calls it.
class WindowThreadCall {
public:
    WindowThreadCall();
    WindowThreadCall(const WindowThreadCall&) = delete;
    WindowThreadCall& operator=(const WindowThreadCall&) = delete;
    ~WindowThreadCall();

    void Close();

    // Runs `work` (which returns R, or void) on the window's thread and returns its result, or
    // `fallback` when the window has closed before the work could run.
    template <typename Work, typename R = std::invoke_result_t<Work>>
    requires(!std::is_void_v<R>) R Call(Work work, R fallback) {
        if (OnWindowThread()) return work();
        auto slot = std::make_shared<std::optional<R>>();
        const bool done = Run(
            [work = std::move(work), slot](std::mutex& mutex) mutable {
                R value = work();
                std::lock_guard lock(mutex);
                *slot = std::move(value);
            },
            [slot] { return slot->has_value(); });
        if (!done) return fallback;
        // Written under the mutex before Run saw it; nothing writes it again.
        return std::move(**slot);
    }

    template <typename Work>
    requires std::is_void_v<std::invoke_result_t<Work>>
    void Call(Work work) {
        if (OnWindowThread()) return work();
        auto finished = std::make_shared<bool>(false);
        Run(
            [work = std::move(work), finished](std::mutex& mutex) mutable {
                work();
                std::lock_guard lock(mutex);
                *finished = true;
            },
            [finished] { return *finished; });
    }

private:
    bool OnWindowThread() const;
    // Queues `work` to the window's thread and waits until `isDone` (checked under the mutex)
    // or the window closes. True when the work ran to the end.
    bool Run(std::function<void(std::mutex&)> work, std::function<bool()> isDone);

    // Queued work is delivered to this object; destroying it drops work still queued.
    std::unique_ptr<QObject> context_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool closed_ = false;
};

}  // namespace ui
