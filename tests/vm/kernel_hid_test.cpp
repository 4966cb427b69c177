// The hidraw transport against the real kernel: the simulated devices are
// presented through uhid by the bridge (two processes: the pad alone, so that
// it can be unplugged), and everything is found and driven through hidraw
// nodes, libudev's sysfs scan and the kernel's own uevents. Runs inside the
// test virtual machine (tests/vm/run_vm_test.sh), as root, without udevd.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/device_commands.h"
#include "link/discovery.h"
#include "link/hid_path.h"
#include "link/hidraw_transport.h"
#include "link/hotplug_monitor.h"
#include "link/result_codes.h"
#include "link/supported_devices.h"
#include "sim/sim_descriptors.h"
#include "sim/sim_memory.h"
#include "tests/vm/bridge_process.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;

constexpr uint16_t kMakerVendor = 0x320F;
constexpr uint16_t kHeadsetVendor = 0x0C76;
constexpr int kMouseCable = 4, kMouseReceiver = 6, kKeyboardCable = 0, kKeyboardReceiver = 2;
constexpr int kPadCommand = 8, kPadCompanion = 9, kHeadsetCommand = 10;

BridgeProcess* g_mainBridge = nullptr;  // mouse and keyboard (cable and receiver), headset
BridgeProcess* g_padBridge = nullptr;   // the mouse pad alone

bool AllPresent() {
    return WaitForHidrawNodes(kMakerVendor, 10, 10000) && WaitForHidrawNodes(kHeadsetVendor, 1, 10000);
}

// Records the reports of discovery in order; waits for a number of them.
class EventLog : public DiscoverySink {
public:
    void InterfaceArrived(int i) override { Add("+" + std::to_string(i)); }
    void InterfaceRemoved(int i) override { Add("-" + std::to_string(i)); }
    void FirstPassDone() override {}
    bool WaitFor(size_t count, std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, limit, [&] { return events_.size() >= count; });
    }
    std::vector<std::string> Take() {
        std::lock_guard lock(mutex_);
        return std::exchange(events_, {});
    }

private:
    void Add(std::string e) {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(e));
        cv_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<std::string> events_;
};

// One discovery pass over the nodes present: the claimed path of every entry.
std::vector<std::string> ClaimedPaths() {
    EventLog log;
    Discovery discovery(log);
    if (!discovery.RunPass()) return {};
    std::vector<std::string> paths;
    for (const DeviceIdentity& e : discovery.InterfaceList()) paths.push_back(e.path);
    return paths;
}

SimKind KindOfRow(const InterfaceRow& row) {
    switch (row.deviceType) {
        case 1: case 9: return SimKind::Keyboard;
        case 2: case 6: return SimKind::Mouse;
        case 3: return SimKind::MousePad;
        default: return SimKind::Headset;
    }
}

TEST(KernelHid, EveryInterfaceIsFoundWithTheIdentityOfItsTableRow) {
    ASSERT_NE(access("/run/udev/control", F_OK), 0) << "this check is meant to run without udevd";
    const std::vector<std::string> paths = ClaimedPaths();
    ASSERT_EQ(paths.size(), kInterfaceCount);
    struct Lengths { uint16_t in, out, feature; };
    for (size_t i = 0; i < kInterfaceCount; ++i) {
        SCOPED_TRACE("entry " + std::to_string(i));
        const InterfaceRow& row = kInterfaceTable[i];
        ASSERT_FALSE(paths[i].empty());
        EXPECT_EQ(paths[i].rfind("/dev/hidraw", 0), 0u) << paths[i];
        HidInterface hid;
        ASSERT_TRUE(hid.Open(paths[i], true, false, true, false));
        EXPECT_EQ(hid.VendorId(), row.vendorId);
        EXPECT_EQ(hid.ProductId(), row.productId);
        EXPECT_EQ(hid.InterfaceNumber(), row.interfaceNumber);
        EXPECT_EQ(hid.CollectionNumber(), row.collectionNumber);
        EXPECT_EQ(hid.UsagePage(), row.usagePage);
        EXPECT_EQ(hid.Usage(), row.usage);
        // Command collections: report id 4 and 63 bytes each way (the headset's
        // also carries the 16-byte light reports); companions: the consumer report.
        const Lengths want = row.role == 255 ? Lengths{3, 0, 0} : Lengths{64, 64, 0};
        EXPECT_EQ(hid.InputReportByteLength(), want.in);
        EXPECT_EQ(hid.OutputReportByteLength(), want.out);
        EXPECT_EQ(hid.FeatureReportByteLength(), want.feature);
        // The kernel hands back the descriptor the device presented, byte for byte.
        std::shared_ptr<HidNode> node = OpenHidrawNode(std::string(HidPathNode(paths[i])), true, false);
        ASSERT_NE(node, nullptr);
        const SimKind kind = KindOfRow(row);
        EXPECT_EQ(node->ReportDescriptor(), row.role == 255 ? SimCompanionNodeDescriptor(kind)
                                                            : SimCommandNodeDescriptor(kind));
        EXPECT_EQ(node->VendorId(), row.vendorId);
        EXPECT_EQ(node->ProductId(), row.productId);
    }
}

struct LinkCase {
    int entry;
    SimKind kind;
    int connection;
    bool keyTable;  // the pad has no keys
};

TEST(KernelHid, TheCommandSetRunsOnTheNodesByCableAndThroughTheReceiver) {
    const std::vector<std::string> paths = ClaimedPaths();
    ASSERT_EQ(paths.size(), kInterfaceCount);
    const LinkCase cases[] = {
        {kMouseCable, SimKind::Mouse, kConnectionCable, true},
        {kMouseReceiver, SimKind::Mouse, kConnectionReceiver, true},
        {kKeyboardCable, SimKind::Keyboard, kConnectionCable, true},
        {kKeyboardReceiver, SimKind::Keyboard, kConnectionReceiver, true},
        {kPadCommand, SimKind::MousePad, kConnectionCable, false},
    };
    uint8_t pattern = 0x40;
    for (const LinkCase& c : cases) {
        SCOPED_TRACE("entry " + std::to_string(c.entry));
        ASSERT_FALSE(paths[c.entry].empty());
        DeviceLink link;
        {
            std::lock_guard io(link.IoLock());
            HidInterface& hid = c.connection == kConnectionReceiver ? link.ReceiverInterface()
                                                                    : link.WiredInterface();
            ASSERT_TRUE(hid.Open(paths[c.entry], true, true, true, false));
            link.SetOpened(true);
            if (c.kind != SimKind::MousePad) link.SetConnection(c.connection);
        }
        const SimMemory factory = FactoryMemory(c.kind, SimOptions{});
        if (c.connection == kConnectionReceiver) {
            EXPECT_TRUE(QueryWireless(link));
        }
        uint8_t info[kInfoBlockSize] = {};
        ASSERT_EQ(ReadInfoBlock(link, info), kResultOk);
        EXPECT_EQ(Bytes(info, info + kInfoBlockSize), Bytes(factory.info.begin(), factory.info.end()));

        // Written by this link and read back through it: the settings of the
        // first profile cross the kernel both ways (several chunks of either size).
        Bytes settings(100);
        for (size_t i = 0; i < settings.size(); ++i) settings[i] = static_cast<uint8_t>(pattern + i);
        ++pattern;
        ASSERT_EQ(WriteSettings(link, settings.data(), settings.size(), 1), kResultOk);
        Bytes back(settings.size());
        ASSERT_EQ(ReadSettings(link, back.data(), back.size(), 1), kResultOk);
        EXPECT_EQ(back, settings);

        if (!c.keyTable) continue;
        ASSERT_TRUE(link.SetTableLength(120));
        Bytes keys(120);
        ASSERT_EQ(ReadKeyTable(link, keys.data()), kResultOk);
        EXPECT_EQ(keys, Bytes(factory.keyTable.begin(), factory.keyTable.begin() + 120));
    }
    // The mouse reached both ways is one device: what the cable wrote, the receiver reads.
    DeviceLink cable, receiver;
    ASSERT_TRUE(cable.WiredInterface().Open(paths[kMouseCable], true, true, true, false));
    cable.SetOpened(true);
    cable.SetConnection(kConnectionCable);
    ASSERT_TRUE(receiver.ReceiverInterface().Open(paths[kMouseReceiver], true, true, true, false));
    receiver.SetOpened(true);
    receiver.SetConnection(kConnectionReceiver);
    const Bytes written = {0x11, 0x22, 0x33, 0x44, 0x55};
    ASSERT_EQ(WriteSettings(cable, written.data(), written.size(), 1), kResultOk);
    Bytes read(written.size());
    ASSERT_EQ(ReadSettings(receiver, read.data(), read.size(), 1), kResultOk);
    EXPECT_EQ(read, written);
}

TEST(KernelHid, CloseEndsAReadThatWaitsWithoutTimeout) {
    const std::vector<std::string> paths = ClaimedPaths();
    ASSERT_EQ(paths.size(), kInterfaceCount);
    HidInterface hid;
    ASSERT_TRUE(hid.Open(paths[kHeadsetCommand], true, true, true, false));
    std::atomic<int> result{-1};
    std::atomic<bool> started{false};
    std::thread reader([&] {
        uint8_t buf[64];
        size_t n = 0;
        started = true;
        result = hid.Read(buf, sizeof buf, &n, -1);
    });
    while (!started) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(result, -1) << "the read returned with nothing sent";
    const auto closed = Clock::now();
    hid.Close();
    reader.join();
    EXPECT_EQ(result, 0);
    EXPECT_LT(Clock::now() - closed, 1s);
}

TEST(KernelHid, UnplugAndReplugAreReportedInOrderFromKernelEvents) {
    {
        // Without udevd the monitor listens to the kernel's own uevents.
        HotplugMonitor monitor;
        ASSERT_TRUE(monitor.Watching());
    }
    EventLog log;
    Discovery discovery(log);
    discovery.Start();
    ASSERT_TRUE(log.WaitFor(kInterfaceCount, 10s));
    std::vector<std::string> first = log.Take();
    std::sort(first.begin(), first.end());
    std::vector<std::string> all;
    for (size_t i = 0; i < kInterfaceCount; ++i) all.push_back("+" + std::to_string(i));
    std::sort(all.begin(), all.end());
    EXPECT_EQ(first, all);
    const std::string padPath = discovery.InterfaceList()[kPadCompanion].path;

    // A read waiting without timeout on the pad when it goes.
    HidInterface hid;
    ASSERT_TRUE(hid.Open(padPath, true, true, true, false));
    std::atomic<int> result{-1};
    std::thread reader([&] {
        uint8_t buf[8];
        size_t n = 0;
        result = hid.Read(buf, sizeof buf, &n, -1);
    });
    std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(g_padBridge->Stop());
    // Discovery waits without a timeout while a monitor watches: only the
    // kernel's uevents can bring these reports.
    ASSERT_TRUE(log.WaitFor(2, 5s));
    reader.join();
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(hid.Present());
    uint8_t frame[64] = {4};
    size_t n = 0;
    EXPECT_EQ(hid.Write(frame, sizeof frame, &n, 100), 0);
    EXPECT_FALSE(hid.Open(padPath, true, true, true, false));
    std::vector<std::string> removed = log.Take();
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ(removed, (std::vector<std::string>{"-8", "-9"}));
    EXPECT_FALSE(discovery.InterfaceList()[kPadCommand].inUse);

    ASSERT_TRUE(g_padBridge->Start());
    ASSERT_TRUE(log.WaitFor(2, 10s));
    std::this_thread::sleep_for(300ms);  // nothing else may follow
    std::vector<std::string> arrived = log.Take();
    std::sort(arrived.begin(), arrived.end());
    EXPECT_EQ(arrived, (std::vector<std::string>{"+8", "+9"}));
    EXPECT_TRUE(discovery.Running());
    discovery.Stop();
    EXPECT_TRUE(AllPresent());
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const char* bridge = std::getenv("R730_UHID_BRIDGE");
    if (!bridge) bridge = "/bin/r730-uhid-bridge";
    BridgeProcess mainBridge(bridge, {"--simulate=mouse@both,keyboard@both,headset"});
    BridgeProcess padBridge(bridge, {"--simulate=mousepad"});
    g_mainBridge = &mainBridge;
    g_padBridge = &padBridge;
    if (!mainBridge.Start() || !padBridge.Start() || !AllPresent()) {
        std::fprintf(stderr, "kernel_hid_test: the bridge did not present the devices\n");
        return 1;
    }
    const int code = RUN_ALL_TESTS();
    const bool stopped = mainBridge.Stop() && (!padBridge.Running() || padBridge.Stop());
    if (!stopped) std::fprintf(stderr, "kernel_hid_test: a bridge did not end cleanly\n");
    return code != 0 || !stopped ? 1 : 0;
}
