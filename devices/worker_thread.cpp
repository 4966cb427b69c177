#include "devices/worker_thread.h"

#include <chrono>

#include "link/debug_trace.h"

WorkerThread::~WorkerThread() {
    stop_.Set();
    if (thread_.joinable()) thread_.join();
}

void WorkerThread::Start(std::function<void(StopEvent&)> body) {
    if (thread_.joinable()) {
        stop_.Set();
        thread_.join();
    }
    stop_.Reset();
    {
        std::lock_guard lock(mutex_);
        running_ = true;
    }
    thread_ = std::thread([this, body = std::move(body)] {
        body(stop_);
        std::lock_guard lock(mutex_);
        running_ = false;
        ended_.notify_all();
    });
}

bool WorkerThread::Stop(int timeoutMs, const std::function<void()>& wake) {
    if (!thread_.joinable()) return true;
    stop_.Set();
    if (wake) wake();
    bool ended;
    {
        std::unique_lock lock(mutex_);
        ended = ended_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !running_; });
    }
    if (!ended) {
        DebugTrace("线程退出：：对象处于非激发状态，超时\n");
        return false;
    }
    thread_.join();
    DebugTrace("线程退出：：对象处于激发状态\n");
    return true;
}

bool WorkerThread::Running() const {
    std::lock_guard lock(mutex_);
    return running_;
}
