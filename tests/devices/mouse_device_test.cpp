// The mouse against the simulated mouse, by cable and through its receiver.
#include "devices/zentrel_mouse_device.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "link/device_commands.h"
#include "link/result_codes.h"
#include "profiles/json_file_util.h"
#include "profiles/macro_library.h"
#include "sim/sim_device.h"
#include "tests/devices/test_mouse.h"

namespace {

using namespace std::chrono_literals;

class RecordingEvents : public DeviceEvents {
public:
    void ArmEntryTimer(int id, int ms) override {
        std::lock_guard lock(mutex_);
        timers.emplace_back(id, ms);
    }
    void PostMessage(int message, long wParam, long) override {
        std::lock_guard lock(mutex_);
        messages.emplace_back(message, wParam);
    }
    std::vector<std::pair<int, int>> Timers() {
        std::lock_guard lock(mutex_);
        return timers;
    }
    std::vector<std::pair<int, long>> messages;
    std::vector<std::pair<int, int>> timers;

private:
    std::mutex mutex_;
};

TEST(MouseDpi, LevelsAndValuesBySensor) {
    const DpiParams s3104{kSensor3104, 50, 104, 100};
    const DpiParams s8925{kSensor8925, 50, 149, 100};
    const DpiParams s3325{kSensor3325, 50, 0, 100};
    const DpiParams other{0x1234, 100, 0, 200};
    struct Case { DpiParams p; int typed, level, shown; } cases[] = {
        {s3104, 420, 1, 400},    {s3104, 2600, 46, 2600}, {s3104, 2700, 51, 2850}, {s3104, 9000, 114, 8000},
        {s3104, 300, 0, 200},    {s8925, 5100, 100, 5100}, {s8925, 5000, 99, 5000}, {s8925, 0, 0, 50},
        {s3325, 1600, 30, 1600}, {s3325, 6000, 52, 3300}, {other, 1000, 8, 1000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LevelFromDpi(c.p, c.typed), c.level) << std::hex << c.p.sensor << std::dec << " " << c.typed;
        EXPECT_EQ(DpiFromLevel(c.p, c.level), c.shown) << std::hex << c.p.sensor << std::dec << " " << c.level;
    }
    EXPECT_EQ(DpiFromLevel(s3104, 52), 2900);
    EXPECT_EQ(DpiFromLevel(s3104, 53), 2900);
    EXPECT_EQ(DpiFromLevel(s8925, 99), 5000);
    EXPECT_EQ(DpiFromLevel(s8925, 100), 5100);
    EXPECT_EQ(LevelFromDpi({0x1234, 0, 0, 100}, 800), 0);  // no DPI step: no division by zero
    EXPECT_EQ((DpiLevelRange(s8925).max), 149);
    EXPECT_EQ((DpiLevelRange(s3104).max), 104);
    EXPECT_TRUE(DpiLevelRange(other).fromLayout);
    EXPECT_EQ(StageFieldFor(kSensor8925, 100), 0x6464);
    EXPECT_EQ(LevelOfStageField(kSensor8925, 0x6464), 100);
}

TEST(MouseBlock, BytesOfTheProfileBlock) {
    LightInfo light;
    light.selectItem = 12;
    light.light = 3;
    light.speed = 1;
    light.fx = 1;
    light.multiColor = 1;
    light.red = 9;
    MouseSystem s;
    s.reportRate = 0x104;  // the low 8 bits travel
    s.silentAltitude = 1;
    s.bleSleep1 = 10;
    s.keyDebounceTime = 4;
    std::vector<DpiStage> stages(9, DpiStage{1, 0, 0x0102, 0x0304, 5, 6, 7});
    MouseBlock b = BuildMouseBlock(0, light, s, 2, stages);
    EXPECT_EQ(b[1], 0);  // effects 12 and up go as 0
    EXPECT_EQ(b[3], 3);  // speed level 1, reversed
    EXPECT_EQ(b[4], 1);
    EXPECT_EQ(b[11], 4);
    EXPECT_EQ(b[12], 2);
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 14, b.begin() + 23), (std::vector<uint8_t>{1, 0, 2, 1, 4, 3, 5, 6, 7}));
    EXPECT_EQ(b[14 + 9 * 6], 1);  // stage 6 is the last sent
    EXPECT_EQ(b[77], 10);
    EXPECT_EQ(b[81], 4);
    EXPECT_EQ(b[82], 1);
    EXPECT_EQ(b[85], 0);
    b = BuildMouseBlock(0, light, s, 0, std::vector<DpiStage>(3, DpiStage{1, 1, 9, 9, 9, 9, 9}));
    for (size_t i = 14 + 27; i < 77; ++i) EXPECT_EQ(b[i], 0) << i;  // stages 3-6 absent

    b[3] = 3;
    b[82] = 9;
    const MouseBlockValues v = ReadMouseBlock(b);
    EXPECT_EQ(v.speed, 1);
    EXPECT_EQ(v.system.silentAltitude, 0);  // the lift-off distance is not taken back
    EXPECT_EQ(CZentrelMouseDevice::ReportRateOption(4), 0);
    EXPECT_EQ(CZentrelMouseDevice::ReportRateOption(3), 3);
    EXPECT_EQ(CZentrelMouseDevice::TwoWayOption(2), 0);
}

// A mouse object opened on a simulated mouse, with its files in a fresh folder.
class MouseOnSim : public testing::TestWithParam<int> {
protected:
    void SetUp() override {
        char folder[] = "/tmp/r730-mouse-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        folder_ = folder;
        setenv("XDG_DATA_HOME", folder, 1);
        Plug(SimOptions{});
    }
    void TearDown() override {
        mouse_.reset();
        unsetenv("XDG_DATA_HOME");
        std::filesystem::remove_all(folder_);
    }
    void Plug(const SimOptions& options) {
        mouse_.reset();
        receiver_.reset();
        sim_ = std::make_unique<SimulatedDevice>(SimKind::Mouse, options);
        mouse_ = std::make_unique<CZentrelMouseDevice>();
        mouse_->SetEvents(&events_);
        SetUpTestMouse(*mouse_);
        DeviceLink& link = mouse_->CommandLink();
        std::lock_guard io(link.IoLock());
        if (GetParam() == kConnectionReceiver) {
            receiver_ = std::make_unique<SimulatedReceiver>(*sim_);
            ASSERT_TRUE(receiver_->Plug());
            ASSERT_TRUE(link.ReceiverInterface().Open(receiver_->Connection().CommandPath(), true, true, true, false));
        } else {
            ASSERT_TRUE(sim_->PlugCable());
            ASSERT_TRUE(link.WiredInterface().Open(sim_->Cable().CommandPath(), true, true, true, false));
        }
        link.SetOpened(true);
        link.SetConnection(GetParam());
        mouse_->SetThroughReceiver(GetParam() == kConnectionReceiver);
    }
    SimCommandPort& Port() { return receiver_ ? receiver_->Connection().Port() : sim_->Cable().Port(); }
    int FramesOf(uint8_t command) {
        int n = 0;
        for (const SimFrame& f : Port().ReceivedFrames()) n += f[3] == command;
        return n;
    }
    Json::Value ProfileFile() { return CJsonFileUtil::ReadJsonFile(mouse_->Profile().GetProfilePath())["Device"][0]; }

    std::string folder_;
    RecordingEvents events_;
    std::unique_ptr<SimulatedDevice> sim_;
    std::unique_ptr<SimulatedReceiver> receiver_;
    std::unique_ptr<CZentrelMouseDevice> mouse_;
};

TEST_P(MouseOnSim, ReadTakesTheMouseOverOnceAndMapsItsButtons) {
    ASSERT_EQ(mouse_->ReadMouse(), kResultOk);
    EXPECT_EQ(sim_->Firmware().Memory().info[7], 1);
    EXPECT_EQ(FramesOf(kCmdWriteInfoBlock), 1);
    EXPECT_EQ(events_.messages, (std::vector<std::pair<int, long>>{{3333, 1}}));
    for (size_t b = 0; b < kMouseButtons; ++b) EXPECT_EQ(mouse_->ButtonMap()[b], b);
    EXPECT_EQ(mouse_->Stages().size(), 7u);  // from the default profile
    EXPECT_EQ(mouse_->StageDpi(2), 1600);
    EXPECT_TRUE(std::filesystem::exists(mouse_->Profile().GetProfilePath()));
    ASSERT_EQ(mouse_->ReadMouse(), kResultOk);
    EXPECT_EQ(FramesOf(kCmdWriteInfoBlock), 1);  // already ours: accepted without a write
    mouse_->StopLightingThread();
}

TEST_P(MouseOnSim, ABlockWithoutTheMarkIsAnError) {
    SimMemory m = sim_->Firmware().Memory();
    m.info[0] = m.info[1] = 0;
    sim_->Firmware().SetMemory(m);
    EXPECT_NE(mouse_->ReadMouse(), kResultOk);
    EXPECT_EQ(events_.messages, (std::vector<std::pair<int, long>>{{3333, 0}}));
    EXPECT_EQ(FramesOf(kCmdReadKeyTable), 0);
}

TEST_P(MouseOnSim, MissingButtonsAreMarked) {
    SimOptions options;
    options.keySlots = 9;
    Plug(options);
    ASSERT_EQ(mouse_->ReadMouse(), kResultOk);
    EXPECT_EQ(mouse_->ButtonMap()[8], 8);
    EXPECT_EQ(mouse_->ButtonMap()[9], kNoSlot);
    EXPECT_EQ(mouse_->ButtonMap()[10], kNoSlot);
    mouse_->StopLightingThread();
}

TEST_P(MouseOnSim, AnEditIsSavedThenWrittenAsTheWholeBlock) {
    ASSERT_EQ(mouse_->ReadMouse(), kResultOk);
    mouse_->StopLightingThread();
    const MouseCommit c = mouse_->SetStageDpi(1, 2000);
    EXPECT_TRUE(c.ok()) << c.saved << " " << c.sent;
    const SimMemory m = sim_->Firmware().Memory();
    EXPECT_EQ(m.settings[14 + 9 * 1 + 2], 34);  // (2000 - 400) / 50 + 2
    EXPECT_EQ(m.settings[14 + 9 * 1 + 3], 0);
    EXPECT_EQ(ProfileFile()["DPIStages"]["StageDPIs"][1]["StageDPIX"].asInt(), 34);
    EXPECT_EQ(mouse_->StageDpi(1), 2000);

    EXPECT_TRUE(mouse_->SetReportRate(2).ok());
    EXPECT_EQ(sim_->Firmware().Memory().settings[11], 2);
    EXPECT_EQ(ProfileFile()["ReportStages"]["StageActive"].asInt(), 2);
    EXPECT_TRUE(mouse_->SetSleep(MouseSleep::Device2, 45).ok());
    EXPECT_EQ(sim_->Firmware().Memory().settings[80], 45);
}

TEST_P(MouseOnSim, ARefusedWriteIsReportedAndTheProfileKeepsTheEdit) {
    ASSERT_EQ(mouse_->ReadMouse(), kResultOk);
    mouse_->StopLightingThread();
    SimFaults faults;
    faults.refusals = {{kCmdWriteSettings, 1, 0xFF}};
    Port().SetFaults(faults);
    const MouseCommit c = mouse_->SetDebounce(3);
    EXPECT_EQ(c.saved, 0);
    EXPECT_EQ(c.sent, kResultDeviceRefused);
    EXPECT_EQ(ProfileFile()["ReportStages"]["key_debounce_time"].asInt(), 3);
    EXPECT_TRUE(sim_->Firmware().TransferOpen() == false);  // the bracket is still closed
}

TEST_P(MouseOnSim, SettingsReadBackWithTheSpeedReversed) {
    SimMemory m = sim_->Firmware().Memory();
    m.settings[2] = 2;
    m.settings[3] = 3;   // speed level 1
    m.settings[11] = 1;
    m.settings[82] = 0;  // the lift-off distance is not taken from the mouse
    sim_->Firmware().SetMemory(m);
    ASSERT_EQ(mouse_->ReadMouse(), kResultOk);
    mouse_->StopLightingThread();
    EXPECT_EQ(mouse_->LightState().speed, 1);
    EXPECT_EQ(mouse_->LightState().light, 2);
    EXPECT_EQ(mouse_->Profile().GetMouseSystem().reportRate, 1);
    EXPECT_EQ(mouse_->Profile().GetMouseSystem().silentAltitude, 1);  // the profile's value
    EXPECT_EQ(ProfileFile()["LightInfo"]["Speed"].asInt(), 1);
}

TEST_P(MouseOnSim, ACodeFromTheCompanionLeadsToAReRead) {
    if (GetParam() == kConnectionReceiver) GTEST_SKIP() << "the cable's companion interface";
    ASSERT_EQ(mouse_->ReadMouse(), kResultOk);
    mouse_->StopLightingThread();
    SimMemory m = sim_->Firmware().Memory();
    m.settings[128 + 2] = 1;  // profile 1 has brightness level 1
    sim_->Firmware().SetMemory(m);
    ASSERT_TRUE(mouse_->StartReader(false, sim_->Cable().CompanionPath()));
    EXPECT_EQ(sim_->PressProfileButton(), 0x1001);
    for (int i = 0; i < 200 && events_.Timers().empty(); ++i) std::this_thread::sleep_for(2ms);
    EXPECT_EQ(events_.Timers(), (std::vector<std::pair<int, int>>{{1002, 50}}));
    mouse_->ReadActiveProfile();  // what the timer does on the UI thread
    EXPECT_EQ(mouse_->LightState().light, 1);
    mouse_->StopReader(false);
}

TEST_P(MouseOnSim, KeysOfMacrosThatAreGoneGetTheirDefaultBack) {
    mouse_->LoadSelectedProfile();
    std::vector<KeyEntry> keys = mouse_->Keys();
    ASSERT_EQ(keys.size(), 11u);
    keys[3].current = KeyAssignment::FromPacked(3, 0x700100);  // macro 1
    keys[4].current = KeyAssignment::FromPacked(4, 0x710000);  // macro 0, held
    mouse_->Profile().SetKeyList(keys);
    ASSERT_EQ(mouse_->Profile().Save(), 0);
    mouse_->LoadSelectedProfile();
    {
        std::ofstream config(mouse_->ProfileFolder() + "macro.config");
        config << R"({"MacroInfo": [{"MacroName": "macro_1", "Guid": "g1"}]})";  // one macro left
    }
    mouse_->OnMacrosChanged();
    EXPECT_TRUE(mouse_->Keys()[3].current.SameFunction(mouse_->Keys()[3].defaultAssignment));
    EXPECT_EQ(mouse_->Keys()[4].current.Packed(), 0x710000u);  // macro 0 is still there
    EXPECT_EQ(ProfileFile()["KeyList"][3]["Assignment"].asUInt(), mouse_->Keys()[3].defaultAssignment.Packed());
}

// A library of macros with these event counts (event e of macro m: key
// 4 + m down, delay 10 × e + m).
void MakeMacros(const std::string& folder, std::initializer_list<int> counts) {
    CMacroLibrary library(folder);
    int m = 0;
    for (int n : counts) {
        ASSERT_FALSE(library.Create().empty());
        std::vector<MacroRow> rows;
        for (int e = 0; e < n; ++e) {
            Json::Value event(Json::objectValue);
            event["Type"] = 10;
            event["Button"] = 4 + m;
            event["Action"] = "down";
            event["Delay"] = "0";
            rows.push_back({std::to_string(10 * e + m), CJsonFileUtil::StyledText(event)});
        }
        ASSERT_EQ(library.Save(m++, rows), 0);
    }
}

TEST_P(MouseOnSim, KeyDataSendsTheUsedMacrosInSlotOrderWithTheKeyTable) {
    ASSERT_EQ(mouse_->ReadMouse(), kResultOk);
    mouse_->StopLightingThread();
    MakeMacros(mouse_->ProfileFolder(), {2, 3, 4});
    ASSERT_EQ(mouse_->StoreKeyAssignment(3, KeyAssignment::FromPacked(3, 0x700200)), 0);  // macro 2
    ASSERT_EQ(mouse_->StoreKeyAssignment(4, KeyAssignment::FromPacked(4, 0x710005)), 0);  // macro 0, 5 times
    ASSERT_EQ(mouse_->StoreKeyAssignment(5, KeyAssignment::FromPacked(5, 0x700201)), 0);  // macro 2 again
    EXPECT_EQ(mouse_->ListUsedMacros(), (std::vector<int>{2, 0}));

    const KeyDataResult r = mouse_->SendKeyData();
    EXPECT_EQ(r.r, 0);
    EXPECT_EQ(r.macros, 0);
    EXPECT_EQ(r.keyTable, kResultOk);
    const SimDecodedBlock block = sim_->Firmware().LastMacroBlock();
    ASSERT_TRUE(block.valid) << block.error;
    ASSERT_EQ(block.records.size(), 2u);
    ASSERT_EQ(block.records[0].size(), 4u);  // slot 0: macro 2
    EXPECT_EQ(block.records[0][3], (SimEvent{32, 0x8A, 6}));
    ASSERT_EQ(block.records[1].size(), 2u);  // slot 1: macro 0
    EXPECT_EQ(block.records[1][1], (SimEvent{10, 0x8A, 4}));
    const std::vector<uint8_t>& table = sim_->Firmware().Memory().keyTable;
    EXPECT_EQ(std::vector<uint8_t>(table.begin() + 9, table.begin() + 18),
              (std::vector<uint8_t>{0x70, 0, 0, 0x71, 1, 5, 0x70, 0, 1}));
}

TEST_P(MouseOnSim, MacrosThatDoNotFitAreRefusedBeforeAnythingIsSent) {
    SimOptions small;
    small.macroCapacity = 1;  // 128 bytes
    Plug(small);
    ASSERT_EQ(mouse_->ReadMouse(), kResultOk);
    mouse_->StopLightingThread();
    MakeMacros(mouse_->ProfileFolder(), {20, 58});
    ASSERT_EQ(mouse_->StoreKeyAssignment(3, KeyAssignment::FromPacked(3, 0x700100)), 0);
    const int macroFrames = FramesOf(21), tableFrames = FramesOf(9);
    const KeyDataResult r = mouse_->SendKeyData();
    EXPECT_EQ(r.r, 32);  // 16 + 6 + 232 = 254 bytes: (254 − 128) / 4 + 1
    EXPECT_FALSE(r.keyTableSent);
    EXPECT_EQ(FramesOf(21), macroFrames);
    EXPECT_EQ(FramesOf(9), tableFrames);

    // A macro over 64 events is refused with its count, whatever the memory.
    std::vector<MacroRow> rows;
    {
        CMacroLibrary library(mouse_->ProfileFolder());
        library.Load();
        Json::Value events(Json::arrayValue);
        Json::Value e(Json::objectValue);
        e["Type"] = 1; e["Button"] = 1; e["Action"] = "up"; e["Delay"] = "1";
        for (int i = 0; i < 65; ++i) events.append(e);
        Json::Value doc(Json::objectValue);
        doc["Events"] = events;
        ASSERT_EQ(CJsonFileUtil::WriteJsonFile(library.MacroFilePath(0), doc), 0);
    }
    ASSERT_EQ(mouse_->StoreKeyAssignment(4, KeyAssignment::FromPacked(4, 0x700000)), 0);
    EXPECT_EQ(mouse_->SendKeyData().r, 65);
    EXPECT_EQ(FramesOf(21), macroFrames);
}

TEST_P(MouseOnSim, DeletingAMacroFixesTheKeysAndResendsTheKeyData) {
    ASSERT_EQ(mouse_->ReadMouse(), kResultOk);
    mouse_->StopLightingThread();
    MakeMacros(mouse_->ProfileFolder(), {1, 2, 3});
    ASSERT_EQ(mouse_->StoreKeyAssignment(3, KeyAssignment::FromPacked(3, 0x700000)), 0);  // macro 0
    ASSERT_EQ(mouse_->StoreKeyAssignment(4, KeyAssignment::FromPacked(4, 0x700200)), 0);  // macro 2
    ASSERT_EQ(mouse_->SendKeyData().r, 0);

    int asked = 0;
    KeyDataResult sent;
    const MacroDeleteOutcome o = mouse_->DeleteMacro(0, {}, [&] { return ++asked > 0; }, &sent);
    ASSERT_EQ(o.result, MacroDeleteResult::kDeleted);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(sent.r, 0);
    EXPECT_EQ(sent.keyTable, kResultOk);
    EXPECT_TRUE(mouse_->Keys()[3].current.SameFunction(mouse_->Keys()[3].defaultAssignment));
    EXPECT_EQ(mouse_->Keys()[4].current.Packed(), 0x700100u);
    EXPECT_EQ(ProfileFile()["KeyList"][4]["Assignment"].asUInt(), 0x700100u);
    const SimDecodedBlock block = sim_->Firmware().LastMacroBlock();
    ASSERT_TRUE(block.valid) << block.error;
    ASSERT_EQ(block.records.size(), 1u);
    EXPECT_EQ(block.records[0].size(), 3u);  // the old macro 2, now 1, in slot 0
    EXPECT_EQ(sim_->Firmware().Memory().keyTable[4 * 3 + 1], 0);
}

INSTANTIATE_TEST_SUITE_P(Connections, MouseOnSim, testing::Values(kConnectionCable, kConnectionReceiver),
                         [](const auto& p) { return p.param == kConnectionReceiver ? "Receiver" : "Cable"; });

TEST(MouseReceiver, UnreachableMouseKeepsEditsInTheProfileOnly) {
    char folder[] = "/tmp/r730-mouse-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    setenv("XDG_DATA_HOME", folder, 1);
    {
        SimulatedDevice sim(SimKind::Mouse, {});
        SimulatedReceiver receiver(sim);
        ASSERT_TRUE(receiver.Plug());
        CZentrelMouseDevice mouse;
        mouse.SetFolderName("mouse");
        mouse.SetLibraryName("ozmar_light");
        DeviceLink& link = mouse.CommandLink();
        ASSERT_TRUE(link.ReceiverInterface().Open(receiver.Connection().CommandPath(), true, true, true, false));
        link.SetOpened(true);
        link.SetConnection(kConnectionReceiver);
        mouse.LoadSelectedProfile();
        sim.SetRadioReachable(false);
        const int before = sim.Firmware().Stats().frames;
        const MouseCommit c = mouse.SetReportRate(2);
        EXPECT_EQ(c.saved, 0);
        EXPECT_EQ(c.sent, kResultNoReply);
        // Out of reach, the key data ends at once as "nothing to show".
        MakeMacros(mouse.ProfileFolder(), {2});
        const KeyDataResult data = mouse.SendKeyData();
        EXPECT_EQ(data.r, 0);
        EXPECT_NE(data.keyTable, kResultOk);
        EXPECT_EQ(sim.Firmware().Stats().frames, before);  // nothing reached the mouse
        EXPECT_EQ(CJsonFileUtil::ReadJsonFile(mouse.Profile().GetProfilePath())["Device"][0]["ReportStages"]
                      ["StageActive"]
                          .asInt(),
                  2);
    }
    unsetenv("XDG_DATA_HOME");
    std::filesystem::remove_all(folder);
}

}  // namespace
