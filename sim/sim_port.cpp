#include "sim/sim_port.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kReceivedLimit = 4096;

// One thread that sends delayed input reports when they fall due.
class DelayedInput {
public:
    DelayedInput() : bus_(VirtualHidBus::Instance()), thread_([this] { Run(); }) {}
    ~DelayedInput() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }

    void Post(uint32_t id, const std::vector<uint8_t>& report, int delayMs) {
        std::lock_guard lock(mutex_);
        due_.emplace(Clock::now() + std::chrono::milliseconds(delayMs), std::make_pair(id, report));
        cv_.notify_all();
    }

private:
    void Run() {
        std::unique_lock lock(mutex_);
        while (!stop_) {
            if (due_.empty()) {
                cv_.wait(lock);
                continue;
            }
            const auto next = due_.begin()->first;
            if (Clock::now() < next) {
                cv_.wait_until(lock, next);
                continue;
            }
            auto [id, report] = due_.begin()->second;
            due_.erase(due_.begin());
            lock.unlock();
            bus_.SendInput(id, report.data(), report.size());  // a removed interface just drops it
            lock.lock();
        }
    }

    VirtualHidBus& bus_;  // constructed first, so it outlives this thread
    std::mutex mutex_;
    std::condition_variable cv_;
    std::multimap<Clock::time_point, std::pair<uint32_t, std::vector<uint8_t>>> due_;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace

void SimSendInputLater(uint32_t interfaceId, const std::vector<uint8_t>& report, int delayMs) {
    static DelayedInput sender;
    sender.Post(interfaceId, report, delayMs);
}

std::vector<SimFrame> SimCommandPort::ReceivedFrames() const {
    std::lock_guard lock(mutex_);
    return {received_.begin(), received_.end()};
}

void SimCommandPort::ClearReceivedFrames() {
    std::lock_guard lock(mutex_);
    received_.clear();
}

SimCommandPort::SimCommandPort(Answerer answer, LightTaker takeLight)
    : answer_(std::move(answer)), takeLight_(std::move(takeLight)) {}

void SimCommandPort::SetFaults(const SimFaults& faults) {
    std::lock_guard lock(mutex_);
    faults_ = faults;
    refusalCounts_.assign(faults.refusals.size(), 0);
}

SimFaults SimCommandPort::Faults() const {
    std::lock_guard lock(mutex_);
    return faults_;
}

void SimCommandPort::SetRealisticTiming(bool on) {
    std::lock_guard lock(mutex_);
    realistic_ = on;
}

void SimCommandPort::SetUnplugHandler(std::function<void()> handler) {
    std::lock_guard lock(handlerMutex_);
    unplug_ = std::move(handler);
    detached_ = false;
}

void SimCommandPort::Detach() {
    std::lock_guard lock(handlerMutex_);
    unplug_ = nullptr;
    detached_ = true;
}

bool SimCommandPort::Refused(uint8_t command, uint8_t& status) {
    bool refused = false;
    for (size_t i = 0; i < faults_.refusals.size(); ++i) {
        const SimRefusal& rule = faults_.refusals[i];
        if (rule.command != command) continue;
        const int seen = refusalCounts_[i]++;  // every rule counts the frames of its command
        if (!refused && (rule.frame < 0 || rule.frame == seen)) {
            status = rule.status;
            refused = true;
        }
    }
    return refused;
}

VirtualWriteResult SimCommandPort::OnOutputReport(uint32_t interfaceId, const uint8_t* report,
                                                  size_t length) {
    SimFrame reply{};
    int delayMs = 0;
    bool answer = true;
    {
        std::unique_lock lock(mutex_);
        if (faults_.unplugAfterFrames == 0) {
            faults_.unplugAfterFrames = -1;
            lock.unlock();
            std::lock_guard handler(handlerMutex_);
            if (unplug_ && !detached_) unplug_();
            return VirtualWriteResult::Failed;
        }
        if (faults_.failWrites) return VirtualWriteResult::Failed;
        if (faults_.stallWrites) return VirtualWriteResult::Stalled;
        if (faults_.unplugAfterFrames > 0) --faults_.unplugAfterFrames;
        if (realistic_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (length >= 1 && report[0] == 0xFF) {  // a light report: no reply
            if (takeLight_) takeLight_(report, length);
            return VirtualWriteResult::Accepted;
        }
        if (length < kSimFrameSize || report[0] != 4) return VirtualWriteResult::Accepted;  // not a command frame
        SimFrame& logged = received_.emplace_back();
        std::copy_n(report, kSimFrameSize, logged.begin());
        if (received_.size() > kReceivedLimit) received_.pop_front();
        uint8_t status = 0;
        if (Refused(report[3], status)) {
            reply[0] = 4;
            std::copy_n(report + 3, std::min<size_t>(4, length - 3), reply.begin() + 3);
            reply[7] = status;
        } else {
            lock.unlock();
            reply = answer_(report, length);
            lock.lock();
        }
        if (faults_.noReply) answer = false;
        if (answer && faults_.wrongEchoes > 0) {
            --faults_.wrongEchoes;
            reply[3] = static_cast<uint8_t>(reply[3] ^ 0x40);
        }
        delayMs = faults_.replyDelayMs + (realistic_ ? 1 : 0);
    }
    if (!answer) return VirtualWriteResult::Accepted;
    const std::vector<uint8_t> bytes(reply.begin(), reply.end());
    if (delayMs > 0) {
        SimSendInputLater(interfaceId, bytes, delayMs);
    } else {
        VirtualHidBus::Instance().SendInput(interfaceId, bytes.data(), bytes.size());
    }
    return VirtualWriteResult::Accepted;
}
