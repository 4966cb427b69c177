// r730ctl: the list command, the global options and the raw command, against
// the simulated devices (in this process and through the program).
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include <json/json.h>

#include "cli/list_command.h"
#include "sim/sim_world.h"
#include "tests/cli/capture_output.h"
#include "tests/cli/device_rows.h"
#include "tests/cli/run_program.h"

namespace {

// The JSON array r730ctl prints, as rows; fails the test when it is not one.
std::vector<DeviceRow> ParseList(const std::string& text) {
    Json::Value root;
    std::istringstream in(text);
    std::string errors;
    EXPECT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &root, &errors))
        << errors << text;
    EXPECT_TRUE(root.isArray()) << text;
    std::vector<DeviceRow> rows;
    for (const Json::Value& d : root) {
        EXPECT_EQ(d.size(), 4u) << d;
        EXPECT_TRUE(d["vendor_id"].isInt() && d["product_id"].isInt()) << d;
        rows.push_back({d["kind"].asString(), d["connection"].asString(), d["vendor_id"].asInt(),
                        d["product_id"].asInt()});
    }
    return rows;
}

// ---- the list command in this process ----

Captured RunList(bool json) {
    return CaptureOutput(
        [&](std::FILE* out, std::FILE* err) { return RunListCommand(out, err, json); });
}

std::vector<SimDeviceSpec> Specs(const char* list) {
    std::vector<SimDeviceSpec> specs;
    std::string error;
    EXPECT_TRUE(ParseSimulateList(list, specs, error)) << error;
    return specs;
}

TEST(ListCommand, JsonNamesEachSimulatedDeviceOnce) {
    const struct {
        const char* list;
        std::vector<DeviceRow> expected;
    } cases[] = {
        {"mouse,keyboard,mousepad,headset", kAllFourByCable},
        {"headset,mousepad,keyboard,mouse", kAllFourByCable},
        {"mouse@both", {{"mouse", "both", 0x320F, 0x226E}}},
        {"mouse@receiver,keyboard@both",
         {{"mouse", "receiver", 0x320F, 0x226F}, {"keyboard", "both", 0x320F, 0x0000}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        SimWorld world(Specs(c.list));
        ASSERT_TRUE(world.PlugAll());
        const Captured run = RunList(true);
        EXPECT_EQ(run.code, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(ParseList(run.out), c.expected);
    }
    const Captured none = RunList(true);  // every world is gone again
    EXPECT_EQ(ParseList(none.out), std::vector<DeviceRow>{});
}

TEST(ListCommand, HumanOutputNamesDevicesThenInterfaces) {
    const Captured none = RunList(false);
    EXPECT_EQ(none.code, 0);
    EXPECT_NE(none.out.find("no supported devices found"), std::string::npos) << none.out;

    SimWorld world(Specs("mouse@both,headset"));
    ASSERT_TRUE(world.PlugAll());
    const Captured run = RunList(false);
    EXPECT_EQ(run.code, 0);
    const size_t mouse = run.out.find("mouse      cable and receiver  320f:226e\n");
    const size_t headset = run.out.find("headset    cable               0c76:1630\n");
    const size_t interfaces = run.out.find("HID interfaces:");
    ASSERT_NE(mouse, std::string::npos) << run.out;
    ASSERT_NE(headset, std::string::npos) << run.out;
    ASSERT_NE(interfaces, std::string::npos) << run.out;
    EXPECT_LT(headset, interfaces);
    EXPECT_NE(run.out.find("320f:226f  mi 1  col 2  page ff1c usage 0092  in 64 out 64  virtual:"),
              std::string::npos)
        << run.out;
}

// ---- the program ----

ProgramRun Ctl(const std::vector<std::string>& args) {
    return RunProgram(R730CTL, args);
}

TEST(R730ctl, SimulatedDevicesAreListed) {
    ProgramRun run = Ctl({"--simulate", "list", "--json"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ParseList(run.out), kAllFourByCable);

    run = Ctl({"--simulate=mouse@both", "list", "--json"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ParseList(run.out), (std::vector<DeviceRow>{{"mouse", "both", 0x320F, 0x226E}}));

    TempFolder folder;
    WriteWholeFile(
        folder.File("c.json"),
        R"({"devices": [{"kind": "keyboard", "connection": "both"}, {"kind": "headset"}]})");
    run = Ctl({"--sim-config", folder.File("c.json"), "list", "--json"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ParseList(run.out), (std::vector<DeviceRow>{{"keyboard", "both", 0x320F, 0},
                                                         {"headset", "cable", 0x0C76, 0x1630}}));
    run = Ctl({"list", "--json"});  // without --simulate no device is made up
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ParseList(run.out), std::vector<DeviceRow>{});
}

TEST(R730ctl, WrongUseIsRefusedWithAMessage) {
    TempFolder folder;
    WriteWholeFile(folder.File("bad.json"),
                   R"({"devices": [{"kind": "mousepad", "phone_type": 9}]})");
    const struct {
        std::vector<std::string> args;
        int code;
        std::string message;
    } cases[] = {
        {{}, 2, "Usage: r730ctl"},
        {{"--simulate"}, 2, "Usage: r730ctl"},
        {{"--simulate=mousepad@receiver", "list"}, 2, "mousepad has no receiver"},
        {{"--simulate=", "list"}, 2, "--simulate: empty device list"},
        {{"--sim-state", folder.File("s.json"), "list"},
         2,
         "--sim-state needs --simulate or --sim-config"},
        {{"--simulate", "--sim-state"}, 2, "--sim-state needs a file name"},
        {{"--sim-config"}, 2, "--sim-config needs a file name"},
        {{"--bogus", "list"}, 2, "unknown option '--bogus'"},
        {{"--simulate", "list", "--xml"}, 2, "unknown argument '--xml'"},
        {{"--simulate", "frobnicate"}, 2, "unknown command 'frobnicate'"},
        {{"--simulate", "interfaces", "--all"}, 2, "interfaces: unknown argument '--all'"},
        {{"--simulate", "monitor", "--for"}, 2, "--for needs a number of seconds"},
        {{"--simulate", "monitor", "--for", "0"}, 2, "above 0, not '0'"},
        {{"--simulate", "monitor", "--for=2s"}, 2, "above 0, not '2s'"},
        {{"--simulate", "monitor", "--json"}, 2, "monitor: unknown argument '--json'"},
        {{"--sim-config", folder.File("none.json"), "list"},
         1,
         "cannot open " + folder.File("none.json")},
        {{"--sim-config", folder.File("bad.json"), "list"}, 1, "devices[0].phone_type"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const ProgramRun run = Ctl(c.args);
        EXPECT_EQ(run.exitCode, c.code);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    const ProgramRun help = Ctl({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* documented : {"--sim-state FILE", "list [--json]", "interfaces [--json]",
                                   "monitor [--for SECONDS]", "raw [KIND] AREA"})
        EXPECT_NE(help.out.find(documented), std::string::npos) << documented;
}

// Edits one device's entry of a state file.
void EditState(const std::string& path, const std::function<void(Json::Value&)>& edit) {
    Json::Value root;
    std::istringstream in(ReadWholeFile(path));
    ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &root, nullptr));
    edit(root["devices"]);
    WriteWholeFile(path, Json::writeString(Json::StreamWriterBuilder(), root));
}

TEST(R730ctl, StateFileCarriesTheDevicesFromRunToRun) {
    TempFolder folder;
    const std::string state = folder.File("state.json");
    ProgramRun run = Ctl({"--simulate=mouse@both,headset", "--sim-state", state, "list"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::string settings;
    EditState(state, [&](Json::Value& devices) {
        ASSERT_TRUE(devices.isMember("mouse") && devices.isMember("headset"));
        settings = devices["mouse"]["settings"].asString();
        ASSERT_GT(settings.size(), 20u);
        settings.replace(10, 6, "c0ffee");  // as a host's write would have changed it
        devices["mouse"]["settings"] = settings;
    });

    // The next run loads what the file holds and saves it back (a run that
    // skipped the load would have saved the factory memory over it).
    run = Ctl({"--simulate=mouse@both,headset", "--sim-state=" + state, "list", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EditState(state, [&](Json::Value& devices) {
        EXPECT_EQ(devices["mouse"]["settings"].asString(), settings);
    });
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"state.json"});

    // A spoilt state file stops the run and is left as it was.
    WriteWholeFile(state,
                   "{\"format\": \"r730-sim-state\", \"version\": 1, \"devices\": {\"mouse\": 5}}");
    run = Ctl({"--simulate=mouse", "--sim-state", state, "list"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(state + ": devices.mouse must be an object"), std::string::npos)
        << run.err;
    EXPECT_EQ(ReadWholeFile(state),
              "{\"format\": \"r730-sim-state\", \"version\": 1, \"devices\": {\"mouse\": 5}}");

    // A state that cannot be saved makes the run fail after the command ran.
    run =
        Ctl({"--simulate=mouse", "--sim-state", folder.File("no/folder/s.json"), "list", "--json"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(ParseList(run.out), (std::vector<DeviceRow>{{"mouse", "cable", 0x320F, 0x226E}}));
    EXPECT_NE(run.err.find("cannot save"), std::string::npos) << run.err;
}

}  // namespace

namespace {

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(R730ctlRaw, ReadsMemoryThroughTheCommandFrames) {
    // Through the receiver the information block comes in chunks of 24 and 10 bytes.
    ProgramRun run = Ctl({"--simulate=mouse@receiver", "--trace", "raw", "info"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("mouse receiver, info, 34 bytes"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("0000  aa 55 00 00 00 0b"), std::string::npos) << run.out;
    EXPECT_EQ(Count(run.err, "命令"), 2u);
    EXPECT_EQ(Count(run.err, "返回"), 2u);
    EXPECT_NE(run.err.find("03   18 00 00 00"), std::string::npos);  // 24 bytes at offset 0
    EXPECT_NE(run.err.find("03   0a 18 00 00"), std::string::npos);  // 10 bytes at offset 24

    run = Ctl({"--simulate=mouse,keyboard", "raw", "keyboard", "ledmap", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    Json::Value v;
    ASSERT_TRUE(Json::Reader().parse(run.out, v)) << run.out;
    EXPECT_EQ(v["kind"].asString(), "keyboard");
    EXPECT_EQ(v["connection"].asString(), "cable");
    EXPECT_GT(v["length"].asUInt(), 100u);
    EXPECT_EQ(v["hex"].asString().size(), 2 * v["length"].asUInt());

    run = Ctl({"--simulate=mousepad", "raw", "settings", "0", "45", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_TRUE(Json::Reader().parse(run.out, v)) << run.out;
    EXPECT_EQ(v["length"].asUInt(), 45u);
}

TEST(R730ctlRaw, FailuresAndWrongUse) {
    TempFolder slots;
    WriteWholeFile(slots.File("c.json"), R"({"devices": [{"kind": "keyboard", "key_slots": 171}]})");
    const struct {
        std::vector<std::string> args;
        int code;
        std::string message;
    } cases[] = {
        {{"--simulate=headset", "raw", "info"}, 1, "the device refused (0xFF)"},
        {{"--simulate=mouse", "raw", "keyboard", "info"}, 1, "no keyboard found"},
        {{"--simulate=mouse", "raw", "settings", "0"}, 2, "give OFFSET and LENGTH"},
        {{"--simulate=mouse", "raw", "eeprom"}, 2, "unknown area 'eeprom'"},
        {{"--simulate=mouse", "raw"}, 2, "say what to read"},
        {{"--simulate=mouse", "raw", "settings", "600", "8"}, 1, "the device refused (0xFF)"},
        {{"--sim-config", slots.File("c.json"), "raw", "keytable"}, 1, "longer than 512 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const ProgramRun run = Ctl(c.args);
        EXPECT_EQ(run.exitCode, c.code);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

}  // namespace
