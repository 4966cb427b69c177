// The simulated mouse as the tests of `r730ctl mouse` use it: the program run
// against one user's data folder and one state file, and the command run in
// this process (where faults can be set on the simulated interfaces).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <json/json.h>

#include "sim/sim_world.h"
#include "tests/cli/capture_output.h"
#include "tests/cli/run_program.h"

inline constexpr char kProfileFolder[] = "/R730-VXT-1K Gaming Mouse/mouse";

// The file of the profile the mouse folder's list has selected, below home.
std::string SelectedProfilePath(const std::string& home);

Json::Value ParseJson(const std::string& text);
std::vector<uint8_t> FromHex(const std::string& hex);

// One user's data folder and one simulated mouse kept in a state file, used by
// runs of the program one after the other.
class MouseProgram {
  public:
    explicit MouseProgram(std::string simulate = "--simulate=mouse")
        : simulate_(std::move(simulate)) {}

    ProgramRun Run(const std::vector<std::string>& mouseArgs) const;
    // A run whose JSON output is returned (the test fails on another exit code).
    Json::Value Json(const std::vector<std::string>& mouseArgs, int expectedCode = 0) const;

    std::string State() const { return home_.File("state.json"); }
    std::string Home() const { return home_.Path(); }
    const std::string& Simulate() const { return simulate_; }
    std::vector<uint8_t> DeviceArea(const char* area) const;
    // The mouse's device object of the profile file.
    Json::Value Profile() const;

  private:
    TempFolder home_;
    std::string simulate_;
};

// `r730ctl mouse ARGS` run in this process (XDG_DATA_HOME as the caller set it).
Captured RunMouseInProcess(std::vector<std::string> args);
std::vector<SimDeviceSpec> SimSpecs(const char* list);
