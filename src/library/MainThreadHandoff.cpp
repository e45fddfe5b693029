#include "MainThreadHandoff.h"

#include <QThread>

void MainThreadHandoff::runAndWait(const std::function<void()>& fn) {
    if (QThread::currentThread() == thread()) {
        fn();
        return;
    }
    bool done = false;
    {
        std::lock_guard lock(mutex_);
        if (abandoned_) return;
        queue_.push_back({&fn, &done});
    }
    QMetaObject::invokeMethod(this, "drain", Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [&] { return done; });
}

void MainThreadHandoff::abandon() {
    {
        std::lock_guard lock(mutex_);
        abandoned_ = true;
        for (const Pending& p : queue_) *p.done = true;
        queue_.clear();
    }
    finished_.notify_all();
}

void MainThreadHandoff::drain() {
    for (;;) {
        Pending next;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty() || abandoned_) return;
            next = queue_.front();
            queue_.pop_front();
        }
        (*next.fn)();
        {
            std::lock_guard lock(mutex_);
            *next.done = true;
        }
        finished_.notify_all();
    }
}
