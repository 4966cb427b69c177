// Faults set on a simulated interface, as the host sees them.
#include <gtest/gtest.h>

#include <chrono>

#include "link/device_commands.h"
#include "link/hid_interface.h"
#include "link/result_codes.h"
#include "sim/sim_device.h"
#include "tests/sim/sim_link.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;

class SimFaultsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(mouse_.PlugCable());
        link_.SetTimeouts(FastTimeouts());
        ASSERT_TRUE(OpenLinkOn(link_, SimKind::Mouse, mouse_.Cable(), kConnectionCable));
    }
    int Frames() { return mouse_.Firmware().Stats().frames; }

    SimulatedDevice mouse_{SimKind::Mouse, {}};
    DeviceLink link_;
};

TEST_F(SimFaultsTest, RefusalInTheSecondChunkKeepsTheFirstAndStops) {
    SimFaults faults;
    faults.refusals.push_back({kCmdWriteSettings, 1, 0xFE});
    mouse_.SetCableFaults(faults);
    Bytes block(130);  // three chunks of 56, 56, 18
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(0x80 | i);
    const int before = Frames();
    EXPECT_EQ(WriteSettings(link_, block.data(), block.size(), 128), kResultDeviceBusy);
    EXPECT_EQ(Frames() - before, 1);  // the refused frame never reached the firmware; no third frame
    const SimMemory memory = mouse_.Firmware().Memory();
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + 56, memory.settings.begin() + 128));
    EXPECT_NE(memory.settings[128 + 56], block[56]);
    // The rule fired once: the same write now goes through.
    EXPECT_EQ(WriteSettings(link_, block.data(), block.size(), 128), kResultOk);
}

TEST_F(SimFaultsTest, EveryFrameRefusedWith0xFF) {
    SimFaults faults;
    faults.refusals.push_back({kCmdReadStatus, -1, 0xFF});
    mouse_.SetCableFaults(faults);
    uint8_t status[2];
    EXPECT_EQ(ReadStatus(link_, status, 2, 0), kResultDeviceRefused);
    EXPECT_EQ(ReadStatus(link_, status, 2, 0), kResultDeviceRefused);
    uint8_t active;
    EXPECT_EQ(ReadSettings(link_, &active, 1, 0), kResultOk);
}

TEST_F(SimFaultsTest, MissingRepliesAndWrongEchoes) {
    SimFaults faults;
    faults.noReply = true;
    mouse_.SetCableFaults(faults);
    uint8_t active = 0;
    const auto start = Clock::now();
    EXPECT_EQ(ReadSettings(link_, &active, 1, 0), kResultNoReply);
    EXPECT_GE(Clock::now() - start, 400ms);  // two reads of 200 ms
    EXPECT_EQ(mouse_.Firmware().Stats().frames, 2);  // the frame was sent twice

    faults = {};
    faults.wrongEchoes = 1;
    mouse_.SetCableFaults(faults);
    const int before = Frames();
    EXPECT_EQ(ReadSettings(link_, &active, 1, 0), kResultOk);
    EXPECT_EQ(Frames() - before, 2);  // asked again after the wrong echo
}

TEST_F(SimFaultsTest, FailingAndStalledWrites) {
    SimFaults faults;
    faults.failWrites = true;
    mouse_.SetCableFaults(faults);
    EXPECT_EQ(OpenTransfer(link_), kResultWriteFailed);
    faults = {};
    faults.stallWrites = true;
    mouse_.SetCableFaults(faults);
    const auto start = Clock::now();
    EXPECT_EQ(OpenTransfer(link_), kResultWriteFailed);
    EXPECT_GE(Clock::now() - start, 200ms);
    EXPECT_EQ(Frames(), 0);
}

TEST_F(SimFaultsTest, UnplugInTheMiddleOfAMultiFrameCommand) {
    SimFaults faults;
    faults.unplugAfterFrames = 2;
    mouse_.SetCableFaults(faults);
    Bytes block(130, 0x11);
    EXPECT_EQ(WriteSettings(link_, block.data(), block.size(), 0), kResultWriteFailed);
    EXPECT_EQ(Frames(), 2);
    EXPECT_FALSE(mouse_.Cable().Plugged());
    EXPECT_FALSE(link_.WiredInterface().Present());
    EXPECT_TRUE(FindInterfacePath(0x320F, 0x226E, 1, 2).empty());
    // Plugged in again, the device answers on a fresh open with its memory intact.
    ASSERT_TRUE(mouse_.PlugCable());
    ASSERT_TRUE(OpenLinkOn(link_, SimKind::Mouse, mouse_.Cable(), kConnectionCable));
    Bytes back(112);
    ASSERT_EQ(ReadSettings(link_, back.data(), back.size(), 0), kResultOk);
    EXPECT_EQ(back, Bytes(112, 0x11));
}

TEST_F(SimFaultsTest, DelayedRepliesArriveWithinTheTimeout) {
    SimFaults faults;
    faults.replyDelayMs = 60;
    mouse_.SetCableFaults(faults);
    uint8_t status[2] = {};
    const auto start = Clock::now();
    EXPECT_EQ(ReadStatus(link_, status, 2, 0), kResultOk);
    EXPECT_GE(Clock::now() - start, 60ms);
    EXPECT_EQ(status[0], 85);
}

TEST_F(SimFaultsTest, RealisticTimingCostsAboutAMillisecondEachWay) {
    LinkTimeouts noPause = FastTimeouts();
    noPause.pauseBeforeReadMs = 0;
    link_.SetTimeouts(noPause);
    uint8_t status[2] = {};
    mouse_.SetRealisticTiming(true);
    const auto start = Clock::now();
    ASSERT_EQ(ReadStatus(link_, status, 2, 0), kResultOk);
    EXPECT_GE(Clock::now() - start, 2ms);  // the frame out, then the reply back
}

TEST(SimEvents, ProfileButtonChangesMemoryAndReportsThroughTheCompanion) {
    SimulatedDevice keyboard(SimKind::Keyboard, {});
    SimulatedReceiver receiver(keyboard);
    ASSERT_TRUE(keyboard.PlugCable());
    ASSERT_TRUE(receiver.Plug());
    HidInterface cableCompanion, receiverCompanion;
    ASSERT_TRUE(cableCompanion.Open(keyboard.Cable().CompanionPath(), true, true, true, false));
    ASSERT_TRUE(receiverCompanion.Open(receiver.Connection().CompanionPath(), true, true, true, false));

    EXPECT_EQ(keyboard.PressProfileButton(&receiver), 0x1001);
    EXPECT_EQ(keyboard.Firmware().Memory().settings[0], 1);
    uint8_t report[3] = {};
    size_t n = 0;
    ASSERT_EQ(cableCompanion.Read(report, sizeof report, &n, 200), 1);
    EXPECT_EQ(Bytes(report, report + 3), (Bytes{3, 0x01, 0x10}));
    ASSERT_TRUE(cableCompanion.UnpackInputReport(report, n));
    EXPECT_EQ(cableCompanion.InputDataEntries()[0].usages[0], 0x1001);  // the first usage is the code
    EXPECT_EQ(receiverCompanion.Read(report, sizeof report, &n, 20), 0);

    keyboard.UnplugCable();
    ASSERT_TRUE(keyboard.SendEvent(1025, &receiver));
    ASSERT_EQ(receiverCompanion.Read(report, sizeof report, &n, 200), 1);
    EXPECT_EQ(report[1] | (report[2] << 8), 1025);
    keyboard.SetRadioReachable(false);
    EXPECT_FALSE(keyboard.SendEvent(1027, &receiver));
}

}  // namespace
