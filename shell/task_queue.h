// The device thread of the desktop application: every device operation (reads,
// edits, timer work, the discovery reports) runs here, one at a time, so the
// UI thread never waits for a device.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class TaskQueue {
public:
    TaskQueue();
    ~TaskQueue();
    TaskQueue(const TaskQueue&) = delete;
    TaskQueue& operator=(const TaskQueue&) = delete;

    // Queues a task; false (task dropped) once the queue is stopping.
    bool Post(std::function<void()> task);
    // Runs a task on the queue's thread and waits until it has run. False when
    // the queue stopped before running it. Must not be called from the queue's thread.
    bool RunAndWait(std::function<void()> task);
    // Drops the tasks not yet started, waits for the running one and ends the thread.
    void Stop();
    bool OnQueueThread() const { return std::this_thread::get_id() == thread_.get_id(); }
    // Tasks not yet started (for tests).
    size_t Pending() const;

private:
    void Main();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;
    std::thread thread_;
};
