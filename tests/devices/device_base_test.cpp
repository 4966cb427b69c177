// The device base: counts and state, page types, the library lists, the
// lighting thread and the synchronisation readers.
#include "devices/zentrel_usb_device.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <json/json.h>
#include <thread>

#include "devices/device_types.h"
#include "link/debug_trace.h"
#include "sim/sim_device.h"

namespace {

using namespace std::chrono_literals;

// A device of a given type that records its companion reports.
class TestDevice : public CZentrelUSBDevice {
public:
    explicit TestDevice(int type, Clock& clock = SteadyClock::Instance()) : CZentrelUSBDevice(clock) {
        deviceType_ = type;
    }
    ~TestDevice() override { StopThreads(); }
    std::vector<std::pair<uint16_t, bool>> Reports() {
        std::lock_guard lock(mutex_);
        return reports_;
    }

protected:
    void OnCompanionReport(const uint8_t*, size_t, uint16_t code, bool receiver) override {
        std::lock_guard lock(mutex_);
        reports_.emplace_back(code, receiver);
    }

private:
    std::mutex mutex_;
    std::vector<std::pair<uint16_t, bool>> reports_;
};

class CountingView : public DeviceView {
public:
    void FrameChanged() override { ++frames; }
    void ShowFunctionPage(int page, int tab) override { shown = {page, tab}; }
    bool WantsFrames() const override { return watched; }
    std::atomic<int> frames{0};
    std::atomic<bool> watched{true};
    FunctionPageChoice shown{-9, -9};
};

class TraceCapture {
public:
    TraceCapture() {
        SetDebugTraceSink([this](std::string_view t) {
            std::lock_guard lock(mutex_);
            lines_.emplace_back(t);
        });
    }
    ~TraceCapture() { SetDebugTraceSink(nullptr); }
    bool Has(const std::string& text) {
        std::lock_guard lock(mutex_);
        return std::find(lines_.begin(), lines_.end(), text) != lines_.end();
    }

private:
    std::mutex mutex_;
    std::vector<std::string> lines_;
};

TEST(DeviceBase, LedCountResizesTheArraysAndClearsTheOverlays) {
    TestDevice pad(kTypeMousePad);
    pad.SetLedCount(15);
    pad.SetOverlayList(std::vector<LightListItem>(15, LightListItem{1, 4, 0, 0, 0, 1, 2, 3, 1}));
    pad.SetLedColour(14, 0x80112233);
    EXPECT_EQ(pad.GetLedColour(14), 0x80112233u);
    pad.SetLedCount(13);
    EXPECT_EQ(pad.LedCount(), 13u);
    EXPECT_EQ(pad.Frame().size(), 13u);
    EXPECT_TRUE(pad.OverlayList().empty());
    EXPECT_EQ(pad.GetLedColour(14), 0u);  // out of range
    pad.SetLedColour(20, 0xFFFFFFFF);      // ignored
    EXPECT_EQ(pad.Frame(), LedFrame(13));
}

TEST(DeviceBase, PageTypesSelectPagesByDeviceType) {
    struct Case { int pageType, deviceType; FunctionPageChoice choice; } cases[] = {
        {2, kTypeMouse, {0, 1}},    {6, kTypeKeyboard, {0, 1}}, {3, kTypeMouse, {1, -1}},
        {8, kTypeMouse, {1, -1}},   {4, kTypeMouse, {3, -1}},   {4, kTypeKeyboard, {3, -1}},
        {4, kTypeMousePad, {0, 2}}, {4, kTypeHeadset, {0, 2}},  {7, kTypeMouse, {0, 2}},
        {5, kTypeMouse, {2, -1}},   {9, kTypeMouse, {4, -1}},   {0, kTypeMouse, {0, 0}},
        {42, kTypeMouse, {0, 0}},
    };
    for (const Case& c : cases) {
        TestDevice device(c.deviceType);
        CountingView view;
        device.SetView(&view);
        device.ShowFunctionPage(c.pageType);
        EXPECT_EQ(view.shown, c.choice) << c.pageType << " on type " << c.deviceType;
        EXPECT_EQ(device.GetPageType(), c.pageType);
    }
}

TEST(DeviceBase, LightStateTravelsAsFourValues) {
    TestDevice device(kTypeMouse);
    device.SetLightState(0x01040302, 0x33221101, 0x07AABBCC, 0x0905);
    const LightInfo l = device.LightState();
    EXPECT_EQ(l.selectItem, 2);
    EXPECT_EQ(l.light, 3);
    EXPECT_EQ(l.speed, 4);
    EXPECT_EQ(l.fx, 1);
    EXPECT_EQ(l.multiColor, 1);
    EXPECT_EQ(l.red, 0x11);
    EXPECT_EQ(l.blue, 0x33);
    EXPECT_EQ(l.zzccLedMode, 0x07);
    EXPECT_EQ(l.customGroup, 5);
    EXPECT_EQ(l.oldLedMode, 9);
    EXPECT_EQ(device.GetLightState(), (std::array<uint32_t, 4>{0x01040302, 0x33221101, 0x07AABBCC, 0x0905}));
}

TEST(DeviceBase, LightControlEntersControlOnTheKeyboardOnly) {
    SimulatedDevice keyboard(SimKind::Keyboard, {});
    ASSERT_TRUE(keyboard.PlugCable());
    for (int type : {kTypeMouse, kTypeKeyboard}) {
        TestDevice device(type);
        {
            std::lock_guard io(device.CommandLink().IoLock());
            ASSERT_TRUE(device.CommandLink().WiredInterface().Open(keyboard.Cable().CommandPath(), true, true, true, false));
            device.CommandLink().SetOpened(true);
        }
        device.SetLightControl(false);
        EXPECT_FALSE(keyboard.Firmware().LightControl());
        device.SetLightControl(true);
        EXPECT_TRUE(device.LightControl());
        EXPECT_EQ(keyboard.Firmware().LightControl(), type == kTypeKeyboard);
    }
}

TEST(LightLibrary, RowsFillTheListsAndModesMapToEffects) {
    Json::Value defaults;
    for (int row = 0; row < 4; ++row) {
        Json::Value effects(Json::arrayValue);
        const int values[] = {0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 11};
        for (int i = 0; i < 11; ++i) {
            Json::Value e;
            e["LightName"] = "effect " + std::to_string(row) + "." + std::to_string(i);
            e["visible"] = !(row == 1 && i == 9);
            e["value"] = values[i];
            effects.append(e);
        }
        defaults["DefaultLightName"].append(effects);
        Json::Value areas(Json::arrayValue);
        areas.append(Json::Value(Json::objectValue))[std::string("LightName")] = "Logo";
        defaults["AreaLightName"].append(areas);
    }
    Json::Value library;
    library["LightInfo"][1][0]["LightName"] = "Aurora";
    library["LightInfo"][1][0]["Guid"] = "a1";

    LightLibraryLists lists;
    LoadLightLibrary(defaults, library, 1, lists);
    ASSERT_EQ(lists.effectNames.size(), 11u);
    EXPECT_EQ(lists.effectNames[0], "effect 1.0");
    EXPECT_FALSE(lists.visible[9]);
    EXPECT_TRUE(lists.visible[8]);
    EXPECT_EQ(lists.areaNames, std::vector<std::string>{"Logo"});
    EXPECT_EQ(lists.customNames, std::vector<std::string>{"Aurora"});
    EXPECT_EQ(MapDeviceMode(lists, 5), 4);
    EXPECT_EQ(MapDeviceMode(lists, 4), -1);

    // A missing row, a null document or one of the wrong shape leaves the lists alone.
    LoadLightLibrary(defaults, Json::Value(), 7, lists);
    LoadLightLibrary(Json::Value("text"), Json::Value(42), 1, lists);
    EXPECT_EQ(lists.effectNames.size(), 11u);
    EXPECT_EQ(lists.customNames.size(), 1u);
}

TEST(LightLibrary, TheShippedDefaultsAndTheUsersLibraryFileAreRead) {
    char folder[] = "/tmp/r730-library-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    setenv("XDG_DATA_HOME", folder, 1);
    TestDevice mouse(kTypeMouse);
    mouse.SetFolderName("mouse");
    mouse.SetLibraryName("ozmar_light");
    mouse.SetLibraryRow(1);
    const std::string deviceFolder = mouse.ProfileFolder();
    EXPECT_EQ(deviceFolder, std::string(folder) + "/R730-VXT-1K Gaming Mouse/mouse/");
    {
        std::ofstream library(deviceFolder + "ozmar_light.config");
        library << R"({"LightInfo": [[], [{"LightName": "Aurora", "Guid": "a1"}]]})";
    }
    mouse.LoadLightLibraryFiles();
    const LightLibraryLists& lists = mouse.Library();
    ASSERT_EQ(lists.effectNames.size(), 11u);  // the mouse's row of the shipped file
    EXPECT_EQ(lists.effectNames[3], "Spectrum");
    EXPECT_EQ(MapDeviceMode(lists, 3), 3);
    EXPECT_EQ(lists.customNames, std::vector<std::string>{"Aurora"});
    unsetenv("XDG_DATA_HOME");
    std::filesystem::remove_all(folder);
}

TEST(LightingThread, BatchedPassesDrawWhatSinglePassesDraw) {
    ManualClock clock;
    TestDevice each(kTypeMousePad, clock), batched(kTypeMousePad, clock);
    for (TestDevice* d : {&each, &batched}) {
        d->SetLedCount(15);
        LightInfo l;
        l.selectItem = 2;  // breathing
        l.light = 4;
        l.speed = 3;
        l.multiColor = 1;
        d->SetLightInfo(l);
        std::vector<LightListItem> items(15);
        items[3] = {0, 3, 1, 0, 1, 0, 0, 0, 1};  // a breathing overlay
        items[7] = {2, 4, 4, 0, 0, 9, 9, 9, 1};  // a flashing one
        d->SetOverlayList(items);
    }
    uint64_t now = 1000000;
    for (int wake = 0; wake < 300; ++wake) {
        const uint32_t n = batched.PassesUntilChange(now);
        ASSERT_GE(n, 1u);
        ASSERT_LE(n, 8u);  // the overlays animate
        for (uint32_t i = 0; i < n; ++i) each.RunLightingPasses(1, now + 2 * (i + 1));
        now += 2 * n;
        batched.RunLightingPasses(n, now);
        ASSERT_EQ(each.Frame(), batched.Frame()) << "wake " << wake;
    }
}

TEST(LightingThread, StillFramesLetTheThreadSleep) {
    TestDevice pad(kTypeMousePad);
    pad.SetLedCount(15);
    LightInfo l;
    l.selectItem = 3;  // static
    pad.SetLightInfo(l);
    EXPECT_EQ(pad.PassesUntilChange(0), 50u);
    l.selectItem = 2;  // breathing at speed 0: a frame every 28 passes
    pad.SetLightInfo(l);
    EXPECT_EQ(pad.PassesUntilChange(0), 28u);
}

TEST(LightingThread, RunsWhileTheLinkIsOpenAndStopsPromptly) {
    TraceCapture trace;
    CountingView view;
    TestDevice pad(kTypeMousePad);
    pad.SetView(&view);
    pad.SetLedCount(15);
    LightInfo l;
    l.selectItem = 1;  // spectrum
    l.light = 4;
    l.speed = 4;
    pad.SetLightInfo(l);
    pad.StartLightingThread();
    std::this_thread::sleep_for(60ms);
    EXPECT_EQ(view.frames, 0);  // the link is not opened: nothing is drawn
    pad.CommandLink().SetOpened(true);
    for (int i = 0; i < 200 && view.frames < 3; ++i) std::this_thread::sleep_for(5ms);
    EXPECT_GE(view.frames, 3);
    const auto start = std::chrono::steady_clock::now();
    pad.StopLightingThread();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
    EXPECT_TRUE(trace.Has("MS灯光线程设定退出"));
    EXPECT_TRUE(trace.Has("线程退出：：对象处于激发状态\n"));
}

TEST(LightingThread, StillOrUnwatchedFramesCostNoRepaints) {
    for (bool watched : {true, false}) {
        CountingView view;
        view.watched = watched;
        TestDevice pad(kTypeMousePad);
        pad.SetView(&view);
        pad.SetLedCount(15);
        LightInfo l;
        l.selectItem = watched ? 3 : 1;  // a static frame while watched; spectrum while not
        l.light = 4;
        l.speed = 4;
        l.red = 9;
        pad.SetLightInfo(l);
        pad.CommandLink().SetOpened(true);
        pad.StartLightingThread();
        std::this_thread::sleep_for(400ms);
        pad.StopLightingThread();
        // The static frame is published once; the unwatched spectrum at most at the
        // thread's slow catch-up pace, not at its 14 ms frame rate.
        EXPECT_GE(view.frames, watched ? 1 : 0);
        EXPECT_LE(view.frames, watched ? 1 : 2) << watched;
    }
}

TEST(WorkerThreads, AThreadThatDoesNotEndInTimeIsJoinedLater) {
    TraceCapture trace;
    std::atomic<bool> release{false};
    {
        WorkerThread worker;
        worker.Start([&](StopEvent&) {
            while (!release) std::this_thread::sleep_for(1ms);  // ignores its stop event
        });
        EXPECT_FALSE(worker.Stop(30));
        EXPECT_TRUE(trace.Has("线程退出：：对象处于非激发状态，超时\n"));
        EXPECT_TRUE(worker.Running());
        release = true;
    }  // the destructor waits for it instead of leaving it behind
}

TEST(SyncReaders, CompanionEventsReachTheDeviceAndStopEndsTheRead) {
    TraceCapture trace;
    SimulatedDevice mouse(SimKind::Mouse, {});
    SimulatedReceiver receiver(mouse);
    ASSERT_TRUE(mouse.PlugCable());
    ASSERT_TRUE(receiver.Plug());
    TestDevice device(kTypeMouse);
    ASSERT_TRUE(device.StartReader(false, mouse.Cable().CompanionPath()));
    ASSERT_TRUE(device.StartReader(true, receiver.Connection().CompanionPath()));
    EXPECT_TRUE(device.ReaderOpen(false));
    ASSERT_TRUE(mouse.SendEvent(1025));
    ASSERT_TRUE(receiver.Connection().SendCompanionEvent(0x1002));
    for (int i = 0; i < 200 && device.Reports().size() < 2; ++i) std::this_thread::sleep_for(2ms);
    auto reports = device.Reports();
    ASSERT_EQ(reports.size(), 2u);
    std::sort(reports.begin(), reports.end());
    EXPECT_EQ(reports[0], std::make_pair(uint16_t{1025}, false));
    EXPECT_EQ(reports[1], std::make_pair(uint16_t{0x1002}, true));
    EXPECT_TRUE(trace.Has("接收到自动添加设备的同步信息要求  TEST"));

    const auto start = std::chrono::steady_clock::now();
    device.StopReader(false);  // the reader waits in a read without timeout
    EXPECT_LT(std::chrono::steady_clock::now() - start, 400ms);
    EXPECT_FALSE(device.ReaderOpen(false));
    EXPECT_TRUE(trace.Has("MS 设备同步线程设定退出"));
    // Unplugging under a running reader does not make it spin or hang.
    receiver.Unplug();
    std::this_thread::sleep_for(20ms);
    device.StopReader(true);
    EXPECT_FALSE(device.ReaderOpen(true));
}

}  // namespace
