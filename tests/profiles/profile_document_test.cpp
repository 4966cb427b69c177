// Loading and saving profile documents on real files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include <functional>

#include "profiles/basic_profile_data.h"
#include "profiles/file_io.h"
#include "profiles/hs6533_profile_data.h"
#include "profiles/json_file_util.h"
#include "profiles/keyboard_profile_data.h"
#include "profiles/mouse_profile_data.h"
#include "tests/profiles/profile_test_support.h"

namespace {

const char kDefaultFile[] = R"({
  "Device": [ {
    "LightInfo": { "SelectItem": 2, "Light": 3, "Speed": 1, "MultiColor": 1, "Red": 255 },
    "KeyList": [ { "Assignment": 65536, "DefaultAssignment": 65536 },
                 { "Assignment": 65792, "DefaultAssignment": 65792 } ],
    "VendorExtra": { "kept": [1, 2, 3] }
  } ]
})";

class ProfileDocument : public testing::Test {
  protected:
    ProfileDocument() {
        WriteBytes(DefaultPath(), kDefaultFile);
        profile.SetDefaultPath(DefaultPath());
        profile.SetDeviceIndex(0);
    }
    std::string DefaultPath() const { return folder.File("mouse.Json"); }
    Json::Value DefaultDevice() const { return Parse(kDefaultFile)["Device"][0]; }

    ScratchFolder folder;
    CBasicProfiledata profile;
};

TEST_F(ProfileDocument, MissingProfileIsCreatedFromTheDefault) {
    const std::string path = folder.File("2025_01_02_09_05_03_007.Json");
    int written = -1;
    const Json::Value device = profile.LoadProfile(path, &written);
    EXPECT_EQ(written, 0);
    EXPECT_EQ(device, DefaultDevice());
    Json::Value expected;
    expected["Device"].append(DefaultDevice());
    EXPECT_EQ(ParseFile(path), expected);
    EXPECT_EQ(profile.GetLightInfo().selectItem, 2);
}

TEST_F(ProfileDocument, IncompleteProfileIsCompletedAndKeepsItsMembers) {
    const std::string path = folder.File("p.Json");
    WriteBytes(path, R"({ "profilename": "Mine", "profileUUID": "u1", "Device": [] })");
    profile.LoadProfile(path);
    const Json::Value file = ParseFile(path);
    EXPECT_EQ(file["profilename"], "Mine");
    EXPECT_EQ(file["profileUUID"], "u1");
    EXPECT_EQ(file["Device"][0], DefaultDevice());
}

TEST_F(ProfileDocument, CompleteProfileIsReadWithoutWriting) {
    const std::string path = folder.File("p.Json");
    const std::string text =
        R"({"Device":[{"LightInfo":{"Red":9}}]}  // compact, as written by hand)";
    WriteBytes(path, text);
    profile.LoadProfile(path);
    EXPECT_EQ(profile.GetLightInfo().red, 9);
    EXPECT_EQ(ReadBytes(path), text);
}

TEST_F(ProfileDocument, NeitherFileGivesANullDeviceAndDefaultsEverywhere) {
    ASSERT_EQ(unlink(DefaultPath().c_str()), 0);
    const std::string path = folder.File("p.Json");
    CMouseProfiledata mouse;
    mouse.SetDefaultPath(DefaultPath());
    EXPECT_TRUE(mouse.LoadProfile(path).isNull());
    const Json::Value file = ParseFile(path);
    ASSERT_TRUE(file["Device"].isArray());
    ASSERT_EQ(file["Device"].size(), 1u);
    EXPECT_TRUE(file["Device"][0].isNull());

    EXPECT_EQ(mouse.GetLightInfo(), LightInfo{});
    EXPECT_EQ(mouse.GetAudioLightInfo(), AudioLightInfo{});
    EXPECT_TRUE(mouse.GetLightList().empty());
    EXPECT_TRUE(mouse.GetKeyList().empty());
    EXPECT_TRUE(mouse.GetDPIStages().empty());
    EXPECT_EQ(mouse.GetMouseSystem(), MouseSystem{});
    EXPECT_TRUE(mouse.GetDocument().isNull());  // the getters did not touch it

    CKeyboardProfiledata keyboard;
    keyboard.LoadProfile(path);
    EXPECT_EQ(keyboard.GetKeyboardSystem(), KeyboardSystem{});
    EXPECT_EQ(keyboard.GetCustomGroupIndex(), 0);
    CHs6533Profiledata headset;
    headset.LoadProfile(path);
    EXPECT_EQ(headset.GetHeadsetSystem(), HeadsetSystem{});
    EXPECT_TRUE(headset.GetCustomEqNames().empty());
}

// Damaged profile files load without a crash and are completed from the default.
TEST_F(ProfileDocument, DamagedProfilesFallBackToTheDefault) {
    const struct {
        const char* what;
        std::string text;
        bool unreadable;  // the old file is kept beside the new one
    } cases[] = {
        {"empty", "", true},
        {"truncated", R"({"Device": [ {"LightInfo": {"Red": 1}})", true},
        {"binary", std::string("\x00\xff\xfe\x01", 4), true},
        {"deeply nested", R"({"Device": )" + std::string(100000, '['), true},
        {"huge", R"({"Device": [ {} ]})" + std::string(kMaxDataFileSize, ' '), true},
        {"top level array", "[1, 2, 3]", false},
        {"device not an array", R"({"Device": "x"})", false},
        {"device element not an object", R"({"Device": [5]})", false},
    };
    for (const auto& c : cases) {
        const std::string path = folder.File("damaged.Json");
        WriteBytes(path, c.text);
        CMouseProfiledata mouse;
        mouse.SetDefaultPath(DefaultPath());
        EXPECT_EQ(mouse.LoadProfile(path), DefaultDevice()) << c.what;
        EXPECT_EQ(ParseFile(path)["Device"][0], DefaultDevice()) << c.what;
        std::vector<std::filesystem::path> kept;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
            if (entry.path().extension() == ".unreadable") kept.push_back(entry.path());
        ASSERT_EQ(kept.size(), c.unreadable ? 1u : 0u) << c.what;
        if (c.unreadable) {
            std::ifstream in(kept[0], std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            EXPECT_TRUE(bytes == c.text) << c.what;
            std::filesystem::remove(kept[0]);
        }
    }
}

TEST_F(ProfileDocument, NonUtf8TextInAProfileLoadsAndSaves) {
    const std::string path = folder.File("p.Json");
    WriteBytes(path, "{\"Device\":[{\"LightInfo\":{\"Red\":5},\"Name\":\"\xff\xfe\xc3\"}]}");
    profile.SetProfilePath(path);
    profile.LoadProfile(path);
    EXPECT_EQ(profile.GetLightInfo().red, 5);
    EXPECT_EQ(profile.Save(), 0);
    EXPECT_EQ(CJsonFileUtil::ReadJsonFile(path)["Device"][0]["LightInfo"]["Red"], 5);
}

// Save, WriteDevice, SaveSide and every setter keep the members and elements
// they do not own.
TEST_F(ProfileDocument, WritesKeepOtherMembersAndElements) {
    const char* original = R"({
      "profilename": "Mine", "profileUUID": "2024_01_01_00_00_00_000",
      "Device": [ { "LightInfo": { "Red": 1 }, "KeyList": [ {"Assignment": 1, "DefaultAssignment": 7} ],
                    "Unknown": { "x": [1, 2] } },
                  { "second": true } ] })";
    const struct {
        const char* what;
        std::function<int(CMouseProfiledata&, const std::string&)> write;
        bool replacesDevice;
    } cases[] = {
        {"Save", [](CMouseProfiledata& p, const std::string&) { return p.Save(); }, false},
        {"SetLightInfo",
         [](CMouseProfiledata& p, const std::string&) {
             LightInfo info = p.GetLightInfo();
             info.green = 7;
             p.SetLightInfo(info);
             return p.Save();
         },
         false},
        {"SetKeyList",
         [](CMouseProfiledata& p, const std::string&) {
             p.SetKeyList(p.GetKeyList());
             return p.Save();
         },
         false},
        {"SetDPIStages and SetMouseSystem",
         [](CMouseProfiledata& p, const std::string&) {
             p.SetDPIStages({DpiStage{1, 0, 100, 100, 1, 2, 3}});
             p.SetActiveStage(0);
             p.SetMouseSystem(MouseSystem{});
             return p.Save();
         },
         false},
        {"SaveSide",
         [](CMouseProfiledata& p, const std::string& path) {
             p.LoadSide(path);
             p.SetSideKeyList(p.GetSideKeyList());
             return p.SaveSide(path);
         },
         false},
        {"WriteDevice",
         [](CMouseProfiledata& p, const std::string& path) {
             return p.WriteDevice(Parse(R"({"LightInfo": {"Red": 2}})"), path);
         },
         true},
    };
    for (const auto& c : cases) {
        const std::string path = folder.File("p.Json");
        WriteBytes(path, original);
        CMouseProfiledata mouse;
        mouse.SetProfilePath(path);
        mouse.LoadProfile(path);
        ASSERT_EQ(c.write(mouse, path), 0) << c.what;
        const Json::Value file = ParseFile(path);
        EXPECT_EQ(file["profilename"], "Mine") << c.what;
        EXPECT_EQ(file["profileUUID"], "2024_01_01_00_00_00_000") << c.what;
        EXPECT_EQ(file["Device"][1], Parse(R"({"second": true})")) << c.what;
        if (c.replacesDevice) {
            EXPECT_EQ(file["Device"][0], Parse(R"({"LightInfo": {"Red": 2}})")) << c.what;
        } else {
            EXPECT_EQ(file["Device"][0]["Unknown"], Parse(R"({"x": [1, 2]})")) << c.what;
            EXPECT_EQ(file["Device"][0]["LightInfo"]["Red"], 1) << c.what;
            EXPECT_EQ(file["Device"][0]["KeyList"][0]["DefaultAssignment"], 7) << c.what;
        }
    }
}

TEST_F(ProfileDocument, SideDocumentLeavesTheActiveProfileAlone) {
    const std::string active = folder.File("a.Json");
    const std::string other = folder.File("b.Json");
    profile.SetProfilePath(active);
    profile.LoadProfile(active);
    profile.LoadSide(other);
    std::vector<KeyEntry> keys = profile.GetSideKeyList();
    ASSERT_EQ(keys.size(), 2u);
    keys[1].current = KeyAssignment::FromPacked(1, 0x700100);
    profile.SetSideKeyList(keys);
    ASSERT_EQ(profile.SaveSide(other), 0);

    EXPECT_EQ(profile.GetKeyList()[1].current.Packed(), 65792u);
    EXPECT_EQ(ParseFile(active)["Device"][0], DefaultDevice());
    const Json::Value key = ParseFile(other)["Device"][0]["KeyList"][1];
    EXPECT_EQ(key["Assignment"], 0x700100);
    EXPECT_EQ(key["DefaultAssignment"], 65792);
}

TEST_F(ProfileDocument, WriteFailuresAreReported) {
    profile.LoadProfile(folder.File("p.Json"));
    EXPECT_NE(profile.Save(), 0);  // no profile path yet
    profile.SetProfilePath(folder.File("missing/p.Json"));
    EXPECT_NE(profile.Save(), 0);
    int written = 0;
    profile.LoadProfile(folder.File("missing/q.Json"), &written);
    EXPECT_NE(written, 0);
    EXPECT_NE(profile.WriteDocument(Json::Value(1), folder.File("missing/r.Json")), 0);
    profile.SetDeviceIndex(-1);
    profile.SetProfilePath(folder.File("p.Json"));
    EXPECT_NE(profile.Save(), 0);
}

TEST_F(ProfileDocument, WriteDocumentReplacesTheWholeFile) {
    const std::string path = folder.File("p.Json");
    WriteBytes(path, R"({"Device": [{}], "profilename": "x"})");
    ASSERT_EQ(profile.WriteDocument(Parse(R"({"only": 1})"), path), 0);
    EXPECT_EQ(ParseFile(path), Parse(R"({"only": 1})"));
}

// Non-ASCII file names and equaliser names survive a write and a read.
TEST_F(ProfileDocument, NonAsciiNamesRoundTrip) {
    const std::string path = folder.File("Profil Grüße 配置 😀.Json");
    const std::vector<std::wstring> names = {L"Bässe", L"人声", L"🎧 live"};
    {
        CHs6533Profiledata headset;
        headset.SetDefaultPath(DefaultPath());
        headset.SetProfilePath(path);
        headset.LoadProfile(path);
        headset.SetCustomEqNames(names);
        ASSERT_EQ(headset.Save(), 0);
    }
    CHs6533Profiledata reloaded;
    EXPECT_EQ(reloaded.LoadProfile(path)["VendorExtra"], DefaultDevice()["VendorExtra"]);
    EXPECT_EQ(reloaded.GetCustomEqNames(), names);
}

}  // namespace
