// The record getters and setters of the profile data classes.
#include <gtest/gtest.h>

#include <cstdint>

#include "profiles/basic_profile_data.h"
#include "profiles/hs6533_profile_data.h"
#include "profiles/keyboard_profile_data.h"
#include "profiles/mouse_profile_data.h"
#include "tests/profiles/profile_test_support.h"

namespace {

// A profile text whose device object is device.
std::string WithDevice(const std::string& device) {
    return R"({"Device": [)" + device + "]}";
}

TEST(KeyList, PackedAssignmentsRoundTrip) {
    ScratchFolder folder;
    const std::string path = folder.File("p.Json");
    WriteBytes(path, WithDevice(R"({"KeyList": [ {"Assignment": 0, "DefaultAssignment": 0},
                                    {"Assignment": 131844, "DefaultAssignment": 65536} ]})"));
    CBasicProfiledata profile;
    profile.SetProfilePath(path);
    profile.LoadProfile(path);
    std::vector<KeyEntry> keys = profile.GetKeyList();
    ASSERT_EQ(keys.size(), 2u);
    const KeyEntry& key = keys[1];
    EXPECT_EQ(key.current.keyIndex, 1);
    EXPECT_EQ(key.current.category, 2);
    EXPECT_EQ(key.current.param1, 3);
    EXPECT_EQ(key.current.param2, 4);
    EXPECT_EQ(key.defaultAssignment.keyIndex, 1);
    EXPECT_EQ(key.defaultAssignment.category, 1);
    EXPECT_EQ(key.defaultAssignment.param1, 0);
    EXPECT_EQ(key.defaultAssignment.param2, 0);

    keys[0].current = KeyAssignment::FromPacked(0, 0x0A0B0C);
    keys[0].defaultAssignment = KeyAssignment::FromPacked(0, 0x111111);  // never written
    profile.SetKeyList(keys);
    ASSERT_EQ(profile.Save(), 0);
    const Json::Value list = ParseFile(path)["Device"][0]["KeyList"];
    EXPECT_EQ(list[0]["Assignment"], 0x0A0B0C);
    EXPECT_EQ(list[0]["DefaultAssignment"], 0);
    EXPECT_EQ(list[1]["Assignment"], 131844);
    EXPECT_EQ(list[1]["DefaultAssignment"], 65536);
}

TEST(LightInfo, MultiColorReadsAsABooleanAndIsWrittenAsOne) {
    const struct {
        const char* stored;
        uint8_t expected;
    } cases[] = {{"true", 1}, {"1", 1},     {"7", 1},     {"256", 1},  {"0.5", 1},
                 {"0", 0},    {"false", 0}, {"\"1\"", 0}, {"null", 0}, {"{}", 0}};
    for (const auto& c : cases) {
        CBasicProfiledata profile;
        profile.LoadProfileFromText(
            WithDevice(R"({"LightInfo": {"MultiColor": )" + std::string(c.stored) + "}}"));
        const LightInfo info = profile.GetLightInfo();
        EXPECT_EQ(info.multiColor, c.expected) << c.stored;
        profile.SetLightInfo(info);
        EXPECT_EQ(profile.GetDocument()["LightInfo"]["MultiColor"], c.expected) << c.stored;
    }
}

// Stored values of the wrong type or range are converted, never thrown on.
TEST(LightInfo, WrongTypesAndWidthsAreConverted) {
    const struct {
        const char* stored;
        uint8_t expected;
    } cases[] = {
        {"\"x\"", 0}, {"{}", 0},     {"[1]", 0},        {"null", 0},
        {"true", 1},  {"300", 44},   {"-1", 255},       {"3.9", 3},
        {"1e30", 0},  {"-2.5", 254}, {"4294967297", 1}, {"18446744073709551615", 255},
    };
    for (const auto& c : cases) {
        CBasicProfiledata profile;
        profile.LoadProfileFromText(
            WithDevice(R"({"LightInfo": {"Light": )" + std::string(c.stored) + R"(, "Red": 7}})"));
        const LightInfo info = profile.GetLightInfo();
        EXPECT_EQ(info.light, c.expected) << c.stored;
        EXPECT_EQ(info.red, 7) << c.stored;
    }
}

TEST(LightInfo, SectionOfTheWrongTypeReadsAsMissingAndIsReplacedWhenSet) {
    for (const char* section : {R"("x")", "[]", "300", "null"}) {
        CBasicProfiledata profile;
        profile.LoadProfileFromText(
            WithDevice(R"({"LightInfo": )" + std::string(section) + R"(, "Other": 1})"));
        EXPECT_EQ(profile.GetLightInfo(), LightInfo{}) << section;
        LightInfo info;
        info.blue = 200;
        profile.SetLightInfo(info);
        EXPECT_EQ(profile.GetLightInfo(), info) << section;
        EXPECT_EQ(profile.GetDocument()["Other"], 1) << section;
        EXPECT_EQ(profile.GetDocument()["LightInfo"].size(), 11u) << section;
    }
}

TEST(AudioLightInfo, ColorTypeFlagsAlwaysReadsOne) {
    CBasicProfiledata profile;
    profile.LoadProfileFromText(WithDevice(R"({"AudioLightInfo": {"AudioMode": 2, "BkColorR": 10,
                                "FgColorB": 300, "7ColorFlags": 5, "ColorTypeFlags": 0}})"));
    const AudioLightInfo info = profile.GetAudioLightInfo();
    EXPECT_EQ(info.audioMode, 2);
    EXPECT_EQ(info.bkColorR, 10);
    EXPECT_EQ(info.fgColorB, 44);
    EXPECT_EQ(info.sevenColorFlags, 1);
    EXPECT_EQ(info.colorTypeFlags, 1);
    profile.SetAudioLightInfo(info);
    EXPECT_EQ(profile.GetDocument()["AudioLightInfo"]["ColorTypeFlags"], 1);

    profile.LoadProfileFromText(WithDevice("{}"));
    EXPECT_EQ(profile.GetAudioLightInfo(), AudioLightInfo{});
}

TEST(LightList, ElementsThatAreNoObjectsAreInvalidItems) {
    CBasicProfiledata profile;
    profile.LoadProfileFromText(WithDevice(R"({"LightList": [
        {"LEDREGMode": 2, "LEDBrightness": 4, "LEDSpeed": 3, "LEDMultiColor": 9, "LEDDirection": true,
         "red": 1, "green": 2, "blue": 258, "Red": 99},
        null, 5 ]})"));
    const std::vector<LightListItem> items = profile.GetLightList();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0], (LightListItem{2, 4, 3, 1, 1, 1, 2, 2, 1}));
    EXPECT_EQ(items[1], LightListItem{});
    EXPECT_EQ(items[2], LightListItem{});

    profile.LoadProfileFromText(WithDevice(R"({"LightList": {"0": {}}})"));
    EXPECT_TRUE(profile.GetLightList().empty());
}

TEST(DpiStages, FileStagesMergeOverTheStoredOnes) {
    CMouseProfiledata mouse;
    std::vector<DpiStage> six;
    for (uint16_t i = 0; i < 6; ++i)
        six.push_back(DpiStage{1, 0, uint16_t(100 + i), uint16_t(100 + i), 0, 0, 0});
    mouse.SetDPIStages(six);  // the stored list
    mouse.LoadProfileFromText(WithDevice(R"({"DPIStages": {"StageActive": 3, "StageDPIs": [
        {"StageActive": 1, "StageXY": 1, "StageDPIX": 70000, "StageDPIY": 5, "StageColorR": 255,
         "StageColorG": 1, "StageColorB": 2},
        {}, {}, {"StageDPIX": 9} ]}})"));
    const std::vector<DpiStage> stages = mouse.GetDPIStages();
    ASSERT_EQ(stages.size(), 6u);
    EXPECT_EQ(stages[0], (DpiStage{1, 1, 4464, 5, 255, 1, 2}));  // 70000 keeps its low 16 bits
    EXPECT_EQ(stages[1], DpiStage{});
    EXPECT_EQ(stages[3].x, 9);
    EXPECT_EQ(stages[4], six[4]);
    EXPECT_EQ(stages[5], six[5]);
    EXPECT_EQ(mouse.GetActiveStage(), 3);

    // Without the section the stored stages and index stay.
    mouse.LoadProfileFromText(WithDevice(R"({"DPIStages": {"StageActive": 1}})"));
    EXPECT_EQ(mouse.GetDPIStages(), stages);
    EXPECT_EQ(mouse.GetActiveStage(), 3);
}

TEST(DpiStages, SettingFewerStagesKeepsTheRestOfTheDocument) {
    CMouseProfiledata mouse;
    mouse.LoadProfileFromText(WithDevice(R"({"DPIStages": {"StageActive": 0, "StageDPIs": [
        {"StageDPIX": 1}, {"StageDPIX": 2}, {"StageDPIX": 3, "Extra": "x"}, {"StageDPIX": 4} ]}})"));
    mouse.SetDPIStages({DpiStage{1, 1, 800, 1600, 9, 8, 7}, DpiStage{0, 0, 65535, 0, 0, 0, 0}});
    mouse.SetActiveStage(1);
    const Json::Value& section = mouse.GetDocument()["DPIStages"];
    EXPECT_EQ(section["StageActive"], 1);
    EXPECT_EQ(section["StageDPIs"].size(), 4u);
    EXPECT_EQ(section["StageDPIs"][0], Parse(R"({"StageActive": 1, "StageXY": 1, "StageDPIX": 800,
        "StageDPIY": 1600, "StageColorR": 9, "StageColorG": 8, "StageColorB": 7})"));
    EXPECT_EQ(section["StageDPIs"][1]["StageDPIX"], 65535);
    EXPECT_EQ(section["StageDPIs"][2], Parse(R"({"StageDPIX": 3, "Extra": "x"})"));
    EXPECT_EQ(mouse.GetActiveStage(), 1);
}

TEST(MouseSystem, ReadsBothSectionsAndFallsBackPerSection) {
    const std::string system = R"("SystemStages": {"DoubleClickTime": 500, "MouseSpeed": 10,
        "PointerPrecision": 1, "ScorllPage": 3, "WheelScorlllinse": 65539})";
    const std::string report = R"("ReportStages": {"StageActive": 2, "SilentAltitude": 1,
        "Linear_Calibration": 1, "Ripple": 0, "ble_sleep1": 4, "ble_sleep2": 5, "device_sleep1": 6,
        "device_sleep2": 7, "key_debounce_time": 8})";
    const MouseSystem full{500, 10, 1, 3, 3, 2, 1, 1, 0, 4, 5, 6, 7, 8};
    MouseSystem noReport = full;
    noReport.reportRate = noReport.silentAltitude = noReport.linearCalibration = 0;
    noReport.bleSleep1 = noReport.bleSleep2 = noReport.deviceSleep1 = 0;
    noReport.deviceSleep2 = noReport.keyDebounceTime = 0;
    const struct {
        std::string device;
        MouseSystem expected;
    } cases[] = {
        {"{" + system + "," + report + "}", full},
        {"{" + system + "}", noReport},
        {"{" + report + "}", MouseSystem{}},
    };
    for (const auto& c : cases) {
        CMouseProfiledata mouse;
        mouse.LoadProfileFromText(WithDevice(c.device));
        EXPECT_EQ(mouse.GetMouseSystem(), c.expected) << c.device;
    }

    CMouseProfiledata mouse;
    mouse.LoadProfileFromText(WithDevice("{}"));
    mouse.SetMouseSystem(full);
    EXPECT_EQ(mouse.GetDocument()["ReportStages"]["StageActive"], 2);
    EXPECT_EQ(mouse.GetDocument()["SystemStages"]["WheelScorlllinse"], 3);
    EXPECT_EQ(mouse.GetDocument()["SystemStages"].size(), 5u);
    EXPECT_EQ(mouse.GetDocument()["ReportStages"].size(), 9u);
    EXPECT_EQ(mouse.GetMouseSystem(), full);
}

TEST(KeyboardProfile, SystemRoundTripsAndDefaultsToZero) {
    CKeyboardProfiledata keyboard;
    keyboard.LoadProfileFromText(WithDevice(R"({"SystemStages": {"Repeat": 3, "RepeatDelay": 2,
        "Key6Flag": 1, "PollingRate": 65537, "WFlag": 0, "WinFlag": 1}})"));
    const KeyboardSystem system = keyboard.GetKeyboardSystem();
    EXPECT_EQ(system, (KeyboardSystem{3, 2, 1, 1, 0, 1}));
    keyboard.LoadProfileFromText(WithDevice("{}"));
    EXPECT_EQ(keyboard.GetKeyboardSystem(), KeyboardSystem{});
    keyboard.SetKeyboardSystem(system);
    EXPECT_EQ(keyboard.GetKeyboardSystem(), system);
}

TEST(KeyboardProfile, MissingCustomColorsAreWrittenAsZeros) {
    CKeyboardProfiledata keyboard;
    keyboard.LoadProfileFromText(WithDevice(R"({"CustomLightMode": {"LightColorInfo": [
        [ {"Red": 1, "Green": 2, "Blue": 3, "Alpha": 255}, null, 7 ] ]}})"));
    // Group 0: entry 0 read; entries 1 (null), 2 (not an object) and 3 (missing) become zeros.
    const std::vector<CustomColor> colors = keyboard.GetCustomColors(0, 4);
    EXPECT_EQ(colors, (std::vector<CustomColor>{{1, 2, 3, 255}, {}, {}, {}}));
    const Json::Value zero = Parse(R"({"Red": 0, "Green": 0, "Blue": 0, "Alpha": 0})");
    const Json::Value& group0 = keyboard.GetDocument()["CustomLightMode"]["LightColorInfo"][0];
    ASSERT_EQ(group0.size(), 4u);
    EXPECT_EQ(group0[1], zero);
    EXPECT_EQ(group0[2], zero);
    EXPECT_EQ(group0[3], zero);
    // Group 2 is missing: two zero entries are written, group 1 stays null.
    EXPECT_EQ(keyboard.GetCustomColors(2, 2), std::vector<CustomColor>(2));
    const Json::Value& groups = keyboard.GetDocument()["CustomLightMode"]["LightColorInfo"];
    EXPECT_TRUE(groups[1].isNull());
    EXPECT_EQ(groups[2].size(), 2u);
    EXPECT_EQ(groups[2][1], zero);
    // Out of range: zeros, nothing written.
    const Json::Value before = keyboard.GetDocument();
    EXPECT_EQ(keyboard.GetCustomColors(2000000000, 3).size(), 3u);
    EXPECT_TRUE(keyboard.GetCustomColors(0, -5).empty());
    EXPECT_EQ(keyboard.GetDocument(), before);

    ASSERT_EQ(keyboard.SetCustomColors({{9, 8, 7, 6}}, 1), 0);
    EXPECT_EQ(keyboard.GetCustomColors(1, 1), (std::vector<CustomColor>{{9, 8, 7, 6}}));
    EXPECT_NE(keyboard.SetCustomColors({{9, 8, 7, 6}}, -1), 0);
}

TEST(KeyboardProfile, MissingGroupIndexKeepsTheStoredOne) {
    CKeyboardProfiledata keyboard;
    keyboard.LoadProfileFromText(
        WithDevice(R"({"CustomLightMode": {"CustomLightModeGroupIndex": 4}})"));
    EXPECT_EQ(keyboard.GetCustomGroupIndex(), 4);
    keyboard.LoadProfileFromText(WithDevice(R"({"CustomLightMode": {}})"));
    EXPECT_EQ(keyboard.GetCustomGroupIndex(), 4);
    keyboard.SetCustomGroupIndex(2);
    EXPECT_EQ(keyboard.GetDocument()["CustomLightMode"]["CustomLightModeGroupIndex"], 2);
    EXPECT_EQ(keyboard.GetCustomGroupIndex(), 2);
}

// Rows 1, 5 and 12 hold values equal to 100 × row + band.
std::string EqDevice() {
    std::string rows;
    for (int row = 0; row <= 12; ++row) {
        std::string bands;
        for (int band = 0; band < 10; ++band) {
            const int value = (row == 1 || row == 5 || row == 12) ? row * 100 + band : -1;
            bands += (band ? "," : "") + std::string(R"({"value": )") + std::to_string(value) + "}";
        }
        rows += (row ? ",[" : "[") + bands + "]";
    }
    return R"({"EQHzValueInfo": [)" + rows + "]}";
}

TEST(HeadsetProfile, EqualiserTypesMapToRows) {
    const struct {
        int type;
        int row;
    } cases[] = {{0, 1}, {1, 1}, {5, 5}, {12, 12}, {14, 1}, {20, 1}, {-3, 1}};
    for (const auto& c : cases) {
        CHs6533Profiledata headset;
        headset.LoadProfileFromText(WithDevice(EqDevice()));
        const std::vector<int> values = headset.GetEqValues(c.type);
        ASSERT_EQ(values.size(), 10u) << c.type;
        EXPECT_EQ(values[0], c.row * 100) << c.type;
        EXPECT_EQ(values[9], c.row * 100 + 9) << c.type;
    }
    CHs6533Profiledata headset;
    headset.LoadProfileFromText(WithDevice(EqDevice()));
    const Json::Value before = headset.GetDocument();
    EXPECT_TRUE(headset.GetEqValues(13).empty());
    headset.SetEqValues(13, std::vector<int>(10, 42));
    EXPECT_EQ(headset.GetDocument(), before);

    headset.SetEqValues(20, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    EXPECT_EQ(headset.GetEqValues(0), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST(HeadsetProfile, MissingEqualiserRowsAreWrittenAsZeros) {
    CHs6533Profiledata headset;
    headset.LoadProfileFromText(WithDevice(R"({"EQHzValueInfo": [[], [{"value": 3}]]})"));
    EXPECT_EQ(headset.GetEqValues(7), std::vector<int>(10, 0));
    const Json::Value& rows = headset.GetDocument()["EQHzValueInfo"];
    ASSERT_EQ(rows.size(), 8u);
    ASSERT_EQ(rows[7].size(), 10u);
    EXPECT_EQ(rows[7][9], Parse(R"({"value": 0})"));
    // A present row with fewer bands reads 0 for the rest and is not padded.
    EXPECT_EQ(headset.GetEqValues(1), (std::vector<int>{3, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(rows[1].size(), 1u);

    EXPECT_EQ(headset.GetCustomEqValues(2), std::vector<int>(10, 0));
    EXPECT_EQ(headset.GetDocument()["CustomEQHzValueInfo"][2].size(), 10u);
    ASSERT_EQ(headset.SetCustomEqValues(0, {-5, 5}), 0);
    EXPECT_EQ(headset.GetCustomEqValues(0), (std::vector<int>{-5, 5, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(headset.GetCustomEqValues(-1).empty());
    EXPECT_NE(headset.SetCustomEqValues(1 << 30, {1}), 0);
}

TEST(HeadsetProfile, SystemUsesSigned32BitValues) {
    CHs6533Profiledata headset;
    headset.LoadProfileFromText(
        WithDevice(R"({"SystemSetStages": {"MagicEnable": 1, "MagicType": -7,
        "EqType": 4294967301, "CustomEqSeletIndex": 2, "MicInSelect": "x", "MicInValue": 80,
        "MicMoniterSelect": true, "MicMoniterValue": 2147483648}})"));
    const HeadsetSystem system = headset.GetHeadsetSystem();
    EXPECT_EQ(system, (HeadsetSystem{1, -7, 5, 2, 0, 80, 1, INT32_MIN}));
    headset.LoadProfileFromText(WithDevice("{}"));
    headset.SetHeadsetSystem(system);
    EXPECT_EQ(headset.GetHeadsetSystem(), system);
    EXPECT_EQ(headset.GetDocument()["SystemSetStages"].size(), 8u);
}

TEST(HeadsetProfile, CustomEqualiserNames) {
    CHs6533Profiledata headset;
    headset.LoadProfileFromText(WithDevice(R"({"CustomEQNameInfo": [ {"Name": "Bässe"}, {}, 5,
        {"Name": 12}, {"Name": "\u00e9\ud83c\udfa7"} ]})"));
    EXPECT_EQ(headset.GetCustomEqNames(),
              (std::vector<std::wstring>{L"Bässe", L"", L"", L"12", L"é🎧"}));
    headset.SetCustomEqNames({L"一"});
    EXPECT_EQ(headset.GetDocument()["CustomEQNameInfo"], Parse(R"([{"Name": "一"}])"));
}

}  // namespace
