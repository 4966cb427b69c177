// The device side of one simulated command interface: applies the faults set
// on it, hands command frames to whoever answers them (the device's firmware,
// or a receiver speaking for its wireless device) and sends the replies.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <mutex>

#include "link/virtual_hid.h"
#include "sim/sim_faults.h"
#include "sim/sim_firmware.h"

class SimCommandPort : public VirtualHidResponder {
public:
    using Answerer = std::function<SimFrame(const uint8_t* frame, size_t length)>;
    using LightTaker = std::function<bool(const uint8_t* report, size_t length)>;

    SimCommandPort(Answerer answer, LightTaker takeLight = nullptr);

    VirtualWriteResult OnOutputReport(uint32_t interfaceId, const uint8_t* report,
                                      size_t length) override;

    void SetFaults(const SimFaults& faults);
    SimFaults Faults() const;
    // About 1 ms per report each way, as a full-speed interrupt endpoint.
    void SetRealisticTiming(bool on);
    // Called (on the writing thread) when an unplug fault fires.
    void SetUnplugHandler(std::function<void()> handler);
    // Drops the handlers; after it returns no handler runs any more.
    void Detach();

    // The command frames written to this interface, oldest first (the last 4096).
    std::vector<SimFrame> ReceivedFrames() const;
    void ClearReceivedFrames();

private:
    bool Refused(uint8_t command, uint8_t& status);

    const Answerer answer_;
    const LightTaker takeLight_;
    mutable std::mutex mutex_;
    SimFaults faults_;
    std::vector<int> refusalCounts_;
    bool realistic_ = false;
    std::deque<SimFrame> received_;
    std::mutex handlerMutex_;
    std::function<void()> unplug_;
    bool detached_ = false;
};

// Sends an input report later, from one background thread.
void SimSendInputLater(uint32_t interfaceId, const std::vector<uint8_t>& report, int delayMs);
