// Discovery and the main window's arrival, removal and switching handling,
// against the simulated devices.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "devices/device_manager.h"
#include "devices/device_types.h"
#include "link/debug_trace.h"
#include "link/device_commands.h"
#include "link/discovery.h"
#include "link/hid_path.h"
#include "link/result_codes.h"
#include "link/supported_devices.h"
#include "sim/sim_descriptors.h"
#include "sim/sim_device.h"

namespace {

using namespace std::chrono_literals;

// Records what the device list is asked to do, in order.
class RecordingList : public DeviceListView {
public:
    void DeviceCreated(CZentrelUSBDevice&) override { Log("created"); }
    void ShowEntry(CZentrelUSBDevice&, bool visible) override { Log(visible ? "show" : "hide"); }
    void CurrentChanged(CZentrelUSBDevice* d) override { Log(d ? "current" : "no current"); }
    void ArmTimer(CZentrelUSBDevice&, int id, int ms) override {
        Log("timer " + std::to_string(id) + " " + std::to_string(ms));
    }
    void SwitchedToCable(CZentrelUSBDevice&) override { Log("3331"); }
    std::vector<std::string> Take() {
        std::lock_guard lock(mutex_);
        return std::exchange(log_, {});
    }

private:
    void Log(std::string s) {
        std::lock_guard lock(mutex_);
        log_.push_back(std::move(s));
    }
    std::mutex mutex_;
    std::vector<std::string> log_;
};

// Records the reports of discovery, then hands them to the manager.
class Recorder : public DiscoverySink {
public:
    explicit Recorder(DiscoverySink* next = nullptr) : next_(next) {}
    void InterfaceArrived(int i) override {
        Log("+" + std::to_string(i));
        if (next_) next_->InterfaceArrived(i);
    }
    void InterfaceRemoved(int i) override {
        Log("-" + std::to_string(i));
        if (next_) next_->InterfaceRemoved(i);
    }
    void FirstPassDone() override {
        Log("first");
        if (next_) next_->FirstPassDone();
    }
    std::vector<std::string> Take() {
        std::lock_guard lock(mutex_);
        return std::exchange(log_, {});
    }
    DiscoverySink* next_;

private:
    void Log(std::string s) {
        std::lock_guard lock(mutex_);
        log_.push_back(std::move(s));
    }
    std::mutex mutex_;
    std::vector<std::string> log_;
};

using Log = std::vector<std::string>;

TEST(Discovery, ClaimsTheMatchingEntriesOnceAndFreesThemOnRemoval) {
    Recorder sink;
    Discovery discovery(sink);
    SimulatedDevice mouse(SimKind::Mouse, {});
    ASSERT_TRUE(discovery.RunPass());
    EXPECT_EQ(sink.Take(), Log{"first"});
    ASSERT_TRUE(mouse.PlugCable());
    ASSERT_TRUE(discovery.RunPass());
    EXPECT_EQ(sink.Take(), (Log{"+4", "+5"}));  // the command collection, then the companion
    const DeviceIdentity& command = discovery.InterfaceList()[4];
    EXPECT_EQ(command.path, mouse.Cable().CommandPath());
    EXPECT_EQ(HidPathNumber(command.path, "&col"), 2);
    ASSERT_TRUE(discovery.RunPass());
    EXPECT_TRUE(sink.Take().empty());  // nothing is reported twice
    mouse.UnplugCable();
    ASSERT_TRUE(discovery.RunPass());
    EXPECT_EQ(sink.Take(), (Log{"-4", "-5"}));
    EXPECT_EQ(discovery.InterfaceList()[4].inUse, 0);
    EXPECT_TRUE(discovery.InterfaceList()[4].path.empty());
}

TEST(Discovery, AWrongUsagePageClaimsNothing) {
    // 320F:226E at interface 1 whose second collection is a consumer collection.
    std::vector<uint8_t> descriptor = SimCompanionNodeDescriptor(SimKind::Mouse);  // mouse, system, consumer
    descriptor.erase(descriptor.begin(), descriptor.begin() + static_cast<long>(descriptor.size()) - 25);
    std::vector<uint8_t> node = SimCommandNodeDescriptor(SimKind::Mouse);
    node.resize(node.size() - 29);  // keep the keyboard collection only
    node.insert(node.end(), descriptor.begin(), descriptor.end());
    const uint32_t id = VirtualHidBus::Instance().Add({0x320F, 0x226E, 0x100, 1, node}, nullptr);
    Recorder sink;
    Discovery discovery(sink);
    ASSERT_TRUE(discovery.RunPass());
    EXPECT_EQ(sink.Take(), Log{"first"});
    VirtualHidBus::Instance().Remove(id);
}

TEST(Discovery, KeyboardCableAndReceiverTakeTheirOwnEntries) {
    Recorder sink;
    Discovery discovery(sink);
    SimulatedDevice keyboard(SimKind::Keyboard, {});
    SimulatedReceiver receiver(keyboard);
    ASSERT_TRUE(keyboard.PlugCable());
    ASSERT_TRUE(discovery.RunPass());
    EXPECT_EQ(sink.Take(), (Log{"+0", "+1", "first"}));  // not also 2 and 3 for the same interfaces
    ASSERT_TRUE(receiver.Plug());
    ASSERT_TRUE(discovery.RunPass());
    EXPECT_EQ(sink.Take(), (Log{"+2", "+3"}));
    EXPECT_EQ(discovery.InterfaceList()[2].path, receiver.Connection().CommandPath());
}

TEST(Discovery, WithEveryEntryInUseNothingIsEnumerated) {
    Recorder sink;
    Discovery discovery(sink);
    SimulatedDevice mouse(SimKind::Mouse, {}), keyboard(SimKind::Keyboard, {}), pad(SimKind::MousePad, {}),
        headset(SimKind::Headset, {});
    SimulatedReceiver mouseReceiver(mouse), keyboardReceiver(keyboard);
    for (SimulatedDevice* d : {&mouse, &keyboard, &pad, &headset}) ASSERT_TRUE(d->PlugCable());
    ASSERT_TRUE(mouseReceiver.Plug());
    ASSERT_TRUE(keyboardReceiver.Plug());
    ASSERT_TRUE(discovery.RunPass());
    for (const DeviceIdentity& e : discovery.InterfaceList()) EXPECT_EQ(e.inUse, 1);
    const int enumerations = discovery.EnumerationCount();
    ASSERT_TRUE(discovery.RunPass());
    ASSERT_TRUE(discovery.RunPass());
    EXPECT_EQ(discovery.EnumerationCount(), enumerations);  // presence checks only
    pad.UnplugCable();
    ASSERT_TRUE(discovery.RunPass());
    sink.Take();
    ASSERT_TRUE(discovery.RunPass());  // an entry is free again: enumeration resumes
    EXPECT_EQ(discovery.EnumerationCount(), enumerations + 1);
}

TEST(Discovery, AnInterfaceThatWillNotOpenIsTriedAgain) {
    Recorder sink;
    Discovery discovery(sink);
    SimulatedDevice pad(SimKind::MousePad, {});
    ASSERT_TRUE(pad.PlugCable());
    const uint32_t id = pad.Cable().CommandId();
    VirtualHidBus::Instance().SetOpenRefused(id, true);
    ASSERT_TRUE(discovery.RunPass());
    EXPECT_EQ(sink.Take(), (Log{"+9", "first"}));  // the companion only
    VirtualHidBus::Instance().SetOpenRefused(id, false);
    ASSERT_TRUE(discovery.RunPass());
    EXPECT_EQ(sink.Take(), Log{"+8"});
}

TEST(Discovery, TheThreadFollowsHotPlugAndStopsPromptly) {
    std::vector<std::string> traces;
    std::mutex traceMutex;
    SetDebugTraceSink([&](std::string_view t) {
        std::lock_guard lock(traceMutex);
        traces.emplace_back(t);
    });
    Recorder sink;
    {
        Discovery discovery(sink);
        discovery.Start();
        SimulatedDevice headset(SimKind::Headset, {});
        auto waitFor = [&](const std::string& what) {
            std::vector<std::string> seen;
            for (int i = 0; i < 200; ++i) {
                for (auto& s : sink.Take()) seen.push_back(s);
                if (std::find(seen.begin(), seen.end(), what) != seen.end()) return true;
                std::this_thread::sleep_for(5ms);
            }
            return false;
        };
        EXPECT_TRUE(waitFor("first"));
        ASSERT_TRUE(headset.PlugCable());
        EXPECT_TRUE(waitFor("+10"));
        headset.UnplugCable();
        EXPECT_TRUE(waitFor("-10"));
        const auto start = std::chrono::steady_clock::now();
        discovery.Stop();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
    }
    SetDebugTraceSink(nullptr);
    EXPECT_NE(std::find(traces.begin(), traces.end(), "抓取设备线程设定退出"), traces.end());
}

// ---- the main window's handling ----

class Handling : public testing::Test {
protected:
    Handling()
        : manager_(discovery_.InterfaceList(), MakeGenericDevice, list_, [this](int ms) { slept_.push_back(ms); }) {
        recorder_.next_ = &manager_;
    }
    void Pass() { ASSERT_TRUE(discovery_.RunPass()); }
    CZentrelUSBDevice* Mouse() { return manager_.DeviceOf(4); }

    RecordingList list_;
    Recorder recorder_;
    Discovery discovery_{recorder_};
    DeviceManager manager_;
    std::vector<int> slept_;
    SimulatedDevice mouse_{SimKind::Mouse, {}};
    SimulatedReceiver receiver_{mouse_};
};

TEST_F(Handling, CableArrivalOpensTheLinkAndStartsTheReader) {
    ASSERT_TRUE(mouse_.PlugCable());
    Pass();
    ASSERT_EQ(manager_.Devices().size(), 1u);
    CZentrelUSBDevice* mouse = Mouse();
    ASSERT_NE(mouse, nullptr);
    EXPECT_EQ(mouse->DeviceType(), kTypeMouse);
    EXPECT_EQ(mouse->LedCount(), 15u);
    EXPECT_EQ(mouse->KeyCount(), 11u);
    EXPECT_TRUE(mouse->Wireless());
    EXPECT_EQ(mouse->FolderName(), "mouse");
    EXPECT_EQ(mouse->GetLibraryRow(), 1);
    EXPECT_TRUE(mouse->CommandLink().Opened());
    EXPECT_EQ(mouse->CommandLink().ChunkSize(), 56);
    EXPECT_FALSE(mouse->ThroughReceiver());
    EXPECT_TRUE(mouse->ReaderOpen(false));
    EXPECT_EQ(manager_.Current(), mouse);
    EXPECT_EQ(list_.Take(), (Log{"created", "hide", "show", "current", "timer 1001 500"}));
    uint8_t info[kInfoBlockSize];
    EXPECT_EQ(ReadInfoBlock(mouse->CommandLink(), info), kResultOk);
}

TEST_F(Handling, CableWhileOnTheReceiverSwitchesTheSameObjectToTheCable) {
    ASSERT_TRUE(receiver_.Plug());
    Pass();
    CZentrelUSBDevice* mouse = Mouse();
    ASSERT_NE(mouse, nullptr);
    EXPECT_TRUE(mouse->ThroughReceiver());
    EXPECT_EQ(mouse->CommandLink().ChunkSize(), 24);
    EXPECT_EQ(manager_.Current(), nullptr);  // a receiver arrival does not make it current
    EXPECT_TRUE(mouse->ReaderOpen(true));
    list_.Take();
    ASSERT_TRUE(mouse_.PlugCable());
    Pass();
    EXPECT_EQ(manager_.Devices().size(), 1u);
    EXPECT_FALSE(mouse->ThroughReceiver());
    EXPECT_EQ(mouse->CommandLink().ChunkSize(), 56);
    EXPECT_EQ(list_.Take(), (Log{"timer 1001 500", "3331"}));
}

TEST_F(Handling, ReceiverWhileOnTheCableChangesNothing) {
    ASSERT_TRUE(mouse_.PlugCable());
    Pass();
    list_.Take();
    ASSERT_TRUE(receiver_.Plug());
    Pass();
    EXPECT_EQ(recorder_.Take(), (Log{"+4", "+5", "first", "+6", "+7"}));
    EXPECT_FALSE(Mouse()->ThroughReceiver());
    EXPECT_EQ(Mouse()->CommandLink().ChunkSize(), 56);
    EXPECT_TRUE(list_.Take().empty());
}

TEST_F(Handling, CableUnpluggedMovesToTheReceiverAndAsksUntilItAnswers) {
    ASSERT_TRUE(mouse_.PlugCable());
    ASSERT_TRUE(receiver_.Plug());
    Pass();
    list_.Take();
    mouse_.SetRadioReachable(false);  // the mouse takes a while to wake its radio
    mouse_.UnplugCable();
    Pass();
    CZentrelUSBDevice* mouse = Mouse();
    EXPECT_TRUE(mouse->CommandLink().Opened());
    EXPECT_TRUE(mouse->ThroughReceiver());
    EXPECT_EQ(mouse->CommandLink().ChunkSize(), 24);
    EXPECT_EQ(slept_, std::vector<int>(26, 50));  // 26 questions, 50 ms after each "no"
    EXPECT_EQ(list_.Take(), Log{"timer 1007 2000"});
    EXPECT_FALSE(mouse->ReaderOpen(false));
    EXPECT_TRUE(mouse->ReaderOpen(true));

    // Reachable at once: a single question.
    slept_.clear();
    mouse_.SetRadioReachable(true);
    ASSERT_TRUE(mouse_.PlugCable());
    Pass();
    mouse_.UnplugCable();
    Pass();
    EXPECT_TRUE(slept_.empty());
}

TEST_F(Handling, BothGoneHidesTheDeviceAndALaterArrivalReopensTheSameObject) {
    ASSERT_TRUE(mouse_.PlugCable());
    Pass();
    CZentrelUSBDevice* mouse = Mouse();
    list_.Take();
    mouse_.UnplugCable();
    Pass();
    EXPECT_FALSE(mouse->CommandLink().Opened());
    EXPECT_EQ(manager_.Current(), nullptr);
    EXPECT_EQ(list_.Take(), (Log{"hide", "no current"}));
    ASSERT_TRUE(receiver_.Plug());
    Pass();
    EXPECT_EQ(Mouse(), mouse);
    EXPECT_EQ(manager_.Devices().size(), 1u);
    EXPECT_TRUE(mouse->CommandLink().Opened());
    EXPECT_TRUE(mouse->ThroughReceiver());
}

TEST_F(Handling, UnplugInTheMiddleOfACommandEndsItAndMarksTheDeviceLost) {
    ASSERT_TRUE(mouse_.PlugCable());
    Pass();
    CZentrelUSBDevice* mouse = Mouse();
    LinkTimeouts t;
    t.wiredMs = 300;
    mouse->CommandLink().SetTimeouts(t);
    SimFaults faults;
    faults.unplugAfterFrames = 1;
    mouse_.SetCableFaults(faults);
    std::atomic<int> result{99};
    const auto start = std::chrono::steady_clock::now();
    std::thread writer([&] {
        std::vector<uint8_t> block(500, 7);
        result = WriteSettings(mouse->CommandLink(), block.data(), block.size(), 0);
    });
    writer.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 700ms);
    EXPECT_NE(result, kResultOk);
    Pass();
    EXPECT_FALSE(mouse->CommandLink().Opened());
    EXPECT_FALSE(mouse->ReaderOpen(false));
}

}  // namespace
