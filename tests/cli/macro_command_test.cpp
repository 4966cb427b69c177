// r730ctl mouse|keyboard macro against the files of a user's data folder, and
// the simulated mouse receiving the macros its keys use.
#include <gtest/gtest.h>

#include <filesystem>

#include "sim/sim_blocks.h"
#include "tests/cli/mouse_program.h"

namespace {

constexpr char kKeyboardFolder[] = "/R730-VXT-1K Gaming Mouse/keyboard";

std::string EventJson(int type, int button, const char* action, int delay) {
    return "{\"Type\": " + std::to_string(type) + ", \"Button\": " + std::to_string(button) +
           ", \"Action\": \"" + action + "\", \"Delay\": \"" + std::to_string(delay) + "\"}";
}

// A ".mac" text of n events (event e: key 4 + e, delay 10 × e).
std::string MacText(int n) {
    std::string events;
    for (int e = 0; e < n; ++e) events += (e ? ", " : "") + EventJson(10, 4 + e, e % 2 ? "up" : "down", 10 * e);
    return "{\"Events\": [" + events + "]}";
}

class MacroCommand : public testing::Test {
protected:
    ProgramRun Macro(const std::vector<std::string>& args) const {
        std::vector<std::string> all = {"macro"};
        all.insert(all.end(), args.begin(), args.end());
        return mouse_.Run(all);
    }
    ProgramRun Keyboard(const std::vector<std::string>& args) const {
        std::vector<std::string> all = {"XDG_DATA_HOME=" + mouse_.Home(), R730CTL, "keyboard", "macro"};
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram("env", all);
    }
    std::string File(const std::string& name, const std::string& text) const {
        const std::string path = files_.File(name);
        WriteWholeFile(path, text);
        return path;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        const ProgramRun run = Macro({"list", "--json"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        const Json::Value v = ParseJson(run.out);
        for (const Json::Value& m : v["macros"]) names.push_back(m["name"].asString());
        return names;
    }
    // No mouse: the library commands need none.
    MouseProgram mouse_{"--simulate=mousepad"};
    TempFolder files_;
};

TEST_F(MacroCommand, NamesRenamesAndImportsFollowTheLibraryRules) {
    for (int i = 0; i < 3; ++i) ASSERT_EQ(Macro({"new"}).exitCode, 0);
    ASSERT_EQ(Macro({"rename", "1", "Fire"}).exitCode, 0);
    EXPECT_EQ(Macro({"new"}).out, "3\tmacro_2\n");  // the lowest free number, case ignored

    const struct {
        std::vector<std::string> args;
        int code;
        const char* message;
    } refusals[] = {
        {{"rename", "0", "   "}, 1, "mouse macro rename: the name is blank"},
        {{"rename", "0", "FIRE"}, 1, "a macro named 'FIRE' is in the library already (message_text_5)"},
        {{"rename", "0", "macro_1"}, 1, "is in the library already"},  // its own name too
        {{"rename", "4", "x"}, 2, "INDEX must be a macro of the library, 0 to 3, not '4'"},
        {{"rename", "-1", "x"}, 2, "not '-1'"},
        {{"rename", "0"}, 2, "usage: mouse macro rename INDEX NAME"},
        {{"show", "x"}, 2, "not 'x'"},
        {{"list", "--yes"}, 2, "--yes belongs to delete only"},
        {{"jump"}, 2, "unknown subcommand 'jump'"},
    };
    for (const auto& c : refusals) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const ProgramRun run = Macro(c.args);
        EXPECT_EQ(run.exitCode, c.code);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }

    const std::string fire = File("fire.mac", MacText(2));
    const std::string renamed = files_.File("Fire.mac");
    std::filesystem::rename(fire, renamed);
    EXPECT_EQ(Macro({"import", renamed}).out, "4\tFire(2)\n");
    EXPECT_EQ(Macro({"import", renamed}).out, "5\tFire(2)(3)\n");
    EXPECT_EQ(Names(), (std::vector<std::string>{"macro_1", "Fire", "macro_3", "macro_2", "Fire(2)", "Fire(2)(3)"}));
    const std::string out = files_.File("out.mac");
    ASSERT_EQ(Macro({"export", "5", out}).exitCode, 0);
    EXPECT_EQ(ReadWholeFile(out), ReadWholeFile(renamed));  // byte for byte both ways
    EXPECT_EQ(Macro({"export", "0", out}).exitCode, 1);     // never saved: no file
}

TEST_F(MacroCommand, BadMacroFilesAreRefusedWithTheirReason) {
    ASSERT_EQ(Macro({"new"}).exitCode, 0);
    const struct {
        const char* text;
        const char* reason;
    } cases[] = {
        {"{ not json", "not a JSON document"},
        {R"({"Name": "x"})", "it has no \"Events\" array"},
        {R"({"Events": [{"Button": 4, "Action": "down", "Delay": "1"}]})", "event 0: \"Type\" must be 1-5, 9 or 10"},
        {R"({"Events": [{"Button": 4, "Action": "down", "Type": 10, "Delay": "99999"}]})", "\"Delay\" must be"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string path = File("bad.mac", c.text);
        ProgramRun run = Macro({"import", path});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("; nothing imported"), std::string::npos) << run.err;
        run = Macro({"save", "0", path});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("; nothing saved"), std::string::npos) << run.err;
    }
    ProgramRun run = Macro({"import", File("long.mac", MacText(65))});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("65 events, more than 64; nothing imported"), std::string::npos) << run.err;
    run = Macro({"save", "0", File("long.mac", MacText(59))});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("59 events, 1 more than the 58 a macro holds (message_text_26)"), std::string::npos)
        << run.err;
    EXPECT_EQ(Names(), (std::vector<std::string>{"macro_1"}));

    // A hand-edited library that points outside its folder reads nothing there.
    const std::string folder = mouse_.Home() + kProfileFolder;
    WriteWholeFile(folder + "/../outside.mac", MacText(3));
    WriteWholeFile(folder + "/macro.config", R"({"MacroInfo": [{"MacroName": "x", "Guid": "../outside"}]})");
    run = Macro({"show", "0", "--json"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.err.find("1 macro id(s)"), std::string::npos) << run.err;
    EXPECT_EQ(ParseJson(run.out)["events"].size(), 0u);
}

TEST_F(MacroCommand, SavedEventsShowAsTheDeviceGetsThem) {
    ASSERT_EQ(Macro({"new"}).exitCode, 0);
    const std::string mac = File("two.mac", R"({"Events": [)" + EventJson(10, 4, "down", 300) + ", " +
                                                R"({"Type": 1, "Button": 2, "Action": "up", "Delay": 0}]})");
    ProgramRun run = Macro({"save", "0", mac});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "0\tmacro_1\t2 events\n");
    run = Macro({"show", "0"});
    EXPECT_EQ(run.out,
              "0\tmacro_1\t2 events\n"
              "  0  key       down  0x04    300 ms  2C 01 8A 04\n"
              "  1  button    up    0x02      0 ms  00 00 01 02\n");
    const Json::Value v = ParseJson(Macro({"show", "0", "--json"}).out);
    EXPECT_EQ(v["events"][0]["bytes"].asString(), "2C 01 8A 04");

    // The keyboard has a library of its own, in its own folder.
    EXPECT_EQ(Keyboard({"new"}).out, "0\tmacro_1\n");
    EXPECT_TRUE(std::filesystem::exists(mouse_.Home() + kKeyboardFolder + "/macro.config"));
    EXPECT_EQ(Keyboard({"list"}).out, "0\tmacro_1\t0 events\n");
    run = Keyboard({"send"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("there is no keyboard device yet"), std::string::npos) << run.err;
}

// ---- with the simulated mouse ----

std::vector<std::vector<SimEvent>> MouseMacros(const MouseProgram& mouse) {
    const std::vector<uint8_t> area = mouse.DeviceArea("macro_data");
    const SimDecodedBlock block = DecodeEventBlock(area.data(), area.size(), -1);
    EXPECT_TRUE(block.valid) << block.error;
    return block.records;
}

TEST(MacroOnMouse, AssignedMacrosReachTheMouseWithTheKeyTable) {
    const MouseProgram mouse;
    TempFolder files;
    auto run = [&](const std::vector<std::string>& args) {
        const ProgramRun r = mouse.Run(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r;
    };
    for (int n : {3, 5}) {
        run({"macro", "new"});
        WriteWholeFile(files.File("m.mac"), MacText(n));
        run({"macro", "save", n == 3 ? "0" : "1", files.File("m.mac")});
    }
    run({"assign", "3", "macro", "1"});
    std::vector<std::vector<SimEvent>> macros = MouseMacros(mouse);
    ASSERT_EQ(macros.size(), 1u);
    ASSERT_EQ(macros[0].size(), 5u);
    EXPECT_EQ(macros[0][4], (SimEvent{40, 0x8A, 8}));

    run({"assign", "4", "macro", "0", "repeat", "2"});
    macros = MouseMacros(mouse);
    ASSERT_EQ(macros.size(), 2u);  // slot order: macro 1, then macro 0
    EXPECT_EQ(macros[0].size(), 5u);
    EXPECT_EQ(macros[1].size(), 3u);
    const std::vector<uint8_t> table = mouse.DeviceArea("key_table");
    EXPECT_EQ(std::vector<uint8_t>(table.begin() + 9, table.begin() + 15),
              (std::vector<uint8_t>{0x70, 0, 0, 0x71, 1, 2}));

    // Deleting macro 1: asked first, then key 3 gets its default, key 4 follows
    // its macro to index 0, and the mouse gets the new key data.
    ProgramRun refused = mouse.Run({"macro", "delete", "1"});
    EXPECT_EQ(refused.exitCode, 3);
    EXPECT_NE(refused.err.find("a key of the current profile uses macro 1 'macro_2' (message_text_2)"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(mouse.DeviceArea("key_table"), table);
    const Json::Value v = ParseJson(run({"macro", "delete", "1", "--yes", "--json"}).out);
    EXPECT_TRUE(v["current_changed"].asBool()) << v;
    EXPECT_EQ(v["key_data"]["r"].asInt(), 0);
    EXPECT_EQ(mouse.Profile()["KeyList"][3]["Assignment"].asUInt(), 0x101000u);
    EXPECT_EQ(mouse.Profile()["KeyList"][4]["Assignment"].asUInt(), 0x710002u);
    macros = MouseMacros(mouse);
    ASSERT_EQ(macros.size(), 1u);
    EXPECT_EQ(macros[0].size(), 3u);
    const std::vector<uint8_t> after = mouse.DeviceArea("key_table");
    EXPECT_EQ(std::vector<uint8_t>(after.begin() + 9, after.begin() + 15),
              (std::vector<uint8_t>{0x10, 0x10, 0, 0x71, 0, 2}));
}

TEST(MacroOnMouse, MacrosTooLargeForTheMouseLeaveTheButtonAtItsDefault) {
    const MouseProgram mouse;
    TempFolder files;
    // One unit of macro memory: 128 bytes.
    WriteWholeFile(files.File("sim.json"), R"({"devices": [{"kind": "mouse", "macro_capacity": 1}]})");
    auto run = [&](const std::vector<std::string>& args) {
        std::vector<std::string> all = {"XDG_DATA_HOME=" + mouse.Home(), R730CTL, "--sim-config",
                                        files.File("sim.json"), "--sim-state", mouse.State(), "mouse"};
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram("env", all);
    };
    ASSERT_EQ(run({"macro", "new"}).exitCode, 0);
    WriteWholeFile(files.File("m.mac"), MacText(58));
    ASSERT_EQ(run({"macro", "save", "0", files.File("m.mac")}).exitCode, 0);
    const ProgramRun r = run({"assign", "3", "macro", "0"});
    EXPECT_EQ(r.exitCode, 1);
    // 16 + 6 + 4 × 58 = 254 bytes: (254 − 128) / 4 + 1 = 32.
    EXPECT_NE(r.err.find("the macros do not fit the mouse (result 32, message_text_16 -32); button 3 keeps its "
                         "default function"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(mouse.Profile()["KeyList"][3]["Assignment"].asUInt(), 0x101000u);
    const std::vector<uint8_t> table = mouse.DeviceArea("key_table");
    EXPECT_EQ(std::vector<uint8_t>(table.begin() + 9, table.begin() + 12), (std::vector<uint8_t>{0x10, 0x10, 0}));
}

// Without a mouse a delete changes the files only: every profile of the list
// and the mouse's own profile file, asking when any of them uses the macro.
TEST_F(MacroCommand, DeleteWithoutAMouseFixesEveryProfileFile) {
    for (int i = 0; i < 3; ++i) ASSERT_EQ(Macro({"new"}).exitCode, 0);
    const std::string folder = mouse_.Home() + kProfileFolder;
    WriteWholeFile(folder + "/ProfileList.ini",
                   R"({"profilelist": [{"profilename": "Other", "profileUUID": "p2", "profileislink": 0,
                       "profilelinkmame": ""}], "profileselect": 0})");
    WriteWholeFile(folder + "/p2.Json",
                   R"({"Device": [{"KeyList": [{"Assignment": 7340544, "DefaultAssignment": 1048832},
                                               {"Assignment": 7340032, "DefaultAssignment": 1048832}]}]})");
    // 7340544 = 0x700200 (macro 2), 7340032 = 0x700000 (macro 0).
    ProgramRun run = Macro({"delete", "0"});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_NE(run.err.find("p2.Json uses macro 0 'macro_1' (message_text_2)"), std::string::npos) << run.err;
    EXPECT_EQ(Names().size(), 3u);
    run = Macro({"delete", "0", "--yes"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "deleted 0\tmacro_1\t1 other profile(s) changed, current profile unchanged\n");
    const Json::Value keys = ParseJson(ReadWholeFile(folder + "/p2.Json"))["Device"][0]["KeyList"];
    EXPECT_EQ(keys[0]["Assignment"].asUInt(), 0x700100u);
    EXPECT_EQ(keys[1]["Assignment"].asUInt(), 0x100100u);
    EXPECT_EQ(Names(), (std::vector<std::string>{"macro_2", "macro_3"}));
}

}  // namespace
