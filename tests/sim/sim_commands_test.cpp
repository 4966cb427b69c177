// Each firmware model driven through DeviceLink and the command functions,
// on the cable and through the receiver.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "link/command_frame.h"
#include "link/device_commands.h"
#include "link/result_codes.h"
#include "sim/sim_device.h"
#include "tests/sim/sim_link.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Packs records the way the host packs macro and firing blocks.
Bytes EventBlock(const std::vector<std::vector<SimEvent>>& records) {
    const size_t n = records.size();
    size_t total = 16 + 2 * n;
    for (const auto& r : records) total += 4 + 4 * r.size();
    Bytes b(total, 0);
    auto put = [&](size_t at, size_t v) {
        b[at] = static_cast<uint8_t>(v & 0xFF);
        b[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    put(0, 0x55AA);
    put(2, total);
    put(4, n);
    size_t at = 16 + 2 * n;
    for (size_t i = 0; i < n; ++i) {
        put(16 + 2 * i, at);
        put(at, records[i].size());
        at += 4;
        for (const SimEvent& e : records[i]) {
            put(at, e.delay);
            b[at + 2] = e.code;
            b[at + 3] = e.button;
            at += 4;
        }
    }
    return b;
}

struct Setup {
    SimKind kind;
    int connection;
};

class SimCommands : public testing::TestWithParam<Setup> {
protected:
    void SetUp() override {
        device_ = std::make_unique<SimulatedDevice>(GetParam().kind, SimOptions{});
        link_.SetTimeouts(FastTimeouts());
        if (GetParam().connection == kConnectionReceiver) {
            receiver_ = std::make_unique<SimulatedReceiver>(*device_);
            ASSERT_TRUE(receiver_->Plug());
            ASSERT_TRUE(OpenLinkOn(link_, GetParam().kind, receiver_->Connection(), kConnectionReceiver));
        } else {
            ASSERT_TRUE(device_->PlugCable());
            ASSERT_TRUE(OpenLinkOn(link_, GetParam().kind, device_->Cable(), kConnectionCable));
        }
    }
    void TearDown() override {
        link_.WiredInterface().Close();
        link_.ReceiverInterface().Close();
    }
    SimFirmware& Fw() { return device_->Firmware(); }
    int Frames() { return Fw().Stats().frames; }

    std::unique_ptr<SimulatedDevice> device_;
    std::unique_ptr<SimulatedReceiver> receiver_;
    DeviceLink link_;
};

TEST_P(SimCommands, InformationBlockAndKeyTableAsTheHostReadsThem) {
    if (GetParam().kind == SimKind::Headset) GTEST_SKIP() << "the headset has no information block";
    const SimMemory memory = Fw().Memory();
    uint8_t info[kInfoBlockSize];
    std::fill(std::begin(info), std::end(info), 0xEE);
    const int before = Frames();
    ASSERT_EQ(OpenTransfer(link_), kResultOk);
    ASSERT_EQ(ReadInfoBlock(link_, info), kResultOk);
    EXPECT_EQ(Frames() - before, link_.ChunkSize() >= 34 ? 2 : 3);  // open + the chunks
    EXPECT_TRUE(std::equal(memory.info.begin(), memory.info.end(), info));
    EXPECT_EQ(info[0], 0xAA);
    EXPECT_EQ(info[1], 0x55);

    if (GetParam().kind != SimKind::MousePad) {
        ASSERT_TRUE(link_.SetTableLength(info[kInfoKeySlotsByte] * 3u));
        Bytes table(512, 0xEE);
        ASSERT_EQ(ReadKeyTable(link_, table.data()), kResultOk);
        EXPECT_TRUE(std::equal(table.begin(), table.begin() + link_.TableLength(), memory.keyTable.begin()));
        EXPECT_EQ(table[link_.TableLength()], 0xEE);  // nothing past the table length
        if (GetParam().kind == SimKind::Mouse) {
            EXPECT_EQ(info[kInfoKeySlotsByte], 11);
            EXPECT_EQ(Bytes(table.begin(), table.begin() + 3), (Bytes{0x10, 0x01, 0x00}));
            EXPECT_EQ(Bytes(table.begin() + 30, table.begin() + 33), (Bytes{0x14, 0x78, 0x02}));
        }
    }
    ASSERT_EQ(CloseTransfer(link_), kResultOk);
    EXPECT_FALSE(Fw().TransferOpen());
}

TEST_P(SimCommands, SettingsWrittenAreKeptAndReadBack) {
    const SimSettingsLayout layout = SettingsLayout(GetParam().kind);
    Bytes block(layout.writeLength);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 7 + 1);
    const auto base = static_cast<uint16_t>(layout.writeStride);  // profile 1
    ASSERT_EQ(OpenTransfer(link_), kResultOk);
    ASSERT_EQ(WriteSettings(link_, block.data(), block.size(), base), kResultOk);
    ASSERT_EQ(CloseTransfer(link_), kResultOk);
    const SimMemory memory = Fw().Memory();
    EXPECT_TRUE(std::equal(block.begin(), block.end(), memory.settings.begin() + base));

    Bytes back(block.size());
    ASSERT_EQ(ReadSettings(link_, back.data(), back.size(), base), kResultOk);
    EXPECT_EQ(back, block);
    uint8_t active = 0xEE;
    ASSERT_EQ(ReadSettings(link_, &active, 1, 0), kResultOk);
    EXPECT_EQ(active, 0);
    // Past the end of the settings area the device refuses.
    Bytes beyond(8);
    EXPECT_EQ(ReadSettings(link_, beyond.data(), beyond.size(), static_cast<uint16_t>(layout.areaSize - 4)),
              kResultDeviceRefused);
}

TEST_P(SimCommands, StatusCarriesBatteryAndCharging) {
    Fw().SetBattery(57, 1);
    uint8_t status[6] = {};
    ASSERT_EQ(ReadStatus(link_, status, GetParam().kind == SimKind::Mouse ? 2 : 6, 0), kResultOk);
    EXPECT_EQ(status[0], 57);
    EXPECT_EQ(status[1], 1);
}

TEST_P(SimCommands, AFrameWithABadChecksumIsRefusedAndCounted) {
    CommandFrame frame{};
    BuildFrame(frame, kCmdReadSettings, 1, 0, nullptr, 0);
    frame[1] ^= 0x01;
    uint8_t reply[64] = {};
    size_t n = 0;
    std::lock_guard lock(link_.CommandLock());
    ASSERT_EQ(link_.Transact(frame.data(), frame.size(), reply, 64, &n), kResultOk);
    EXPECT_EQ(reply[3], kCmdReadSettings);
    EXPECT_EQ(reply[7], 0xFF);
    EXPECT_EQ(Fw().Stats().checksumErrors, 1);
}

INSTANTIATE_TEST_SUITE_P(AllConnections, SimCommands,
                         testing::Values(Setup{SimKind::Mouse, kConnectionCable},
                                         Setup{SimKind::Mouse, kConnectionReceiver},
                                         Setup{SimKind::Keyboard, kConnectionCable},
                                         Setup{SimKind::Keyboard, kConnectionReceiver},
                                         Setup{SimKind::MousePad, kConnectionCable},
                                         Setup{SimKind::Headset, kConnectionCable}),
                         [](const auto& p) {
                             return std::string(SimKindName(p.param.kind)) +
                                    (p.param.connection == kConnectionReceiver ? "Receiver" : "Cable");
                         });

class SimMouse : public SimCommands {};

TEST_P(SimMouse, TakeOverKeyTableMacrosAndFiringData) {
    uint8_t info[kInfoBlockSize];
    ASSERT_EQ(ReadInfoBlock(link_, info), kResultOk);
    EXPECT_EQ(info[kInfoHostFlagByte], 0);
    info[kInfoHostFlagByte] = 1;
    ASSERT_EQ(WriteInfoBlock(link_, info), kResultOk);
    EXPECT_EQ(Fw().Memory().info[kInfoHostFlagByte], 1);

    ASSERT_TRUE(link_.SetTableLength(33));
    Bytes table(33);
    for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<uint8_t>(0x40 + i);
    const Bytes macros = EventBlock({{{10, 0x84, 4}, {20, 0x04, 4}}, {{0, 0x81, 1}}});
    const Bytes shots = EventBlock({{{30, 1, 2}}, {}, {{5, 3, 4}, {6, 7, 8}}, {}});
    ASSERT_EQ(OpenTransfer(link_), kResultOk);
    ASSERT_EQ(WriteKeyTable(link_, table.data(), 0), kResultOk);
    ASSERT_EQ(WriteMacroData(link_, macros.data(), macros.size()), kResultOk);
    ASSERT_EQ(WriteShootData(link_, shots.data(), shots.size()), kResultOk);
    EXPECT_FALSE(Fw().LastMacroBlock().valid);  // understood when the transfer closes
    ASSERT_EQ(CloseTransfer(link_), kResultOk);

    EXPECT_TRUE(std::equal(table.begin(), table.end(), Fw().Memory().keyTable.begin()));
    const SimDecodedBlock macro = Fw().LastMacroBlock();
    ASSERT_TRUE(macro.valid) << macro.error;
    ASSERT_EQ(macro.records.size(), 2u);
    EXPECT_EQ(macro.records[0], (std::vector<SimEvent>{{10, 0x84, 4}, {20, 0x04, 4}}));
    const SimDecodedBlock shoot = Fw().LastShootBlock();
    ASSERT_TRUE(shoot.valid) << shoot.error;
    EXPECT_EQ(shoot.records[2].size(), 2u);
    EXPECT_TRUE(QueryWireless(link_));
}

TEST_P(SimMouse, MalformedMacroBlocksAreRejectedWithAReason) {
    Bytes badMagic = EventBlock({{{1, 0x84, 4}}});
    badMagic[0] = 0x00;
    Bytes wrongTotal = EventBlock({{{1, 0x84, 4}}});
    wrongTotal[2] = static_cast<uint8_t>(wrongTotal[2] + 4);
    Bytes misplaced = EventBlock({{{1, 0x84, 4}}, {{2, 0x04, 4}}});
    misplaced[18] = static_cast<uint8_t>(misplaced[18] + 4);
    Bytes fireBlockWithThree = EventBlock({{}, {}, {}});
    struct Case { Bytes block; bool shoot; } cases[] = {
        {badMagic, false}, {wrongTotal, false}, {misplaced, false}, {fireBlockWithThree, true}};
    for (const Case& c : cases) {
        ASSERT_EQ(OpenTransfer(link_), kResultOk);
        ASSERT_EQ(c.shoot ? WriteShootData(link_, c.block.data(), c.block.size())
                          : WriteMacroData(link_, c.block.data(), c.block.size()),
                  kResultOk);
        ASSERT_EQ(CloseTransfer(link_), kResultOk);
        const SimDecodedBlock decoded = c.shoot ? Fw().LastShootBlock() : Fw().LastMacroBlock();
        EXPECT_FALSE(decoded.valid);
        EXPECT_FALSE(decoded.error.empty());
    }
    // More than the device's macro memory (information byte 18 × 128) is refused on the wire.
    const Bytes huge(Fw().Memory().macroData.size() + 8, 0);
    EXPECT_EQ(WriteMacroData(link_, huge.data(), huge.size()), kResultDeviceRefused);
}

INSTANTIATE_TEST_SUITE_P(Connections, SimMouse,
                         testing::Values(Setup{SimKind::Mouse, kConnectionCable},
                                         Setup{SimKind::Mouse, kConnectionReceiver}),
                         [](const auto& p) {
                             return p.param.connection == kConnectionReceiver ? "Receiver" : "Cable";
                         });

class SimKeyboard : public SimCommands {};

TEST_P(SimKeyboard, LedMapLightTablesStreamAndLightControl) {
    uint8_t info[kInfoBlockSize];
    ASSERT_EQ(ReadInfoBlock(link_, info), kResultOk);
    const unsigned slots = info[kInfoKeySlotsByte];
    ASSERT_GT(slots, 100u);
    ASSERT_TRUE(link_.SetTableLength(slots * 3));
    Bytes ledMap(512, 0xEE);
    ASSERT_EQ(ReadLedMap(link_, ledMap.data()), kResultOk);
    EXPECT_TRUE(std::equal(ledMap.begin(), ledMap.begin() + slots, Fw().Memory().ledMap.begin()));
    EXPECT_EQ(ledMap[slots], 0xEE);

    Bytes colours(slots * 3);
    for (size_t i = 0; i < colours.size(); ++i) colours[i] = static_cast<uint8_t>(i);
    ASSERT_EQ(WriteLightTable(link_, colours.data(), colours.size(), 2, 512), kResultOk);
    const SimMemory memory = Fw().Memory();
    EXPECT_TRUE(std::equal(colours.begin(), colours.end(), memory.lightTables.begin() + 1024));
    EXPECT_EQ(memory.lightTables[1023], 0);
    Bytes back(colours.size());
    ASSERT_EQ(ReadLightTable(link_, back.data(), back.size(), 2, 512), kResultOk);
    EXPECT_EQ(back, colours);

    Bytes frame(slots * 3, 0x5A);
    ASSERT_EQ(StreamLight(link_, frame.data(), frame.size()), kResultOk);
    EXPECT_TRUE(std::equal(frame.begin(), frame.end(), Fw().Memory().lightFrame.begin()));
    EXPECT_FALSE(Fw().LightControl());
    ASSERT_EQ(EnterLightControl(link_), kResultOk);
    EXPECT_TRUE(Fw().LightControl());
}

INSTANTIATE_TEST_SUITE_P(Connections, SimKeyboard,
                         testing::Values(Setup{SimKind::Keyboard, kConnectionCable},
                                         Setup{SimKind::Keyboard, kConnectionReceiver}),
                         [](const auto& p) {
                             return p.param.connection == kConnectionReceiver ? "Receiver" : "Cable";
                         });

TEST(SimPadAndHeadset, PhoneTypeLightReportsAndCommandsTheyDoNotKnow) {
    SimOptions options;
    options.phoneType = 2;
    SimulatedDevice pad(SimKind::MousePad, options), headset(SimKind::Headset, {});
    ASSERT_TRUE(pad.PlugCable());
    ASSERT_TRUE(headset.PlugCable());
    DeviceLink padLink, headsetLink;
    padLink.SetTimeouts(FastTimeouts());
    headsetLink.SetTimeouts(FastTimeouts());
    ASSERT_TRUE(OpenLinkOn(padLink, SimKind::MousePad, pad.Cable(), kConnectionCable));
    ASSERT_TRUE(OpenLinkOn(headsetLink, SimKind::Headset, headset.Cable(), kConnectionCable));
    EXPECT_EQ(padLink.ChunkSize(), 24);

    uint8_t status[6] = {};
    ASSERT_EQ(ReadStatus(padLink, status, 6, 0), kResultOk);
    EXPECT_EQ(status[5], 2);
    uint8_t table[64];
    padLink.SetTableLength(30);
    EXPECT_EQ(ReadKeyTable(padLink, table), kResultDeviceRefused);
    uint8_t info[kInfoBlockSize];
    EXPECT_EQ(ReadInfoBlock(headsetLink, info), kResultDeviceRefused);

    // The headset's light reports go straight to its interface, without a reply.
    uint8_t light[17] = {0xFF, 0x44, 0xAE, 0, 10, 20, 30, 40, 50, 60};
    size_t n = 0;
    std::lock_guard io(headsetLink.IoLock());
    ASSERT_EQ(headsetLink.WiredInterface().Write(light, sizeof light, &n, 100), 1);
    const SimMemory memory = headset.Firmware().Memory();
    EXPECT_EQ(memory.lightReports[6 + 4], Bytes(light, light + 17));
    EXPECT_EQ(memory.lightReports[0], Bytes(17, 0));
}

TEST(SimReceiver, AnswersForItsDeviceOnlyWhileItIsReachable) {
    SimulatedDevice mouse(SimKind::Mouse, {});
    SimulatedReceiver receiver(mouse);
    ASSERT_TRUE(receiver.Plug());
    DeviceLink link;
    link.SetTimeouts(FastTimeouts());
    ASSERT_TRUE(OpenLinkOn(link, SimKind::Mouse, receiver.Connection(), kConnectionReceiver));
    EXPECT_TRUE(QueryWireless(link));
    uint8_t active = 0;
    EXPECT_EQ(ReadSettings(link, &active, 1, 0), kResultOk);

    mouse.SetRadioReachable(false);  // switched off or out of range
    const int frames = mouse.Firmware().Stats().frames;
    EXPECT_FALSE(QueryWireless(link));
    EXPECT_EQ(ReadSettings(link, &active, 1, 0), kResultReceiverRefused);
    EXPECT_EQ(mouse.Firmware().Stats().frames, frames);  // nothing reached the mouse

    // The same mouse by cable is unaffected, and both ways reach one memory.
    ASSERT_TRUE(mouse.PlugCable());
    DeviceLink cable;
    cable.SetTimeouts(FastTimeouts());
    ASSERT_TRUE(OpenLinkOn(cable, SimKind::Mouse, mouse.Cable(), kConnectionCable));
    const uint8_t profile = 2;
    ASSERT_EQ(WriteSettings(cable, &profile, 1, 0), kResultOk);
    mouse.SetRadioReachable(true);
    ASSERT_EQ(ReadSettings(link, &active, 1, 0), kResultOk);
    EXPECT_EQ(active, 2);
}

}  // namespace
