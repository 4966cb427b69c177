// A device worker thread (lighting thread, synchronisation reader) with its
// stop event. Stopping waits a bounded time and says how it went in the debug
// output; a thread that has not ended by then is never killed (it may hold a
// link lock): it is joined later, at the latest when this object goes.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "devices/stop_event.h"

class WorkerThread {
public:
    WorkerThread() = default;
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts `body` with a reset stop event. A thread still running from an
    // earlier start is stopped and joined first.
    void Start(std::function<void(StopEvent&)> body);
    // Sets the stop event, calls `wake` (to end a blocking read), waits up to
    // timeoutMs. True when the thread has ended (or none ran).
    bool Stop(int timeoutMs, const std::function<void()>& wake = {});
    bool Running() const;

private:
    void JoinIfEnded();

    StopEvent stop_;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable ended_;
    bool running_ = false;
};
