// r730ctl mouse: showing and changing the mouse's settings against the
// simulated mouse, through the program (its memory kept in a state file
// between runs) and, for the device's refusals, in this process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/cli/mouse_program.h"

namespace {

constexpr size_t kStage2Level = 14 + 9 * 2 + 2;  // b2 of stage 2 in the profile block

class MouseCommandByConnection : public testing::TestWithParam<const char*> {};

INSTANTIATE_TEST_SUITE_P(Connections, MouseCommandByConnection,
                         testing::Values("cable", "receiver"));

TEST_P(MouseCommandByConnection, ShowReportsWhatTheMouseHolds) {
    TempFolder config;
    WriteWholeFile(config.File("c.json"),
                   std::string(R"({"devices": [{"kind": "mouse", "connection": ")") + GetParam() +
                       R"(", "battery": 57, "charging": 1}]})");
    const MouseProgram mouse("--sim-config=" + config.File("c.json"));

    const Json::Value v = mouse.Json({"show"});
    EXPECT_EQ(v["connection"].asString(), GetParam());
    EXPECT_TRUE(v["sensor_id"].isInt());
    EXPECT_EQ(v["sensor_id"].asInt(), 0x3104);
    ASSERT_EQ(v["stages"].size(), 7u) << v;
    const Json::Value& stage2 = v["stages"][2];
    EXPECT_EQ(stage2["index"].asInt(), 2);
    EXPECT_TRUE(stage2["enabled"].asBool());
    EXPECT_EQ(stage2["dpi"].asInt(), 1600);
    EXPECT_EQ(stage2["colour"].asString(), "#0000ff");
    EXPECT_FALSE(v["stages"][5]["enabled"].asBool());
    EXPECT_EQ(v["stages"][6]["dpi"].asInt(), 6400);
    EXPECT_EQ(v["active_stage"].asInt(), 1);
    for (Json::ArrayIndex i = 0; i < 7; ++i)
        EXPECT_EQ(v["stages"][i]["active"].asBool(), i == 1) << i;
    EXPECT_EQ(v["report_rate"].asInt(), 3);
    EXPECT_EQ(v["report_rate_option"].asInt(), 3);
    EXPECT_EQ(v["lift_off"].asInt(), 1);
    EXPECT_EQ(v["debounce"].asInt(), 2);
    EXPECT_EQ(v["sleep"]["ble2"].asInt(), 30);
    EXPECT_EQ(v["sleep"]["dev1"].asInt(), 10);
    EXPECT_EQ(v["light_effect"]["index"].asInt(), 3);
    EXPECT_EQ(v["light_effect"]["name"].asString(), "Spectrum");
    EXPECT_TRUE(v["battery"]["percent"].isInt());
    EXPECT_EQ(v["battery"]["percent"].asInt(), 57);
    EXPECT_EQ(v["battery"]["charging"].asInt(), 1);
    EXPECT_EQ(mouse.DeviceArea("info").at(7), 1);  // the mouse was taken over

    const ProgramRun text = mouse.Run({"show"});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    const std::string lines[] = {
        std::string("mouse by ") + GetParam() + ", sensor 0x3104\n",
        "  1  on     800 DPI  #00ff00  active\n",
        "  5  off   4800 DPI  #ff00ff\n",
        "report rate:         3 (option 3)\n",
        "sleep:               ble1 10, ble2 30, dev1 10, dev2 30\n",
        "light effect:        3 (Spectrum)\n",
        "battery:             57%, charging state 1\n",
    };
    for (const std::string& line : lines)
        EXPECT_NE(text.out.find(line), std::string::npos) << line << text.out;
}

TEST_P(MouseCommandByConnection, DpiGoesIntoTheMouseAndTheProfileAsALevel) {
    const MouseProgram mouse(GetParam() == std::string("cable") ? "--simulate=mouse"
                                                                : "--simulate=mouse@receiver");
    Json::Value v = mouse.Json({"dpi", "2", "3000"});
    EXPECT_EQ(
        v,
        ParseJson(
            R"({"saved": true, "sent": true, "result": 1, "stage": 2, "dpi": 3000, "level": 54})"));
    std::vector<uint8_t> block = mouse.DeviceArea("settings");
    EXPECT_EQ(block.at(kStage2Level), 54);
    EXPECT_EQ(block.at(kStage2Level + 1), 0);
    EXPECT_EQ(mouse.Profile()["DPIStages"]["StageDPIs"][2]["StageDPIX"].asInt(), 54);
    EXPECT_EQ(mouse.Json({"show"})["stages"][2]["dpi"].asInt(), 3000);  // the next run sees it

    // 1630 is between two levels: the mouse shows the lower one.
    const ProgramRun run = mouse.Run({"dpi", "2", "1630"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "stage 2 DPI: 3000 (level 54) -> 1600 (level 26)\n");
    block = mouse.DeviceArea("settings");
    EXPECT_EQ(block.at(kStage2Level), 26);
    EXPECT_EQ(block.at(kStage2Level + 2), 26);  // Y as the profile holds it
    EXPECT_EQ(mouse.Profile()["DPIStages"]["StageDPIs"][2]["StageDPIX"].asInt(), 26);
}

TEST(MouseCommand, EachEditReachesTheMouseAndTheNextRun) {
    const MouseProgram mouse;
    const struct {
        std::vector<std::string> args;
        size_t blockByte;  // where the profile block carries it
        int value;
        std::string member;  // of the edit's JSON and of show's
    } cases[] = {
        {{"rate", "4"}, 11, 4, "report_rate"},
        {{"liftoff", "0"}, 82, 0, "lift_off"},
        {{"calibration", "1"}, 83, 1, "linear_calibration"},
        {{"ripple", "1"}, 84, 1, "ripple"},
        {{"debounce", "7"}, 81, 7, "debounce"},
        {{"active-stage", "4"}, 12, 4, "active_stage"},
        {{"sleep", "ble1", "20"}, 77, 20, "sleep.ble1"},
        {{"sleep", "ble2", "21"}, 78, 21, "sleep.ble2"},
        {{"sleep", "dev1", "22"}, 79, 22, "sleep.dev1"},
        {{"sleep", "dev2", "255"}, 80, 255, "sleep.dev2"},
        {{"stage", "5", "on"}, 14 + 9 * 5, 1, ""},
        {{"stage", "0", "off"}, 14, 0, ""},
    };
    const auto member = [](const Json::Value& v, const std::string& path) {
        const size_t dot = path.find('.');
        return dot == std::string::npos ? v[path] : v[path.substr(0, dot)][path.substr(dot + 1)];
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const Json::Value v = mouse.Json(c.args);
        EXPECT_TRUE(v["saved"].asBool() && v["sent"].asBool()) << v;
        EXPECT_EQ(v["result"].asInt(), 1);
        if (!c.member.empty()) {
            EXPECT_EQ(member(v, c.member).asInt(), c.value) << v;
        }
        EXPECT_EQ(mouse.DeviceArea("settings").at(c.blockByte), c.value);
    }
    const Json::Value shown = mouse.Json({"show"});
    for (const auto& c : cases) {
        if (!c.member.empty()) {
            EXPECT_EQ(member(shown, c.member).asInt(), c.value) << c.member;
        }
    }
    EXPECT_EQ(shown["report_rate_option"].asInt(), 0);  // index 4 shows the first option
    EXPECT_TRUE(shown["stages"][5]["enabled"].asBool());
    EXPECT_FALSE(shown["stages"][0]["enabled"].asBool());
    EXPECT_TRUE(shown["stages"][4]["active"].asBool());

    const ProgramRun text = mouse.Run({"rate", "1"});
    EXPECT_EQ(text.out, "report rate: 4 (shown as option 0) -> 1\n");
}

TEST(MouseCommand, WrongValuesAreRefusedBeforeTheMouseIsTouched) {
    const MouseProgram mouse;
    ASSERT_EQ(
        RunProgram(R730CTL, {mouse.Simulate(), "--sim-state", mouse.State(), "list"}).exitCode, 0);
    const std::string factory = ReadWholeFile(mouse.State());
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"dpi", "7", "100"}, "mouse dpi: STAGE must be a whole number from 0 to 6, not '7'"},
        {{"dpi", "-1", "100"}, "from 0 to 6, not '-1'"},
        {{"dpi", "2", "10001"},
         "the DPI value must be a whole number from 0 to 10000, not '10001'"},
        {{"dpi", "2", "16k"}, "from 0 to 10000, not '16k'"},
        {{"dpi", "2", ""}, "from 0 to 10000, not ''"},
        {{"dpi", "2", "99999999999"}, "from 0 to 10000, not '99999999999'"},
        {{"dpi", "2"}, "usage: mouse dpi STAGE VALUE"},
        {{"stage", "2", "maybe"}, "mouse stage: say on or off, not 'maybe'"},
        {{"active-stage", "9"}, "mouse active-stage: STAGE must be a whole number from 0 to 6"},
        {{"rate", "5"}, "the report-rate index must be a whole number from 0 to 4, not '5'"},
        {{"liftoff", "2"}, "the lift-off distance must be a whole number from 0 to 1"},
        {{"calibration", "-1"}, "the linear calibration must be a whole number from 0 to 1"},
        {{"ripple", "1.0"}, "the ripple control must be a whole number from 0 to 1, not '1.0'"},
        {{"debounce", "256"}, "the key debounce must be a whole number from 0 to 255"},
        {{"sleep", "dev3", "1"}, "say which sleep time: ble1, ble2, dev1 or dev2, not 'dev3'"},
        {{"sleep", "dev1", "300"},
         "mouse sleep: the sleep value must be a whole number from 0 to 255"},
        {{"defaults", "now"}, "usage: mouse defaults [--json]"},
        {{"frobnicate"}, "unknown subcommand 'frobnicate'"},
        {{}, "say what to do: show, dpi"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const ProgramRun run = mouse.Run(c.args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    // Not even taken over: the memory is as it came from the factory, and no
    // profile was written.
    EXPECT_EQ(ReadWholeFile(mouse.State()), factory);
    EXPECT_FALSE(std::filesystem::exists(mouse.Home() + kProfileFolder));
}

TEST(MouseCommand, DefaultsRestoreTheDefaultProfileInTheMouse) {
    const MouseProgram mouse;
    ASSERT_EQ(mouse.Run({"rate", "1"}).exitCode, 0);
    ASSERT_EQ(mouse.Run({"dpi", "2", "5000"}).exitCode, 0);
    ASSERT_EQ(mouse.Run({"stage", "1", "off"}).exitCode, 0);
    ASSERT_EQ(mouse.DeviceArea("settings").at(11), 1);

    const Json::Value v = mouse.Json({"defaults"});
    EXPECT_TRUE(v["saved"].asBool() && v["sent"].asBool()) << v;
    EXPECT_EQ(v["result"].asInt(), 1);
    EXPECT_EQ(v["settings"]["report_rate"].asInt(), 3);
    EXPECT_EQ(v["settings"]["stages"][2]["dpi"].asInt(), 1600);
    EXPECT_TRUE(v["settings"]["stages"][1]["enabled"].asBool());
    const std::vector<uint8_t> block = mouse.DeviceArea("settings");
    EXPECT_EQ(block.at(11), 3);
    EXPECT_EQ(block.at(kStage2Level), 26);
    EXPECT_EQ(block.at(14 + 9), 1);
    const Json::Value profile = mouse.Profile();
    EXPECT_EQ(profile["ReportStages"]["StageActive"].asInt(), 3);
    EXPECT_EQ(profile["DPIStages"]["StageDPIs"][2]["StageDPIX"].asInt(), 26);

    const ProgramRun text = mouse.Run({"defaults"});
    EXPECT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.out.rfind("default profile restored:\nmouse by cable", 0), 0u) << text.out;
}

TEST(MouseCommand, MissingMouseFailedReadAndFailedSave) {
    const MouseProgram keyboardOnly("--simulate=keyboard");
    ProgramRun run = keyboardOnly.Run({"show"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("r730ctl: no mouse found"), std::string::npos) << run.err;

    // A mouse whose information block has neither the host flag nor a claimable mark.
    TempFolder config;
    WriteWholeFile(config.File("c.json"), R"({"devices": [{"kind": "mouse", "host_flag": 2}]})");
    const MouseProgram unclaimable("--sim-config=" + config.File("c.json"));
    run = unclaimable.Run({"rate", "1"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("mouse rate: cannot read the mouse"), std::string::npos) << run.err;
    EXPECT_EQ(unclaimable.DeviceArea("settings").at(11), 3);

    // The profile folder cannot be made: the mouse still takes the change.
    const MouseProgram mouse;
    WriteWholeFile(mouse.Home() + "/R730-VXT-1K Gaming Mouse", "");
    run = mouse.Run({"ripple", "1", "--json"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("mouse ripple: the profile was NOT saved (Not a directory); the mouse "
                           "took the settings (result 1)"),
              std::string::npos)
        << run.err;
    const Json::Value v = ParseJson(run.out);
    EXPECT_FALSE(v["saved"].asBool());
    EXPECT_TRUE(v["sent"].asBool());
    EXPECT_EQ(mouse.DeviceArea("settings").at(84), 1);
}

TEST(MouseCommand, HelpNamesTheSubcommands) {
    const ProgramRun help = RunProgram(R730CTL, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* documented :
         {"mouse SUBCOMMAND [--json]", "dpi STAGE VALUE", "stage STAGE on|off",
          "sleep ble1|ble2|dev1|dev2 VALUE", "defaults"})
        EXPECT_NE(help.out.find(documented), std::string::npos) << documented;
}

// ---- in this process, where faults can be set on the simulated interfaces ----

class MouseCommandInProcess : public testing::Test {
  protected:
    void SetUp() override { setenv("XDG_DATA_HOME", home_.Path().c_str(), 1); }
    void TearDown() override { unsetenv("XDG_DATA_HOME"); }

    static Captured Mouse(std::vector<std::string> args) {
        return RunMouseInProcess(std::move(args));
    }
    static std::vector<SimDeviceSpec> Specs(const char* list) { return SimSpecs(list); }

    TempFolder home_;
};

TEST_F(MouseCommandInProcess, ARefusedWriteKeepsTheProfileAndSaysWhatTheMouseAnswered) {
    const struct {
        const char* list;
        uint8_t status;
        int result;
        const char* answer;
    } cases[] = {
        {"mouse", 0xFF, -102, "the mouse refused (0xFF)"},
        {"mouse@receiver", 0xFE, -103, "the mouse refused as busy (0xFE)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        SimWorld world(Specs(c.list));
        ASSERT_TRUE(world.PlugAll());
        SimFaults faults;
        faults.refusals.push_back({6, -1, c.status});  // every settings write
        if (SimulatedReceiver* receiver = world.Receiver(SimKind::Mouse))
            receiver->SetFaults(faults);
        else
            world.Device(SimKind::Mouse)->SetCableFaults(faults);

        const Captured run = Mouse({"rate", "1", "--json"});
        EXPECT_EQ(run.code, 1);
        EXPECT_NE(run.err.find(std::string("mouse rate: the profile was saved; ") + c.answer +
                               " (result " + std::to_string(c.result) + ")"),
                  std::string::npos)
            << run.err;
        const Json::Value v = ParseJson(run.out);
        EXPECT_TRUE(v["saved"].asBool());
        EXPECT_FALSE(v["sent"].asBool());
        EXPECT_EQ(v["result"].asInt(), c.result);
        EXPECT_EQ(world.Device(SimKind::Mouse)->Firmware().Memory().settings.at(11), 3);
        const Json::Value profile =
            ParseJson(ReadWholeFile(SelectedProfilePath(home_.Path())))["Device"][0];
        EXPECT_EQ(profile["ReportStages"]["StageActive"].asInt(), 1);
    }
}

TEST_F(MouseCommandInProcess, AWrongValueSendsNoFrame) {
    SimWorld world(Specs("mouse"));
    ASSERT_TRUE(world.PlugAll());
    SimCommandPort& port = world.Device(SimKind::Mouse)->Cable().Port();
    port.ClearReceivedFrames();
    const Captured bad = Mouse({"dpi", "3", "20000"});
    EXPECT_EQ(bad.code, 2);
    EXPECT_TRUE(port.ReceivedFrames().empty());

    // The same command with a good value talks to the mouse (the check above can fail).
    const Captured good = Mouse({"dpi", "3", "2000"});
    EXPECT_EQ(good.code, 0) << good.err;
    EXPECT_FALSE(port.ReceivedFrames().empty());
}

}  // namespace
