#include "shell/task_queue.h"

#include <future>

TaskQueue::TaskQueue() : thread_([this] { Main(); }) {}

TaskQueue::~TaskQueue() { Stop(); }

bool TaskQueue::Post(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return false;
        tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
    return true;
}

bool TaskQueue::RunAndWait(std::function<void()> task) {
    auto done = std::make_shared<std::promise<bool>>();
    std::future<bool> ran = done->get_future();
    const bool queued = Post([task = std::move(task), done] {
        task();
        done->set_value(true);
    });
    if (!queued) return false;
    // A task dropped by Stop destroys its promise: the future then reports broken.
    try {
        return ran.get();
    } catch (const std::future_error&) {
        return false;
    }
}

void TaskQueue::Stop() {
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        dropped.swap(tasks_);
    }
    wake_.notify_one();
    dropped.clear();  // outside the lock: dropping wakes whoever waits on them
    if (thread_.joinable() && !OnQueueThread()) thread_.join();
}

size_t TaskQueue::Pending() const {
    std::lock_guard lock(mutex_);
    return tasks_.size();
}

void TaskQueue::Main() {
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
            if (tasks_.empty()) return;  // stopping
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}
