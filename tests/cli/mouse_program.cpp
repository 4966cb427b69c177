#include "tests/cli/mouse_program.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/mouse_command.h"

Json::Value ParseJson(const std::string& text) {
    Json::Value v;
    std::istringstream in(text);
    std::string errors;
    EXPECT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &v, &errors))
        << errors << text;
    return v;
}

std::vector<uint8_t> FromHex(const std::string& hex) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

ProgramRun MouseProgram::Run(const std::vector<std::string>& mouseArgs) const {
    std::vector<std::string> args = {"XDG_DATA_HOME=" + home_.Path(), R730CTL, simulate_,
                                     "--sim-state", State()};
    args.emplace_back("mouse");
    args.insert(args.end(), mouseArgs.begin(), mouseArgs.end());
    return RunProgram("env", args);
}

Json::Value MouseProgram::Json(const std::vector<std::string>& mouseArgs, int expectedCode) const {
    std::vector<std::string> args = mouseArgs;
    args.emplace_back("--json");
    const ProgramRun run = Run(args);
    EXPECT_EQ(run.exitCode, expectedCode) << run.err;
    return ParseJson(run.out);
}

std::vector<uint8_t> MouseProgram::DeviceArea(const char* area) const {
    const Json::Value state = ParseJson(ReadWholeFile(State()));
    return FromHex(state["devices"]["mouse"][area].asString());
}

std::string SelectedProfilePath(const std::string& home) {
    const std::string folder = home + kProfileFolder;
    const Json::Value list = ParseJson(ReadWholeFile(folder + "/ProfileList.ini"));
    const Json::Value& entry = list["profilelist"][list["profileselect"].asUInt()];
    return folder + "/" + entry["profileUUID"].asString() + ".Json";
}

Json::Value MouseProgram::Profile() const {
    return ParseJson(ReadWholeFile(SelectedProfilePath(home_.Path())))["Device"][0];
}

Captured RunMouseInProcess(std::vector<std::string> args) {
    args.insert(args.begin(), "mouse");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    return CaptureOutput([&](std::FILE* out, std::FILE* err) {
        return RunMouseCommand(static_cast<int>(argv.size()), argv.data(), 1, out, err);
    });
}

std::vector<SimDeviceSpec> SimSpecs(const char* list) {
    std::vector<SimDeviceSpec> specs;
    std::string error;
    EXPECT_TRUE(ParseSimulateList(list, specs, error)) << error;
    return specs;
}
