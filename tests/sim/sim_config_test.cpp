// Choosing the simulated devices (list syntax, configuration file, command-line
// options), the world built from them, and its state file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <map>
#include <sstream>

#include <json/json.h>

#include "link/device_commands.h"
#include "link/hid_interface.h"
#include "link/result_codes.h"
#include "sim/sim_config.h"
#include "sim/sim_world.h"
#include "tests/cli/run_program.h"
#include "tests/sim/sim_link.h"

namespace {

using Bytes = std::vector<uint8_t>;
using C = SimDeviceSpec::Connection;

struct Listed {
    SimKind kind;
    C connection;
    bool operator==(const Listed&) const = default;
};

std::vector<Listed> Summary(const std::vector<SimDeviceSpec>& specs) {
    std::vector<Listed> out;
    for (const SimDeviceSpec& s : specs) out.push_back({s.kind, s.connection});
    return out;
}

void PrintTo(const Listed& l, std::ostream* os) {
    *os << SimKindName(l.kind) << "@" << SimConnectionName(l.connection);
}

bool SameOptions(const SimOptions& a, const SimOptions& b) {
    return a.sensorId == b.sensorId && a.keySlots == b.keySlots &&
           a.macroCapacity == b.macroCapacity && a.hostFlag == b.hostFlag &&
           a.battery == b.battery && a.charging == b.charging && a.phoneType == b.phoneType &&
           a.firmwareVersion == b.firmwareVersion && a.profiles == b.profiles;
}

// ---- the --simulate list ----

TEST(SimulateList, AcceptedLists) {
    const struct {
        const char* list;
        std::vector<Listed> expected;
    } cases[] = {
        {"mouse", {{SimKind::Mouse, C::Cable}}},
        {"headset,mousepad", {{SimKind::Headset, C::Cable}, {SimKind::MousePad, C::Cable}}},
        {"mouse@both,keyboard@receiver",
         {{SimKind::Mouse, C::Both}, {SimKind::Keyboard, C::Receiver}}},
        {"keyboard@both,mouse@receiver,mousepad,headset",
         {{SimKind::Keyboard, C::Both},
          {SimKind::Mouse, C::Receiver},
          {SimKind::MousePad, C::Cable},
          {SimKind::Headset, C::Cable}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        std::vector<SimDeviceSpec> specs;
        std::string error;
        ASSERT_TRUE(ParseSimulateList(c.list, specs, error)) << error;
        EXPECT_EQ(Summary(specs), c.expected);
        for (const SimDeviceSpec& s : specs) EXPECT_TRUE(SameOptions(s.options, SimOptions{}));
    }
}

TEST(SimulateList, RefusedListsSayWhy) {
    const struct {
        const char* list;
        const char* message;
    } cases[] = {
        {"", "empty"},
        {"mousepad@receiver", "mousepad has no receiver"},
        {"headset@both", "headset has no receiver"},
        {"mouse,mouse@receiver", "mouse is listed twice"},
        {"mose", "unknown device 'mose'"},
        {"Mouse", "unknown device 'Mouse'"},
        {"mouse@", "unknown connection ''"},
        {"mouse@wifi", "unknown connection 'wifi'"},
        {"mouse,", "unknown device ''"},
        {",mouse", "unknown device ''"},
        {"mouse keyboard", "unknown device 'mouse keyboard'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        std::vector<SimDeviceSpec> specs = DefaultSimSpecs();
        std::string error;
        EXPECT_FALSE(ParseSimulateList(c.list, specs, error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_EQ(specs.size(), 4u);  // left alone
    }
}

// ---- the configuration file ----

TEST(SimConfig, EveryValueIsReadAndUnknownKeysAreIgnored) {
    const char* text = R"({
      "comment": "two devices",
      "devices": [
        { "kind": "mouse", "connection": "both", "radio_reachable": false, "colour": "red",
          "realistic_timing": true,
          "sensor_id": "0x8925", "key_slots": 9, "macro_capacity": 64, "host_flag": "0x02",
          "battery": 17, "charging": 2, "phone_type": 0, "firmware_version": "0x0131",
          "profiles": 2 },
        { "kind": "mousepad", "phone_type": 3, "sensor_id": 4660 }
      ]
    })";
    std::vector<SimDeviceSpec> specs;
    std::string error;
    ASSERT_TRUE(ParseSimConfig(text, specs, error)) << error;
    ASSERT_EQ(Summary(specs),
              (std::vector<Listed>{{SimKind::Mouse, C::Both}, {SimKind::MousePad, C::Cable}}));
    const SimOptions& m = specs[0].options;
    EXPECT_FALSE(specs[0].radioReachable);
    EXPECT_TRUE(specs[0].realisticTiming);
    EXPECT_FALSE(specs[1].realisticTiming);
    EXPECT_EQ(m.sensorId, 0x8925);
    EXPECT_EQ(m.keySlots, 9);
    EXPECT_EQ(m.macroCapacity, 64);
    EXPECT_EQ(m.hostFlag, 2);
    EXPECT_EQ(m.battery, 17);
    EXPECT_EQ(m.charging, 2);
    EXPECT_EQ(m.firmwareVersion, 0x0131);
    EXPECT_EQ(m.profiles, 2);
    EXPECT_TRUE(specs[1].radioReachable);
    EXPECT_EQ(specs[1].options.phoneType, 3);
    EXPECT_EQ(specs[1].options.sensorId, 4660);
    SimOptions expected;  // everything not given keeps its factory value
    expected.phoneType = 3;
    expected.sensorId = 4660;
    EXPECT_TRUE(SameOptions(specs[1].options, expected));
}

TEST(SimConfig, WithoutDevicesTheFourDefaultsAreSimulated) {
    for (const char* text : {"{}", "{ \"other\": [1, 2] }", "// nothing here\n{}"}) {
        SCOPED_TRACE(text);
        std::vector<SimDeviceSpec> specs;
        std::string error;
        ASSERT_TRUE(ParseSimConfig(text, specs, error)) << error;
        EXPECT_EQ(Summary(specs), Summary(DefaultSimSpecs()));
    }
    std::vector<SimDeviceSpec> specs = DefaultSimSpecs();
    std::string error;
    ASSERT_TRUE(ParseSimConfig(R"({"devices": []})", specs, error));
    EXPECT_TRUE(specs.empty());
}

TEST(SimConfig, BadValuesAreRefusedWithTheirPlace) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"", "not valid JSON"},
        {"{\"devices\": [", "not valid JSON"},
        {"{} {}", "not valid JSON"},
        {"{\"devices\": [], \"devices\": []}", "not valid JSON"},  // a key given twice
        {"[]", "must be a JSON object"},
        {"{\"devices\": {}}", "\"devices\" must be an array"},
        {"{\"devices\": [3]}", "devices[0] must be an object"},
        {"{\"devices\": [{}]}", "devices[0].kind"},
        {"{\"devices\": [{\"kind\": \"trackball\"}]}", "devices[0].kind"},
        {"{\"devices\": [{\"kind\": 1}]}", "devices[0].kind"},
        {"{\"devices\": [{\"kind\": \"mouse\", \"connection\": \"radio\"}]}",
         "devices[0].connection"},
        {"{\"devices\": [{\"kind\": \"headset\", \"connection\": \"receiver\"}]}",
         "headset has no receiver"},
        {"{\"devices\": [{\"kind\": \"mouse\"}, {\"kind\": \"mouse\"}]}", "mouse is listed twice"},
        {"{\"devices\": [{\"kind\": \"mouse\", \"radio_reachable\": 1}]}",
         "devices[0].radio_reachable"},
        {"{\"devices\": [{\"kind\": \"mouse\", \"realistic_timing\": \"yes\"}]}",
         "devices[0].realistic_timing"},
        {"{\"devices\": [{\"kind\": \"mouse\"}, {\"kind\": \"keyboard\", \"battery\": 101}]}",
         "devices[1].battery must be an integer from 0 to 100"},
        {"{\"devices\": [{\"kind\": \"mouse\", \"battery\": -1}]}", "devices[0].battery"},
        {"{\"devices\": [{\"kind\": \"mouse\", \"battery\": 5.5}]}", "devices[0].battery"},
        {"{\"devices\": [{\"kind\": \"mouse\", \"battery\": \"50\"}]}", "devices[0].battery"},
        {"{\"devices\": [{\"kind\": \"mouse\", \"battery\": 1e300}]}", "devices[0].battery"},
        {"{\"devices\": [{\"kind\": \"mouse\", \"charging\": 3}]}", "devices[0].charging"},
        {"{\"devices\": [{\"kind\": \"mouse\", \"profiles\": 0}]}", "devices[0].profiles"},
        {"{\"devices\": [{\"kind\": \"mouse\", \"profiles\": 5}]}", "devices[0].profiles"},
        {"{\"devices\": [{\"kind\": \"mouse\", \"key_slots\": 256}]}", "devices[0].key_slots"},
        {"{\"devices\": [{\"kind\": \"mouse\", \"macro_capacity\": 0}]}",
         "devices[0].macro_capacity"},
        {"{\"devices\": [{\"kind\": \"mouse\", \"sensor_id\": 65536}]}", "devices[0].sensor_id"},
        {"{\"devices\": [{\"kind\": \"mouse\", \"sensor_id\": \"0x10000\"}]}",
         "devices[0].sensor_id"},
        {"{\"devices\": [{\"kind\": \"mouse\", \"sensor_id\": \"3104\"}]}", "devices[0].sensor_id"},
        {"{\"devices\": [{\"kind\": \"mouse\", \"sensor_id\": \"0x\"}]}", "devices[0].sensor_id"},
        {"{\"devices\": [{\"kind\": \"mouse\", \"sensor_id\": \"0x31g4\"}]}",
         "devices[0].sensor_id"},
        {"{\"devices\": [{\"kind\": \"mouse\", \"firmware_version\": null}]}",
         "devices[0].firmware_version"},
        {"{\"devices\": [{\"kind\": \"mouse\", \"phone_type\": [1]}]}", "devices[0].phone_type"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<SimDeviceSpec> specs;
        std::string error;
        EXPECT_FALSE(ParseSimConfig(c.text, specs, error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_TRUE(specs.empty());
    }
}

TEST(SimConfig, EveryTruncationOfADocumentIsHandled) {
    const std::string text =
        R"({"devices": [{"kind": "keyboard", "connection": "both", "battery": 40, "sensor_id": "0x3104"},)"
        R"( {"kind": "headset", "radio_reachable": true}]})";
    for (size_t n = 0; n < text.size(); ++n) {
        std::vector<SimDeviceSpec> specs;
        std::string error;
        EXPECT_FALSE(ParseSimConfig(std::string_view(text).substr(0, n), specs, error)) << n;
        EXPECT_FALSE(error.empty());
    }
}

TEST(SimConfig, FileErrorsNameTheFile) {
    TempFolder folder;
    std::vector<SimDeviceSpec> specs;
    std::string error;
    EXPECT_FALSE(LoadSimConfig(folder.File("missing.json"), specs, error));
    EXPECT_NE(error.find(folder.File("missing.json")), std::string::npos) << error;
    WriteWholeFile(folder.File("bad.json"),
                   "{\"devices\": [{\"kind\": \"mouse\", \"battery\": 200}]}");
    EXPECT_FALSE(LoadSimConfig(folder.File("bad.json"), specs, error));
    EXPECT_EQ(error.find(folder.File("bad.json") + ": devices[0].battery"), 0u) << error;
}

// ---- command-line options ----

TEST(SimOptionsOnTheCommandLine, TakenAndRefused) {
    const struct {
        std::vector<std::string> args;
        int result;
        int nextIndex;  // i after the call
    } cases[] = {
        {{"--simulate"}, 1, 0},
        {{"--simulate=mouse@both"}, 1, 0},
        {{"--simulate="}, -1, 0},
        {{"--simulate=pad"}, -1, 0},
        {{"--sim-config", "f.json"}, 1, 1},
        {{"--sim-config=f.json"}, 1, 0},
        {{"--sim-config"}, -1, 0},
        {{"--sim-config="}, -1, 0},
        {{"--simulation"}, 0, 0},
        {{"list"}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0]);
        std::vector<char*> argv;
        for (const std::string& a : c.args) argv.push_back(const_cast<char*>(a.c_str()));
        int i = 0;
        SimSelection selection;
        std::string error;
        EXPECT_EQ(TakeSimOption(static_cast<int>(argv.size()), argv.data(), i, selection, error),
                  c.result);
        EXPECT_EQ(i, c.nextIndex);
        EXPECT_EQ(c.result < 0, !error.empty()) << error;
        if (c.result >= 0) {
            EXPECT_EQ(selection.Active(), c.result > 0);
        }
    }
}

TEST(SimOptionsOnTheCommandLine, ListTakesTheConfigurationValuesOfItsDevices) {
    TempFolder folder;
    WriteWholeFile(folder.File("c.json"), R"({"devices": [
        {"kind": "mouse", "connection": "cable", "battery": 40, "radio_reachable": false},
        {"kind": "keyboard", "battery": 30}]})");
    SimSelection selection;
    selection.configPath = folder.File("c.json");
    std::vector<SimDeviceSpec> specs;
    std::string error;
    ASSERT_TRUE(ResolveSimSpecs(selection, specs, error)) << error;  // the file's devices
    EXPECT_EQ(Summary(specs),
              (std::vector<Listed>{{SimKind::Mouse, C::Cable}, {SimKind::Keyboard, C::Cable}}));

    selection.simulate = selection.listGiven = true;
    selection.list = "headset,mouse@both";
    ASSERT_TRUE(ResolveSimSpecs(selection, specs, error)) << error;
    ASSERT_EQ(Summary(specs),
              (std::vector<Listed>{{SimKind::Headset, C::Cable}, {SimKind::Mouse, C::Both}}));
    EXPECT_TRUE(SameOptions(specs[0].options, SimOptions{}));
    EXPECT_EQ(specs[1].options.battery, 40);
    EXPECT_FALSE(specs[1].radioReachable);

    selection.configPath = folder.File("none.json");
    EXPECT_FALSE(ResolveSimSpecs(selection, specs, error));
    EXPECT_NE(error.find("none.json"), std::string::npos);
}

// ---- the world ----

// The configured values reach the devices: the host reads them back, and a
// mouse out of radio range is refused by its receiver.
TEST(SimWorldTest, ConfiguredDevicesAnswerWithTheirValues) {
    std::vector<SimDeviceSpec> specs;
    std::string error;
    ASSERT_TRUE(ParseSimConfig(R"({"devices": [
        {"kind": "mouse", "connection": "both", "radio_reachable": false, "sensor_id": "0x8925",
         "key_slots": 7, "host_flag": 1, "battery": 33, "charging": 1},
        {"kind": "keyboard", "connection": "receiver", "macro_capacity": 10}]})",
                               specs, error))
        << error;
    SimWorld world(specs);
    ASSERT_TRUE(world.PlugAll());
    EXPECT_EQ(world.Device(SimKind::Headset), nullptr);
    ASSERT_NE(world.Receiver(SimKind::Mouse), nullptr);
    ASSERT_NE(world.Receiver(SimKind::Keyboard), nullptr);
    EXPECT_TRUE(world.Device(SimKind::Mouse)->Cable().Plugged());
    EXPECT_FALSE(world.Device(SimKind::Keyboard)->Cable().Plugged());

    DeviceLink cable;
    cable.SetTimeouts(FastTimeouts());
    ASSERT_TRUE(
        OpenLinkOn(cable, SimKind::Mouse, world.Device(SimKind::Mouse)->Cable(), kConnectionCable));
    uint8_t info[kInfoBlockSize] = {};
    ASSERT_EQ(ReadInfoBlock(cable, info), kResultOk);
    EXPECT_EQ(info[kSimInfoSensorId] | info[kSimInfoSensorId + 1] << 8, 0x8925);
    EXPECT_EQ(info[kInfoKeySlotsByte], 7);
    EXPECT_EQ(info[kInfoHostFlagByte], 1);
    uint8_t status[2] = {};
    ASSERT_EQ(ReadStatus(cable, status, 2, 0), kResultOk);
    EXPECT_EQ(status[0], 33);
    EXPECT_EQ(status[1], 1);

    DeviceLink radio;
    radio.SetTimeouts(FastTimeouts());
    ASSERT_TRUE(OpenLinkOn(radio, SimKind::Mouse, world.Receiver(SimKind::Mouse)->Connection(),
                           kConnectionReceiver));
    EXPECT_FALSE(QueryWireless(radio));
    EXPECT_EQ(ReadInfoBlock(radio, info), kResultReceiverRefused);

    DeviceLink keyboard;
    keyboard.SetTimeouts(FastTimeouts());
    ASSERT_TRUE(OpenLinkOn(keyboard, SimKind::Keyboard,
                           world.Receiver(SimKind::Keyboard)->Connection(), kConnectionReceiver));
    EXPECT_TRUE(QueryWireless(keyboard));
    ASSERT_EQ(ReadInfoBlock(keyboard, info), kResultOk);
    EXPECT_EQ(info[kSimInfoMacroCapacity], 10);

    world.UnplugAll();
    EXPECT_TRUE(FindInterfacePath(0x320F, 0x226E, 1, 2).empty());
    EXPECT_TRUE(FindInterfacePath(0x320F, 0x226F, 1, 2).empty());
}

// A memory that differs from the factory's in every area.
SimMemory Scribbled(const SimMemory& factory, int seed) {
    SimMemory m = factory;
    auto fill = [&](uint8_t* p, size_t n, int salt) {
        for (size_t i = 0; i < n; ++i)
            p[i] = static_cast<uint8_t>(i * 7 + static_cast<size_t>(seed * 13 + salt));
    };
    fill(m.info.data(), m.info.size(), 1);
    fill(m.status.data(), m.status.size(), 2);
    fill(m.settings.data(), m.settings.size(), 3);
    fill(m.keyTable.data(), m.keyTable.size(), 4);
    fill(m.ledMap.data(), m.ledMap.size(), 5);
    fill(m.lightTables.data(), m.lightTables.size(), 6);
    m.macroData.assign(3 * 128, 0);  // a capacity other than the factory's
    fill(m.macroData.data(), m.macroData.size(), 7);
    fill(m.shootData.data(), m.shootData.size(), 8);
    m.firmwareVersion = static_cast<uint16_t>(0x0200 + seed);
    m.profiles = 2;
    return m;
}

void ExpectSameMemory(const SimMemory& a, const SimMemory& b) {
    EXPECT_EQ(a.info, b.info);
    EXPECT_EQ(a.status, b.status);
    EXPECT_EQ(a.settings, b.settings);
    EXPECT_EQ(a.keyTable, b.keyTable);
    EXPECT_EQ(a.ledMap, b.ledMap);
    EXPECT_EQ(a.lightTables, b.lightTables);
    EXPECT_EQ(a.macroData, b.macroData);
    EXPECT_EQ(a.shootData, b.shootData);
    EXPECT_EQ(a.firmwareVersion, b.firmwareVersion);
    EXPECT_EQ(a.profiles, b.profiles);
}

std::vector<SimDeviceSpec> AllFourMouseBoth() {
    std::vector<SimDeviceSpec> specs;
    std::string error;
    EXPECT_TRUE(ParseSimulateList("mouse@both,keyboard,mousepad,headset", specs, error));
    return specs;
}

TEST(SimWorldState, EveryDeviceMemorySurvivesIntoAnotherWorld) {
    TempFolder folder;
    const std::string path = folder.File("state.json");
    std::map<SimKind, SimMemory> saved;
    std::string error;
    {
        SimWorld first(AllFourMouseBoth());
        ASSERT_TRUE(first.PlugAll());
        int seed = 0;
        for (const SimDeviceSpec& setup : first.Specs()) {
            SimFirmware& fw = first.Device(setup.kind)->Firmware();
            fw.SetMemory(Scribbled(fw.Memory(), ++seed));
        }
        // A host's write through the receiver is part of what is kept.
        DeviceLink link;
        link.SetTimeouts(FastTimeouts());
        ASSERT_TRUE(OpenLinkOn(link, SimKind::Mouse, first.Receiver(SimKind::Mouse)->Connection(),
                               kConnectionReceiver));
        const Bytes block = {9, 8, 7, 6, 5, 4, 3, 2, 1};
        ASSERT_EQ(WriteSettings(link, block.data(), block.size(), 130), kResultOk);
        for (const SimDeviceSpec& setup : first.Specs())
            saved[setup.kind] = first.Device(setup.kind)->Firmware().Memory();
        EXPECT_TRUE(
            std::equal(block.begin(), block.end(), saved[SimKind::Mouse].settings.begin() + 130));
        ASSERT_TRUE(first.SaveState(path, error)) << error;
    }
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"state.json"});  // no temporary file left

    SimWorld second(AllFourMouseBoth());
    ASSERT_TRUE(second.LoadState(path, error)) << error;
    ASSERT_TRUE(second.PlugAll());
    for (const auto& [kind, memory] : saved) {
        SCOPED_TRACE(SimKindName(kind));
        ExpectSameMemory(second.Device(kind)->Firmware().Memory(), memory);
    }
    // The devices answer from the loaded memory, and present its firmware version.
    DeviceLink link;
    link.SetTimeouts(FastTimeouts());
    ASSERT_TRUE(OpenLinkOn(link, SimKind::Mouse, second.Receiver(SimKind::Mouse)->Connection(),
                           kConnectionReceiver));
    Bytes back(9);
    ASSERT_EQ(ReadSettings(link, back.data(), back.size(), 130), kResultOk);
    EXPECT_EQ(back, (Bytes{9, 8, 7, 6, 5, 4, 3, 2, 1}));
    HidInterface cable;
    ASSERT_TRUE(
        cable.Open(second.Device(SimKind::Mouse)->Cable().CommandPath(), true, false, true, false));
    EXPECT_EQ(cable.VersionNumber(), saved[SimKind::Mouse].firmwareVersion);

    // Saving again replaces the file whole; a world of other kinds takes only its own.
    ASSERT_TRUE(second.SaveState(path, error)) << error;
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"state.json"});
    SimDeviceSpec padOnly;
    padOnly.kind = SimKind::MousePad;
    SimWorld third({padOnly});
    ASSERT_TRUE(third.LoadState(path, error)) << error;
    ExpectSameMemory(third.Device(SimKind::MousePad)->Firmware().Memory(),
                     saved[SimKind::MousePad]);
}

TEST(SimWorldState, ABadDocumentChangesNothing) {
    SimWorld source(AllFourMouseBoth());
    Json::Value good;
    {
        std::istringstream in(source.StateText());
        ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &good, nullptr));
    }
    // The mouse comes first and is valid; each case spoils something after it.
    const SimMemory changedMouse = Scribbled(source.Device(SimKind::Mouse)->Firmware().Memory(), 5);
    source.Device(SimKind::Mouse)->Firmware().SetMemory(changedMouse);
    {
        std::istringstream in(source.StateText());
        Json::Value withMouse;
        ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &withMouse, nullptr));
        good["devices"]["mouse"] = withMouse["devices"]["mouse"];
    }
    const struct {
        const char* name;
        std::function<void(Json::Value&)> spoil;
        const char* message;
    } cases[] = {
        {"other format", [](Json::Value& d) { d["format"] = "profile"; },
         "not a simulated-device state"},
        {"newer version", [](Json::Value& d) { d["version"] = 2; }, "unsupported state version"},
        {"devices not an object", [](Json::Value& d) { d["devices"] = 1; },
         "\"devices\" must be an object"},
        {"device not an object", [](Json::Value& d) { d["devices"]["keyboard"] = "x"; },
         "devices.keyboard must be"},
        {"short info", [](Json::Value& d) { d["devices"]["keyboard"]["info"] = "aa55"; },
         "devices.keyboard.info must hold 34 bytes, not 2"},
        {"odd digits", [](Json::Value& d) { d["devices"]["keyboard"]["status"] = "123"; },
         "devices.keyboard.status must be a string of hex"},
        {"not hex", [](Json::Value& d) { d["devices"]["headset"]["status"] = "zz0000000000"; },
         "devices.headset.status must be a string of hex"},
        {"missing area", [](Json::Value& d) { d["devices"]["mousepad"].removeMember("led_map"); },
         "devices.mousepad.led_map"},
        {"long settings",
         [](Json::Value& d) { d["devices"]["keyboard"]["settings"] = std::string(258 * 2, '0'); },
         "devices.keyboard.settings must hold 256 bytes"},
        {"huge macro",
         [](Json::Value& d) {
             d["devices"]["keyboard"]["macro_data"] = std::string(40000 * 2, '0');
         },
         "devices.keyboard.macro_data holds more than"},
        {"profiles", [](Json::Value& d) { d["devices"]["keyboard"]["profiles"] = 0; },
         "devices.keyboard.profiles"},
        {"version text",
         [](Json::Value& d) { d["devices"]["keyboard"]["firmware_version"] = "1.2"; },
         "devices.keyboard.firmware_version"},
    };
    SimWorld target(AllFourMouseBoth());
    const SimMemory before = target.Device(SimKind::Mouse)->Firmware().Memory();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Json::Value doc = good;
        c.spoil(doc);
        std::string error;
        EXPECT_FALSE(
            target.LoadStateText(Json::writeString(Json::StreamWriterBuilder(), doc), error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        ExpectSameMemory(target.Device(SimKind::Mouse)->Firmware().Memory(), before);
    }
    for (const char* text : {"", "{", "[1]", "{\"format\": \"r730-sim-state\"} x"}) {
        std::string error;
        EXPECT_FALSE(target.LoadStateText(text, error)) << text;
        EXPECT_FALSE(error.empty());
    }
    std::string error;  // the unspoilt document loads, mouse included
    ASSERT_TRUE(target.LoadStateText(Json::writeString(Json::StreamWriterBuilder(), good), error))
        << error;
    ExpectSameMemory(target.Device(SimKind::Mouse)->Firmware().Memory(), changedMouse);
}

TEST(SimWorldState, FileErrorsAreReported) {
    TempFolder folder;
    SimWorld world(DefaultSimSpecs());
    std::string error;
    EXPECT_FALSE(world.LoadState(folder.File("absent.json"), error));
    EXPECT_NE(error.find("absent.json"), std::string::npos) << error;
    EXPECT_FALSE(world.SaveState(folder.File("no/such/folder/state.json"), error));
    EXPECT_NE(error.find("no/such/folder/state.json"), std::string::npos) << error;
    // The rename over the old file fails (a folder is in the way): no temporary file is left.
    ASSERT_EQ(mkdir(folder.File("state.json").c_str(), 0700), 0);
    WriteWholeFile(folder.File("state.json/keep"), "x");
    EXPECT_FALSE(world.SaveState(folder.File("state.json"), error));
    EXPECT_NE(error.find("cannot rename"), std::string::npos) << error;
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"state.json"});
}

// ---- the uhid bridge ----

TEST(UhidBridge, RefusesBadOptionsAndExplainsAMissingUhid) {
    ProgramRun run = RunProgram(R730_UHID_BRIDGE, {"--simulate=mousepad@both"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("mousepad has no receiver"), std::string::npos) << run.err;
    run = RunProgram(R730_UHID_BRIDGE, {"--frobnicate"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("unknown argument '--frobnicate'"), std::string::npos) << run.err;

    struct stat st {};
    if (stat("/dev/uhid", &st) == 0)
        GTEST_SKIP() << "this kernel has /dev/uhid; the bridge would run";
    run = RunProgram(R730_UHID_BRIDGE, {"--simulate=mouse@both"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("cannot open /dev/uhid"), std::string::npos) << run.err;
}

}  // namespace
