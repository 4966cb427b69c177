// A manual-reset event that a worker thread waits on between its passes.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

class StopEvent {
public:
    void Set() {
        std::lock_guard lock(mutex_);
        set_ = true;
        cv_.notify_all();
    }
    void Reset() {
        std::lock_guard lock(mutex_);
        set_ = false;
    }
    bool IsSet() const {
        std::lock_guard lock(mutex_);
        return set_;
    }
    // Waits up to `ms`; true when the event is set.
    bool WaitFor(uint64_t ms) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return set_; });
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    bool set_ = false;
};
