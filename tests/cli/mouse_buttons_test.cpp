// r730ctl mouse buttons and mouse assign against the simulated mouse: what each
// function word puts in the mouse's key table and in the profile, the words
// that are refused, and the mouse's refusal of the table.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/cli/mouse_program.h"

namespace {

constexpr size_t kButton = 3;  // the forward button: slot 3 of a factory-fresh mouse
constexpr uint32_t kForward = 0x101000;

std::string MacroFolder(const MouseProgram& mouse) {
    return mouse.Home() + kProfileFolder;
}

void WriteMacroLibrary(const std::string& folder) {
    std::filesystem::create_directories(folder);
    WriteWholeFile(folder + "/macro.config",
                   R"({"MacroInfo": [{"MacroName": "first", "Guid": "1"},
                                     {"MacroName": "second", "Guid": "2"}]})");
}

std::vector<uint8_t> Slot(const std::vector<uint8_t>& table, size_t slot) {
    return {table.begin() + static_cast<long>(slot * 3),
            table.begin() + static_cast<long>(slot * 3 + 3)};
}

TEST(MouseButtons, ListEachButtonWithItsFunctionCodesAndSlot) {
    const MouseProgram mouse;
    const Json::Value v = mouse.Json({"buttons"});
    ASSERT_EQ(v["buttons"].size(), 11u) << v;
    EXPECT_EQ(v["buttons"][0], ParseJson(R"({"button": 0, "label": "mouse_key_left",
        "code": "0x100100", "default": "0x100100", "slot": 0})"));
    EXPECT_EQ(v["buttons"][8]["label"].asString(), "keyboard_key_GM");  // a special function
    EXPECT_EQ(v["buttons"][9]["label"].asString(), "mouse_key_DPI_shift");
    EXPECT_EQ(v["buttons"][9]["code"].asString(), "0x169001");
    for (Json::ArrayIndex i = 0; i < 11; ++i)
        EXPECT_EQ(v["buttons"][i]["slot"].asInt(), static_cast<int>(i));

    const ProgramRun text = mouse.Run({"buttons"});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.out.rfind("button  function ", 0), 0u) << text.out;
    EXPECT_NE(text.out.find("\n    10  mouse_key_fire_key              0x147802  0x147802  10\n"),
              std::string::npos)
        << text.out;
}

TEST(MouseAssign, EachFunctionReachesTheKeyTableAndTheProfile) {
    const struct {
        std::vector<std::string> function;
        uint32_t code;                // the profile's "Assignment"
        std::vector<uint8_t> device;  // the slot's bytes on the mouse
        std::string label;
    } cases[] = {
        {{"button", "back"}, 0x100800, {0x10, 0x08, 0x00}, "mouse_key_back"},
        {{"tilt", "right", "1"}, 0x110081, {0x11, 0x00, 0x81}, "mouse_key_right_Swing"},
        {{"tilt", "left", "5", "delay", "2", "speed", "3"},
         0x112305,
         {0x11, 0x23, 0x05},
         "mouse_key_left_Swing"},
        {{"wheel", "down", "1"}, 0x1200FF, {0x12, 0x00, 0xFF}, "mouse_key_down_Swing"},
        {{"wheel", "up", "127", "speed", "15", "delay", "15"},
         0x12FF7F,
         {0x12, 0xFF, 0x7F},
         "mouse_key_up_Swing"},
        {{"dpi", "cycle"}, 0x130300, {0x13, 0x03, 0x00}, "mouse_key_DPI_loop"},
        {{"fire", "255", "2"}, 0x14FF02, {0x14, 0xFF, 0x02}, "mouse_key_fire_key"},
        {{"key", "a"}, 0x200004, {0x20, 0x00, 0x04}, "keyboard_key_A"},
        {{"key", "ctrl+shift+F5"}, 0x20033E, {0x20, 0x03, 0x3E}, "keyboard_key_F5"},
        {{"key", "rctrl+0x04"}, 0x201004, {0x20, 0x10, 0x04}, "keyboard_key_RCtrl+keyboard_key_A"},
        {{"key", "alt"}, 0x200400, {0x20, 0x04, 0x00}, "keyboard_key_LAlt"},
        {{"key", "win+num+"}, 0x200857, {0x20, 0x08, 0x57}, "keyboard_key_LWin+keyboard_key_Num +"},
        {{"key", "backslash"}, 0x200031, {0x20, 0x00, 0x31}, "keyboard_key_xiegang"},
        {{"media", "volume-up"}, 0x30E900, {0x30, 0xE9, 0x00}, "media_vol_add"},
        {{"media", "calculator"}, 0x309201, {0x30, 0x92, 0x01}, "media_calc"},
        {{"system", "wake"}, 0x400200, {0x40, 0x02, 0x00}, "system_wake_up"},
        {{"gun", "2"}, 0x720200, {0x72, 0x02, 0x00}, "gun_3_txt"},
        // A shortcut is a keyboard key with right Ctrl, labelled as one.
        {{"shortcut", "copy"}, 0x201006, {0x20, 0x10, 0x06}, "keyboard_key_RCtrl+keyboard_key_C"},
        {{"shortcut", "zoom-in"},
         0x20102E,
         {0x20, 0x10, 0x2E},
         "keyboard_key_RCtrl+keyboard_key_="},
        // A macro goes to the mouse with its slot (the only one used: 0), not its index.
        {{"macro", "1"}, 0x700100, {0x70, 0x00, 0x00}, "second"},
        {{"macro", "1", "mode", "3"}, 0x700103, {0x70, 0x00, 0x03}, "second"},
        {{"macro", "0", "repeat", "5"}, 0x710005, {0x71, 0x00, 0x05}, "first"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.function));
        const MouseProgram mouse;
        WriteMacroLibrary(MacroFolder(mouse));
        ASSERT_EQ(mouse.Run({"buttons"}).exitCode, 0);
        const std::vector<uint8_t> before = mouse.DeviceArea("key_table");

        std::vector<std::string> args = {"assign", std::to_string(kButton)};
        args.insert(args.end(), c.function.begin(), c.function.end());
        const Json::Value v = mouse.Json(args);
        EXPECT_TRUE(v["saved"].asBool() && v["sent"].asBool()) << v;
        EXPECT_EQ(v["label"].asString(), c.label);
        char code[16];
        std::snprintf(code, sizeof code, "0x%06X", c.code);
        EXPECT_EQ(v["code"].asString(), code);
        EXPECT_EQ(v["slot"].asInt(), 3);

        std::vector<uint8_t> expected = before;
        std::copy(c.device.begin(), c.device.end(), expected.begin() + kButton * 3);
        EXPECT_EQ(mouse.DeviceArea("key_table"), expected);  // that slot and no other
        const Json::Value key = mouse.Profile()["KeyList"][static_cast<int>(kButton)];
        EXPECT_EQ(key["Assignment"].asUInt(), c.code);
        EXPECT_EQ(key["DefaultAssignment"].asUInt(), kForward);
    }
}

TEST(MouseAssign, TextOutputNamesTheFunctionBeforeAndAfter) {
    const MouseProgram mouse;
    const ProgramRun run = mouse.Run({"assign", "4", "media", "mute"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "button 4: mouse_key_back (0x100800) -> media_mute (0x30E200), slot 4\n");
}

TEST(MouseAssign, WrongWordsAreRefusedBeforeTheMouseIsTouched) {
    const MouseProgram mouse;
    ASSERT_EQ(
        RunProgram(R730CTL, {mouse.Simulate(), "--sim-state", mouse.State(), "list"}).exitCode, 0);
    const std::string factory = ReadWholeFile(mouse.State());
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{}, "usage: mouse assign BUTTON FUNCTION"},
        {{"3"}, "usage: mouse assign BUTTON FUNCTION"},
        {{"11", "default"}, "mouse assign: BUTTON must be a whole number from 0 to 10, not '11'"},
        {{"x", "default"}, "from 0 to 10, not 'x'"},
        {{"3", "jump"},
         "say the function: default, button, tilt, wheel, dpi, fire, key, media, "
         "system, macro, gun or shortcut, not 'jump'"},
        {{"3", "default", "now"}, "usage: mouse assign BUTTON default"},
        {{"3", "button", "side"},
         "button: the button is one of left, middle, right, forward or back, not 'side'"},
        {{"3", "button"}, "usage: mouse assign BUTTON button left|middle|right|forward|back"},
        {{"3", "tilt", "up", "3"}, "tilt: say left or right, not 'up'"},
        {{"3", "tilt", "left", "0"}, "tilt: COUNT must be a whole number from 1 to 127, not '0'"},
        {{"3", "wheel", "down", "128"}, "wheel: COUNT must be a whole number from 1 to 127"},
        {{"3", "wheel", "up", "3", "speed", "16"},
         "wheel: the speed must be a whole number from 0 to 15, not '16'"},
        {{"3", "wheel", "up", "3", "delay", "-1"}, "the delay must be a whole number from 0 to 15"},
        {{"3", "wheel", "up", "3", "speed", "1", "speed", "2"},
         "usage: mouse assign BUTTON wheel up|down COUNT [speed S] [delay D]"},
        {{"3", "wheel", "up", "3", "delay"}, "usage: mouse assign BUTTON wheel"},
        {{"3", "dpi", "faster"}, "dpi: the DPI step is one of up, down or cycle, not 'faster'"},
        {{"3", "fire", "300", "2"}, "fire: the INTERVAL must be a whole number from 0 to 255"},
        {{"3", "fire", "50"}, "usage: mouse assign BUTTON fire INTERVAL SHOTS"},
        {{"3", "key", "ctrl+"}, "key: unknown key '' in 'ctrl+'"},
        {{"3", "key", "hyper+a"}, "MODIFIER one of ctrl, shift, alt, win, rctrl, rshift"},
        {{"3", "key", "0x03"}, "or a HID usage from 0x04 to 0xE7"},
        {{"3", "key", "0xE8"}, "unknown key '0xE8'"},
        {{"3", "key", "a", "b"}, "usage: mouse assign BUTTON key"},
        {{"3", "media", "louder"}, "media: the media key is one of player, play, stop"},
        {{"3", "system", "reboot"}, "system: the system key is one of sleep, wake or power"},
        {{"3", "macro", "0", "mode", "4"}, "the play mode must be a whole number from 0 to 3"},
        {{"3", "macro", "0", "repeat", "256"}, "the repeat count must be a whole number from 0"},
        {{"3", "macro", "0", "loop"}, "usage: mouse assign BUTTON macro INDEX [mode 0-3|repeat N]"},
        {{"3", "gun", "4"}, "gun: the gun must be a whole number from 0 to 3, not '4'"},
        {{"3", "shortcut", "print"}, "shortcut: the shortcut is one of open, new, undo"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        std::vector<std::string> args = {"assign"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ProgramRun run = mouse.Run(args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(ReadWholeFile(mouse.State()), factory);  // not even taken over
    EXPECT_FALSE(std::filesystem::exists(mouse.Home() + kProfileFolder));
}

TEST(MouseAssign, AMacroBeyondTheLibraryChangesNothing) {
    const MouseProgram mouse;
    ASSERT_EQ(mouse.Run({"buttons"}).exitCode, 0);
    const std::vector<uint8_t> table = mouse.DeviceArea("key_table");
    ProgramRun run = mouse.Run({"assign", "3", "macro", "0"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("macro: the macro library is empty"), std::string::npos) << run.err;

    WriteMacroLibrary(MacroFolder(mouse));
    run = mouse.Run({"assign", "3", "macro", "2"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("INDEX must be a macro of the library, 0 to 1, not '2'"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(mouse.DeviceArea("key_table"), table);
    EXPECT_EQ(mouse.Profile()["KeyList"][3]["Assignment"].asUInt(), kForward);
}

// A button keeps its slot after it was given another function, also when that
// function is another button's factory function: the next runs find it again
// by the function the profile says it has.
TEST(MouseAssign, AReassignedButtonKeepsItsSlot) {
    const MouseProgram mouse;
    ASSERT_EQ(mouse.Run({"assign", "3", "dpi", "up"}).exitCode, 0);  // button 5's factory function
    EXPECT_EQ(Slot(mouse.DeviceArea("key_table"), 3), (std::vector<uint8_t>{0x13, 0x01, 0x00}));
    ProgramRun run = mouse.Run({"assign", "5", "button", "left", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ParseJson(run.out)["slot"].asInt(), 5);
    const std::vector<uint8_t> table = mouse.DeviceArea("key_table");
    EXPECT_EQ(Slot(table, 5), (std::vector<uint8_t>{0x10, 0x01, 0x00}));
    EXPECT_EQ(Slot(table, 3), (std::vector<uint8_t>{0x13, 0x01, 0x00}));  // button 3 untouched

    run = mouse.Run({"assign", "3", "default", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Json::Value v = ParseJson(run.out);
    EXPECT_EQ(v["label"].asString(), "mouse_key_forward");
    EXPECT_EQ(v["slot"].asInt(), 3);
    EXPECT_EQ(mouse.Profile()["KeyList"][3]["Assignment"].asUInt(), kForward);
    EXPECT_EQ(Slot(mouse.DeviceArea("key_table"), 3), (std::vector<uint8_t>{0x10, 0x10, 0x00}));
}

// ---- in this process, where the mouse can refuse the key table ----

class MouseAssignInProcess : public testing::Test {
  protected:
    void SetUp() override { setenv("XDG_DATA_HOME", home_.Path().c_str(), 1); }
    void TearDown() override { unsetenv("XDG_DATA_HOME"); }
    Json::Value KeyList() const {
        return ParseJson(ReadWholeFile(SelectedProfilePath(home_.Path())))["Device"][0]["KeyList"];
    }

    TempFolder home_;
};

TEST_F(MouseAssignInProcess, ARefusedTableKeepsTheProfileAndDefaultRestoresIt) {
    SimWorld world(SimSpecs("mouse"));
    ASSERT_TRUE(world.PlugAll());
    SimulatedDevice* device = world.Device(SimKind::Mouse);
    SimFaults faults;
    faults.refusals.push_back({9, -1, 0xFF});  // every key table write
    device->SetCableFaults(faults);

    const Captured refused = RunMouseInProcess({"assign", "3", "dpi", "up"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("mouse assign: the profile was saved; the mouse refused (0xFF) "
                               "(result -102)"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(KeyList()[3]["Assignment"].asUInt(), 0x130100u);
    const std::vector<uint8_t>& table = device->Firmware().Memory().keyTable;
    EXPECT_EQ(Slot(table, 3), (std::vector<uint8_t>{0x10, 0x10, 0x00}));

    // The mouse takes the table again: the factory function goes back to the
    // profile and, written at the button's slot, to the mouse.
    device->SetCableFaults(SimFaults{});
    SimCommandPort& port = device->Cable().Port();
    port.ClearReceivedFrames();
    const Captured restored = RunMouseInProcess({"assign", "3", "default", "--json"});
    EXPECT_EQ(restored.code, 0) << restored.err;
    const Json::Value v = ParseJson(restored.out);
    EXPECT_EQ(v["label"].asString(), "mouse_key_forward");
    EXPECT_EQ(v["code"].asString(), "0x101000");
    EXPECT_EQ(v["result"].asInt(), 1);
    EXPECT_EQ(KeyList()[3]["Assignment"].asUInt(), kForward);
    EXPECT_EQ(Slot(table, 3), (std::vector<uint8_t>{0x10, 0x10, 0x00}));
    bool tableWritten = false;
    for (const auto& frame : port.ReceivedFrames())
        tableWritten = tableWritten || frame[3] == 9;  // the command byte
    EXPECT_TRUE(tableWritten);
}

}  // namespace
