#pragma once
// Synchronous hand-off from a worker thread to the thread of this object (the main
// thread): the worker's function runs there and the worker waits until it has.
// The queue and the wait use the standard library's mutex and condition
// variable, so the ordering is one that ThreadSanitizer can check, which it
// cannot through Qt's own blocking connection.

#include <QObject>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

class MainThreadHandoff : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Runs fn on this object's thread and returns once it has run. Called on that
    // thread itself, it just runs fn.
    void runAndWait(const std::function<void()>& fn);
    // From now on nothing runs: waiting and later calls return at once, their
    // functions unrun. For a receiver that is going away while a worker finishes.
    void abandon();

private:
    Q_INVOKABLE void drain();

    struct Pending {
        const std::function<void()>* fn;
        bool* done;
    };
    std::mutex mutex_;
    std::condition_variable finished_;
    std::deque<Pending> queue_;
    bool abandoned_ = false;
};
