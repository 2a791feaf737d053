#include "platform/ui/WindowThreadCall.h"

#include <QMetaObject>
#include <QThread>

namespace ui {

WindowThreadCall::WindowThreadCall() : context_(std::make_unique<QObject>()) {}

WindowThreadCall::~WindowThreadCall() { Close(); }

void WindowThreadCall::Close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    changed_.notify_all();
}

bool WindowThreadCall::OnWindowThread() const {
    return QThread::currentThread() == context_->thread();
}

bool WindowThreadCall::Run(std::function<void(std::mutex&)> work, std::function<bool()> isDone) {
    {
        std::lock_guard lock(mutex_);
        if (closed_) return false;
    }
    QMetaObject::invokeMethod(
        context_.get(),
        [this, work = std::move(work)]() mutable {
            {
                // The caller has been released with its fallback: acting now would do what
                // nobody waits for any more.
                std::lock_guard lock(mutex_);
                if (closed_) return;
            }
            work(mutex_);
            changed_.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return closed_ || isDone(); });
    return isDone();
}

}  // namespace ui
