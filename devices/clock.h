// Time for the code with timing rules (lighting steps, flash periods, custom
// steps, receiver polls), injectable so tests run at full speed.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

class Clock {
public:
    virtual ~Clock() = default;
    virtual uint64_t NowMs() const = 0;
};

// Milliseconds of the monotonic clock.
class SteadyClock final : public Clock {
public:
    static SteadyClock& Instance() {
        static SteadyClock clock;
        return clock;
    }
    uint64_t NowMs() const override {
        return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now().time_since_epoch())
                                         .count());
    }
};

// A clock the test moves by hand.
class ManualClock final : public Clock {
public:
    explicit ManualClock(uint64_t startMs = 1000000) : now_(startMs) {}
    uint64_t NowMs() const override { return now_; }
    void Advance(uint64_t ms) { now_ += ms; }
    void Set(uint64_t ms) { now_ = ms; }

private:
    std::atomic<uint64_t> now_;
};
