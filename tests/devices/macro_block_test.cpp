// The macro and firing blocks: bytes, limits, and the simulated mouse reading them.
#include "devices/macro_block.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "link/device_commands.h"
#include "profiles/json_file_util.h"
#include "profiles/macro_library.h"
#include "sim/sim_device.h"
#include "tests/sim/sim_link.h"

namespace {

Json::Value Event(int type, int button, const char* action, const Json::Value& delay) {
    Json::Value e(Json::objectValue);
    e["Type"] = type;
    e["Button"] = button;
    e["Action"] = action;
    e["Delay"] = delay;
    return e;
}

// n events of distinct content (delay and button follow the position).
Json::Value Events(int n, int first = 0) {
    Json::Value list(Json::arrayValue);
    for (int i = 0; i < n; ++i)
        list.append(Event(i % 2 ? 10 : 1, first + i, i % 3 ? "up" : "down", std::to_string(10 * (first + i))));
    return list;
}

uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }

TEST(MacroBlock, EventBytes) {
    struct Case { Json::Value event; BlockEvent bytes; } cases[] = {
        {Event(10, 4, "down", "300"), {300, 0x8A, 4}},
        {Event(1, 2, "up", 0), {0, 0x01, 2}},            // the integer 0 reads as "0"
        {Event(4, 7, "down", "65535"), {65535, 0x84, 7}},
        {Event(5, 9, "up", "65536"), {0, 0x05, 9}},      // low 16 bits of the delay
        {Event(9, 0x80, "down", "70000"), {4464, 0x89, 0x80}},
        // Hand-edited members: numbers past the 64-bit ranges, fractions,
        // negative numbers and text give their low bits or 0, never an error.
        {Event(10, -1, "down", Json::Value(Json::UInt64(~0ull))), {0xFFFF, 0x8A, 0xFF}},
        {Event(-1, 2, "up", -5), {0, 0xFF, 2}},
        {Event(10, 2, "up", 1e30), {0, 0x0A, 2}},
        {Event(10, 2, "up", 2.5), {0, 0x0A, 2}},
        {Event(0, 0, "down", "300"), {300, 0x80, 0}},
    };
    Json::Value odd = Event(10, 4, "down", "300");
    odd["Type"] = Json::Value(Json::UInt64(~0ull));
    odd["Button"] = 1e300;
    EXPECT_EQ(DeviceEvent(odd), (BlockEvent{300, 0xFF, 0}));
    odd["Type"] = "10";
    odd["Button"] = Json::Value(Json::arrayValue);
    EXPECT_EQ(DeviceEvent(odd), (BlockEvent{300, 0x80, 0}));
    EXPECT_EQ(DeviceEvent(Json::Value("x")), BlockEvent{});
    for (const Case& c : cases) EXPECT_EQ(DeviceEvent(c.event), c.bytes) << c.event.toStyledString();
}

TEST(MacroBlock, LayoutOfTwoMacros) {
    const Json::Value macros[] = {Events(3), Events(5, 3)};
    std::vector<uint8_t> block;
    ASSERT_EQ(EncodeMacroBlock(macros, 1, block), 0);
    ASSERT_EQ(block.size(), 60u);  // 16 + 12 + 32
    EXPECT_EQ(block[0], 0xAA);
    EXPECT_EQ(block[1], 0x55);
    EXPECT_EQ(U16(block, 2), 60);
    EXPECT_EQ(U16(block, 4), 2);
    EXPECT_EQ(std::vector<uint8_t>(block.begin() + 6, block.begin() + 16), std::vector<uint8_t>(10, 0));
    EXPECT_EQ(U16(block, 16), 20);
    EXPECT_EQ(U16(block, 18), 36);
    EXPECT_EQ(U16(block, 20), 3);
    EXPECT_EQ(U16(block, 36), 5);
    // First event of each record, and the last event of the block.
    EXPECT_EQ(std::vector<uint8_t>(block.begin() + 24, block.begin() + 28), (std::vector<uint8_t>{0, 0, 0x81, 0}));
    EXPECT_EQ(std::vector<uint8_t>(block.begin() + 40, block.begin() + 44), (std::vector<uint8_t>{30, 0, 0x81, 3}));
    EXPECT_EQ(std::vector<uint8_t>(block.begin() + 56, block.end()), (std::vector<uint8_t>{70, 0, 0x01, 7}));
}

TEST(MacroBlock, Refusals) {
    std::vector<uint8_t> block{1};
    EXPECT_EQ(EncodeMacroBlock({}, 32, block), 0);
    EXPECT_TRUE(block.empty());  // nothing to send

    const Json::Value over[] = {Events(2), Events(65), Events(70)};
    EXPECT_EQ(EncodeMacroBlock(over, 255, block), 65);
    EXPECT_TRUE(block.empty());
    const Json::Value limit[] = {Events(64)};
    EXPECT_EQ(EncodeMacroBlock(limit, 255, block), 0);
    EXPECT_EQ(block.size(), 16u + 6 + 256);

    // One unit holds 128 bytes: 16 + 6 + 4 × 26 = 126 fits, 27 events (130 bytes) do not.
    const Json::Value fits[] = {Events(26)};
    EXPECT_EQ(EncodeMacroBlock(fits, 1, block), 0);
    const Json::Value tooBig[] = {Events(27)};
    EXPECT_EQ(EncodeMacroBlock(tooBig, 1, block), 1);  // (130 − 128) / 4 + 1
    const Json::Value twoOver[] = {Events(30), Events(20)};  // 16 + 12 + 200 = 228 > 128
    EXPECT_EQ(EncodeMacroBlock(twoOver, 1, block), 26);     // 100 / 4 + 1
    EXPECT_TRUE(block.empty());
}

TEST(MacroBlock, FiringBlockOfFourPatterns) {
    const Json::Value patterns[4] = {Events(180), Events(180), Events(180), Events(180)};
    const std::vector<uint8_t> block = EncodeFiringBlock(std::span<const Json::Value, 4>(patterns));
    ASSERT_EQ(block.size(), 2920u);
    EXPECT_EQ(U16(block, 2), 2920);
    EXPECT_EQ(U16(block, 4), 4);
    EXPECT_EQ(U16(block, 16), 24);
    EXPECT_EQ(U16(block, 22), 24 + 3 * (4 + 720));
    const Json::Value uneven[4] = {Events(1), Json::Value(), Events(2), Json::Value(Json::arrayValue)};
    EXPECT_EQ(EncodeFiringBlock(std::span<const Json::Value, 4>(uneven)).size(), 16u + 24 + 12);
    // A block longer than its 16-bit length field is not made at all.
    const Json::Value huge[4] = {Events(4100), Events(4100), Events(4100), Events(4100)};
    EXPECT_TRUE(EncodeFiringBlock(std::span<const Json::Value, 4>(huge)).empty());
    const Json::Value justFits[4] = {Events(4096), Events(4096), Events(4096), Events(4085)};  // 40 + 4 × 16373 = 65532
    EXPECT_EQ(EncodeFiringBlock(std::span<const Json::Value, 4>(justFits)).size(), 65532u);
}

class MacroBlockLibrary : public testing::Test {
protected:
    void SetUp() override {
        char folder[] = "/tmp/r730-block-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        folder_ = folder;
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    // A library of `counts.size()` saved macros with these event counts.
    void MakeLibrary(std::initializer_list<int> counts) {
        CMacroLibrary library(folder_);
        int index = 0;
        for (int n : counts) {
            library.Create();
            std::vector<MacroRow> rows;
            const Json::Value events = Events(n, 100 * index);
            for (const Json::Value& e : events) rows.push_back({e["Delay"].asString(), CJsonFileUtil::StyledText(e)});
            ASSERT_EQ(library.Save(index++, rows), 0);
        }
    }
    std::string folder_;
};

TEST_F(MacroBlockLibrary, SlotOrderPicksMacroFiles) {
    std::vector<uint8_t> block;
    const int order[] = {2, 0};
    EXPECT_EQ(EncodeLibraryMacroBlock(folder_, order, 32, block), 0);  // no macro.config
    EXPECT_TRUE(block.empty());
    MakeLibrary({3, 1, 5});
    EXPECT_EQ(EncodeLibraryMacroBlock(folder_, {}, 32, block), 0);
    EXPECT_TRUE(block.empty());
    ASSERT_EQ(EncodeLibraryMacroBlock(folder_, order, 32, block), 0);
    ASSERT_EQ(block.size(), 16u + 12 + 32);
    EXPECT_EQ(U16(block, 20), 5);  // slot 0 = library macro 2
    EXPECT_EQ(block[27], 200);     // its first event's button
    EXPECT_EQ(U16(block, 44), 3);  // slot 1 = library macro 0
}

TEST(MacroBlockOnMouse, CableMouseDecodesTheSentBlocks) {
    SimOptions options;
    options.macroCapacity = 4;
    SimulatedDevice mouse(SimKind::Mouse, options);
    ASSERT_TRUE(mouse.PlugCable());
    DeviceLink link;
    link.SetTimeouts(FastTimeouts());
    ASSERT_TRUE(OpenLinkOn(link, SimKind::Mouse, mouse.Cable(), kConnectionCable));

    uint8_t info[34] = {};
    ASSERT_EQ(ReadInfoBlock(link, info), 1);
    const Json::Value macros[] = {Events(3), Events(64, 50), Events(1, 7)};
    std::vector<uint8_t> block;
    ASSERT_EQ(EncodeMacroBlock(macros, info[18], block), 0);
    SendMacroBlockInBracket(link, block);

    const SimDecodedBlock decoded = mouse.Firmware().LastMacroBlock();
    ASSERT_TRUE(decoded.valid) << decoded.error;
    ASSERT_EQ(decoded.records.size(), 3u);
    for (size_t r = 0; r < 3; ++r) {
        ASSERT_EQ(decoded.records[r].size(), macros[r].size()) << r;
        for (Json::ArrayIndex e = 0; e < macros[r].size(); ++e) {
            const BlockEvent want = DeviceEvent(macros[r][e]);
            EXPECT_EQ(decoded.records[r][e], (SimEvent{want.delay, want.code, want.button})) << r << "/" << e;
        }
    }
    EXPECT_EQ(decoded.records[1][1], (SimEvent{510, 0x0A, 51}));

    // A block the mouse's memory cannot hold is refused before anything is sent.
    const Json::Value big[] = {Events(64), Events(64)};  // 16 + 12 + 512 = 540 > 512
    EXPECT_EQ(EncodeMacroBlock(big, info[18], block), 8);
}

TEST(MacroBlockOnKeyboard, SentWhileTheLinkIsOpenAndRefusalsAreFailures) {
    SimulatedDevice keyboard(SimKind::Keyboard, SimOptions{});
    ASSERT_TRUE(keyboard.PlugCable());
    DeviceLink link;
    link.SetTimeouts(FastTimeouts());
    ASSERT_TRUE(OpenLinkOn(link, SimKind::Keyboard, keyboard.Cable(), kConnectionCable));
    const Json::Value macros[] = {Events(2)};
    std::vector<uint8_t> block;
    ASSERT_EQ(EncodeMacroBlock(macros, 32, block), 0);
    EXPECT_EQ(SendMacroBlockWhileOpen(link, block), 0);
    const SimDecodedBlock decoded = keyboard.Firmware().LastMacroBlock();
    ASSERT_TRUE(decoded.valid) << decoded.error;
    EXPECT_EQ(decoded.records.size(), 1u);

    SimFaults faults;
    faults.refusals.push_back({21, -1, 0xFF});  // every macro write
    keyboard.SetCableFaults(faults);
    EXPECT_EQ(SendMacroBlockWhileOpen(link, block), -1);
    // A mouse check that fails stops the bracket where it is.
    int checks = 0;
    EXPECT_EQ(SendMacroBlockWhileReachable(link, block, [&] { return ++checks < 2; }), -1);
    EXPECT_EQ(checks, 2);
}

}  // namespace
