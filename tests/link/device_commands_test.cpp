// The command functions against the simulated devices: chunking, offsets,
// result codes, locks and the light stream.
#include "link/device_commands.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "link/debug_trace.h"
#include "link/result_codes.h"
#include "sim/sim_device.h"
#include "tests/sim/sim_link.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;

struct Chunk {
    uint8_t command, length;
    uint16_t offset;
    bool operator==(const Chunk&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Chunk& c) {
    return os << "{cmd " << int(c.command) << ", len " << int(c.length) << ", off " << c.offset << "}";
}

// A device on one connection with a link opened to it.
class Bench {
public:
    Bench(SimKind kind, int connection, SimOptions options = {}) : device_(kind, options) {
        link.SetTimeouts(FastTimeouts());
        if (connection == kConnectionReceiver) {
            receiver_ = std::make_unique<SimulatedReceiver>(device_);
            EXPECT_TRUE(receiver_->Plug());
            conn_ = &receiver_->Connection();
        } else {
            EXPECT_TRUE(device_.PlugCable());
            conn_ = &device_.Cable();
        }
        EXPECT_TRUE(OpenLinkOn(link, kind, *conn_, connection));
    }
    ~Bench() {
        link.WiredInterface().Close();
        link.ReceiverInterface().Close();
    }
    std::vector<Chunk> Frames() {
        std::vector<Chunk> chunks;
        for (const SimFrame& f : conn_->Port().ReceivedFrames())
            chunks.push_back({f[3], f[4], static_cast<uint16_t>(f[5] | (f[6] << 8))});
        conn_->Port().ClearReceivedFrames();
        return chunks;
    }
    void SetFaults(const SimFaults& faults) { conn_->Port().SetFaults(faults); }
    SimulatedDevice& Device() { return device_; }

    DeviceLink link;

private:
    SimulatedDevice device_;
    std::unique_ptr<SimulatedReceiver> receiver_;
    SimConnection* conn_ = nullptr;
};

TEST(DeviceCommands, InfoBlockChunksFollowTheLinksChunkSize) {
    struct Case { SimKind kind; int connection; std::vector<Chunk> frames; } cases[] = {
        {SimKind::Mouse, kConnectionCable, {{3, 34, 0}}},
        {SimKind::Mouse, kConnectionReceiver, {{3, 24, 0}, {3, 10, 24}}},
        {SimKind::MousePad, kConnectionCable, {{3, 24, 0}, {3, 10, 24}}},
    };
    for (const Case& c : cases) {
        Bench bench(c.kind, c.connection);
        uint8_t info[kInfoBlockSize] = {};
        ASSERT_EQ(ReadInfoBlock(bench.link, info), kResultOk);
        EXPECT_EQ(bench.Frames(), c.frames) << SimKindName(c.kind);
        EXPECT_EQ(info[0], 0xAA);
        EXPECT_EQ(info[1], 0x55);
    }
}

TEST(DeviceCommands, TableChunkingBlocksAndOffsets) {
    Bench cable(SimKind::Keyboard, kConnectionCable);
    ASSERT_TRUE(cable.link.SetTableLength(120));
    const Bytes table(120, 0x20);
    ASSERT_EQ(WriteKeyTable(cable.link, table.data(), 0), kResultOk);
    EXPECT_EQ(cable.Frames(), (std::vector<Chunk>{{9, 56, 0}, {9, 56, 56}, {9, 8, 112}}));
    EXPECT_EQ(WriteKeyTable(cable.link, table.data(), 1), kResultBadBlock);
    EXPECT_TRUE(cable.Frames().empty());

    Bytes ledMap(64, 0xEE);
    ASSERT_EQ(ReadLedMap(cable.link, ledMap.data()), kResultOk);
    EXPECT_EQ(cable.Frames(), (std::vector<Chunk>{{27, 40, 0}}));
    EXPECT_EQ(ledMap[40], 0xEE);

    const Bytes colours(30, 7);
    ASSERT_EQ(WriteLightTable(cable.link, colours.data(), colours.size(), 2, 512), kResultOk);
    EXPECT_EQ(cable.Frames(), (std::vector<Chunk>{{11, 30, 1024}}));

    Bench receiver(SimKind::Mouse, kConnectionReceiver);
    const Bytes shoot(130, 0);
    ASSERT_EQ(WriteShootData(receiver.link, shoot.data(), shoot.size()), kResultOk);
    EXPECT_EQ(receiver.Frames(), (std::vector<Chunk>{{23, 56, 0}, {23, 56, 56}, {23, 18, 112}}));
    EXPECT_EQ(WriteSettings(receiver.link, shoot.data(), 0, 0), kResultOk);  // nothing to send
    EXPECT_TRUE(receiver.Frames().empty());
}

TEST(DeviceCommands, ResultCodesOfRefusalsAndTransport) {
    Bench bench(SimKind::Mouse, kConnectionReceiver);
    SimFaults faults;
    faults.refusals = {{kCmdReadStatus, 0, 0xFF}, {kCmdReadStatus, 1, 0xFE}};
    bench.SetFaults(faults);
    uint8_t status[2];
    EXPECT_EQ(ReadStatus(bench.link, status, 2, 0), kResultDeviceRefused);
    EXPECT_EQ(ReadStatus(bench.link, status, 2, 0), kResultDeviceBusy);
    EXPECT_EQ(ReadStatus(bench.link, status, 2, 0), kResultOk);
    bench.Device().SetRadioReachable(false);
    EXPECT_EQ(ReadStatus(bench.link, status, 2, 0), kResultReceiverRefused);
    EXPECT_EQ(OpenTransfer(bench.link), kResultReceiverRefused);
    bench.Device().SetRadioReachable(true);
    faults = {};
    faults.noReply = true;
    bench.SetFaults(faults);
    EXPECT_EQ(ReadStatus(bench.link, status, 2, 0), kResultNoReply);
}

TEST(DeviceCommands, AReadFailingMidwayLeavesTheInfoBlockUntouched) {
    Bench bench(SimKind::Mouse, kConnectionReceiver);
    SimFaults faults;
    faults.refusals = {{kCmdReadInfoBlock, 1, 0xFF}, {kCmdReadSettings, 1, 0xFF}};
    bench.SetFaults(faults);
    Bytes info(kInfoBlockSize, 0xEE);
    EXPECT_EQ(ReadInfoBlock(bench.link, info.data()), kResultDeviceRefused);
    EXPECT_EQ(info, Bytes(kInfoBlockSize, 0xEE));
    // Other reads keep what arrived before the failing chunk.
    Bytes settings(40, 0xEE);
    EXPECT_EQ(ReadSettings(bench.link, settings.data(), settings.size(), 0), kResultDeviceRefused);
    const SimMemory memory = bench.Device().Firmware().Memory();
    EXPECT_TRUE(std::equal(settings.begin(), settings.begin() + 24, memory.settings.begin()));
    EXPECT_EQ(settings[24], 0xEE);
}

TEST(DeviceCommands, QueryWirelessAndTheCloseTransferPause) {
    Bench cable(SimKind::Mouse, kConnectionCable);
    EXPECT_TRUE(QueryWireless(cable.link));
    EXPECT_TRUE(cable.Frames().empty());
    const auto start = Clock::now();
    EXPECT_EQ(CloseTransfer(cable.link), kResultOk);
    EXPECT_GE(Clock::now() - start, 10ms);

    Bench receiver(SimKind::Keyboard, kConnectionReceiver);
    EXPECT_TRUE(QueryWireless(receiver.link));
    EXPECT_EQ(receiver.Frames(), (std::vector<Chunk>{{0xAA, 0, 0}}));
    receiver.Device().SetRadioReachable(false);
    EXPECT_FALSE(QueryWireless(receiver.link));
}

TEST(DeviceCommands, TwoThreadsInterleaveWholeFramesOnOneLink) {
    Bench bench(SimKind::Keyboard, kConnectionCable);
    uint8_t info[kInfoBlockSize];
    ASSERT_EQ(ReadInfoBlock(bench.link, info), kResultOk);
    ASSERT_TRUE(bench.link.SetTableLength(info[kInfoKeySlotsByte] * 3u));
    const SimMemory factory = bench.Device().Firmware().Memory();
    const Bytes expectedTable(factory.keyTable.begin(), factory.keyTable.begin() + bench.link.TableLength());
    Bytes block(45);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i + 3);
    std::atomic<int> failures{0};
    std::thread writer([&] {
        for (int i = 0; i < 20; ++i)
            if (WriteSettings(bench.link, block.data(), block.size(), 25) != kResultOk) ++failures;
    });
    std::thread reader([&] {
        for (int i = 0; i < 20; ++i) {
            Bytes table(512, 0);
            if (ReadKeyTable(bench.link, table.data()) != kResultOk ||
                !std::equal(expectedTable.begin(), expectedTable.end(), table.begin()))
                ++failures;
        }
    });
    writer.join();
    reader.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(bench.Device().Firmware().Stats().checksumErrors, 0);
    const SimMemory memory = bench.Device().Firmware().Memory();
    EXPECT_TRUE(std::equal(block.begin(), block.end(), memory.settings.begin() + 25));
}

TEST(DeviceCommands, LightCommandsDoNotWaitForTheCommandLock) {
    Bench bench(SimKind::Keyboard, kConnectionCable);
    std::atomic<bool> release{false};
    std::thread holder([&] {
        std::lock_guard lock(bench.link.CommandLock());
        while (!release) std::this_thread::sleep_for(1ms);
    });
    std::this_thread::sleep_for(20ms);
    const Bytes frame(60, 0x33);
    EXPECT_EQ(StreamLight(bench.link, frame.data(), frame.size()), kResultOk);
    EXPECT_EQ(WriteLightTable(bench.link, frame.data(), frame.size(), 0, 512), kResultOk);
    std::atomic<int> settingsResult{99};
    std::thread blocked([&] {
        uint8_t active;
        settingsResult = ReadSettings(bench.link, &active, 1, 0);
    });
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(settingsResult, 99);  // still waiting for the command lock
    release = true;
    holder.join();
    blocked.join();
    EXPECT_EQ(settingsResult, kResultOk);
}

TEST(DeviceCommands, LightStreamSkipsChunksWhileTheLinkIsBusy) {
    Bench bench(SimKind::Keyboard, kConnectionCable);
    std::vector<std::string> traces;
    std::mutex traceMutex;
    SetDebugTraceSink([&](std::string_view t) {
        std::lock_guard lock(traceMutex);
        traces.emplace_back(t);
    });
    SimFaults slow;
    slow.replyDelayMs = 150;
    bench.SetFaults(slow);
    std::thread other([&] {
        uint8_t status[6];
        EXPECT_EQ(ReadStatus(bench.link, status, 6, 0), kResultOk);
    });
    while (!bench.link.Busy()) std::this_thread::sleep_for(1ms);
    const Bytes frame(100, 0x77);  // two chunks on the cable
    EXPECT_EQ(StreamLight(bench.link, frame.data(), frame.size()), kResultOk);
    other.join();
    SetDebugTraceSink(nullptr);
    EXPECT_EQ(std::count(traces.begin(), traces.end(), "放弃灯光数据"), 2);
    EXPECT_EQ(bench.Device().Firmware().Memory().lightFrame[0], 0);  // nothing was streamed
    for (const Chunk& c : bench.Frames()) EXPECT_NE(c.command, kCmdStreamLight);
}

}  // namespace
